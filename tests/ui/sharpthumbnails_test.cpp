// Larger thumbnails for cells drawn at more pixels than the catalog's own: named after what
// they show, kept on disk within a limit, asked for only where the grid needs them, and drawn
// once they are there.

#include "appfixture.h"
#include "core/catalog/catalog.h"
#include "core/model/sourcetexture.h"
#include "ui/catalog/catalogdelegate.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/thumbnaildiskcache.h"

#include <QDateTime>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPainter>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStyleOptionViewItem>
#include <QTemporaryDir>
#include <QTest>
#include <csignal>
#include <fstream>
#include <gtest/gtest.h>
#include <set>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr int kOwn = 120;
constexpr QSize kLarge(256, 256);

std::unique_ptr<SourceTexture> Textured(const std::string& name, std::uint8_t shade) {
    auto texture = std::make_unique<SourceTexture>();
    texture->SetName(name);
    texture->SetKind(SourceTexture::PigmentKind);
    texture->SetText("pigment { rgb " + std::to_string(shade / 255.0) + " }");
    std::vector<std::uint8_t> pixels(kOwn * kOwn * 3, shade);
    texture->Thumbnail().SetBits(kOwn, kOwn, pixels, false);
    return texture;
}

QImage Solid(QSize size, QColor colour) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(colour);
    return image;
}

/// A key of the shape Key gives, all of `digit`.
QString Own(char digit) {
    return QString(32, QLatin1Char(digit));
}

void Age(const QString& path, int hours) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-3600LL * hours),
                                 QFileDevice::FileModificationTime));
}

/// Whether `cache` finds a picture under `key` (1) or none (0), asked in a child process of
/// at most 256 MB more than the test's: -1 when it takes more, fails, or has not answered within
/// five seconds.
int FindInChild(const ThumbnailDiskCache& cache, const QString& key) {
    const pid_t child = ::fork();
    if (child == 0) {
        long pages = 0;
        std::ifstream("/proc/self/statm") >> pages;
        const rlim_t room = static_cast<rlim_t>(pages) * ::sysconf(_SC_PAGESIZE) + (256 << 20);
        const rlimit limit{room, room};
        ::setrlimit(RLIMIT_AS, &limit);
        int found = 2;
        try {
            found = cache.Find(key, 256).isNull() ? 0 : 1;
        } catch (...) { // out of memory: the child must not go on with the tests
        }
        ::_exit(found);
    }
    int status = 0;
    if (child < 0 ||
        !QTest::qWaitFor([&] { return ::waitpid(child, &status, WNOHANG) == child; }, 5000)) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        return -1;
    }
    return WIFEXITED(status) && WEXITSTATUS(status) <= 1 ? WEXITSTATUS(status) : -1;
}

} // namespace

TEST(ThumbnailKeyTest, FollowsWhatTheTextureRenders) {
    const auto texture = Textured("Grey", 128);
    const auto same = Textured("Grey", 128);
    const QString key = ThumbnailDiskCache::Key(*texture, kLarge);
    EXPECT_EQ(key.size(), 32);
    EXPECT_EQ(ThumbnailDiskCache::Key(*same, kLarge), key);

    same->SetText("pigment { rgb 0.25 }");
    EXPECT_NE(ThumbnailDiskCache::Key(*same, kLarge), key);
    const auto shaped = Textured("Grey", 128);
    shaped->SetPreviewShape(static_cast<std::uint8_t>(texture->GetPreviewShape() + 1));
    EXPECT_NE(ThumbnailDiskCache::Key(*shaped, kLarge), key);
    EXPECT_NE(ThumbnailDiskCache::Key(*texture, QSize(512, 512)), key);

    EXPECT_EQ(ThumbnailDiskCache::SizeFor(256), 256);
    EXPECT_EQ(ThumbnailDiskCache::SizeFor(257), 512);
}

TEST(ThumbnailDiskCacheTest, KeepsPicturesAndDropsTheLeastRecentlyUsedPastItsLimit) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ThumbnailDiskCache cache(dir.path());
    EXPECT_TRUE(cache.Find(Own('a'), 256).isNull());

    const QImage blue = Solid(kLarge, Qt::blue);
    ASSERT_TRUE(cache.Store(Own('a'), 256, blue));
    EXPECT_EQ(cache.PathOf(Own('a'), 256), dir.filePath("thumbnails/large/" + Own('a') + ".png"));
    EXPECT_EQ(cache.Find(Own('a'), 256).convertToFormat(QImage::Format_RGB32), blue);
    ASSERT_TRUE(cache.Store(Own('a'), 512, Solid(QSize(512, 512), Qt::red)));
    EXPECT_TRUE(QFile::exists(dir.filePath("thumbnails/x-large/" + Own('a') + ".png")));
    ASSERT_TRUE(QFile::remove(cache.PathOf(Own('a'), 512)));

    ASSERT_TRUE(cache.Store(Own('b'), 256, blue));
    ASSERT_TRUE(cache.Store(Own('c'), 256, blue));
    Age(cache.PathOf(Own('a'), 256), 3);
    Age(cache.PathOf(Own('b'), 256), 2);
    Age(cache.PathOf(Own('c'), 256), 1);
    // Using "a" makes "b" the one used longest ago.
    EXPECT_FALSE(cache.Find(Own('a'), 256).isNull());

    const qint64 limit = cache.Bytes();
    ThumbnailDiskCache limited(dir.path(), limit);
    ASSERT_TRUE(limited.Store(Own('d'), 256, blue));
    EXPECT_FALSE(QFile::exists(limited.PathOf(Own('b'), 256)));
    for (char kept : {'a', 'c', 'd'})
        EXPECT_TRUE(QFile::exists(limited.PathOf(Own(kept), 256))) << kept;
    EXPECT_LE(limited.Bytes(), limit);

    // It counts on from there: the next picture makes room again, and a picture written again
    // in its own place takes no more room, so nothing else goes.
    ASSERT_TRUE(limited.Store(Own('e'), 256, blue));
    EXPECT_FALSE(QFile::exists(limited.PathOf(Own('c'), 256)));
    EXPECT_LE(limited.Bytes(), limit);
    ASSERT_TRUE(limited.Store(Own('e'), 256, blue));
    for (char kept : {'a', 'd', 'e'})
        EXPECT_TRUE(QFile::exists(limited.PathOf(Own(kept), 256))) << kept;
}

TEST(ThumbnailDiskCacheTest, FindPassesOverLinksPipesAndOversizedFilesWithoutWaiting) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ThumbnailDiskCache cache(dir.path());
    ASSERT_TRUE(cache.Store(Own('0'), 256, Solid(kLarge, Qt::blue)));
    const QString picture = dir.filePath("picture.png"); // a picture, but none of the cache's
    ASSERT_TRUE(Solid(kLarge, Qt::red).save(picture));
    Age(picture, 5);
    const QDateTime aged = QFileInfo(picture).lastModified();
    const QString pipe = cache.PathOf(Own('1'), 256);
    ASSERT_EQ(::mkfifo(QFile::encodeName(pipe).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), cache.PathOf(Own('2'), 256)));
    ASSERT_TRUE(QFile::link(picture, cache.PathOf(Own('3'), 256)));
    // A sound picture with 64 MB after it (a hole, taking no room).
    const QString oversized = cache.PathOf(Own('4'), 256);
    ASSERT_TRUE(QFile::copy(picture, oversized));
    ASSERT_TRUE(QFile::resize(oversized, qint64(64) << 20));

    for (char key : {'1', '2', '3', '4'})
        EXPECT_EQ(FindInChild(cache, Own(key)), 0) << key;
    EXPECT_EQ(QFileInfo(picture).lastModified(), aged) << "touched through the link";
    EXPECT_FALSE(cache.Find(Own('0'), 256).isNull());
}

TEST(ThumbnailDiskCacheTest, TrimRemovesOnlyPicturesTheCacheWrote) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QImage blue = Solid(kLarge, Qt::blue);
    ThumbnailDiskCache cache(dir.path());
    ASSERT_TRUE(cache.Store(Own('a'), 256, blue));
    const qint64 one = cache.Bytes();
    // Older than the cache's own pictures: a picture of the user's beside them, one a link of a
    // picture's name leads to, and the larger pictures' folder a link to the user's pictures.
    const QString pictures = dir.filePath("Pictures");
    ASSERT_TRUE(QDir().mkpath(pictures));
    const QString beside = dir.filePath("thumbnails/large/holiday.png");
    const QString linkedFile = pictures + "/mine.png";
    const QString inLinkedFolder = pictures + QLatin1Char('/') + Own('f') + ".png";
    for (const QString& path : {beside, linkedFile, inLinkedFolder}) {
        ASSERT_TRUE(Solid(kLarge, Qt::red).save(path));
        Age(path, 10);
    }
    ASSERT_TRUE(QFile::link(linkedFile, cache.PathOf(Own('e'), 256)));
    ASSERT_TRUE(QFile::link(pictures, dir.filePath("thumbnails/x-large")));
    Age(cache.PathOf(Own('a'), 256), 1);

    ThumbnailDiskCache limited(dir.path(), 2 * one);
    EXPECT_EQ(limited.Bytes(), one);
    EXPECT_TRUE(limited.Find(Own('f'), 512).isNull());
    EXPECT_FALSE(limited.Store(Own('g'), 512, Solid(QSize(512, 512), Qt::red)));
    for (char key : {'b', 'c', 'd'})
        ASSERT_TRUE(limited.Store(Own(key), 256, blue));
    EXPECT_FALSE(QFile::exists(limited.PathOf(Own('a'), 256)));
    EXPECT_TRUE(QFile::exists(limited.PathOf(Own('d'), 256)));
    EXPECT_EQ(limited.Bytes(), 2 * one);
    for (const QString& path : {beside, linkedFile, inLinkedFolder})
        EXPECT_TRUE(QFile::exists(path)) << path.toStdString();
    EXPECT_EQ(QDir(pictures).count(), 4u) << "written into the linked folder"; // with . and ..
}

class SharpCellTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_cacheHome = qgetenv("XDG_CACHE_HOME");
        qputenv("XDG_CACHE_HOME", m_dir.path().toUtf8());
        m_catalog.AddTexture(Textured("Dark", 40));
        m_catalog.AddTexture(Textured("Mid", 120));
        m_catalog.AddTexture(Textured("Light", 200));
        m_catalog.AddTexture(Textured("Dark", 40)); // renders as the first one
        auto refused = Textured("Refused", 60);
        refused->SetRefusal("reads a file");
        m_catalog.AddTexture(std::move(refused));
        auto bare = std::make_unique<SourceTexture>();
        bare->SetName("Bare");
        m_catalog.AddTexture(std::move(bare));
        m_filter.setSourceModel(&m_model);
    }
    void TearDown() override { qputenv("XDG_CACHE_HOME", m_cacheHome); }

    /// Cell `row` on a screen of `pixelRatio` device pixels per pixel.
    QImage Cell(const CatalogDelegate& delegate, int row, double pixelRatio = 1.0) {
        const QModelIndex index = m_filter.index(row, 0);
        QStyleOptionViewItem option;
        const QSize size = delegate.sizeHint(option, index);
        option.rect = QRect(QPoint(0, 0), size);
        QImage image(size * pixelRatio, QImage::Format_RGB32);
        image.setDevicePixelRatio(pixelRatio);
        image.fill(Qt::black);
        QPainter painter(&image);
        delegate.paint(&painter, option, index);
        return image;
    }
    /// The middle pixel of the thumbnail in `cell`, `side` pixels large.
    static QColor Middle(const QImage& cell, int side) {
        const double ratio = cell.devicePixelRatio();
        const QPointF middle(cell.width() / ratio / 2, 10 + side / 2.0);
        return cell.pixelColor((middle * ratio).toPoint());
    }

    QTemporaryDir m_dir;
    QByteArray m_cacheHome;
    Catalog m_catalog;
    CatalogModel m_model{m_catalog};
    CatalogFilter m_filter;
};

TEST_F(SharpCellTest, AsksForOneLargerPicturePerTextureOnlyWhenZoomedIn) {
    CatalogDelegate actual;
    QSignalSpy actualAsked(&actual.Sharp(), &SharpThumbnails::requested);
    for (int row = 0; row < m_filter.rowCount(); ++row)
        Cell(actual, row);
    EXPECT_EQ(actualAsked.count(), 0);
    EXPECT_FALSE(QDir(m_dir.filePath("velvane")).exists());

    CatalogDelegate zoomed;
    zoomed.SetThumbnailSize({2 * kOwn, 2 * kOwn}, 2.0);
    QSignalSpy asked(&zoomed.Sharp(), &SharpThumbnails::requested);
    for (int pass = 0; pass < 2; ++pass)
        for (int row = 0; row < m_filter.rowCount(); ++row)
            Cell(zoomed, row);
    // The copy shares the first texture's picture; the refused and the bare one get none.
    ASSERT_EQ(asked.count(), 3);
    for (const auto& request : asked)
        EXPECT_EQ(request.at(1).toSize(), kLarge);
    EXPECT_EQ(zoomed.Sharp().Waiting(), 3);
    // The refused texture looks as it does without zoom, enlarged.
    EXPECT_EQ(Middle(Cell(zoomed, 4), 2 * kOwn), QColor(60, 60, 60));

    CatalogDelegate largest;
    largest.SetThumbnailSize({4 * kOwn, 4 * kOwn}, 4.0);
    QSignalSpy largestAsked(&largest.Sharp(), &SharpThumbnails::requested);
    Cell(largest, 0);
    ASSERT_EQ(largestAsked.count(), 1);
    EXPECT_EQ(largestAsked.at(0).at(1).toSize(), QSize(512, 512));
}

TEST_F(SharpCellTest, ZoomedCellsAreDrawnFromTheLargerPicture) {
    CatalogDelegate zoomed;
    zoomed.SetThumbnailSize({2 * kOwn, 2 * kOwn}, 2.0);
    EXPECT_EQ(Middle(Cell(zoomed, 0), 2 * kOwn), QColor(40, 40, 40));

    // A picture unlike the thumbnail, as a render would have left it.
    const QString key = ThumbnailDiskCache::Key(m_catalog.GetTexture(0), kLarge);
    ThumbnailDiskCache disk(m_dir.filePath("velvane"));
    ASSERT_TRUE(disk.Store(key, 256, Solid(kLarge, QColor(0, 0, 255))));

    CatalogDelegate fresh;
    fresh.SetThumbnailSize({2 * kOwn, 2 * kOwn}, 2.0);
    QSignalSpy asked(&fresh.Sharp(), &SharpThumbnails::requested);
    EXPECT_EQ(Middle(Cell(fresh, 0), 2 * kOwn), QColor(0, 0, 255));
    // So is the copy, and a cell at 100 % on a screen of twice the pixels.
    EXPECT_EQ(Middle(Cell(fresh, 3), 2 * kOwn), QColor(0, 0, 255));
    CatalogDelegate actual;
    EXPECT_EQ(Middle(Cell(actual, 0, 2.0), kOwn), QColor(0, 0, 255));
    EXPECT_EQ(Middle(Cell(actual, 0, 1.0), kOwn), QColor(40, 40, 40));
    EXPECT_EQ(asked.count(), 0);
}

class SharpThumbnailsAppTest : public AppTest {};

TEST_F(SharpThumbnailsAppTest, ZoomingInRendersLargerThumbnailsIntoTheCache) {
    const QString cache = Path(QStringLiteral("cache"));
    const QByteArray before = qgetenv("XDG_CACHE_HOME");
    const auto restore = qScopeGuard([&] { qputenv("XDG_CACHE_HOME", before); });
    qputenv("XDG_CACHE_HOME", cache.toUtf8());
    CatalogView* view = OpenSample();
    ASSERT_NE(view, nullptr);
    const QString large = cache + QStringLiteral("/velvane/thumbnails/large");
    auto pictures = [&] { return QDir(large).entryList({QStringLiteral("*.png")}, QDir::Files); };
    view->viewport()->repaint();
    EXPECT_TRUE(pictures().isEmpty());

    view->SetZoom(200);
    view->viewport()->repaint();
    EXPECT_TRUE(QTest::qWaitFor([&] { return !pictures().isEmpty(); }, 120000));
    if (!pictures().isEmpty()) {
        const QImage picture(large + QLatin1Char('/') + pictures().first());
        EXPECT_EQ(picture.size(), kLarge);
        EXPECT_EQ(pictures().first().size(), 36); // MD5 in hex, ".png"
    }
}

TEST_F(SharpThumbnailsAppTest, OnlyTexturesInSightAreRenderedAFewAtATime) {
    ThumbnailDiskCache disk(Path(QStringLiteral("cache/velvane")));
    SharpThumbnails sharp(disk);
    std::vector<std::unique_ptr<SourceTexture>> textures;
    std::set<TextureId> inSight;
    for (std::uint8_t shade : {30, 90, 150, 210}) {
        textures.push_back(Textured("Shade " + std::to_string(shade), shade));
        inSight.insert(textures.back()->GetId());
    }
    // The last one scrolls out of sight while it waits.
    inSight.erase(textures.back()->GetId());
    sharp.SetInSight([&inSight](TextureId id) { return inSight.count(id) > 0; });
    sharp.SetQueue(&m_app->Renders());
    QSignalSpy asked(&sharp, &SharpThumbnails::requested);
    QSignalSpy forgotten(&sharp, &SharpThumbnails::forgotten);
    QSignalSpy arrived(&sharp, &SharpThumbnails::arrived);
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& texture : textures)
            EXPECT_TRUE(sharp.Find(*texture, kLarge).isNull());
    EXPECT_EQ(asked.count(), 4);
    EXPECT_EQ(sharp.Running(), SharpThumbnails::kMaxRunning);

    ASSERT_TRUE(QTest::qWaitFor([&] { return sharp.Running() + sharp.Waiting() == 0; }, 120000));
    EXPECT_EQ(arrived.count(), 3);
    ASSERT_EQ(forgotten.count(), 1);
    EXPECT_EQ(forgotten.at(0).at(0).value<TextureId>(), textures.back()->GetId());
    const QImage picture = sharp.Find(*textures.front(), kLarge);
    EXPECT_EQ(picture.size(), kLarge);
    EXPECT_TRUE(
        QFile::exists(disk.PathOf(ThumbnailDiskCache::Key(*textures.front(), kLarge), 256)));
    // Back in sight, the forgotten one is asked for again.
    EXPECT_TRUE(sharp.Find(*textures.back(), kLarge).isNull());
    EXPECT_EQ(asked.count(), 5);
}
