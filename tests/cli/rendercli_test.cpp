#include "clirunner.h"
#include "core/catalog/catalog.h"
#include "samplecatalog.h"

#include <QFile>
#include <QImage>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

class RenderCliTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Catalog sample = BuildSampleCatalog();
        Catalog catalog;
        for (int index : {2, 16})
            catalog.AddTexture(sample.GetTexture(index));
        const auto bytes = catalog.Save();
        QFile file(Path("two.vlv"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<qsizetype>(bytes.size()));
    }
    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }

    /// Runs the tool with the render folder inside the test's folder.
    CliRun Cli(QStringList arguments, bool renders = true) {
        if (renders)
            arguments << "--program-dir" << Path("render");
        // The user's own settings must not reach the tests.
        return CliRunner(QStringLiteral(VELVANE_CLI))
            .Set(QStringLiteral("XDG_CONFIG_HOME"), Path("config"))
            .Run(arguments);
    }

    QTemporaryDir m_dir;
};

} // namespace

TEST_F(RenderCliTest, RenderThumbnailAndSheet) {
    const CliRun render = Cli({"render", Path("two.vlv"), "--jobs", "3"});
    ASSERT_EQ(render.status, 0) << render.err.toStdString();
    EXPECT_TRUE(render.err.contains("Rendering texture 1 of 2"));
    EXPECT_EQ(Cli({"list", Path("two.vlv")}, false).out,
              "0\tsimple\t120x120\tWhite Marble\n1\tlayered\t120x120\tVeined Stone\n");

    ASSERT_EQ(Cli({"thumbnail", Path("two.vlv"), "-i", "1", Path("layered.png")}, false).status, 0);
    const QImage png(Path("layered.png"));
    EXPECT_EQ(png.size(), QSize(120, 120));
    ASSERT_EQ(Cli({"thumbnail", Path("two.vlv"), "-i", "0", Path("marble.bmp")}, false).status, 0);
    EXPECT_EQ(QFile(Path("marble.bmp")).size(), 54 + 120 * 360);

    ASSERT_EQ(Cli({"sheet", Path("two.vlv"), Path("sheet.png"), "--width", "400"}, false).status,
              0);
    const QImage sheet(Path("sheet.png"));
    EXPECT_EQ(sheet.width(), 400);
    EXPECT_EQ(sheet.height(), 20 + 120 + 33); // both cells fit on one row
    EXPECT_EQ(sheet.pixelColor(2, 2), QColor(192, 192, 192));
    EXPECT_EQ(png.pixelColor(60, 60), sheet.pixelColor(165 + 60, 20 + 60)); // the thumbnail, 1:1
}

TEST_F(RenderCliTest, LayersOnlyAndRenderFailures) {
    ASSERT_EQ(Cli({"render", Path("two.vlv"), "--layers"}).status, 0);
    EXPECT_EQ(Cli({"list", Path("two.vlv")}, false).out,
              "0\tsimple\t0x0\tWhite Marble\n1\tlayered\t0x0\tVeined Stone\n");
    EXPECT_EQ(Cli({"thumbnail", Path("two.vlv"), "-i", "1", Path("x.png")}, false).status, 1);

    const CliRun missing = Cli({"render", Path("two.vlv"), "--pov", Path("no-povray")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_TRUE(missing.err.contains(
        "Error executing POV-RAY. Make sure the path in the Preferences is valid."));
    EXPECT_EQ(Cli({"render", Path("two.vlv"), "--composite", "--layers"}).status, 2);
}

TEST_F(RenderCliTest, TextureMapsAndShapes) {
    const CliRun mirrored = Cli({"texmap", Path("two.vlv"), "-i", "0", "--width", "40", "--height",
                                 "30", "--tile", "mirror", Path("map.bmp")});
    ASSERT_EQ(mirrored.status, 0) << mirrored.err.toStdString();
    // The doubled size is told, not left to be found in the file.
    EXPECT_TRUE(mirrored.err.endsWith(
        ("wrote " + Path("map.bmp") + ", 80 x 60 pixels (mirrored from 40 x 30)\n").toUtf8()))
        << mirrored.err.toStdString();
    EXPECT_TRUE(mirrored.out.isEmpty());
    QFile map(Path("map.bmp"));
    ASSERT_TRUE(map.open(QIODevice::ReadOnly));
    const QByteArray bmp = map.readAll();
    EXPECT_EQ(bmp.size(), 54 + 60 * 240); // 80 x 60 after mirroring, rows of 240 bytes
    EXPECT_EQ(bmp.left(2), "BM");
    EXPECT_EQ(
        Cli({"texmap", Path("two.vlv"), "-i", "0", "--width", "5", "--height", "30", Path("m.bmp")})
            .status,
        2);
    // Maps may be 8192 pixels on a side.
    const CliRun wide = Cli({"texmap", Path("two.vlv"), "-i", "0", "--width", "8192", "--height",
                             "10", "--tile", "edge-fade", Path("wide.bmp")});
    ASSERT_EQ(wide.status, 0) << wide.err.toStdString();
    EXPECT_TRUE(wide.err.endsWith(("wrote " + Path("wide.bmp") + ", 8192 x 10 pixels\n").toUtf8()))
        << wide.err.toStdString();
    EXPECT_EQ(QImage(Path("wide.bmp")).size(), QSize(8192, 10));
    const CliRun tooWide = Cli(
        {"texmap", Path("two.vlv"), "-i", "0", "--width", "8193", "--height", "10", Path("m.bmp")});
    EXPECT_EQ(tooWide.status, 2);
    EXPECT_TRUE(tooWide.err.startsWith(
        "velvane-cli: option --width needs a whole number from 10 to 8192, not '8193'\n"))
        << tooWide.err.toStdString();

    const CliRun shapes = Cli({"shapes"});
    ASSERT_EQ(shapes.status, 0);
    const QList<QByteArray> lines = shapes.out.trimmed().split('\n');
    ASSERT_EQ(lines.size(), 34);
    EXPECT_EQ(lines[4], "4\tPlane(Y)\tClear plane on the y-axis with one light source");
    EXPECT_EQ(lines[32], "32\tUSER20\tClear sphere with one light source");
    EXPECT_TRUE(lines[33].startsWith("33\tUnit Sphere\tClear sphere of radius 1"));
}
