#include "core/model/colormapfile.h"

#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <vector>

namespace {

std::vector<std::uint8_t> Golden(const std::string& name) {
    std::ifstream in(std::string(VELVANE_TEST_DATA_DIR) + "/colormaps/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

ColorMapFile::Fault FaultOf(const std::string& name) {
    ColorMapFile::Fault fault = ColorMapFile::Fault::None;
    EXPECT_FALSE(ColorMapFile::Read(Golden(name), &fault).has_value()) << name;
    return fault;
}

} // namespace

TEST(ColorMapFile, ANewMapIsTheSeventeenByteFile) {
    const std::vector<std::uint8_t> bytes = ColorMapFile::Write(ColorMap());
    EXPECT_EQ(bytes.size(), 17u);
    EXPECT_EQ(bytes, Golden("blackwhite.txc"));
}

TEST(ColorMapFile, ReadsEveryEntryAndWritesTheSameBytes) {
    const std::vector<std::uint8_t> bytes = Golden("threecolors.txc");
    const auto map = ColorMapFile::Read(bytes);
    ASSERT_TRUE(map);
    ASSERT_EQ(map->count, 3);
    EXPECT_EQ(map->positions[0], 0.0f);
    EXPECT_EQ(map->positions[1], 0.5f);
    EXPECT_EQ(map->positions[2], 1.0f);
    EXPECT_EQ(map->colors[0], (ColorRGBF{255, 0, 0, 0}));
    EXPECT_EQ(map->colors[1], (ColorRGBF{0, 255, 0, 128}));
    EXPECT_EQ(map->colors[2], (ColorRGBF{0, 0, 255, 0}));
    // Slots past the count are those of a new map, so the map equals one built entry by entry.
    EXPECT_EQ(map->colors[3], ColorRGBF{});
    EXPECT_EQ(ColorMapFile::Write(*map), bytes);
}

TEST(ColorMapFile, RefusesDamagedFiles) {
    EXPECT_EQ(FaultOf("countzero.txc"), ColorMapFile::Fault::BadCount);
    EXPECT_EQ(FaultOf("count21.txc"), ColorMapFile::Fault::BadCount);
    EXPECT_EQ(FaultOf("countnegative.txc"), ColorMapFile::Fault::BadCount);
    EXPECT_EQ(FaultOf("endsearly.txc"), ColorMapFile::Fault::EndsEarly);
    EXPECT_EQ(FaultOf("descending.txc"), ColorMapFile::Fault::NotAscending);
    ColorMapFile::Fault fault = ColorMapFile::Fault::None;
    EXPECT_FALSE(ColorMapFile::Read({}, &fault));
    EXPECT_EQ(fault, ColorMapFile::Fault::EndsEarly);
    std::vector<std::uint8_t> longer = Golden("blackwhite.txc");
    longer.push_back(0);
    EXPECT_FALSE(ColorMapFile::Read(longer, &fault));
    EXPECT_EQ(fault, ColorMapFile::Fault::TrailingData);
}

TEST(ColorMapFile, EveryTruncationIsRefused) {
    const std::vector<std::uint8_t> bytes = Golden("threecolors.txc");
    for (std::size_t size = 0; size < bytes.size(); ++size) {
        ColorMapFile::Fault fault = ColorMapFile::Fault::None;
        EXPECT_FALSE(ColorMapFile::Read(std::span(bytes.data(), size), &fault)) << size;
        EXPECT_EQ(fault, ColorMapFile::Fault::EndsEarly) << size;
    }
}

TEST(ColorMapFile, EqualPositionsAndAPositionPastOneAreKept) {
    // Insert on the last entry puts a new one at 1.00001; its file must read back.
    ColorMap map;
    map.count = 3;
    map.positions = {0.0f, 1.0f, 1.00001f};
    map.colors[2] = ColorRGBF{255, 255, 255, 0};
    const auto read = ColorMapFile::Read(ColorMapFile::Write(map));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->positions[2], 1.00001f);
    map.positions = {0.0f, 0.0f, 1.0f};
    EXPECT_TRUE(ColorMapFile::Read(ColorMapFile::Write(map)));
}

TEST(ColorMapFile, PositionsOutsideZeroToOneAreRefused) {
    ColorMap map;
    for (const auto& [first, last] : {std::pair{0.0f, 1.5f}, std::pair{-0.25f, 1.0f},
                                      std::pair{0.0f, 1000.0f}, std::pair{-1e30f, 0.5f}}) {
        map.positions = {first, last};
        ColorMapFile::Fault fault = ColorMapFile::Fault::None;
        EXPECT_FALSE(ColorMapFile::Read(ColorMapFile::Write(map), &fault)) << first << " " << last;
        EXPECT_EQ(fault, ColorMapFile::Fault::OutOfRange) << first << " " << last;
    }
    // As far past 1 as Insert on the last entry can step, a map the dialog saved reads back.
    map.count = 20;
    for (int i = 0; i < 20; ++i)
        map.positions[i] = i < 2 ? static_cast<float>(i) : 1.0f + ColorMap::kInsertStep * (i - 1);
    EXPECT_TRUE(ColorMapFile::Read(ColorMapFile::Write(map)));
}
