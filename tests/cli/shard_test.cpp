// Thumbnails rendered in shards by separate runs, as a batch system spreads them over machines,
// and merged back into the catalog.

#include "clirunner.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "samplecatalog.h"
#include "testfiles.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace {

SimpleTexture Solid(const std::string& name, std::uint8_t red, std::uint8_t green) {
    SimpleTexture texture;
    texture.SetName(name);
    texture.pigment.color = {red, green, 90, 0};
    return texture;
}

QByteArray Bytes(const Catalog& catalog) {
    const auto bytes = catalog.Save();
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

class ShardCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    CliRunner Tool() const {
        // The user's own settings must not reach the tests.
        return CliRunner(QStringLiteral(VELVANE_CLI))
            .Set(QStringLiteral("XDG_CONFIG_HOME"), Path("config"));
    }
    CliRun Cli(QStringList arguments) const {
        return Tool().Run(arguments << "--program-dir" << Path("render"));
    }
    CliRun Merge(const QStringList& arguments) const {
        return Tool().Run(QStringList{"merge"} + arguments);
    }
    /// Writes a catalog of solids with these names and reds, then the sample's layered texture.
    void PutCatalog(const QString& name, const std::vector<std::pair<std::string, int>>& solids,
                    bool layered = true) {
        Catalog catalog;
        for (const auto& [solid, red] : solids)
            catalog.AddTexture(Solid(solid, static_cast<std::uint8_t>(red), 120));
        if (layered)
            catalog.AddTexture(BuildSampleCatalog().GetTexture(16));
        PutFile(Path(name), Bytes(catalog));
    }

    QTemporaryDir m_dir;
};

TEST_F(ShardCliTest, FourShardsRunApartAndMergedEqualOneWholeRun) {
    PutCatalog("catalog.vlv", {{"A", 10}, {"B", 60}, {"C", 110}, {"D", 160}, {"E", 210}});
    const QByteArray unrendered = FileBytes(Path("catalog.vlv"));
    PutFile(Path("whole.vlv"), unrendered);
    const CliRun whole = Cli({"render", Path("whole.vlv")});
    ASSERT_EQ(whole.status, 0) << whole.err.toStdString();

    std::vector<std::unique_ptr<QProcess>> shards;
    for (int k = 1; k <= 4; ++k) {
        shards.push_back(std::make_unique<QProcess>());
        Tool().Start(*shards.back(),
                     {"render", Path("catalog.vlv"), "--shard", QStringLiteral("%1/4").arg(k),
                      "--out", Path(QStringLiteral("part%1.vlv").arg(k)), "--jobs", "1",
                      "--program-dir", Path(QStringLiteral("render%1").arg(k))});
    }
    // Six textures: shards 1 and 2 hold two each, 3 and 4 one.
    for (int k = 1; k <= 4; ++k) {
        const CliRun run = CliRunner::Finish(*shards[static_cast<std::size_t>(k - 1)]);
        ASSERT_EQ(run.status, 0) << run.err.toStdString();
        const int held = k <= 2 ? 2 : 1;
        EXPECT_TRUE(run.err.contains(
            QStringLiteral("Shard %1 of 4: %2 rendered.").arg(k).arg(held).toUtf8()))
            << run.err.toStdString();
        EXPECT_TRUE(run.err.endsWith(
            QStringLiteral(" %1 skipped: the other shards'.\n").arg(6 - held).toUtf8()))
            << run.err.toStdString();
    }
    EXPECT_EQ(FileBytes(Path("catalog.vlv")), unrendered);
    // A part opens as the catalog of its textures.
    EXPECT_EQ(Tool().Run({"list", Path("part2.vlv")}).out,
              "0\tsimple\t120x120\tB\n1\tlayered\t120x120\tVeined Stone\n");

    const CliRun merge = Merge({Path("catalog.vlv"), Path("part1.vlv"), Path("part2.vlv"),
                                Path("part3.vlv"), Path("part4.vlv")});
    ASSERT_EQ(merge.status, 0) << merge.err.toStdString();
    EXPECT_EQ(merge.err, "4 of 4 parts merged: the thumbnails of 6 textures taken.\n");
    EXPECT_EQ(FileBytes(Path("catalog.vlv")), FileBytes(Path("whole.vlv")));
}

TEST_F(ShardCliTest, ThumbnailsOfChangedTexturesAndOtherCatalogsAreRefused) {
    PutCatalog("catalog.vlv", {{"Red", 200}, {"Green", 20}});
    const CliRun render = Cli({"render", Path("catalog.vlv"), "--shard", "1/1", "--out",
                               Path("part.vlv"), "--composite"});
    ASSERT_EQ(render.status, 0) << render.err.toStdString();

    PutCatalog("other.vlv", {{"Blue", 1}, {"Grey", 2}, {"Black", 3}}, false);
    const QByteArray other = FileBytes(Path("other.vlv"));
    const CliRun refused = Merge({Path("other.vlv"), Path("part.vlv"), Path("catalog.vlv")});
    EXPECT_EQ(refused.status, 1);
    EXPECT_EQ(refused.err.toStdString(),
              (Path("part.vlv") +
               " was refused: none of its 3 textures is the texture at its place in the "
               "catalog; it was made from another catalog, or from those textures before they "
               "all changed.\n" +
               Path("catalog.vlv") +
               " is not a part file: it holds no list of the places of its textures "
               "(velvane-cli render --out writes one).\n"
               "0 of 2 parts merged: the thumbnails of 0 textures taken. The catalog was left "
               "as it was.\n")
                  .toStdString());
    EXPECT_EQ(FileBytes(Path("other.vlv")), other);

    // Green changed since; Red and the layered texture are as they were rendered.
    PutCatalog("edited.vlv", {{"Red", 200}, {"Green", 21}});
    const CliRun edited = Merge({Path("edited.vlv"), Path("part.vlv")});
    EXPECT_EQ(edited.status, 1);
    EXPECT_EQ(edited.err.toStdString(),
              (Path("part.vlv") + ": a thumbnail was refused: texture 1 \"Green\" has changed "
                                  "since the part was rendered.\n"
                                  "1 of 1 parts merged: the thumbnails of 2 textures taken, 1 "
                                  "refused (1 changed since, 0 no longer in the catalog).\n")
                  .toStdString());
    EXPECT_EQ(Tool().Run({"list", Path("edited.vlv")}).out,
              "0\tsimple\t120x120\tRed\n1\tsimple\t0x0\tGreen\n2\tlayered\t120x120\tVeined "
              "Stone\n");
    PutCatalog("short.vlv", {{"Red", 200}, {"Green", 20}}, false);
    const CliRun shorter = Merge({Path("short.vlv"), Path("part.vlv")});
    EXPECT_EQ(shorter.status, 1);
    EXPECT_TRUE(shorter.err.contains("texture 2 \"Veined Stone\" is no longer in the catalog"))
        << shorter.err.toStdString();
    EXPECT_TRUE(shorter.err.endsWith("1 refused (0 changed since, 1 no longer in the catalog).\n"));
}

TEST_F(ShardCliTest, WrongWordsAreRefusedBeforeAnythingIsRendered) {
    PutCatalog("catalog.vlv", {{"Red", 200}});
    PutFile(Path("notes.txt"), "not a part");
    const QString catalog = Path("catalog.vlv");
    const struct {
        QStringList arguments;
        int status;
        const char* message;
    } cases[] = {
        {{"--shard", "0/4", "--out", Path("p.vlv")}, 2, "option --shard needs K/N"},
        {{"--shard", "5/4", "--out", Path("p.vlv")}, 2, "from 1 to N, not '5/4'"},
        {{"--shard", "1/x", "--out", Path("p.vlv")}, 2, "not '1/x'"},
        {{"--shard", "1/2"}, 2, "--shard needs --out PART.vlv"},
        {{"--out", catalog}, 1, "is the catalog itself"},
        {{"--out", Path("notes.txt")}, 1, "exists and is not a part file, so it was not replaced"},
    };
    for (const auto& c : cases) {
        const CliRun run = Cli(QStringList{"render", catalog} + c.arguments);
        EXPECT_EQ(run.status, c.status) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains(c.message)) << run.err.toStdString();
        EXPECT_FALSE(run.err.contains("Rendering")) << run.err.toStdString();
    }
    EXPECT_EQ(FileBytes(Path("notes.txt")), "not a part");
    // A shard whose POV-Ray could not run leaves no part that merge would count as its own.
    EXPECT_EQ(Cli({"render", catalog, "--out", Path("p.vlv"), "--pov", Path("none")}).status, 1);
    EXPECT_EQ(FileBytes(Path("p.vlv")), "<missing>");
    EXPECT_EQ(Merge({catalog}).status, 2);
    const CliRun missing = Merge({catalog, Path("none.vlv")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.startsWith((Path("none.vlv") + " was not found.\n").toUtf8()))
        << missing.err.toStdString();
}

} // namespace
