#include "core/catalog/celllayout.h"

#include <gtest/gtest.h>
#include <vector>

namespace {

/// The layout rule walked texture by texture, as a reference.
std::vector<std::pair<int, int>> WalkedPositions(int count, int w, int h, int clientWidth) {
    std::vector<std::pair<int, int>> positions;
    int c = 20;
    int t = 20;
    for (int i = 0; i < count; ++i) {
        if (i > 0) {
            c += w + 25;
            if (c + w + 10 > clientWidth) {
                c = 20;
                t += h + 38;
            }
        }
        positions.emplace_back(c, t);
    }
    return positions;
}

} // namespace

TEST(CellLayout, ExampleWith120PixelThumbnailsIn500Pixels) {
    const CellLayout layout = ComputeCellLayout(5, 120, 120, 500);
    EXPECT_EQ(layout.ThumbnailPosition(0), (std::pair{20, 20}));
    EXPECT_EQ(layout.ThumbnailPosition(1), (std::pair{165, 20}));
    EXPECT_EQ(layout.ThumbnailPosition(2), (std::pair{310, 20}));
    EXPECT_EQ(layout.ThumbnailPosition(3), (std::pair{20, 178}));
    EXPECT_EQ(layout.Cell(0), (CellRect{7, 10, 153, 173}));
    EXPECT_EQ(layout.ContentHeight(), 178 + 120 + 33);
}

TEST(CellLayout, MatchesTheWalkedRuleForManySizes) {
    for (int width : {0, 50, 120, 153, 154, 155, 299, 300, 301, 640, 1000})
        for (auto [w, h] :
             {std::pair{120, 120}, std::pair{100, 100}, std::pair{1, 1}, std::pair{64, 48}}) {
            const auto walked = WalkedPositions(23, w, h, width);
            const CellLayout layout(23, w, h, width);
            for (int i = 0; i < 23; ++i)
                ASSERT_EQ(layout.ThumbnailPosition(i), walked[static_cast<std::size_t>(i)])
                    << "width " << width << " index " << i;
        }
}

TEST(CellLayout, NarrowWindowsPutEveryTextureOnItsOwnRow) {
    const CellLayout layout(3, 120, 120, 100);
    EXPECT_EQ(layout.Columns(), 1);
    EXPECT_EQ(layout.ThumbnailPosition(2), (std::pair{20, 20 + 2 * 158}));
}

TEST(CellLayout, HitTestTakesTheFirstCellInIndexOrder) {
    const CellLayout layout(6, 120, 120, 500);
    EXPECT_EQ(layout.HitTest(152, 50), 0); // the column shared by cells 0 and 1
    EXPECT_EQ(layout.HitTest(153, 50), 1);
    EXPECT_EQ(layout.HitTest(7, 10), 0);
    EXPECT_EQ(layout.HitTest(6, 10), -1);
    EXPECT_EQ(layout.HitTest(50, 170), 0); // rows overlap by five pixels; row 0 comes first
    EXPECT_EQ(layout.HitTest(50, 173), 3);
    EXPECT_EQ(layout.HitTest(450, 200), -1); // right of the last cell (297..443)
    EXPECT_EQ(layout.HitTest(320, 200), 5);
    EXPECT_EQ(CellLayout(0, 120, 120, 500).HitTest(50, 50), -1);
    // Brute force agreement over the whole area.
    for (int y = -5; y < 400; y += 3)
        for (int x = -5; x < 520; x += 3) {
            int expected = -1;
            for (int i = 0; i < 6 && expected < 0; ++i)
                if (layout.Cell(i).Contains(x, y))
                    expected = i;
            ASSERT_EQ(layout.HitTest(x, y), expected) << x << "," << y;
        }
}

TEST(CellLayout, IndicesMeetingCoverExactlyTheCellsInTheBand) {
    const CellLayout layout(40, 120, 120, 640);
    for (int top = -50; top < 1400; top += 17) {
        for (int bottom : {top + 1, top + 5, top + 160, top + 400}) {
            const auto [first, last] = layout.IndicesMeeting(top, bottom);
            for (int i = 0; i < 40; ++i) {
                const CellRect cell = layout.Cell(i);
                const bool meets = cell.top < bottom && cell.bottom > top;
                ASSERT_EQ(meets, i >= first && i < last) << top << ".." << bottom << " index " << i;
            }
        }
    }
}
