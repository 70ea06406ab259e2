// Renders in scratch folders of their own: names that cannot smuggle POV-Ray text, relative
// file names resolved against the program directory in every kind of render, time limits and
// POV-Ray output that cannot grow without bound. All with the real POV-Ray unless a stand-in
// shell script must misbehave.

#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/simpletexture.h"
#include "core/shapes/customshape.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povversion.h"
#include "render/povray/texturemaprender.h"
#include "render/povray/thumbnailbatchrender.h"
#include "renderfixture.h"
#include "testfiles.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

/// A 4 x 4 uncompressed Targa: red and blue stripes.
void WriteStripedTarga(const QString& path) {
    QByteArray tga(18, '\0');
    tga[2] = 2;
    tga[12] = 4;
    tga[14] = 4;
    tga[16] = 24;
    for (int y = 0; y < 4; ++y)
        for (int x = 0; x < 4; ++x)
            tga += (x % 2) ? QByteArray("\xFF\x00\x00", 3) : QByteArray("\x00\x00\xFF", 3);
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tga);
}

SimpleTexture Named(const std::string& name) {
    SimpleTexture texture;
    texture.SetName(name);
    texture.pigment.pattern = Pigment::Agate;
    return texture;
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

TEST_F(RenderTest, EveryNameRendersAndNoneRunsDirectives) {
    const QString written = Path(QStringLiteral("written-by-pov"));
    const std::string target = written.toStdString();
    const std::vector<std::string> names = {
        "1st Coat", "sphere", "x", "Red-Brick", "v1.2", "Gr\u00fcn", "", std::string(300, 'n'),
        "texture",
        // A name that would end the declaration and open a file for writing.
        "T=texture{pigment{rgb\t1}}\n#fopen\tF\t\"" + target +
            "\"\twrite\n#write(F,\"x\")\n#declare U",
        "A\r\n#fopen F \"" + target + "\" write #declare B"};
    Catalog catalog;
    for (const std::string& name : names)
        catalog.AddTexture(Named(name));
    // An image file name that would do the same from inside its string: quotes and line breaks
    // are left out, so POV-Ray only looks for an odd file name (and does not find it).
    SimpleTexture image = Named("Image");
    image.pigment.pattern = Pigment::ImageMap;
    image.pigment.image.fileType = 1;
    image.pigment.image.fileName = "tile.tga\"\n#fopen F \"" + target + "\" write\n//";
    catalog.AddTexture(image);

    catalog.SelectAll();
    catalog.Deselect(static_cast<int>(names.size())); // the image is rendered on its own below
    const auto run = RunBatch(catalog, true, false, 4);
    const RenderResult& result = run->batch->Result();
    ASSERT_TRUE(result.Succeeded()) << result.message.toStdString();
    for (int i = 0; i < static_cast<int>(names.size()); ++i) {
        EXPECT_EQ(catalog.GetTexture(i).GetThumbnailWidth(), 120) << i;
        EXPECT_TRUE(HasDetail(catalog.GetTexture(i).Thumbnail())) << i;
    }

    PictureRender single(image, 40, 40);
    const RenderResult imageResult = Run(single);
    EXPECT_EQ(imageResult.status, RenderResult::PovRayFailed);
    EXPECT_TRUE(imageResult.message.contains("tile.tga#fopen F"))
        << imageResult.message.toStdString();
    EXPECT_FALSE(QFile::exists(written));
    EXPECT_EQ(Entries(m_dir.path()),
              QStringList()); // nothing was written into the program directory
}

TEST_F(RenderTest, RelativeFileNamesResolveInTheProgramDirectoryInEveryRender) {
    // An image map named without a folder, on a custom shape that includes a file of its own:
    // both lie in the program directory, while each render runs in a scratch folder.
    WriteStripedTarga(Path(QStringLiteral("tile.tga")));
    PutFile(Path(QStringLiteral("lights.inc")),
            "light_source {<-12, 27, -25> colour rgb<1.0,1.0,1.0>}\n");
    auto shape = std::make_unique<CustomShape>();
    shape->SetSource("#include \"temptx$$.!!!\"\r\n#include \"lights.inc\"\r\n"
                     "camera { location <0, 0, -10.5> look_at <0, 0, 0> }\r\n"
                     "plane { z, 0 texture {%%TEXTURE_NAME%%} }\r\n");
    m_shapes.push_back(std::move(shape));
    const auto shapeIndex = static_cast<std::uint8_t>(m_shapes.size() - 1);

    Catalog catalog;
    for (int i = 0; i < 6; ++i) {
        SimpleTexture tiled;
        tiled.SetName("Tiled " + std::to_string(i));
        tiled.pigment.pattern = Pigment::ImageMap;
        tiled.pigment.image.fileType = 1;
        tiled.pigment.image.fileName = "tile.tga";
        tiled.pigment.transformations.scale = {static_cast<float>(2 + i), 2, 1};
        tiled.SetPreviewShape(shapeIndex);
        catalog.AddTexture(tiled);
    }
    for (int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        catalog.SelectAll();
        const auto run = RunBatch(catalog, true, false, jobs);
        const RenderResult& result = run->batch->Result();
        ASSERT_TRUE(result.Succeeded()) << result.message.toStdString();
        for (int i = 0; i < catalog.GetCount(); ++i)
            EXPECT_TRUE(HasDetail(catalog.GetTexture(i).Thumbnail())) << i;
    }

    // A texture map and a single picture (the Preview's road) find them too.
    TextureMapRequest request;
    request.width = 32;
    request.height = 32;
    TextureMapRender mapRender(catalog.GetTexture(0), request);
    const RenderResult map = Run(mapRender);
    ASSERT_TRUE(map.Succeeded()) << map.message.toStdString();
    EXPECT_EQ(mapRender.Pixels().size(), 32u * 32u * 3u);
    PictureRender pictureRender(catalog.GetTexture(1), 48, 48);
    const RenderResult single = Run(pictureRender);
    ASSERT_TRUE(single.Succeeded()) << single.message.toStdString();
    EXPECT_TRUE(HasDetail(pictureRender.Picture()));
    // Only the user's own files are in the program directory.
    EXPECT_EQ(Entries(m_dir.path()),
              (QStringList{QStringLiteral("lights.inc"), QStringLiteral("tile.tga")}));
}

TEST_F(RenderTest, EachRunnerAndJobHasAScratchFolderOfItsOwn) {
    QString first;
    QString second;
    ASSERT_TRUE(m_runner->NewJobFolder(first).Succeeded());
    ASSERT_TRUE(m_runner->NewJobFolder(second).Succeeded());
    auto other = std::make_unique<PovRayRunner>(m_settings, m_shapes);
    QString third;
    ASSERT_TRUE(other->NewJobFolder(third).Succeeded());
    EXPECT_NE(first, second);
    EXPECT_EQ(QFileInfo(first).absolutePath(), QFileInfo(second).absolutePath());
    EXPECT_NE(QFileInfo(first).absolutePath(),
              QFileInfo(third).absolutePath()); // another process's area
    EXPECT_TRUE(Entries(first).isEmpty());
    EXPECT_FALSE(first.startsWith(m_dir.path()));
    PovRayRunner::RemoveJobFolder(first);
    EXPECT_FALSE(QFileInfo::exists(first));
    const QString area = QFileInfo(third).absolutePath();
    other.reset();
    EXPECT_FALSE(QFileInfo::exists(area)); // the area goes with its runner
}

TEST_F(RenderTest, AHangingPovRayIsEndedAtTheTimeLimit) {
    m_settings.povExecutable = FakePovRay(QStringLiteral("exec sleep 60"));
    m_settings.povCommandStyle = 2; // no version query of the stand-in
    m_settings.renderTimeLimit = 1;
    SimpleTexture texture = Named("Slow Stone");
    QElapsedTimer clock;
    clock.start();
    const RenderResult result = Thumbnail(texture, 40, 40);
    EXPECT_LT(clock.elapsed(), 10000);
    EXPECT_EQ(result.status, RenderResult::TimedOut);
    EXPECT_EQ(result.message,
              "POV-Ray did not finish rendering \"Slow Stone\" within 1 seconds and was ended.");
    EXPECT_EQ(texture.GetThumbnailWidth(), 0);
    EXPECT_EQ(m_queue->Left(), 0);

    // In a side-by-side batch each texture fails alone, and the batch goes on to its end.
    Catalog catalog;
    catalog.AddTexture(Named("A"));
    catalog.AddTexture(Named("B"));
    catalog.SelectAll();
    clock.restart();
    const auto run = RunBatch(catalog, true, false, 2);
    EXPECT_EQ(run->batch->Result().status, RenderResult::TimedOut);
    EXPECT_FALSE(run->batch->Summary().stopped);
    EXPECT_EQ(run->batch->Summary().failed,
              (QStringList{QStringLiteral("A"), QStringLiteral("B")}));
    EXPECT_LT(clock.elapsed(), 10000);
}

TEST_F(RenderTest, PovRayRunsWithItsAddressSpaceBoundedBelowTheMachinesMemory) {
    const QString limit = Path(QStringLiteral("limit.txt"));
    m_settings.povExecutable = FakePovRay(QStringLiteral("ulimit -v > '%1'; exit 1").arg(limit));
    m_settings.povCommandStyle = 2;
    SimpleTexture texture = Named("Bounded");
    Thumbnail(texture, 40, 40);
    const long long pages = sysconf(_SC_PHYS_PAGES) * sysconf(_SC_PAGESIZE);
    EXPECT_EQ(FileBytes(limit).trimmed().toLongLong() * 1024, PovRayMemoryLimit());
    EXPECT_LE(PovRayMemoryLimit(), std::max(pages / 2, 1LL << 30));
}

TEST_F(RenderTest, FloodsOfPovRayOutputKeepOnlyTheLastLines) {
    // 50 MB of wrapped continuation lines on the error stream once became a 49 MB message.
    m_settings.povExecutable = FakePovRay(QStringLiteral(
        "echo 'Parse Error: the start' >&2\n"
        "yes ' continued error text that POV-Ray wraps onto further lines' | head -c 50000000 >&2\n"
        "head -c 3000000 /dev/zero | tr '\\0' z >&2\n"
        "echo >&2\necho 'Parse Error: the end' >&2\nexit 1"));
    m_settings.povCommandStyle = 2;
    SimpleTexture texture = Named("Noisy");
    const RenderResult result = Thumbnail(texture, 40, 40);
    EXPECT_EQ(result.status, RenderResult::PovRayFailed);
    EXPECT_LT(result.message.size(), 12 * 1024);
    EXPECT_TRUE(result.message.endsWith("Parse Error: the end"))
        << result.message.right(200).toStdString();
}

TEST_F(RenderTest, TheVersionQueryRunsInAScratchFolder) {
    // The user's program may write where it runs: never into the folder the program (or the
    // test suite, in the source tree) was started from.
    const QString script = FakePovRay(
        QStringLiteral("pwd > '%1'\necho leftover > leftover.txt\necho 'POV-Ray 3.7.0.10'")
            .arg(Path("where")));
    EXPECT_EQ(PovVersionLine(VersionOutput(script)), QStringLiteral("POV-Ray 3.7.0.10"));
    QFile where(Path("where"));
    ASSERT_TRUE(where.open(QIODevice::ReadOnly));
    const QString folder = QString::fromLocal8Bit(where.readAll().trimmed());
    EXPECT_NE(QFileInfo(folder).canonicalFilePath(), QDir::current().canonicalPath());
    EXPECT_FALSE(QFile::exists(QStringLiteral("leftover.txt")));
    EXPECT_FALSE(QFileInfo::exists(folder)); // removed with what was left in it
}
