// Taking textures out of a catalog and putting them back, as the undo steps of the catalog
// window do: the same texture objects return, with their thumbnails, order and selection.

#include "core/catalog/catalog.h"
#include "core/catalog/celllayout.h"
#include "texturefactory.h"

#include <gtest/gtest.h>

namespace {

Bitmap Picture(int size, std::uint8_t value) {
    Bitmap dib;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size * size * 3), value);
    dib.SetBits(size, size, pixels, false);
    return dib;
}

Catalog CatalogOf(std::initializer_list<const char*> names) {
    Catalog catalog;
    std::uint8_t shade = 10;
    for (const char* name : names) {
        SimpleTexture texture = MakeTexture(name);
        texture.Thumbnail() = Picture(8, shade);
        shade = static_cast<std::uint8_t>(shade + 20);
        catalog.AddTexture(texture);
    }
    return catalog;
}

std::string Names(const Catalog& catalog) {
    std::string names;
    for (int i = 0; i < catalog.GetCount(); ++i)
        names += catalog.GetTexture(i).GetName();
    return names;
}

} // namespace

TEST(CatalogEdits, TakenTexturesPutBackRestoreTheFileByteForByte) {
    Catalog catalog = CatalogOf({"A", "B", "C", "D", "E", "F"});
    const std::vector<std::uint8_t> before = catalog.Save();
    const Texture* b = &catalog.GetTexture(1);
    const std::vector<int> indices{1, 3, 4};
    auto taken = catalog.TakeTextures(indices);
    ASSERT_EQ(taken.size(), 3u);
    EXPECT_EQ(Names(catalog), "ACF");
    EXPECT_EQ(taken[0].get(), b); // the texture itself, not a copy
    EXPECT_EQ(taken[2]->GetName(), "E");
    ASSERT_TRUE(catalog.InsertTextures(indices, std::move(taken), true));
    EXPECT_EQ(Names(catalog), "ABCDEF");
    EXPECT_EQ(&catalog.GetTexture(1), b);
    EXPECT_EQ(catalog.Save(), before);
    EXPECT_EQ(catalog.GetSelectedIndices(), indices);
}

TEST(CatalogEdits, TheSelectionMovesWithTheTexturesThatStay) {
    Catalog catalog = CatalogOf({"A", "B", "C", "D", "E"});
    catalog.Select(0);
    catalog.Select(2);
    catalog.Select(4);
    const std::vector<int> indices{1, 2};
    auto taken = catalog.TakeTextures(indices);
    EXPECT_EQ(Names(catalog), "ADE");
    EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{0, 2}));
    EXPECT_EQ(catalog.GetSelectedCount(), 2);
    // Put at the front, not selected: the old selection shifts along.
    const std::vector<int> front{0, 1};
    ASSERT_TRUE(catalog.InsertTextures(front, std::move(taken), false));
    EXPECT_EQ(Names(catalog), "BCADE");
    EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{2, 4}));
}

TEST(CatalogEdits, InvalidIndicesAndPositionsChangeNothing) {
    Catalog catalog = CatalogOf({"A", "B", "C"});
    const std::vector<std::uint8_t> before = catalog.Save();
    for (const std::vector<int>& bad : {std::vector<int>{3}, std::vector<int>{-1},
                                        std::vector<int>{2, 1}, std::vector<int>{1, 1}}) {
        EXPECT_TRUE(catalog.TakeTextures(bad).empty());
        EXPECT_EQ(Names(catalog), "ABC");
    }
    EXPECT_EQ(catalog.Save(), before);

    auto one = [] {
        std::vector<std::unique_ptr<Texture>> textures;
        textures.push_back(MakeTexture("X").Clone());
        return textures;
    };
    EXPECT_FALSE(
        catalog.InsertTextures(std::vector<int>{4}, one(), false)); // beyond the grown list
    EXPECT_FALSE(catalog.InsertTextures(std::vector<int>{0, 1}, one(), false)); // counts differ
    std::vector<std::unique_ptr<Texture>> missing(1);
    EXPECT_FALSE(catalog.InsertTextures(std::vector<int>{0}, std::move(missing), false));
    auto two = one();
    two.push_back(MakeTexture("Y").Clone());
    EXPECT_FALSE(catalog.InsertTextures(std::vector<int>{2, 2}, std::move(two), false));
    ASSERT_EQ(two.size(), 2u); // a refused insertion leaves the textures with the caller
    EXPECT_EQ(two[1]->GetName(), "Y");
    EXPECT_EQ(Names(catalog), "ABC");
    EXPECT_EQ(catalog.Save(), before);

    EXPECT_TRUE(catalog.InsertTextures(std::vector<int>{3}, one(), false)); // at the end
    EXPECT_EQ(Names(catalog), "ABCX");
}

TEST(CatalogEdits, ReplaceHandsBackTheFormerTexture) {
    Catalog catalog = CatalogOf({"A", "B"});
    const Texture* former = &catalog.GetTexture(1);
    std::unique_ptr<Texture> back = catalog.ReplaceTexture(1, MakeTexture("Z").Clone());
    EXPECT_EQ(back.get(), former);
    EXPECT_EQ(Names(catalog), "AZ");
}

TEST(CatalogEdits, SavedSelectionIsACatalogOfItsOwn) {
    Catalog catalog = CatalogOf({"A", "B", "C"});
    const std::vector<int> indices{0, 2};
    Catalog part;
    ASSERT_FALSE(part.Load(catalog.SaveTextures(indices)).has_value());
    EXPECT_EQ(Names(part), "AC");
    EXPECT_EQ(part.GetTexture(1).Thumbnail().Bits()[0],
              catalog.GetTexture(2).Thumbnail().Bits()[0]);
}

TEST(CellLayoutRows, RowsPagesAndInsertionPoints) {
    // 120 x 120 thumbnails in 500 pixels: three columns, rows 158 pixels apart.
    const CellLayout layout(5, 120, 120, 500);
    EXPECT_EQ(layout.Rows(), 2);
    EXPECT_EQ(layout.RowPitch(), 158);
    EXPECT_EQ(layout.RowTop(1), 168);
    EXPECT_EQ(layout.HeightOfRows(1), 173);
    EXPECT_EQ(layout.HeightOfRows(2), 331);
    EXPECT_EQ(layout.HeightOfRows(2), layout.ContentHeight());
    EXPECT_EQ(layout.RowsWithin(330), 1);
    EXPECT_EQ(layout.RowsWithin(331), 2);
    EXPECT_EQ(layout.RowsWithin(10), 1);
    EXPECT_EQ(CellLayout(0, 120, 120, 500).Rows(), 0);

    // Thumbnail 0 spans x 20 to 139 (middle 80), thumbnail 1 165 to 284 (middle 225).
    EXPECT_EQ(layout.InsertionIndex(80, 50), 0);
    EXPECT_EQ(layout.InsertionIndex(81, 50), 1);
    EXPECT_EQ(layout.InsertionIndex(225, 50), 1);
    EXPECT_EQ(layout.InsertionIndex(226, 50), 2);
    EXPECT_EQ(layout.InsertionIndex(0, -40), 0);
    EXPECT_EQ(layout.InsertionIndex(5, 167), 0); // still row 0's band
    EXPECT_EQ(layout.InsertionIndex(5, 168), 3);
    EXPECT_EQ(layout.InsertionIndex(490, 200), 5); // past the last of a short row
    EXPECT_EQ(layout.InsertionIndex(20, 400), 5);  // below the grid
    EXPECT_EQ(CellLayout(0, 120, 120, 500).InsertionIndex(50, 50), 0);
}
