// velvane-cli import: one line per declaration, textures added to the catalog, and the exit
// statuses: 0 when every file was read, 1 when one cannot be read or parsed (nothing saved),
// 2 for a usage error.

#include "clirunner.h"
#include "core/catalog/catalog.h"
#include "core/model/sourcetexture.h"
#include "core/model/texture.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class ImportCliTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(m_dir.isValid()); }

    CliRun Cli(const QStringList& arguments) {
        return CliRunner(QStringLiteral(VELVANE_CLI))
            .Set(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"))
            .SetWorkingDirectory(m_dir.path())
            .Run(arguments);
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    void Write(const QString& name, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(Path(name)).path());
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Bytes(const QString& name) const {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    Catalog Load(const QString& name) const {
        const QByteArray bytes = Bytes(name);
        Catalog catalog;
        const auto error = catalog.Load(
            {reinterpret_cast<const std::uint8_t*>(bytes.constData()), std::size_t(bytes.size())});
        EXPECT_FALSE(error);
        return catalog;
    }

    QTemporaryDir m_dir;
};

const QByteArray kSource =
    "#declare Tint = rgb <1, 0.5, 0>;\n"
    "// A warm orange\n"
    "#declare Orange = texture { pigment { Tint } finish { phong 0.5 } }\n"
    "#declare Glassy = texture { pigment { Tint transmit 0.5 } }\n"
    "#declare Marbled = pigment { marble color_map { [0 Tint] [1 rgb 1] } }\n"
    "#declare Lost = texture { Nowhere }\n";

} // namespace

TEST_F(ImportCliTest, EachDeclarationGetsALineAndEachImportedOneATexture) {
    Write("lib/orange.inc", kSource);
    CliRun run = Cli({"import", "new.vlv", "lib/orange.inc"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "lib/orange.inc:3: imported Orange\n"
                       "lib/orange.inc:4: source Glassy: transmit 0.5 cannot be held\n"
                       "lib/orange.inc:5: imported Marbled\n"
                       "lib/orange.inc:6: skipped Lost: Nowhere is not declared\n");
    EXPECT_EQ(run.err, "2 exact, 1 source, 0 approximated, 1 skipped; new.vlv holds 3 textures.\n");
    Catalog catalog = Load("new.vlv");
    ASSERT_EQ(catalog.GetCount(), 3);
    EXPECT_EQ(catalog.GetTexture(0).GetName(), "Orange");
    EXPECT_EQ(catalog.GetTexture(0).GetDescription(), "A warm orange");
    EXPECT_EQ(catalog.GetTexture(1).GetName(), "Glassy");
    EXPECT_EQ(catalog.GetTexture(1).GetSource({}),
              "texture {\r\n  pigment {\r\n    rgbft <1, 0.5, 0, 0, 0> transmit 0.5\r\n  }\r\n}");
    EXPECT_EQ(catalog.GetTexture(2).GetName(), "Marbled");

    // Into the catalog that is there now, approximating what cannot be held; the names taken
    // get free ones.
    run = Cli({"import", "new.vlv", "--approximate", "lib/orange.inc"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    const QList<QByteArray> lines = run.out.split('\n');
    ASSERT_GE(lines.size(), 4);
    EXPECT_EQ(lines[1], "lib/orange.inc:3: Orange is already in the catalog; it is named Orange_2");
    EXPECT_EQ(lines[2], "lib/orange.inc:4: approximated Glassy: transmit taken as filter");
    EXPECT_EQ(lines[3], "lib/orange.inc:4: Glassy is already in the catalog; it is named Glassy_2");
    EXPECT_EQ(run.err, "2 exact, 0 source, 1 approximated, 1 skipped; new.vlv holds 6 textures.\n");
    EXPECT_EQ(Load("new.vlv").GetTexture(5).GetName(), "Marbled_2");
}

TEST_F(ImportCliTest, AsSourceKeepsEveryDeclarationAsItsText) {
    Write("lib/orange.inc", kSource);
    CliRun run = Cli({"import", "src.vlv", "lib/orange.inc", "--as-source"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "lib/orange.inc:3: source Orange\n"
                       "lib/orange.inc:4: source Glassy\n"
                       "lib/orange.inc:5: source Marbled\n"
                       "lib/orange.inc:6: skipped Lost: Nowhere is not declared\n");
    EXPECT_EQ(run.err, "0 exact, 3 source, 0 approximated, 1 skipped; src.vlv holds 3 textures.\n");
    run = Cli({"list", "src.vlv"});
    EXPECT_EQ(run.out.split('\n')[0], "0\tsource\t0x0\tOrange");
    run = Cli({"source", "src.vlv", "-i", "2"});
    EXPECT_EQ(run.out, "#declare Marbled = pigment {\r\n"
                       "  marble color_map {\r\n"
                       "    [0 rgbft <1, 0.5, 0, 0, 0>]\r\n"
                       "    [1 rgb 1]\r\n"
                       "  }\r\n"
                       "}\r\n\r\n");
    run = Cli({"import", "src.vlv", "lib/orange.inc", "--as-source", "--approximate"});
    EXPECT_EQ(run.status, 2);
    EXPECT_TRUE(run.err.contains("--approximate and --as-source exclude each other"))
        << run.err.toStdString();
}

TEST_F(ImportCliTest, IncludesAreFoundBesideTheFileAndOnTheIncludePaths) {
    Write("shared/tints.inc", "#declare Tint = rgb <0, 0, 1>;\n");
    Write("lib/local.inc", "#declare Shade = 0.5;\n");
    Write("lib/main.pov", "#include \"local.inc\"\n#include \"tints.inc\"\n"
                          "#declare Blue = pigment { Tint * Shade }\n");
    CliRun run = Cli({"import", "c.vlv", "lib/main.pov"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "lib/main.pov:2: the include file \"tints.inc\" cannot be found\n");
    EXPECT_FALSE(QFile::exists(Path("c.vlv"))) << "nothing is saved";

    run = Cli({"import", "c.vlv", "lib/main.pov", "--include-path", Path("shared")});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "lib/main.pov:3: imported Blue\n");

    // A file that only includes others brings in theirs, counted per file.
    Write("lib/stones.inc", "#include \"one.inc\"\n#include \"two.inc\"\n");
    Write("lib/one.inc", "#declare Stone = pigment { rgb 0.5 }\n");
    Write("lib/two.inc", "#declare Glass = pigment { rgbt 0.5 }\n");
    run = Cli({"import", "s.vlv", "lib/stones.inc"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out, "lib/one.inc:1: imported Stone\n"
                       "lib/two.inc:1: source Glass: transmit 0.5 cannot be held\n");
    EXPECT_EQ(run.err, "lib/stones.inc: 0 exact, 0 source, 0 approximated, 0 skipped\n"
                       "lib/one.inc: 1 exact, 0 source, 0 approximated, 0 skipped\n"
                       "lib/two.inc: 0 exact, 1 source, 0 approximated, 0 skipped\n"
                       "1 exact, 1 source, 0 approximated, 0 skipped; s.vlv holds 2 textures.\n");

    // Files chosen together, one including the other, each give theirs.
    run = Cli({"import", "t.vlv", "lib/stones.inc", "lib/two.inc"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "lib/stones.inc: 0 exact, 0 source, 0 approximated, 0 skipped\n"
                       "lib/two.inc: 0 exact, 1 source, 0 approximated, 0 skipped\n"
                       "lib/one.inc: 1 exact, 0 source, 0 approximated, 0 skipped\n"
                       "1 exact, 1 source, 0 approximated, 0 skipped; t.vlv holds 2 textures.\n");
}

TEST_F(ImportCliTest, AFileThatCannotBeReadOrParsedLeavesTheCatalogAsItWas) {
    Write("good.inc", kSource);
    ASSERT_EQ(Cli({"import", "cat.vlv", "good.inc"}).status, 0);
    const QByteArray before = Bytes("cat.vlv");

    Write("broken.inc", "#declare A = texture {\n  pigment { rgb 1 }\n");
    CliRun run = Cli({"import", "cat.vlv", "good.inc", "broken.inc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "broken.inc:1: the block opened here is never closed\n");
    EXPECT_TRUE(run.out.isEmpty());

    run = Cli({"import", "cat.vlv", "missing.inc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "missing.inc:1: missing.inc was not found.\n");

    Write("a.inc", "#include \"b.inc\"\n");
    Write("b.inc", "#include \"a.inc\"\n");
    run = Cli({"import", "cat.vlv", "a.inc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "a.inc:1: the includes loop: b.inc -> a.inc -> b.inc\n");

    // A hundred megabytes (a sparse file) are refused before they are read.
    QFile big(Path("big.inc"));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(100 << 20));
    big.close();
    run = Cli({"import", "cat.vlv", "big.inc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err,
              "big.inc:1: big.inc is larger than 64 MB, too large for a texture source file.\n");

    EXPECT_EQ(Bytes("cat.vlv"), before);
}

TEST_F(ImportCliTest, RefusalsAndDescriptionsBringNoTerminalEscapes) {
    Write("esc.inc", "#declare A = 1;\n#include \"\x1b]0;owned\x07\x1b[2J.inc\"\n");
    CliRun run = Cli({"import", "c.vlv", "esc.inc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, "esc.inc:2: the include file \"\\x1b]0;owned\\x07\\x1b[2J.inc\" cannot "
                       "be found\n");

    Write("desc.inc", "// Red \x1b[31mmarble\xC2\x9B"
                      "2J\n"
                      "#declare Red_Marble = texture { pigment { rgb <1, 0, 0> } }\n");
    run = Cli({"import", "c.vlv", "desc.inc"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(Load("c.vlv").GetTexture(0).GetDescription(), "Red [31mmarble2J");
}

TEST_F(ImportCliTest, ACatalogArgumentThatIsNoCatalogIsRefusedUntouched) {
    Write("textures.inc", kSource);
    const CliRun run = Cli({"import", "textures.inc", "textures.inc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.startsWith("Unexpected file format.")) << run.err.toStdString();
    EXPECT_EQ(Bytes("textures.inc"), kSource);
}

TEST_F(ImportCliTest, UsageErrorsExitWithTwo) {
    Write("s.inc", kSource);
    for (const QStringList& arguments :
         {QStringList{"import", "c.vlv"}, QStringList{"import", "c.vlv", "s.inc", "--bogus"},
          QStringList{"import", "c.vlv", "s.inc", "--include-path"}}) {
        const CliRun run = Cli(arguments);
        EXPECT_EQ(run.status, 2) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.err.contains("usage: velvane-cli")) << run.err.toStdString();
        EXPECT_FALSE(QFile::exists(Path("c.vlv")));
    }
}

TEST_F(ImportCliTest, ACatalogOfOneTextureIsCountedInTheSingular) {
    Write("one.inc", "#declare Only = texture { pigment { rgb <1, 0, 0> } }\n");
    const CliRun run = Cli({"import", "one.vlv", "one.inc"});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.err, "1 exact, 0 source, 0 approximated, 0 skipped; one.vlv holds 1 texture.\n");
}

TEST_F(ImportCliTest, ARefusedSourceTextureIsNeitherExportedNorRenderedButSaysWhy) {
    SourceTexture fine;
    fine.SetName("Fine");
    fine.SetText("texture { pigment { rgb 1 } }");
    SourceTexture sneaky = fine;
    sneaky.SetName("Sneaky");
    sneaky.SetText("texture { pigment { rgb 1 } }\r\n#fopen F \"opened.txt\" write");
    Catalog catalog;
    catalog.AddTexture(fine);
    catalog.AddTexture(sneaky);
    const auto bytes = catalog.Save();
    Write("mixed.vlv", QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                  static_cast<qsizetype>(bytes.size())));
    const std::string why =
        "The source texture \"Sneaky\" is refused: line 2: it holds the directive #fopen.";

    CliRun run = Cli({"source", "mixed.vlv", "-i", "0"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "#declare Fine = texture { pigment { rgb 1 } }\r\n\r\n");
    run = Cli({"source", "mixed.vlv"});
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.out.isEmpty());
    EXPECT_TRUE(run.err.contains(QByteArray::fromStdString(why))) << run.err.toStdString();
    run = Cli({"export", "mixed.vlv", "-i", "1", "out.inc"});
    EXPECT_EQ(run.status, 1);
    EXPECT_FALSE(QFile::exists(Path("out.inc")));

    run = Cli({"render", "mixed.vlv", "-i", "1"});
    EXPECT_NE(run.status, 0);
    EXPECT_TRUE(run.err.contains(QByteArray::fromStdString(why))) << run.err.toStdString();
}
