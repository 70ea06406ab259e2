#include "core/model/iorpreset.h"

#include <gtest/gtest.h>

TEST(IorPresetText, TrailingZerosAndThenOnePointGo) {
    EXPECT_EQ(IorPresetEntryText("Vacuum", 1.0f, true), "Vacuum\t1");
    EXPECT_EQ(IorPresetEntryText("Water", 1.333f, true), "Water\t1.333");
    EXPECT_EQ(IorPresetEntryText("Ten", 10.0f, true), "Ten\t10"); // the zero before the point stays
    EXPECT_EQ(IorPresetEntryText("Glass", 1.5f, false), "Glass\t1.5000");
    EXPECT_EQ(IorPresetEntryText("Diamond", 2.4175f, false), "Diamond\t2.4175");
    EXPECT_EQ(IorPresetEntryText("", 2.0f, true), "\t2");
}

TEST(IorPresetText, TheValueAloneFollowsTheSameRule) {
    EXPECT_EQ(IorValueText(1.0f), "1");
    EXPECT_EQ(IorValueText(1.333f), "1.333");
    EXPECT_EQ(IorValueText(1.5f), "1.5");
    EXPECT_EQ(IorValueText(2.41749f), "2.4175"); // four decimals, rounded
    EXPECT_EQ(IorValueText(0.0f), "0");
    EXPECT_EQ(IorValueText(100.0f), "100");
}
