#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/texmap/texturemapscene.h"
#include "core/texmap/tiling.h"

#include <gtest/gtest.h>

#include <cstring>

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

} // namespace

TEST(EdgeFade, TenByTenBandsAndUntouchedCentre) {
    const auto source = Gradient(10, 10);
    const auto faded = EdgeFade(source, 10, 10);
    ASSERT_EQ(faded.size(), source.size());
    // The 4 x 4 centre and row/column 7 (weight 1) keep their values.
    for (int r = 3; r <= 7; ++r)
        for (int c = 3; c <= 7; ++c)
            EXPECT_EQ(std::memcmp(Pixel(faded, 10, r, c), Pixel(source, 10, r, c), 3), 0) << r << "," << c;
    // Top row: half own, half the bottom row.
    EXPECT_EQ(Pixel(faded, 10, 0, 5)[0], Mix(Pixel(source, 10, 0, 5)[0], Pixel(source, 10, 9, 5)[0], 0.5f));
    // Row 1 blends with row 8 at weight 0.5 + 0.5/3.
    const float f1 = 0.5f + 0.5f * 1.0f / 3.0f;
    EXPECT_EQ(Pixel(faded, 10, 1, 4)[1], Mix(Pixel(source, 10, 1, 4)[1], Pixel(source, 10, 8, 4)[1], f1));
    // Bottom row (d = 1) blends with row 1, not row 0.
    EXPECT_EQ(Pixel(faded, 10, 9, 5)[2], Mix(Pixel(source, 10, 9, 5)[2], Pixel(source, 10, 1, 5)[2], f1));
    // Right column (d = 1) blends with column 1.
    EXPECT_EQ(Pixel(faded, 10, 5, 9)[0], Mix(Pixel(source, 10, 5, 9)[0], Pixel(source, 10, 5, 1)[0], f1));
    // The top-left diagonal keeps the left pass's value.
    EXPECT_EQ(Pixel(faded, 10, 1, 1)[0], Mix(Pixel(source, 10, 1, 1)[0], Pixel(source, 10, 1, 8)[0], f1));
    EXPECT_EQ(Pixel(faded, 10, 0, 9)[0], Mix(Pixel(source, 10, 0, 9)[0], Pixel(source, 10, 9, 9)[0], 0.5f));
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
            for (auto [mr, mc] : {std::pair{r, c}, std::pair{r, 9 - c}, std::pair{7 - r, c}, std::pair{7 - r, 9 - c}})
                EXPECT_EQ(std::memcmp(Pixel(mirrored, 10, mr, mc), Pixel(source, 5, r, c), 3), 0);
    EXPECT_EQ(Mirror(Gradient(120, 120), 120, 120).size(), static_cast<std::size_t>(240 * 240 * 3));
}

TEST(TextureMapScene, ReplacesOnlyTheFirstPlaceholder) {
    const std::string scene = TextureMapScene("Red Marble");
    EXPECT_EQ(scene, "#include \"temptx$$.!!!\"\n\ncamera {\n    location  <0,  0, -10.5>\n"
                     "    look_at   <0,  0,   1>\n    up        <0,  1,   0>\n    right     <1,  0,   0>\n}\n\n"
                     "plane { z, -1\n  texture {Red_Marble}\n}\n\n"
                     "light_source {<-12, 27, -25> colour rgb<1.0,1.0,1.0>}");
    // A name that itself holds the placeholder becomes an identifier like any other name.
    EXPECT_NE(TextureMapScene("%%TEXTURE_NAME%%").find("texture {__TEXTURE_NAME__}"), std::string::npos);
}

TEST(FlatFinish, ReplacesTheFinishOfCopiesAndOfEveryLayer) {
    SimpleTexture simple;
    simple.finish.phong = 80;
    simple.finish.crand = 0.3f;
    simple.finish.refraction = 1;
    ApplyFlatFinish(simple, 100);
    EXPECT_EQ(simple.finish.GetSource(), "  finish {\r\n    ambient 1.0\r\n    diffuse 0.0\r\n  }\r\n");

    LayeredTexture layered;
    layered.AddLayer(simple);
    SimpleTexture shiny;
    shiny.finish.reflection = 50;
    layered.AddLayer(shiny);
    ApplyFlatFinish(layered, 0);
    for (int i = 0; i < 2; ++i)
        EXPECT_EQ(layered.GetLayer(i)->finish.GetSource(), "  finish {\r\n    ambient 0.0\r\n    diffuse 0.0\r\n  }\r\n");
}
