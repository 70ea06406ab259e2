#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/texmap/texturemapscene.h"
#include "core/texmap/tiling.h"

#include <algorithm>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

namespace {

std::vector<std::uint8_t> Gradient(int width, int height) {
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(width * height * 3));
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            for (int b = 0; b < 3; ++b)
                pixels[static_cast<std::size_t>((r * width + c) * 3 + b)] =
                    static_cast<std::uint8_t>((r * 37 + c * 11 + b * 70) % 256);
    return pixels;
}

const std::uint8_t* Pixel(const std::vector<std::uint8_t>& p, int width, int r, int c) {
    return &p[static_cast<std::size_t>((r * width + c) * 3)];
}

std::uint8_t Mix(std::uint8_t own, std::uint8_t partner, float f) {
    return static_cast<std::uint8_t>((1.0f - f) * partner + f * own);
}

/// Edge Fade written pass by pass, pixel by pixel, exactly as the rule is stated: the four
/// passes in order, every one reading only the source.
std::vector<std::uint8_t> EdgeFadeByPasses(const std::vector<std::uint8_t>& s, int w, int h) {
    std::vector<std::uint8_t> d = s;
    const int t = static_cast<int>(static_cast<float>(std::min(w, h)) * 0.3f);
    if (t == 0)
        return d;
    const auto blend = [&](int r, int c, int pr, int pc, int distance) {
        const float f = 0.5f + 0.5f * static_cast<float>(distance) / static_cast<float>(t);
        for (int b = 0; b < 3; ++b)
            d[static_cast<std::size_t>((r * w + c) * 3 + b)] =
                Mix(Pixel(s, w, r, c)[b], Pixel(s, w, pr, pc)[b], f);
    };
    for (int j = 0; j < t && j < w - j; ++j)
        for (int c = j; c <= w - 1 - j; ++c)
            blend(j, c, h - 1 - j, c, j);
    for (int j = std::max(0, h - t); j < h; ++j)
        if (const int dist = h - j; dist < w - dist && dist < h)
            for (int c = dist; c <= w - 1 - dist; ++c)
                blend(j, c, dist, c, dist);
    for (int j = 0; j < t && j < h - j; ++j)
        for (int r = j; r <= h - 1 - j; ++r)
            blend(r, j, r, w - 1 - j, j);
    for (int j = std::max(0, w - t); j < w; ++j)
        if (const int dist = w - j; dist < h - dist && dist < w)
            for (int r = dist; r <= h - 1 - dist; ++r)
                blend(r, j, r, dist, dist);
    return d;
}

} // namespace

TEST(EdgeFade, MatchesThePassesOnEveryShape) {
    // Square, wide, tall, odd and even sides, bands of 1 to 30 pixels.
    const std::pair<int, int> shapes[] = {{10, 10}, {4, 4},   {5, 9},     {9, 5},    {37, 23},
                                          {23, 37}, {64, 48}, {100, 101}, {11, 200}, {200, 11}};
    for (auto [w, h] : shapes) {
        SCOPED_TRACE(std::to_string(w) + " x " + std::to_string(h));
        const auto source = Gradient(w, h);
        EXPECT_EQ(EdgeFade(source, w, h), EdgeFadeByPasses(source, w, h));
    }
}

TEST(EdgeFade, TenByTenBandsAndUntouchedCentre) {
    const auto source = Gradient(10, 10);
    const auto faded = EdgeFade(source, 10, 10);
    ASSERT_EQ(faded.size(), source.size());
    // The 4 x 4 centre and row/column 7 (weight 1) keep their values.
    for (int r = 3; r <= 7; ++r)
        for (int c = 3; c <= 7; ++c)
            EXPECT_EQ(std::memcmp(Pixel(faded, 10, r, c), Pixel(source, 10, r, c), 3), 0)
                << r << "," << c;
    // Top row: half own, half the bottom row.
    EXPECT_EQ(Pixel(faded, 10, 0, 5)[0],
              Mix(Pixel(source, 10, 0, 5)[0], Pixel(source, 10, 9, 5)[0], 0.5f));
    // Row 1 blends with row 8 at weight 0.5 + 0.5/3.
    const float f1 = 0.5f + 0.5f * 1.0f / 3.0f;
    EXPECT_EQ(Pixel(faded, 10, 1, 4)[1],
              Mix(Pixel(source, 10, 1, 4)[1], Pixel(source, 10, 8, 4)[1], f1));
    // Bottom row (d = 1) blends with row 1, not row 0.
    EXPECT_EQ(Pixel(faded, 10, 9, 5)[2],
              Mix(Pixel(source, 10, 9, 5)[2], Pixel(source, 10, 1, 5)[2], f1));
    // Right column (d = 1) blends with column 1.
    EXPECT_EQ(Pixel(faded, 10, 5, 9)[0],
              Mix(Pixel(source, 10, 5, 9)[0], Pixel(source, 10, 5, 1)[0], f1));
    // The top-left diagonal keeps the left pass's value.
    EXPECT_EQ(Pixel(faded, 10, 1, 1)[0],
              Mix(Pixel(source, 10, 1, 1)[0], Pixel(source, 10, 1, 8)[0], f1));
    EXPECT_EQ(Pixel(faded, 10, 0, 9)[0],
              Mix(Pixel(source, 10, 0, 9)[0], Pixel(source, 10, 9, 9)[0], 0.5f));
}

TEST(EdgeFade, NarrowMapsAreUnchangedAndRepeatsAreStable) {
    const auto narrow = Gradient(3, 50);
    EXPECT_EQ(EdgeFade(narrow, 3, 50), narrow);
    const auto source = Gradient(37, 23);
    const auto once = EdgeFade(source, 37, 23);
    EXPECT_NE(once, source);
    EXPECT_EQ(EdgeFade(source, 37, 23), once); // every run starts from the source
}

TEST(Mirror, DoublesTheSizeWithMirroredQuarters) {
    const auto source = Gradient(5, 4);
    const auto mirrored = Mirror(source, 5, 4);
    ASSERT_EQ(mirrored.size(), static_cast<std::size_t>(10 * 8 * 3));
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 5; ++c)
            for (auto [mr, mc] : {std::pair{r, c}, std::pair{r, 9 - c}, std::pair{7 - r, c},
                                  std::pair{7 - r, 9 - c}})
                EXPECT_EQ(std::memcmp(Pixel(mirrored, 10, mr, mc), Pixel(source, 5, r, c), 3), 0);
    EXPECT_EQ(Mirror(Gradient(120, 120), 120, 120).size(), static_cast<std::size_t>(240 * 240 * 3));
    // One pixel wide and high: four copies of it.
    const std::vector<std::uint8_t> one = {1, 2, 3};
    EXPECT_EQ(Mirror(one, 1, 1), std::vector<std::uint8_t>({1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}));
}

TEST(TextureMapScene, ReplacesOnlyTheFirstPlaceholder) {
    const std::string scene = TextureMapScene("Red Marble");
    EXPECT_EQ(
        scene,
        "#include \"temptx$$.!!!\"\n\ncamera {\n    location  <0,  0, -10.5>\n"
        "    look_at   <0,  0,   1>\n    up        <0,  1,   0>\n    right     <1,  0,   0>\n}\n\n"
        "plane { z, -1\n  texture {Red_Marble}\n}\n\n"
        "light_source {<-12, 27, -25> colour rgb<1.0,1.0,1.0>}");
    // A name that itself holds the placeholder becomes an identifier like any other name.
    EXPECT_NE(TextureMapScene("%%TEXTURE_NAME%%").find("texture {__TEXTURE_NAME__}"),
              std::string::npos);
}

TEST(FlatFinish, ReplacesTheFinishOfCopiesAndOfEveryLayer) {
    SimpleTexture simple;
    simple.finish.phong = 80;
    simple.finish.crand = 0.3f;
    simple.finish.refraction = 1;
    ApplyFlatFinish(simple, 100);
    EXPECT_EQ(simple.finish.GetSource(),
              "  finish {\r\n    ambient 1.0\r\n    diffuse 0.0\r\n  }\r\n");

    LayeredTexture layered;
    layered.AddLayer(simple);
    SimpleTexture shiny;
    shiny.finish.reflection = 50;
    layered.AddLayer(shiny);
    ApplyFlatFinish(layered, 0);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(layered.GetLayer(i)->finish.GetSource(),
                  "  finish {\r\n    ambient 0.0\r\n    diffuse 0.0\r\n  }\r\n");
}
