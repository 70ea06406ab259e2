#include "core/povtext/mapping/colormapfit.h"

#include <gtest/gtest.h>

namespace {

std::vector<HeldMapEntry> Entries(std::initializer_list<std::pair<float, int>> grey) {
    std::vector<HeldMapEntry> entries;
    for (const auto& [position, level] : grey) {
        const auto byte = static_cast<std::uint8_t>(level);
        entries.push_back({position, {byte, byte, byte, 0}});
    }
    return entries;
}

std::vector<std::pair<float, int>> Levels(const std::vector<HeldMapEntry>& entries) {
    std::vector<std::pair<float, int>> levels;
    for (const HeldMapEntry& entry : entries)
        levels.emplace_back(entry.position, entry.color.red);
    return levels;
}

} // namespace

TEST(ColorMapFit, BuiltInMapsAreThoseOfPovRaysPatterns) {
    const PovColorMap wood = BuiltinColorMap("wood");
    ASSERT_EQ(wood.entries.size(), 2u);
    EXPECT_EQ(wood.entries[0].position, 0.6);
    EXPECT_EQ(wood.entries[1].color, (PovColor{0.4, 0.1333, 0.066, 0, 0}));
    EXPECT_EQ(BuiltinColorMap("bozo").entries.size(), 6u);
    EXPECT_EQ(BuiltinColorMap("agate").entries.size(), 6u);
    EXPECT_EQ(BuiltinColorMap("marble").entries[1].color, (PovColor{0.9, 0.08, 0.08, 0, 0}));
    EXPECT_EQ(BuiltinColorMap("radial").entries[2].position, 0.666);
    const PovColorMap grey = BuiltinColorMap("granite");
    ASSERT_EQ(grey.entries.size(), 2u);
    EXPECT_EQ(grey.entries[1].color, (PovColor{1, 1, 1, 0, 0}));
}

TEST(ColorMapFit, AverageColoursWeighEachStretchOfTheMap) {
    PovPigment plain;
    plain.color.value = {0.2, 0.4, 0.6, 0, 0};
    EXPECT_EQ(AverageColor(plain), plain.color.value);

    PovPigment gradient;
    gradient.pattern.name = "gradient";
    gradient.colorMap = PovColorMap{{{0.0, {0, 0, 0, 0, 0}, {}}, {1.0, {1, 1, 1, 0, 0}, {}}}};
    EXPECT_DOUBLE_EQ(AverageColor(gradient)[0], 0.5);
    // Below the first entry its colour holds: three quarters white.
    gradient.colorMap = PovColorMap{{{0.5, {1, 1, 1, 0, 0}, {}}, {1.0, {0, 0, 0, 0, 0}, {}}}};
    EXPECT_DOUBLE_EQ(AverageColor(gradient)[0], 0.75);

    PovPigment checker;
    checker.pattern.name = "checker";
    checker.colorList = {{{1, 0, 0, 0, 0}, {}}, {{0, 0, 1, 0, 0}, {}}};
    EXPECT_EQ(AverageColor(checker), (PovColor{0.5, 0, 0.5, 0, 0}));
}

TEST(ColorMapFit, OnlyEntriesThatChangeNothingAreDroppedToFit) {
    // Repeated colours and colours on the line between their neighbours go; a step stays.
    auto entries = Entries({{0.0f, 0}, {0.25f, 64}, {0.5f, 128}, {0.5f, 0}, {0.75f, 0}, {1.0f, 0}});
    EXPECT_TRUE(DropRedundantEntries(entries, 3));
    EXPECT_EQ(Levels(entries),
              (std::vector<std::pair<float, int>>{{0.0f, 0}, {0.5f, 128}, {0.5f, 0}}));
    // A bend cannot go without changing the map.
    auto bent = Entries({{0.0f, 0}, {0.5f, 200}, {1.0f, 0}});
    EXPECT_FALSE(DropRedundantEntries(bent, 2));
    EXPECT_EQ(bent.size(), 3u);
}

TEST(ColorMapFit, ResamplingKeepsTheEndsAndTheSharpestFeatures) {
    std::vector<HeldMapEntry> entries;
    for (int i = 0; i <= 30; ++i) {
        const auto level = static_cast<std::uint8_t>(i == 15 ? 255 : i * 2);
        entries.push_back({i / 30.0f, {level, level, level, 0}});
    }
    ResampleEntries(entries, 20);
    ASSERT_EQ(entries.size(), 20u);
    EXPECT_EQ(entries.front().position, 0.0f);
    EXPECT_EQ(entries.back().position, 1.0f);
    EXPECT_TRUE(std::any_of(entries.begin(), entries.end(), [](const HeldMapEntry& e) {
        return e.color.red == 255;
    })) << "the spike is the entry whose loss would change the map most";
}
