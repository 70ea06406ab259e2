// The many ways POV-Ray writes the parts of a texture, each read to what it means.

#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

/// The lines of the imported texture's source between the declaration's braces, or the
/// report line when it was not imported.
std::string Body(const std::string& text, bool approximate = false) {
    const ImportResult result = ImportText(text, approximate);
    if (result.failure)
        return *result.failure;
    const ImportedDeclaration& last = result.declarations.back();
    if (!last.texture || last.outcome != ImportOutcome::Imported)
        return ReportLine(last);
    return Lf(last.texture->GetSource({}));
}

} // namespace

TEST(Blocks, ColourMapEntriesInEveryForm) {
    EXPECT_EQ(Body("#declare P = pigment { bozo color_map {\n"
                   "  [0.75 color Gray filter 0.5] } }"),
              "main.pov:1: skipped P: Gray is not declared (main.pov:2)");
    EXPECT_EQ(Body("#declare Gray = rgb 0.5;\n#declare P = pigment { bozo color_map {\n"
                   "  [0, 0.25 color red 1 color red 1 green 1]\n"
                   "  [0.5, rgb 0.5] [0.75 Gray filter 0.5] [1 color 0] } }"),
              "  pigment\n  {\n    bozo\n    color_map\n    {\n"
              "      [0.00 color rgb<1.000, 0.000, 0.000>]\n"
              "      [0.25 color rgb<1.000, 1.000, 0.000>]\n"
              "      [0.50 color rgb<0.502, 0.502, 0.502>]\n"
              "      [0.75 color rgbf<0.502, 0.502, 0.502, 0.502>]\n"
              "      [1.00 color rgb<0.000, 0.000, 0.000>]\n    }\n  }\n");
}

TEST(Blocks, PatternModifiersThatChangeNothingAreExactAndOthersAreNot) {
    // A phase goes round in a cycle of 1; marble's own wave is the triangle; noise generator 2
    // is POV-Ray's; octaves are whole; quick colours only show in quick renders.
    EXPECT_EQ(Body("#declare P = pigment { marble triangle_wave noise_generator 2 phase 3.3\n"
                   "  turbulence 0.5 octaves 2.7 quick_color rgb 1 color_map { [0 rgb 1] } }"),
              "  pigment\n  {\n    marble\n    turbulence 0.5  octaves 2\n    color_map\n    {\n"
              "      [0.00 color rgb<1.000, 1.000, 1.000>]\n    }\n    phase 0.3\n  }\n");
    EXPECT_EQ(Body("#declare P = pigment { granite frequency 1.5 }"),
              "main.pov:1: skipped P: frequency 1.5 cannot be held");
    EXPECT_EQ(Body("#declare P = pigment { granite noise_generator 3 }"),
              "main.pov:1: skipped P: noise_generator cannot be held");
    EXPECT_EQ(Body("#declare P = pigment { granite ramp_wave turbulence 3 }"),
              "main.pov:1: skipped P: turbulence 3 cannot be held");
    EXPECT_EQ(Body("#declare P = pigment { granite turbulence 3 }", true),
              "main.pov:1: approximated P: turbulence 3 clamped to 2.55");
    EXPECT_EQ(Body("#declare P = pigment { checker color rgb 1, color rgb 0 }", true),
              "main.pov:1: approximated P: checker taken as the average of its colours");
}

TEST(Blocks, ImageMapsKeepWhatTheModelWrites) {
    EXPECT_EQ(Body("#declare I = pigment { image_map { \"tiles.png\" map_type 2 } }"),
              "  pigment\n  {\n    image_map\n    {\n      png \"tiles.png\"\n      map_type 2\n"
              "    }\n  }\n");
    EXPECT_EQ(Body("#declare I = pigment { image_map { png \"a\\\"b.png\" } }"),
              "main.pov:1: skipped I: the image file name \"a\\\"b.png\" cannot be held");
    EXPECT_EQ(Body("#declare I = pigment { image_map { png \"a.png\" filter all 0.5 } }"),
              "main.pov:1: skipped I: filter in an image map cannot be held");
    EXPECT_EQ(Body("#declare I = pigment { image_map { \"a.bin\" } }"),
              "main.pov:1: skipped I: an image of type unknown cannot be held");
}

TEST(Blocks, NormalsTakeTheirAmountInEveryForm) {
    EXPECT_EQ(Body("#declare N = texture { normal { waves bump_size 0.3 frequency -2 } }"),
              "  pigment\n  {\n    colour rgb<0.000,0.000,0.000>\n  }\n"
              "  normal\n  {\n    waves 0.3\n    frequency -2\n  }\n");
    EXPECT_EQ(Body("#declare N = texture { normal { granite 0.4 } }", true),
              "main.pov:1: approximated N: normal granite taken as bumps");
    EXPECT_EQ(Body("#declare N = texture { normal { gradient x, 0.5 } }"),
              "main.pov:1: skipped N: the normal pattern gradient cannot be held");
    EXPECT_EQ(Body("#declare N = texture { normal { checker normal { bumps } } }"),
              "main.pov:1: skipped N: a normal made of other normals (checker) cannot be held");
}

TEST(Blocks, FinishFieldsTheModelCannotHoldAreNamed) {
    EXPECT_EQ(Body("#declare F = texture { finish { specular 0.5 metallic 0 } }"),
              "  pigment\n  {\n    colour rgb<0.000,0.000,0.000>\n  }\n"
              "  finish {\n    specular 0.5\n  }\n");
    EXPECT_EQ(Body("#declare F = texture { finish { reflection { 0.1, 1 fresnel on } } }", true),
              "main.pov:1: approximated F: a reflection that changes with the angle left out; "
              "fresnel reflection left out");
    EXPECT_EQ(Body("#declare F = texture { finish { diffuse albedo 0.6 } }"),
              "main.pov:1: skipped F: albedo cannot be held");
    EXPECT_EQ(Body("#declare F = texture { finish { phong 1 phong_size 40.5 } }"),
              "main.pov:1: skipped F: phong_size 40.5 cannot be held");
    EXPECT_EQ(Body("#declare F = texture { finish { irid { 0.3 } conserve_energy } }", true),
              "main.pov:1: approximated F: irid left out; conserve_energy left out");
}
