#include "clirunner.h"
#include "core/catalog/catalog.h"
#include "core/catalog/exportsource.h"
#include "samplecatalog.h"
#include "testfiles.h"
#include "testsupport.h"
#include "texturefactory.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cctype>
#include <gtest/gtest.h>

namespace {

CliRun Cli(const QStringList& arguments,
           const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    return CliRunner(QStringLiteral(VELVANE_CLI), environment)
        .Set(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"))
        .Run(arguments, 60000);
}

QByteArray ToQt(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

class CliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_catalog = BuildSampleCatalog();
        m_path = m_dir.filePath(QStringLiteral("sample.vlv"));
        PutFile(m_path, ToQt(m_catalog.Save()));
    }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromUtf8(name)); }

    QTemporaryDir m_dir;
    Catalog m_catalog;
    QString m_path;
};

} // namespace

TEST_F(CliTest, ListShowsKindSizeAndName) {
    const CliRun run = Cli({"list", m_path});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.split('\n');
    EXPECT_EQ(lines[0], "0\tsimple\t0x0\tCherry Wood");
    EXPECT_EQ(lines[16], "16\tlayered\t0x0\tVeined Stone");
    EXPECT_EQ(lines.size(), 18); // 17 lines and the empty piece after the last line feed
}

TEST_F(CliTest, ListShowsThumbnailSizes) {
    Catalog catalog;
    SimpleTexture texture = MakeTexture("Rendered");
    std::vector<std::uint8_t> pixels(120 * 90 * 3);
    texture.Thumbnail().SetBits(120, 90, pixels, false);
    catalog.AddTexture(texture);
    PutFile(Path("one.vlv"), ToQt(catalog.Save()));
    EXPECT_EQ(Cli({"list", Path("one.vlv")}).out, "0\tsimple\t120x90\tRendered\n");
}

TEST_F(CliTest, SourceIsTheExportTextByteForByte) {
    CliRun all = Cli({"source", m_path});
    ASSERT_EQ(all.status, 0);
    std::vector<int> indices(17);
    for (int i = 0; i < 17; ++i)
        indices[static_cast<std::size_t>(i)] = i;
    EXPECT_EQ(all.out.toStdString(), ExportSourceText(m_catalog, indices, SourceFlag::Declare));

    CliRun some = Cli({"source", m_path, "-i", "4", "--no-finish", "-i", "1", "--no-normal"});
    ASSERT_EQ(some.status, 0);
    EXPECT_EQ(some.out.toStdString(),
              ExportSourceText(m_catalog, {4, 1},
                               SourceFlag::Declare | SourceFlag::NoFinish | SourceFlag::NoNormal));
    EXPECT_TRUE(some.out.startsWith("// Speckled grey granite"));
    EXPECT_TRUE(some.out.endsWith("}\r\n\r\n"));
    EXPECT_EQ(some.out.indexOf(','), some.out.indexOf("rgb<") + 9); // decimal points, not commas
}

TEST_F(CliTest, ExportRefusesAnExistingFileUnlessTold) {
    const QString out = Path("out.inc");
    ASSERT_EQ(Cli({"export", m_path, out, "-i", "0"}).status, 0);
    const QByteArray once = FileBytes(out);
    EXPECT_EQ(once.toStdString(), ExportSourceText(m_catalog, {0}, SourceFlag::Declare));
    EXPECT_EQ(once.count("\r\r"), 0);

    const CliRun refused = Cli({"export", m_path, out, "-i", "1"});
    EXPECT_EQ(refused.status, 1);
    EXPECT_TRUE(refused.err.contains("File already exists"));
    EXPECT_EQ(FileBytes(out), once);

    ASSERT_EQ(Cli({"export", m_path, out, "-i", "0", "--append"}).status, 0);
    EXPECT_EQ(FileBytes(out), once + once);
    ASSERT_EQ(Cli({"export", m_path, out, "-i", "0", "--overwrite"}).status, 0);
    EXPECT_EQ(FileBytes(out), once);
}

TEST_F(CliTest, ResaveWritesTheSameBytes) {
    TextureFactory factory(5);
    Catalog random = factory.MakeCatalog(12, 30);
    PutFile(Path("random.vlv"), ToQt(random.Save()));
    for (const QString& source : {m_path, Path("random.vlv")}) {
        const QString out = Path("resaved.vlv");
        ASSERT_EQ(Cli({"resave", source, out}).status, 0);
        EXPECT_EQ(FileBytes(out), FileBytes(source));
    }
    const QStringList leftovers = QDir(m_dir.path()).entryList(QDir::Files);
    EXPECT_EQ(leftovers.size(), 3) << leftovers.join(',').toStdString(); // no temporary files left
}

TEST_F(CliTest, DumpIsJsonWithEveryField) {
    const CliRun run = Cli({"dump", m_path});
    ASSERT_EQ(run.status, 0);
    QJsonParseError error;
    const QJsonDocument json = QJsonDocument::fromJson(run.out, &error);
    ASSERT_EQ(error.error, QJsonParseError::NoError) << error.errorString().toStdString();
    const QJsonArray textures = json.object()["textures"].toArray();
    ASSERT_EQ(textures.size(), 17);
    const QJsonObject cherry = textures[0].toObject();
    EXPECT_EQ(cherry["name"].toString(), "Cherry Wood");
    EXPECT_EQ(cherry["pigment"].toObject()["pattern"].toInt(), 9);
    EXPECT_EQ(static_cast<float>(cherry["pigment"]
                                     .toObject()["transformations"]
                                     .toObject()["scale"]
                                     .toArray()[0]
                                     .toDouble()),
              0.3f);
    EXPECT_EQ(cherry["finish"].toObject()["specular"].toInt(), 30);
    EXPECT_EQ(cherry["thumbnail"].toObject()["width"].toInt(), 0);
    const QJsonObject layered = textures[16].toObject();
    EXPECT_EQ(layered["class"].toString(), "CMaterialMultipleObject");
    EXPECT_EQ(layered["layers"].toArray().size(), 2);
    EXPECT_EQ(layered["layers"]
                  .toArray()[1]
                  .toObject()["pigment"]
                  .toObject()["colorMap"]
                  .toObject()["count"]
                  .toInt(),
              3);
}

TEST_F(CliTest, FailuresAndUsageErrorsHaveTheirStatus) {
    PutFile(Path("bad.vlv"), QByteArray("\x01\x01\x00\xFF\xFF\x02\x00", 7));
    const CliRun bad = Cli({"list", Path("bad.vlv")});
    EXPECT_EQ(bad.status, 1);
    // The standard text, then the file and why it was refused.
    EXPECT_EQ(bad.err.toStdString(),
              "Unexpected file format.\n" + Path("bad.vlv").toStdString() +
                  ": the file ends in the middle of a value (it is cut short).\n");

    const CliRun missing = Cli({"list", Path("missing.vlv")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.err.toStdString(), Path("missing.vlv").toStdString() + " was not found.\n");

    EXPECT_EQ(Cli({}).status, 2);
    EXPECT_EQ(Cli({"frobnicate"}).status, 2);
    EXPECT_EQ(Cli({"list"}).status, 2);
    EXPECT_EQ(Cli({"source", m_path, "-i", "17"}).status, 2);
    EXPECT_EQ(Cli({"source", m_path, "-i", "x"}).status, 2);
    EXPECT_EQ(Cli({"source", m_path, "--bogus"}).status, 2);
    EXPECT_EQ(Cli({"export", m_path, Path("x.inc"), "--append", "--overwrite"}).status, 2);
    EXPECT_EQ(Cli({"--help"}).status, 0);
}

TEST_F(CliTest, AnIndexOutOfRangeNamesTheCountInPlainEnglish) {
    Catalog one;
    one.AddTexture(m_catalog.GetTexture(0));
    PutFile(Path("one.vlv"), ToQt(one.Save()));
    const CliRun run = Cli({"source", Path("one.vlv"), "-i", "3"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("(the catalog holds 1 texture)")) << run.err.toStdString();
    const CliRun many = Cli({"source", m_path, "-i", "999"});
    EXPECT_TRUE(many.err.contains(
        QStringLiteral("(the catalog holds %1 textures)").arg(m_catalog.GetCount()).toUtf8()))
        << many.err.toStdString();
}

TEST_F(CliTest, ASheetSaysNothingOnStderrWithoutARuntimeFolder) {
    // Drawing starts a GUI application, which asks Qt for the runtime folder.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    const CliRun run = Cli({"sheet", m_path, Path("quiet.png")}, environment);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, QByteArray());
    EXPECT_TRUE(QFile::exists(Path("quiet.png")));
}

TEST_F(CliTest, OtherQtWarningsStillShowWithoutARuntimeFolder) {
    // A platform that does not exist: Qt says so, and the filter lets it through.
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("no-such-platform"));
    const CliRun run = Cli({"sheet", m_path, Path("sheet.png")}, environment);
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains("no-such-platform")) << run.err.toStdString();
    EXPECT_FALSE(run.err.contains("XDG_RUNTIME_DIR")) << run.err.toStdString();
}

TEST_F(CliTest, AUsageErrorShowsItsMessageAndThatCommandsUsageOnly) {
    const CliRun wrong = Cli({"source", m_path, "--bogus"});
    EXPECT_EQ(wrong.status, 2);
    EXPECT_EQ(wrong.err.toStdString(),
              "velvane-cli: unknown option --bogus\n"
              "usage: velvane-cli source CATALOG [-i N]... [--no-finish] [--no-normal]\n");
    EXPECT_TRUE(wrong.out.isEmpty());

    // A usage of two lines keeps its second line under the first.
    const CliRun texmap = Cli({"texmap", m_path});
    EXPECT_EQ(texmap.status, 2);
    EXPECT_EQ(texmap.err.toStdString(),
              "velvane-cli: option --width needs a whole number from 10 to 8192, not ''\n"
              "usage: velvane-cli texmap CATALOG -i N --width W --height H "
              "[--tile none|edge-fade|mirror]\n"
              "                          [--brightness B | --keep-finish] [--antialias] "
              "OUT.bmp\n");

    const CliRun unknown = Cli({"frobnicate"});
    EXPECT_EQ(unknown.status, 2);
    EXPECT_EQ(unknown.err.toStdString(),
              "velvane-cli: unknown command frobnicate\n"
              "usage: velvane-cli COMMAND ... (velvane-cli --help lists the commands)\n");

    // The whole summary only when asked for, or when no command is given at all.
    const CliRun help = Cli({"--help"});
    EXPECT_TRUE(help.out.startsWith("usage: velvane-cli COMMAND ...\n\n  list CATALOG\n"));
    EXPECT_TRUE(
        help.out.contains("  sheet CATALOG OUT.png [--width PX]\n"
                          "      draws the catalog's grid as the catalog window shows it\n"));
    EXPECT_TRUE(help.out.contains(
        "  import CATALOG FILE... [--include-path DIR]... [--approximate | --as-source]\n"));
    EXPECT_EQ(help.out.count("\n"), 39);
    EXPECT_EQ(Cli({}).err, help.out);

    // Mirror's doubled size is in the help, not only in the file.
    EXPECT_TRUE(help.out.contains(
        "      renders a texture map as a W x H BMP file; --tile mirror makes it 2W x 2H\n"));
    EXPECT_TRUE(Cli({"texmap", "--help"}).out.contains("--tile mirror makes it 2W x 2H"));

    const CliRun one = Cli({"list", "--help"});
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.out.toStdString(), "usage: velvane-cli list CATALOG\n"
                                     "      one line per texture: index, simple or layered, "
                                     "thumbnail size, name\n");
}

TEST_F(CliTest, SampleCatalogMatchesItsDefinition) {
    // examples/sample.vlv is generated from the sample definitions; thumbnails aside it must
    // hold exactly those textures.
    Catalog shipped;
    const auto bytes = ReadFileBytes(VELVANE_SOURCE_DIR "/examples/sample.vlv");
    ASSERT_FALSE(shipped.Load(bytes).has_value());
    for (int i = 0; i < shipped.GetCount(); ++i)
        shipped.GetTexture(i).Thumbnail() = Bitmap();
    EXPECT_EQ(shipped.GetCount(), m_catalog.GetCount());
    for (int i = 0; i < shipped.GetCount() && i < m_catalog.GetCount(); ++i)
        EXPECT_EQ(shipped.GetTexture(i).GetSource(SourceFlag::Declare),
                  m_catalog.GetTexture(i).GetSource(SourceFlag::Declare));
}

namespace {

QString SourceText(const char* relative) {
    return QString::fromUtf8(FileBytes(QStringLiteral(VELVANE_SOURCE_DIR "/") + relative));
}

/// The commands and the options that `velvane-cli --help` names.
void HelpWords(QStringList& commands, QStringList& options) {
    const CliRun help = Cli({"--help"});
    for (const QByteArray& line : help.out.split('\n')) {
        if (line.startsWith("  ") && line.size() > 2 && std::islower(line[2]))
            commands << QString::fromUtf8(line.mid(2, line.indexOf(' ', 2) - 2));
    }
    static const QRegularExpression option(QStringLiteral("(--[a-z][a-z-]*|-i)\\b"));
    for (auto match = option.globalMatch(QString::fromUtf8(help.out)); match.hasNext();) {
        const QString word = match.next().captured(1);
        if (!options.contains(word))
            options << word;
    }
}

} // namespace

TEST(CliDocumentation, TheManPageAndTheCompletionNameEveryCommandAndOption) {
    QStringList commands;
    QStringList options;
    HelpWords(commands, options);
    ASSERT_EQ(commands.size(), 14);
    ASSERT_GE(options.size(), 20);

    const QString manPage = SourceText("resources/man/velvane-cli.1");
    const QString completion = SourceText("resources/completion/velvane-cli");
    for (const QString& command : commands) {
        EXPECT_TRUE(manPage.contains(QStringLiteral("\n.B ") + command))
            << "velvane-cli.1 does not describe " << command.toStdString();
        EXPECT_TRUE(completion.contains(QRegularExpression(QStringLiteral("commands=\"[^\"]*\\b") +
                                                           command + QStringLiteral("\\b"))))
            << "the completion does not offer " << command.toStdString();
    }
    for (const QString& option : options) {
        QString roff = option;
        roff.replace(QLatin1Char('-'), QStringLiteral("\\-"));
        EXPECT_TRUE(manPage.contains(roff))
            << "velvane-cli.1 does not name " << option.toStdString();
        EXPECT_TRUE(completion.contains(option))
            << "the completion does not offer " << option.toStdString();
    }
}

TEST(CliDocumentation, VersionIsTheProjectsVersion) {
    const CliRun run = Cli({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.toStdString(), "velvane-cli " VELVANE_VERSION "\n");
}
