// velvane-cli outline and set: a source texture's outline as text and JSON, and changes by
// outline path that rewrite only their values and are saved together or not at all.

#include "clirunner.h"
#include "core/catalog/catalog.h"
#include "core/model/sourcetexture.h"
#include "testfiles.h"
#include "texturefactory.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

const char* const kOak = "texture {\n"
                         "\t// Eiche \xe2\x80\x93 hell\n"
                         "  pigment { bozo turbulence 0.3 }\n"
                         "  finish { phong 0.5 /* shiny */ conserve_energy }\n"
                         "  scale 2\n"
                         "}";

SourceTexture MakeSource(const char* name, SourceTexture::Kind kind, const char* text) {
    SourceTexture texture;
    texture.SetName(name);
    texture.SetKind(kind);
    texture.SetText(text);
    return texture;
}

class OutlineCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Catalog catalog;
        SourceTexture oak = MakeSource("Oak", SourceTexture::TextureKind, kOak);
        const std::vector<std::uint8_t> pixels(2 * 2 * 3, 0x80);
        ASSERT_TRUE(oak.Thumbnail().SetBits(2, 2, pixels, false));
        catalog.AddTexture(oak);
        catalog.AddTexture(
            MakeSource("Veins", SourceTexture::PigmentKind, "pigment {\n  marble\n  scale 0.5\n}"));
        catalog.AddTexture(MakeTexture("Plain"));
        catalog.AddTexture(MakeSource("Red", SourceTexture::PigmentKind, "pigment { rgb 1 }"));
        const std::vector<std::uint8_t> bytes = catalog.Save();
        m_path = m_dir.filePath(QStringLiteral("oak.vlv"));
        PutFile(m_path, QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                   static_cast<qsizetype>(bytes.size())));
    }
    CliRun Cli(QStringList arguments) const {
        arguments.insert(1, m_path);
        return CliRunner(QStringLiteral(VELVANE_CLI))
            .Set(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"))
            .Run(arguments, 60000);
    }
    std::string TextOf(int index) const {
        Catalog catalog;
        const QByteArray bytes = FileBytes(m_path);
        EXPECT_FALSE(catalog.Load({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())}));
        return static_cast<const SourceTexture&>(catalog.GetTexture(index)).GetText();
    }

    QTemporaryDir m_dir;
    QString m_path;
};

/// Every property of the JSON part and its parts.
void CollectProperties(const QJsonObject& part, std::vector<QJsonObject>& properties) {
    for (const QJsonValue property : part["properties"].toArray())
        properties.push_back(property.toObject());
    for (const QJsonValue child : part["parts"].toArray())
        CollectProperties(child.toObject(), properties);
}

} // namespace

TEST_F(OutlineCliTest, OutlineShowsEachPartAndPropertyInTextOrder) {
    const CliRun run = Cli({"outline", "-i", "0"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(), "texture\n"
                                     "  pigment\n"
                                     "    pigment/pattern = bozo\n"
                                     "    pigment/turbulence = 0.3\n"
                                     "  finish\n"
                                     "    finish/phong = 0.5\n"
                                     "    finish/conserve_energy\n"
                                     "  scale = 2\n");
}

TEST_F(OutlineCliTest, JsonSpansAreByteOffsetsIntoTheText) {
    const CliRun run = Cli({"outline", "-i", "0", "--json"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    QJsonParseError error;
    const QJsonObject json = QJsonDocument::fromJson(run.out, &error).object();
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QByteArray text = json["text"].toString().toUtf8();
    EXPECT_EQ(text.toStdString(), kOak);
    const QJsonArray parts = json["parts"].toArray();
    ASSERT_EQ(parts.size(), 1);
    EXPECT_EQ(parts[0].toObject()["keyword"].toString(), "texture");

    std::vector<QJsonObject> properties;
    CollectProperties(parts[0].toObject(), properties);
    QStringList seen;
    for (const QJsonObject& property : properties) {
        const QJsonArray span = property["span"].toArray();
        const int start = span[0].toInt();
        const int end = span[1].toInt();
        EXPECT_EQ(text.mid(start, end - start), property["value"].toString().toUtf8())
            << property["path"].toString().toStdString();
        seen << property["path"].toString() + ' ' + property["kind"].toString();
    }
    EXPECT_EQ(seen,
              QStringList({"scale vector", "pigment/pattern choice", "pigment/turbulence vector",
                           "finish/phong float", "finish/conserve_energy flag"}));
    EXPECT_EQ(properties[4]["numbers"].toArray(), QJsonArray()); // a lone keyword: no value
    EXPECT_EQ(properties[3]["numbers"].toArray(), QJsonArray({0.5}));
}

TEST_F(OutlineCliTest, SetChangesOnlyThoseValuesAsOneSave) {
    const CliRun run = Cli({"set", "-i", "0", "finish/phong=0.6", "pigment/turbulence=0.4,0.2,0.1",
                            "finish/conserve_energy=off"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "0\tOak\n");
    EXPECT_EQ(TextOf(0), "texture {\n"
                         "\t// Eiche \xe2\x80\x93 hell\n"
                         "  pigment { bozo turbulence <0.4, 0.2, 0.1> }\n"
                         "  finish { phong 0.6 /* shiny */ }\n"
                         "  scale 2\n"
                         "}");
    // The old picture stays until a render replaces it, as after Modify with no render.
    EXPECT_EQ(Cli({"list"}).out.split('\n')[0], "0\tsource\t2x2\tOak");
}

TEST_F(OutlineCliTest, SetAllChangesTheTexturesThatHaveThePath) {
    const CliRun run = Cli({"set", "--all", "scale=3"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "0\tOak\n1\tVeins\n");
    EXPECT_TRUE(run.err.startsWith("2 textures changed, 2 left as they were;"))
        << run.err.toStdString();
    EXPECT_EQ(TextOf(1), "pigment {\n  marble\n  scale 3\n}");
    EXPECT_EQ(TextOf(3), "pigment { rgb 1 }");
}

TEST_F(OutlineCliTest, ARefusalNamesItselfAndLeavesTheFileAsItWas) {
    const QByteArray before = FileBytes(m_path);
    struct Case {
        QStringList arguments;
        int status;
        const char* says;
    };
    const Case cases[] = {
        {{"set", "-i", "0", "finish/phong=0.6", "finish/glow=1"},
         1,
         "\"Oak\" (texture 0): the texture has no property finish/glow; nothing was changed."},
        {{"set", "-i", "0", "finish/phong=1,2"}, 1, "finish/phong takes one number"},
        {{"set", "-i", "0", "pigment/turbulence=abc"},
         1,
         "\"Oak\" (texture 0) would be refused after the change: line 3: "},
        {{"set", "-i", "0", "-i", "2", "scale=3"}, 1, "\"Plain\" (texture 2) is not a source"},
        {{"outline", "-i", "2"}, 1, "\"Plain\" (texture 2) is not a source"},
        {{"set", "--all", "scale=3", "finish/glow=1"},
         1,
         "No source texture among those chosen has finish/glow"},
        {{"set", "-i", "0", "phong"}, 2, "expected PATH=VALUE, not 'phong'"},
        {{"set", "scale=3"}, 2, "give the textures with -i N"},
        {{"outline", "-i", "0", "-i", "1"}, 2, "give exactly one texture"},
    };
    for (const Case& c : cases) {
        const CliRun run = Cli(c.arguments);
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.err.contains(c.says)) << run.err.toStdString();
        EXPECT_EQ(FileBytes(m_path), before);
    }
}
