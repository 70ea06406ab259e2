#include "core/model/finish.h"
#include "core/model/normal.h"
#include "core/model/pigment.h"

#include <gtest/gtest.h>

namespace {
const std::string kOpen = "  pigment\r\n  {\r\n";
const std::string kClose = "  }\r\n";
const std::string kDefaultMap = "    color_map\r\n    {\r\n"
                                "      [0.00 color rgb<0.000, 0.000, 0.000>]\r\n"
                                "      [1.00 color rgb<1.000, 1.000, 1.000>]\r\n"
                                "    }\r\n";
} // namespace

TEST(PigmentText, DefaultIsAWhiteSolidColour) {
    EXPECT_EQ(Pigment().GetSource(), kOpen + "    colour rgb<1.000,1.000,1.000>\r\n" + kClose);
}

TEST(PigmentText, SolidColourIgnoresPatternSettings) {
    Pigment p;
    p.color = {255, 128, 0, 64};
    p.turbulence.amount = 40;
    p.phase = 20;
    p.frequency = 3;
    p.transformations.scale = {2, 2, 2};
    EXPECT_EQ(p.GetSource(), kOpen + "    colour rgbf<1.000,0.502,0.000,0.251>\r\n" + kClose);
}

TEST(PigmentText, MarbleWithDefaultsWritesPatternAndMapOnly) {
    Pigment p;
    p.pattern = Pigment::Marble;
    EXPECT_EQ(p.GetSource(), kOpen + "    marble\r\n" + kDefaultMap + kClose);
}

TEST(PigmentText, EveryPatternName) {
    const char* names[] = {"agate",  "bozo",  nullptr,  "granite", "leopard",
                           "marble", "onion", "radial", "spotted", "wood"};
    for (std::uint8_t kind = 0; kind <= 9; ++kind) {
        if (!names[kind])
            continue;
        Pigment p;
        p.pattern = kind;
        EXPECT_EQ(p.GetSource(), kOpen + "    " + names[kind] + "\r\n" + kDefaultMap + kClose);
    }
}

TEST(PigmentText, GradientAxes) {
    Pigment p;
    p.pattern = Pigment::Gradient;
    auto axisLine = [&] {
        return p.GetSource().substr(kOpen.size(),
                                    p.GetSource().find("\r\n", kOpen.size()) - kOpen.size());
    };
    EXPECT_EQ(axisLine(), "    gradient x");
    p.gradientX = p.gradientY = p.gradientZ = 1;
    EXPECT_EQ(axisLine(), "    gradient x+y+z");
    p.gradientY = 0;
    EXPECT_EQ(axisLine(), "    gradient x+z");
    p.gradientX = p.gradientZ = 0;
    EXPECT_EQ(axisLine(), "    gradient x");
    p.gradientY = 1;
    EXPECT_EQ(axisLine(), "    gradient y");
}

TEST(PigmentText, PatternWithEverySetting) {
    Pigment p;
    p.pattern = Pigment::Agate;
    p.turbulence.amount = 40;
    p.phase = 25;
    p.frequency = -2;
    p.transformations.rotate = {0, 0, 45};
    EXPECT_EQ(p.GetSource(),
              kOpen + "    agate\r\n    agate_turb 0.4\r\n" + kDefaultMap +
                  "    phase 0.25\r\n    frequency -2\r\n    rotate <0.0, 0.0, 45.0>\r\n" + kClose);
}

TEST(PigmentText, ImageMapIgnoresMapPhaseAndFrequency) {
    Pigment p;
    p.pattern = Pigment::ImageMap;
    p.image.fileType = 1;
    p.image.fileName = "bricks.tga";
    p.image.bumpSize = 9.0f;
    p.turbulence.amount = 10;
    p.phase = 50;
    p.frequency = 4;
    p.transformations.translate = {1, 0, 0};
    EXPECT_EQ(p.GetSource(), kOpen +
                                 "    image_map\r\n    {\r\n      tga \"bricks.tga\"\r\n    }\r\n"
                                 "    turbulence 0.1\r\n    translate <1.0, 0.0, 0.0>\r\n" +
                                 kClose);
}

TEST(PigmentText, UnknownPatternKeepsTheGeneralParts) {
    Pigment p;
    p.pattern = 12;
    p.turbulence.amount = 50;
    p.phase = 10;
    p.frequency = 2;
    EXPECT_EQ(p.GetSource(),
              kOpen + "    turbulence 0.5\r\n    phase 0.1\r\n    frequency 2\r\n" + kClose);
}

TEST(NormalText, KindsAndDefaults) {
    Normal n;
    EXPECT_EQ(n.GetSource(), "");
    n.kind = Normal::Bumps;
    EXPECT_EQ(n.GetSource(), "  normal\r\n  {\r\n    bumps 0.0\r\n  }\r\n");
    const char* names[] = {"bumps", "dents", "ripples", "waves", "wrinkles"};
    n.amount = 45;
    for (std::uint8_t kind = 0; kind < 5; ++kind) {
        n.kind = kind;
        EXPECT_EQ(n.GetSource(),
                  std::string("  normal\r\n  {\r\n    ") + names[kind] + " 0.45\r\n  }\r\n");
    }
    n.kind = 9;
    EXPECT_EQ(n.GetSource(), "  normal\r\n  {\r\n  }\r\n");
}

TEST(NormalText, BumpMapWithTurbulencePhaseFrequencyAndTransformations) {
    Normal n;
    n.kind = Normal::BumpMap;
    n.image.fileName = "bumps.gif";
    n.image.bumpSize = 2.5f;
    n.turbulence.amount = 20;
    n.turbulence.lambda = 3.0f;
    n.phase = 5;
    n.frequency = 0;
    n.transformations.scale = {0.5f, 0.5f, 0.5f};
    n.color = {1, 2, 3, 4}; // carried, never written
    EXPECT_EQ(n.GetSource(),
              "  normal\r\n  {\r\n    bump_map\r\n    {\r\n      gif \"bumps.gif\"\r\n"
              "      bump_size 2.5\r\n    }\r\n    turbulence 0.2  lambda 3.0\r\n"
              "    phase 0.05\r\n    frequency 0\r\n    scale <0.5, 0.5, 0.5>\r\n  }\r\n");
}

TEST(FinishText, EmptyUnlessAWrittenLineDiffers) {
    Finish f;
    EXPECT_EQ(f.GetSource(), "");
    f.metallic = 1;
    f.roughness = 2;
    f.phongSize = 80;
    f.ior = 1.5f;
    EXPECT_EQ(f.GetSource(), "");
}

TEST(FinishText, SpecularAndPhongLinesCarryMetallic) {
    Finish f;
    f.specular = 50;
    f.roughness = 2;
    f.metallic = 1;
    EXPECT_EQ(f.GetSource(),
              "  finish {\r\n    specular 0.5    roughness 0.02    metallic\r\n  }\r\n");
    f.phong = 90;
    f.phongSize = 60;
    EXPECT_EQ(f.GetSource(), "  finish {\r\n    specular 0.5    roughness 0.02    metallic\r\n"
                             "    phong 0.9    phong_size 60    metallic\r\n  }\r\n");
}

TEST(FinishText, EveryLineInOrder) {
    Finish f;
    f.ambient = 0;
    f.diffuse = 80;
    f.brilliance = 3.0f;
    f.reflection = 15;
    f.refraction = 1;
    f.crand = 0.05f;
    EXPECT_EQ(f.GetSource(),
              "  finish {\r\n    ambient 0.0\r\n    diffuse 0.8\r\n    brilliance 3.0\r\n"
              "    reflection 0.15\r\n    refraction 1.0\r\n    crand 0.05\r\n  }\r\n");
    f.ior = 1.33f;
    EXPECT_NE(f.GetSource().find("    refraction 1.0    ior 1.33\r\n"), std::string::npos);
}
