// Thumbnails kept ready to draw: the grid's cells must look the same as when every picture is
// converted and scaled afresh, whatever changed since the last paint.

#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "ui/catalog/catalogdelegate.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/thumbnailcache.h"

#include <QIdentityProxyModel>
#include <QImage>
#include <QPainter>
#include <QStyleOptionViewItem>
#include <gtest/gtest.h>

namespace {

constexpr int kSide = 40;

std::unique_ptr<Texture> Coloured(std::uint8_t shade) {
    auto texture = std::make_unique<SimpleTexture>();
    texture->SetName("Shade " + std::to_string(shade));
    std::vector<std::uint8_t> pixels(kSide * kSide * 3, shade);
    texture->Thumbnail().SetBits(kSide, kSide, pixels, false);
    return texture;
}

void Paint(Texture& texture, std::uint8_t shade) {
    std::vector<std::uint8_t> pixels(kSide * kSide * 3, shade);
    texture.Thumbnail().SetBits(kSide, kSide, pixels, false);
}

QPixmap Solid(int side) {
    QPixmap picture(side, side);
    picture.fill(Qt::red);
    return picture;
}

/// Counts how often the thumbnail's pixels are asked for.
class CountingProxy : public QIdentityProxyModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (role == CatalogModel::ThumbnailRole)
            ++conversions;
        return QIdentityProxyModel::data(index, role);
    }
    mutable int conversions = 0;
};

class ThumbnailCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (std::uint8_t shade : {40, 80, 120})
            m_catalog.AddTexture(Coloured(shade));
        m_filter.setSourceModel(&m_model);
        m_counter.setSourceModel(&m_filter);
        m_delegate.SetThumbnailSize({kSide, kSide}, 1.0);
    }

    /// Cell `row` as `delegate` paints it, reached through Find's filter.
    QImage Cell(const CatalogDelegate& delegate, int row) {
        const QModelIndex index = m_counter.index(row, 0);
        QStyleOptionViewItem option;
        const QSize size = delegate.sizeHint(option, index);
        option.rect = QRect(QPoint(0, 0), size);
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::black);
        QPainter painter(&image);
        delegate.paint(&painter, option, index);
        return image;
    }

    /// Cell `row` painted by a delegate that has nothing kept yet.
    QImage Fresh(int row, QSize size = {kSide, kSide}, double scale = 1.0) {
        CatalogDelegate fresh;
        fresh.SetThumbnailSize(size, scale);
        return Cell(fresh, row);
    }

    /// The colour at the middle of the thumbnail of a cell.
    static QRgb Middle(const QImage& cell, int side = kSide) {
        return cell.pixel(cell.width() / 2, 10 + side / 2);
    }

    Catalog m_catalog;
    CatalogModel m_model{m_catalog};
    CatalogFilter m_filter;
    CountingProxy m_counter;
    CatalogDelegate m_delegate;
};

TEST_F(ThumbnailCacheTest, RepeatedPaintsConvertEachThumbnailOnce) {
    const QImage first = Cell(m_delegate, 1);
    const int conversions = m_counter.conversions;
    EXPECT_EQ(conversions, 1);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(Cell(m_delegate, 1), first);
    EXPECT_EQ(m_counter.conversions, conversions);
    EXPECT_EQ(Cell(m_delegate, 1), Fresh(1));
    EXPECT_EQ(m_delegate.CachedPictures(), 1u);
}

TEST_F(ThumbnailCacheTest, ASwappedThumbnailIsNeverDrawnFromTheOldPicture) {
    const QImage before = Cell(m_delegate, 0);
    Bitmap picture;
    std::vector<std::uint8_t> pixels(kSide * kSide * 3, 200);
    picture.SetBits(kSide, kSide, pixels, false);
    m_model.SwapThumbnail(0, -1, picture);
    const QImage after = Cell(m_delegate, 0);
    EXPECT_NE(Middle(after), Middle(before));
    EXPECT_EQ(after, Fresh(0));
}

TEST_F(ThumbnailCacheTest, AReplacedTextureWithTheSameIdShowsItsOwnThumbnail) {
    Cell(m_delegate, 2);
    // An edited copy keeps the id of the texture it stands for.
    std::unique_ptr<Texture> edited = m_catalog.GetTexture(2).Clone();
    Paint(*edited, 250);
    std::unique_ptr<Texture> former = m_model.ReplaceTexture(2, std::move(edited));
    EXPECT_EQ(Cell(m_delegate, 2), Fresh(2));
    // Undone: the former texture returns under the same id.
    const QImage edit = Cell(m_delegate, 2);
    m_model.ReplaceTexture(2, std::move(former));
    const QImage undone = Cell(m_delegate, 2);
    EXPECT_NE(Middle(undone), Middle(edit));
    EXPECT_EQ(undone, Fresh(2));
}

TEST_F(ThumbnailCacheTest, ATextureChangedInPlaceOrInsertedAgainIsDrawnAfresh) {
    Cell(m_delegate, 1);
    Paint(m_catalog.GetTexture(1), 7);
    m_model.TextureChanged(1);
    EXPECT_EQ(Cell(m_delegate, 1), Fresh(1));

    // Taken out, changed while away, and put back with the id it had.
    const std::vector<int> one{1};
    auto taken = m_model.TakeTextures(one);
    Paint(*taken.front(), 99);
    ASSERT_TRUE(m_model.InsertTextures(one, std::move(taken), false));
    EXPECT_EQ(Cell(m_delegate, 1), Fresh(1));
}

TEST_F(ThumbnailCacheTest, ANewCatalogUnderTheSameIdsIsDrawnAfresh) {
    Cell(m_delegate, 0);
    Catalog other;
    std::unique_ptr<Texture> same = m_catalog.GetTexture(0).Clone();
    Paint(*same, 3);
    other.AddTexture(std::move(same));
    m_model.ResetContents(std::move(other));
    EXPECT_EQ(Cell(m_delegate, 0), Fresh(0));
}

TEST_F(ThumbnailCacheTest, ZoomingDrawsThePictureAtTheNewSize) {
    const QImage small = Cell(m_delegate, 0);
    m_delegate.SetThumbnailSize({2 * kSide, 2 * kSide}, 2.0);
    const QImage large = Cell(m_delegate, 0);
    EXPECT_EQ(large, Fresh(0, {2 * kSide, 2 * kSide}, 2.0));
    EXPECT_GT(large.width(), small.width());
    // A point beyond the small picture but inside the large one shows the thumbnail.
    const int left = (large.width() - 2 * kSide) / 2;
    EXPECT_EQ(large.pixel(left + 2 * kSide - 3, 10 + 2 * kSide - 3), Middle(small));
    m_delegate.SetThumbnailSize({kSide, kSide}, 1.0);
    EXPECT_EQ(Cell(m_delegate, 0), small);
}

TEST_F(ThumbnailCacheTest, ATextureWithoutPictureShowsNotRendered) {
    m_catalog.GetTexture(1).Thumbnail() = Bitmap();
    m_model.TextureChanged(1);
    EXPECT_EQ(Cell(m_delegate, 1), Fresh(1));
    EXPECT_EQ(m_delegate.CachedPictures(), 0u);
}

TEST(ThumbnailCache, KeepsOnePicturePerTextureAtTheSizeAskedFor) {
    ThumbnailCache cache;
    cache.Insert(1, Solid(10));
    EXPECT_FALSE(cache.Find(1, {10, 10}).isNull());
    EXPECT_TRUE(cache.Find(1, {20, 20}).isNull());
    EXPECT_TRUE(cache.Find(2, {10, 10}).isNull());
    cache.Insert(1, Solid(20));
    EXPECT_EQ(cache.Count(), 1u);
    EXPECT_TRUE(cache.Find(1, {10, 10}).isNull());
    EXPECT_FALSE(cache.Find(1, {20, 20}).isNull());
    cache.Drop(1);
    EXPECT_TRUE(cache.Find(1, {20, 20}).isNull());
    EXPECT_EQ(cache.Bytes(), 0u);
}

TEST(ThumbnailCache, OverTheBudgetThePictureDrawnLongestAgoGoesFirst) {
    const std::size_t each = 10 * 10 * static_cast<std::size_t>(Solid(10).depth() / 8);
    ThumbnailCache cache(3 * each);
    for (TextureId id = 1; id <= 3; ++id)
        cache.Insert(id, Solid(10));
    EXPECT_FALSE(cache.Find(1, {10, 10}).isNull()); // 2 is now the oldest
    cache.Insert(4, Solid(10));
    EXPECT_EQ(cache.Count(), 3u);
    EXPECT_LE(cache.Bytes(), 3 * each);
    EXPECT_TRUE(cache.Find(2, {10, 10}).isNull());
    for (TextureId id : {1, 3, 4})
        EXPECT_FALSE(cache.Find(id, {10, 10}).isNull()) << id;
    // A picture larger than the whole budget is not kept.
    cache.Insert(5, Solid(100));
    EXPECT_TRUE(cache.Find(5, {100, 100}).isNull());
    cache.Clear();
    EXPECT_EQ(cache.Count(), 0u);
}

} // namespace
