#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

const ImportedDeclaration& Only(const ImportResult& result) {
    EXPECT_FALSE(result.failure) << *result.failure;
    EXPECT_EQ(result.declarations.size(), 1u);
    return result.declarations.front();
}

std::string SourceOfLast(const ImportResult& result) {
    if (result.failure || result.declarations.empty() || !result.declarations.back().texture)
        return "nothing imported";
    return Lf(result.declarations.back().texture->GetSource(SourceFlag::Declare));
}

std::string ApproximatedLine(const std::string& text) {
    const ImportResult result = ImportText(text, true);
    return result.failure ? *result.failure : ReportLine(Only(result));
}

std::string SkippedLine(const std::string& text) {
    const ImportResult result = ImportText(text);
    return result.failure ? *result.failure : ReportLine(Only(result));
}

} // namespace

TEST(Mapping, PatternPigmentsKeepTheirColourMapTurbulenceAndModifiers) {
    EXPECT_EQ(SourceOfOnly(ImportText(
                  "#declare M = color_map { [0.0, 0.5 color rgb <1,0,0> color rgb <0,0,1>]\n"
                  "  [0.5 rgb 1] [1 color 0] }\n"
                  "// Red veins over blue\n"
                  "#declare Veined = texture { pigment { marble color_map { M } turbulence 0.5\n"
                  "  octaves 3 omega 0.6 lambda 2.5 phase 0.25 frequency 2 scale 2 } }")),
              "// Red veins over blue\n"
              "#declare Veined = texture\n{\n  pigment\n  {\n    marble\n"
              "    turbulence 0.5  octaves 3  omega 0.6  lambda 2.5\n"
              "    color_map\n    {\n"
              "      [0.00 color rgb<1.000, 0.000, 0.000>]\n"
              "      [0.50 color rgb<0.000, 0.000, 1.000>]\n"
              "      [0.50 color rgb<1.000, 1.000, 1.000>]\n"
              "      [1.00 color rgb<0.000, 0.000, 0.000>]\n"
              "    }\n    phase 0.25\n    frequency 2\n    scale <2.0, 2.0, 2.0>\n  }\n}");
    // Without a colour map a pattern shows POV-Ray's own; bumps as a pigment is bozo; a
    // gradient along equal axes is the model's gradient; agate keeps its agate_turb.
    EXPECT_EQ(SourceOfOnly(ImportText("#declare W = pigment { wood }")),
              "#declare W = texture\n{\n  pigment\n  {\n    wood\n    color_map\n    {\n"
              "      [0.60 color rgb<0.667, 0.314, 0.200>]\n"
              "      [0.60 color rgb<0.400, 0.133, 0.067>]\n    }\n  }\n}");
    EXPECT_EQ(SourceOfOnly(ImportText("#declare B = pigment { bumps gradient <0, 2, 2> }")),
              "#declare B = texture\n{\n  pigment\n  {\n    gradient y+z\n    color_map\n    {\n"
              "      [0.00 color rgb<0.000, 0.000, 0.000>]\n"
              "      [1.00 color rgb<1.000, 1.000, 1.000>]\n    }\n  }\n}");
    EXPECT_EQ(SourceOfOnly(ImportText("#declare A = pigment { agate agate_turb 0.4 "
                                      "color_map { [0 rgbf <1, 1, 1, 0.5>] [1 rgb 0] } }")),
              "#declare A = texture\n{\n  pigment\n  {\n    agate\n    agate_turb 0.4\n"
              "    color_map\n    {\n"
              "      [0.00 color rgbf<1.000, 1.000, 1.000, 0.502>]\n"
              "      [1.00 color rgb<0.000, 0.000, 0.000>]\n    }\n  }\n}");
    // A pigment map of plain colours is a colour map.
    EXPECT_EQ(SourceOfLast(ImportText("#declare Green = pigment { rgb <0, 1, 0> }\n"
                                      "#declare P = pigment { onion pigment_map {\n"
                                      "  [0 color rgb 1] [1 Green] } }")),
              "#declare P = texture\n{\n  pigment\n  {\n    onion\n    color_map\n    {\n"
              "      [0.00 color rgb<1.000, 1.000, 1.000>]\n"
              "      [1.00 color rgb<0.000, 1.000, 0.000>]\n    }\n  }\n}");
}

TEST(Mapping, IdentifiersBuildTexturesAsPovRayDoes) {
    const std::string library =
        "#declare P_Brass3 = color rgb <0.58, 0.42, 0.20>;\n"
        "#declare F_MetalC = finish { ambient 0.25 brilliance 4\n"
        "  diffuse 0.5 metallic specular 0.80 roughness 1/100 reflection 0.5 }\n"
        "#declare Base = texture { pigment { P_Brass3 } finish { F_MetalC } }\n";
    // A finish block given after an identifier changes that texture's finish.
    EXPECT_EQ(SourceOfLast(ImportText(library + "#declare T = texture { Base finish { phong 1 }\n"
                                                "  pigment { P_Brass3 filter 0.2 } }")),
              "#declare T = texture\n{\n  pigment\n  {\n    colour rgbf<0.580,0.420,0.200,0.200>\n"
              "  }\n  finish {\n    ambient 0.25\n    diffuse 0.5\n    brilliance 4.0\n"
              "    specular 0.8    roughness 0.01    metallic\n    phong 1.0    metallic\n"
              "    reflection 0.5\n  }\n}");
    // A texture with no pigment is black, as in POV-Ray.
    EXPECT_EQ(SourceOfOnly(ImportText("#declare Black = texture { finish { phong 1 } }")),
              "#declare Black = texture\n{\n  pigment\n  {\n    colour rgb<0.000,0.000,0.000>\n"
              "  }\n  finish {\n    phong 1.0\n  }\n}");
}

TEST(Mapping, FinishNormalAndImageFieldsComeThroughAtTheModelsPrecision) {
    EXPECT_EQ(SourceOfOnly(ImportText(
                  "#declare F = texture { pigment { rgb <0.5, 0.25, 1> }\n"
                  "  normal { ripples 0.6 turbulence 0.2 frequency 3 scale 0.5 }\n"
                  "  finish { ambient 0.2 diffuse 0.7 brilliance 2 specular 0.5 roughness 1/50\n"
                  "    metallic phong 0.3 phong_size 60 reflection rgb 0.25 refraction 1 ior 1.5\n"
                  "    crand 0.05 } }")),
              "#declare F = texture\n{\n  pigment\n  {\n    colour rgb<0.502,0.251,1.000>\n  }\n"
              "  normal\n  {\n    ripples 0.6\n    turbulence 0.2\n    frequency 3\n"
              "    scale <0.5, 0.5, 0.5>\n  }\n"
              "  finish {\n    ambient 0.2\n    diffuse 0.7\n    brilliance 2.0\n"
              "    specular 0.5    roughness 0.02    metallic\n"
              "    phong 0.3    phong_size 60    metallic\n    reflection 0.25\n"
              "    refraction 1.0    ior 1.5\n    crand 0.05\n  }\n}");
    // bump_map keeps POV-Ray's default bump size of 0.5; a normal without an amount has 0.5.
    EXPECT_EQ(
        SourceOfOnly(ImportText(
            "#declare I = texture { pigment { image_map { tga \"wall.tga\" once map_type 1 }\n"
            "  rotate x*90 }\n"
            "  normal { bump_map { png \"b.png\" interpolate 2 } } }")),
        "#declare I = texture\n{\n  pigment\n  {\n    image_map\n    {\n"
        "      tga \"wall.tga\"once\n      map_type 1\n    }\n    rotate <90.0, 0.0, 0.0>\n  }\n"
        "  normal\n  {\n    bump_map\n    {\n      png \"b.png\"\n      interpolate 2\n"
        "      bump_size 0.5\n    }\n  }\n}");
    EXPECT_EQ(SourceOfOnly(ImportText("#declare D = texture { normal { dents scale 0.2 } }")),
              "#declare D = texture\n{\n  pigment\n  {\n    colour rgb<0.000,0.000,0.000>\n  }\n"
              "  normal\n  {\n    dents 0.5\n    scale <0.2, 0.2, 0.2>\n  }\n}");
}

TEST(Mapping, LayersAndTilesBecomeALayeredTexture) {
    const ImportResult layered =
        ImportText("#declare Under = texture { pigment { granite } }\n"
                   "#declare L = texture { Under scale 2 }\n"
                   "  texture { pigment { rgbf <1, 0, 0, 0.5> } finish { phong 1 } }");
    ASSERT_EQ(layered.declarations.size(), 2u);
    const Texture& texture = *layered.declarations[1].texture;
    ASSERT_NE(texture.Kind(), TextureKind::Simple);
    EXPECT_EQ(Lf(texture.GetSource(SourceFlag::Declare)),
              "#declare L =\ntexture {\n  pigment\n  {\n    granite\n    color_map\n    {\n"
              "      [0.00 color rgb<0.000, 0.000, 0.000>]\n"
              "      [1.00 color rgb<1.000, 1.000, 1.000>]\n    }\n  }\n"
              "  scale <2.0, 2.0, 2.0>\n}\n"
              "texture {\n  pigment\n  {\n    colour rgbf<1.000,0.000,0.000,0.502>\n  }\n"
              "  finish {\n    phong 1.0\n  }\n}\n");
    EXPECT_EQ(SourceOfOnly(
                  ImportText("#declare Tiles = texture { tiles {\n"
                             "  texture { pigment { rgb 1 } } tile2 texture { pigment { rgb 0 } }\n"
                             "} }")),
              "#declare Tiles =\ntexture {\n  tiles {\n    texture {\n"
              "  pigment\n  {\n    colour rgb<1.000,1.000,1.000>\n  }\n    }\n  tile2\n"
              "    texture {\n  pigment\n  {\n    colour rgb<0.000,0.000,0.000>\n  }\n"
              "    }\n  }\n}\n");
}

TEST(Mapping, TransformationsInAnOrderTheModelHoldsAreKeptOrRearrangedExactly) {
    // In the model's order they stay as written, at the texture's level.
    EXPECT_NE(SourceOfOnly(ImportText("#declare T = texture { pigment { gradient x }\n"
                                      "  translate y rotate <0, 0, 40> scale <2, 3, 2> }"))
                  .find("  translate <0.0, 1.0, 0.0>\n  rotate <0.0, 0.0, 40.0>\n"
                        "  scale <2.0, 3.0, 2.0>\n}"),
              std::string::npos);
    // Scale before rotation: the scale moves to the pigment and the normal, the rotation stays.
    EXPECT_NE(SourceOfOnly(ImportText("#declare T = texture { pigment { gradient x }\n"
                                      "  normal { bumps } scale <2, 3, 2> rotate <0, 0, 40> }"))
                  .find("    scale <2.0, 3.0, 2.0>\n  }\n  normal\n  {\n    bumps 0.5\n"
                        "    scale <2.0, 3.0, 2.0>\n  }\n  rotate <0.0, 0.0, 40.0>\n}"),
              std::string::npos);
    // A pigment turned after its scale, under a normal scaled alike in every direction: the
    // turn goes up to the texture and the normal turns back.
    EXPECT_NE(SourceOfOnly(ImportText("#declare T = texture {\n"
                                      "  pigment { granite scale <2, 1, 1> rotate y*4 }\n"
                                      "  normal { bumps 0.3 scale 0.2 } }"))
                  .find("    scale <2.0, 1.0, 1.0>\n  }\n  normal\n  {\n    bumps 0.3\n"
                        "    rotate <0.0, -4.0, 0.0>\n    scale <0.2, 0.2, 0.2>\n  }\n"
                        "  rotate <0.0, 4.0, 0.0>\n}"),
              std::string::npos);
    // Two rotations become one.
    EXPECT_NE(SourceOfOnly(ImportText("#declare T = pigment { gradient x\n"
                                      "  rotate <0, 0, 90> rotate <90, 0, 0> }"))
                  .find("    rotate <90.0, -90.0, 0.0>\n"),
              std::string::npos);
    // A pigment scaled after it was turned, under a normal scaled another way, cannot be held.
    EXPECT_EQ(SkippedLine("#declare T = texture {\n"
                          "  pigment { gradient x scale <1, 3, 1> rotate z*30 }\n"
                          "  normal { bumps scale <3, 1, 1> } }"),
              "main.pov:1: skipped T: transformations in this order cannot be held (main.pov:2)");
    EXPECT_EQ(ApproximatedLine("#declare T = texture {\n"
                               "  pigment { gradient x scale <1, 3, 1> rotate z*30 }\n"
                               "  normal { bumps scale <3, 1, 1> } }"),
              "main.pov:1: approximated T: transformations reordered to translate, rotate and "
              "scale (main.pov:2)");
}

TEST(Mapping, WhatTheModelCannotHoldIsRefusedWithItsPlace) {
    EXPECT_EQ(SkippedLine("#declare G = texture {\n pigment { granite color_map {\n"
                          "  [0 rgb 1] [1 rgbt <1, 0, 0, 0.4>] } } }"),
              "main.pov:1: skipped G: transmit 0.4 cannot be held (main.pov:3)");
    EXPECT_EQ(SkippedLine("#declare C = pigment {\n crackle }"),
              "main.pov:1: skipped C: the pattern crackle cannot be held (main.pov:2)");
    EXPECT_EQ(SkippedLine("#declare S = pigment { wood\n sine_wave }"),
              "main.pov:1: skipped S: sine_wave cannot be held (main.pov:2)");
    EXPECT_EQ(SkippedLine("#declare W = pigment { bozo\n warp { turbulence 1 } }"),
              "main.pov:1: skipped W: warp cannot be held (main.pov:2)");
    EXPECT_EQ(SkippedLine("#declare M = material { texture { pigment { rgb 1 } }\n"
                          " interior { ior 1.5 } }"),
              "main.pov:1: skipped M: a material cannot be held (main.pov:2)");
    EXPECT_EQ(
        SkippedLine("#declare F = texture { finish {\n ambient rgb <0.1, 0.2, 0.3> } }"),
        "main.pov:1: skipped F: ambient in colour <0.1, 0.2, 0.3> cannot be held (main.pov:2)");
    EXPECT_EQ(SkippedLine("#declare I = pigment { image_map {\n iff \"x.iff\" } }"),
              "main.pov:1: skipped I: an image of type iff cannot be held (main.pov:2)");
    EXPECT_EQ(SkippedLine("#declare N = texture { tiles { texture { T1 } tile2 texture { T2 } } }"),
              "main.pov:1: skipped N: T1 is not declared");
    EXPECT_EQ(SkippedLine("#declare K = texture { pigment { rgb 1 }\n quilted }"),
              "main.pov:1: skipped K: a patterned texture (quilted) cannot be held (main.pov:2)");
    EXPECT_EQ(SkippedLine("#declare Q = texture { pigment { rgb 1 } hollow }"),
              "main.pov:1: skipped Q: the keyword hollow is not read in a texture");
}

TEST(Mapping, ApproximationsMapToTheNearestAndListEveryStep) {
    EXPECT_EQ(ApproximatedLine("#declare A = texture {\n"
                               "  pigment { crackle turbulence <0.1, 0.2, 0.3> sine_wave\n"
                               "    color_map { [0 rgbt <1, 1, 1, 0.5>] [1 rgb 2] } }\n"
                               "  finish { ambient rgb <0.1, 0.2, 0.3> roughness 0.0001 specular 1 "
                               "metallic 0.7 } }"),
              "main.pov:1: approximated A: crackle taken as granite (main.pov:2); sine_wave left "
              "out (main.pov:2); transmit taken as filter (main.pov:3); colour channels outside 0 "
              "to 1 clamped (main.pov:3); turbulence <0.1, 0.2, 0.3> taken as 0.2 (main.pov:2); "
              "ambient colour <0.1, 0.2, 0.3> taken as its mean 0.2 (main.pov:4); roughness "
              "0.0001 raised to 0.01 (main.pov:4); metallic 0.7 taken as on (main.pov:4)");
    // More than 20 entries: exact when the extra ones change nothing, resampled otherwise.
    std::string even = "#declare E = pigment { gradient x color_map {";
    std::string saw = "#declare S = pigment { gradient x color_map {";
    for (int i = 0; i <= 30; ++i) {
        even += " [" + std::to_string(i * 3 / 100.0) + " rgb " + (i < 15 ? "0" : "1") + "]";
        saw += " [" + std::to_string(i / 30.0) + " rgb " + std::to_string(i % 2) + "]";
    }
    const ImportResult evenResult = ImportText(even + " } }");
    ASSERT_EQ(evenResult.declarations.size(), 1u);
    EXPECT_EQ(evenResult.declarations[0].outcome, ImportOutcome::Imported);
    EXPECT_EQ(ApproximatedLine(saw + " } }"),
              "main.pov:1: approximated S: a colour map of 31 entries resampled to 20");
    // What the model keeps in hundredths is exact only when the text gives hundredths.
    EXPECT_EQ(
        ReportLines("#declare W = pigment { wood turbulence 0.065 }\n"
                    "#declare B = texture { normal { bumps .002 } }\n"
                    "#declare G = pigment { gradient x color_map { [0.125 rgb 0] [1 rgb 1] } }\n"
                    "#declare K = pigment { wood turbulence 0.07 }"),
        (std::vector<std::string>{
            "main.pov:1: skipped W: turbulence 0.065 (finer than 0.01) cannot be held",
            "main.pov:2: skipped B: normal strength 0.002 (finer than 0.01) cannot be held",
            "main.pov:3: skipped G: the colour map position 0.125 (finer than 0.01) "
            "cannot be held",
            "main.pov:4: imported K"}));
    EXPECT_EQ(ApproximatedLine("#declare W = pigment { wood turbulence 0.065 }"),
              "main.pov:1: approximated W: turbulence 0.065 rounded to 0.07");
    const ImportResult material =
        ImportText("#declare M = material { texture { pigment { rgbf <1, 1, 1, 0.9> } }\n"
                   "  interior { ior 1.5 caustics 1 } }",
                   true);
    EXPECT_EQ(ReportLine(Only(material)),
              "main.pov:1: approximated M: the material taken as its texture (main.pov:2); "
              "caustics left out (main.pov:2); the interior's ior 1.5 taken as the finish's "
              "refraction (main.pov:2)");
    EXPECT_NE(Lf(Only(material).texture->GetSource({})).find("    refraction 1.0    ior 1.5\n"),
              std::string::npos);
}
