#include "core/model/colormap.h"

#include <gtest/gtest.h>

TEST(ColorMap, ColorAtMixesTheEntriesOnEitherSide) {
    ColorMap map;
    map.count = 4;
    map.positions = {0.2f, 0.6f, 0.6f, 0.8f};
    map.colors[0] = {0, 0, 0, 0};
    map.colors[1] = {200, 100, 50, 255};
    map.colors[2] = {10, 20, 30, 40};
    map.colors[3] = {255, 255, 255, 0};
    EXPECT_EQ(map.ColorAt(0.0f), map.colors[0]);
    EXPECT_EQ(map.ColorAt(0.2f), map.colors[0]);
    EXPECT_EQ(map.ColorAt(0.3f), (ColorRGBF{50, 25, 13, 64}));
    // Two entries on one spot: from there on the later one's colour leads.
    EXPECT_EQ(map.ColorAt(0.6f), map.colors[2]);
    EXPECT_EQ(map.ColorAt(0.65f), (ColorRGBF{71, 79, 86, 30}));
    EXPECT_EQ(map.ColorAt(0.95f), map.colors[3]);
    // Only the entries in use count.
    map.count = 2;
    EXPECT_EQ(map.ColorAt(0.9f), map.colors[1]);
}
