#include "core/color/hsv.h"

#include <gtest/gtest.h>

TEST(RgbToHsv, GivesTheSelectorsWholeNumbers) {
    EXPECT_EQ(RgbToHsv(255, 0, 0), (HsvColor{0, 255, 255}));
    EXPECT_EQ(RgbToHsv(0, 0, 0), (HsvColor{0, 0, 0}));
    EXPECT_EQ(RgbToHsv(255, 255, 255), (HsvColor{0, 0, 255}));
    // 209.88 degrees, truncated.
    EXPECT_EQ(RgbToHsv(0, 128, 255), (HsvColor{209, 255, 255}));
    // Green maximum, blue above red: (blue - red) / delta + 2.
    EXPECT_EQ(RgbToHsv(0, 200, 100), (HsvColor{150, 255, 200}));
    // Blue maximum: (red - green) / delta + 4.
    EXPECT_EQ(RgbToHsv(100, 50, 200), (HsvColor{260, 191, 200}));
    // Red maximum with green below blue gives a negative h that wraps round.
    EXPECT_EQ(RgbToHsv(200, 0, 100), (HsvColor{330, 255, 200}));
}

TEST(HsvToRgb, CoversEverySixthOfTheCircle) {
    EXPECT_EQ(HsvToRgb(0, 1, 255), (RgbColor{255, 0, 0}));
    EXPECT_EQ(HsvToRgb(60, 1, 255), (RgbColor{255, 255, 0}));
    EXPECT_EQ(HsvToRgb(120, 1, 255), (RgbColor{0, 255, 0}));
    EXPECT_EQ(HsvToRgb(180, 1, 255), (RgbColor{0, 255, 255}));
    EXPECT_EQ(HsvToRgb(240, 1, 255), (RgbColor{0, 0, 255}));
    EXPECT_EQ(HsvToRgb(300, 1, 255), (RgbColor{255, 0, 255}));
    EXPECT_EQ(HsvToRgb(30, 1, 255), (RgbColor{255, 127, 0}));
    EXPECT_EQ(HsvToRgb(209, 1, 255), (RgbColor{0, 131, 255}));
}

TEST(HsvToRgb, HueThreeSixtyIsRedAndGreyIgnoresTheHue) {
    EXPECT_EQ(HsvToRgb(360, 1, 255), HsvToRgb(0, 1, 255));
    EXPECT_EQ(HsvToRgb(200, 0, 128.9), (RgbColor{128, 128, 128}));
    EXPECT_EQ(HsvToRgb(200, 0.5, 0), (RgbColor{0, 0, 0}));
}
