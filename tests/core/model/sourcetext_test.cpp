#include "core/model/colormap.h"
#include "core/model/imagemap.h"
#include "core/model/numberformat.h"
#include "core/model/transformations.h"
#include "core/model/turbulence.h"

#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <random>

TEST(FloatToText, FollowsTheTrimmingRule) {
    const std::pair<float, const char*> cases[] = {
        {1.0f, "1.0"},     {0.5f, "0.5"},       {0.07f, "0.07"},           {2.25f, "2.25"},
        {0.0f, "0.0"},     {-3.0f, "-3.0"},     {0.123456f, "0.1235"},     {100.0f, "100.0"},
        {0.00004f, "0.0"}, {-0.00004f, "-0.0"}, {1234.5678f, "1234.5677"}, {10.0f, "10.0"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FloatToText(value), text) << value;
}

TEST(FloatToText, AgreesWithPrintfInTheCLocale) {
    std::mt19937 random(1354);
    std::uniform_real_distribution<float> values(-5000.0f, 5000.0f);
    for (int i = 0; i < 20000; ++i) {
        const float value = i % 3 == 0
                                ? static_cast<float>(static_cast<int>(values(random))) / 100.0f
                                : values(random);
        char buffer[64];
        std::snprintf(buffer, sizeof buffer, "%.4f", static_cast<double>(value));
        std::string expected = buffer;
        while (expected.size() > 1 && expected.back() == '0')
            expected.pop_back();
        if (expected.back() == '.')
            expected += '0';
        ASSERT_EQ(FloatToText(value), expected) << value;
    }
}

TEST(FloatToText, IgnoresACommaDecimalLocale) {
    const char* german = std::setlocale(LC_ALL, "de_DE.UTF-8");
    ASSERT_NE(german, nullptr) << "the de_DE.UTF-8 locale must be installed (locale-gen)";
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%.1f", 0.5);
    EXPECT_STREQ(buffer, "0,5"); // the locale really is active
    EXPECT_EQ(FloatToText(0.5f), "0.5");
    EXPECT_EQ(ChannelText(128), "0.502");
    EXPECT_EQ(FormatFixed(1.5, 3), "1.500");
    std::setlocale(LC_ALL, "C");
}

TEST(SourceNumbers, PercentAndChannelScaling) {
    EXPECT_EQ(PercentText(30), "0.3");
    EXPECT_EQ(PercentText(50), "0.5");
    EXPECT_EQ(PercentText(7), "0.07");
    EXPECT_EQ(PercentText(100), "1.0");
    EXPECT_EQ(PercentText(255), "2.55");
    EXPECT_EQ(ChannelText(0), "0.000");
    EXPECT_EQ(ChannelText(1), "0.004");
    EXPECT_EQ(ChannelText(255), "1.000");
    EXPECT_EQ(ChannelText(51), "0.200");
}

TEST(TransformationText, WritesOnlyTriplesThatDifferInSourceOrder) {
    Transformations t;
    EXPECT_EQ(t.GetSource(2), "");
    t.scale[2] = 2.0f;
    EXPECT_EQ(t.GetSource(2), "  scale <1.0, 1.0, 2.0>\r\n");

    Transformations moved;
    moved.translate = {0.5f, 0.0f, 0.0f};
    moved.rotate = {0.0f, 90.0f, 0.0f};
    moved.scale = {2.0f, 2.0f, 2.0f};
    EXPECT_EQ(moved.GetSource(4), "    translate <0.5, 0.0, 0.0>\r\n"
                                  "    rotate <0.0, 90.0, 0.0>\r\n"
                                  "    scale <2.0, 2.0, 2.0>\r\n");

    Transformations negativeZero;
    negativeZero.translate = {-0.0f, 0.0f, -0.0f};
    negativeZero.rotate = {-0.0f, -0.0f, -0.0f};
    EXPECT_EQ(negativeZero.GetSource(2), "");
}

TEST(TurbulenceText, OneLineWithTheValuesThatDiffer) {
    Turbulence t;
    t.octaves = 3;
    EXPECT_EQ(t.GetSource(), ""); // no amount, no turbulence
    t.amount = 30;
    EXPECT_EQ(t.GetSource(), "    turbulence 0.3  octaves 3\r\n");
    t.omega = 70;
    t.lambda = 2.5f;
    EXPECT_EQ(t.GetSource(true), "    agate_turb 0.3  octaves 3  omega 0.7  lambda 2.5\r\n");
}

TEST(ColorMapText, DefaultAndFilteredEntries) {
    ColorMap map;
    EXPECT_EQ(map.GetSource(), "    color_map\r\n    {\r\n"
                               "      [0.00 color rgb<0.000, 0.000, 0.000>]\r\n"
                               "      [1.00 color rgb<1.000, 1.000, 1.000>]\r\n"
                               "    }\r\n");
    map.count = 1;
    map.positions[0] = 0.5f;
    map.colors[0] = {255, 0, 51, 1};
    EXPECT_EQ(map.GetSource(), "    color_map\r\n    {\r\n"
                               "      [0.50 color rgbf<1.000, 0.000, 0.200, 0.004>]\r\n"
                               "    }\r\n");
    map.count = 0;
    EXPECT_EQ(map.GetSource(), "    color_map\r\n    {\r\n    }\r\n");
}

TEST(ImageFileText, FileLineOnceAndOptionalLines) {
    ImageMap image;
    image.fileName = "my odd file.gif";
    EXPECT_EQ(image.GetSource(false), "      gif \"my odd file.gif\"\r\n");
    image.fileType = 1;
    image.fileName = "stones.tga";
    image.once = 1;
    image.mapType = 2;
    image.interpolate = 4;
    EXPECT_EQ(image.GetSource(true), "      tga \"stones.tga\"once\r\n"
                                     "      map_type 2\r\n"
                                     "      interpolate 4\r\n"
                                     "      bump_size 4.0\r\n");
}

TEST(ImageFileText, PngAndJpegHaveTheirOwnKeywords) {
    ImageMap image;
    image.fileType = ImageMap::kPng;
    image.fileName = "bricks.png";
    EXPECT_EQ(image.GetSource(false), "      png \"bricks.png\"\r\n");
    image.fileType = ImageMap::kJpeg;
    image.fileName = "/home/ann/photo.JPEG";
    image.mapType = 1;
    EXPECT_EQ(image.GetSource(true), "      jpeg \"/home/ann/photo.JPEG\"\r\n"
                                     "      map_type 1\r\n"
                                     "      bump_size 4.0\r\n");
    // Codes nobody writes keep reading as GIF, as they always did.
    image.fileType = 7;
    image.mapType = 0;
    EXPECT_EQ(image.GetSource(false), "      gif \"/home/ann/photo.JPEG\"\r\n");
}

TEST(ImageFileText, TheFileTypeComesFromTheNamesEnding) {
    EXPECT_EQ(ImageMap::FileTypeForName("a.gif"), ImageMap::kGif);
    EXPECT_EQ(ImageMap::FileTypeForName("stones.Tga"), ImageMap::kTarga);
    EXPECT_EQ(ImageMap::FileTypeForName("/x/y/BRICKS.PNG"), ImageMap::kPng);
    EXPECT_EQ(ImageMap::FileTypeForName("photo.jpg"), ImageMap::kJpeg);
    EXPECT_EQ(ImageMap::FileTypeForName("photo.jpeg"), ImageMap::kJpeg);
    EXPECT_EQ(ImageMap::kGif, 0);
    EXPECT_EQ(ImageMap::kTarga, 1);
    EXPECT_FALSE(ImageMap::FileTypeForName("wall.bmp"));
    EXPECT_FALSE(ImageMap::FileTypeForName(""));
    EXPECT_FALSE(ImageMap::FileTypeForName("gi"));
}
