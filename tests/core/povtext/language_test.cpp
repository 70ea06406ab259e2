// The corners of the scene language the library files and hand-written scenes use.

#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

using Expected = std::vector<std::string>;

} // namespace

TEST(Language, DeclarationFormsAndIdentifierCopies) {
    EXPECT_EQ(
        ReportLines("#declare deprecated once \"use B\" A = pigment { rgb 1 }\n"
                    "#local L = texture { pigment { A } }\n"
                    "#declare Copy = L;\n"
                    "#declare Arr = array[2];\n#declare Arr[0] = pigment { rgb 0 }\n"
                    "#declare Tinted = pigment { C }\n"),
        (Expected{"main.pov:1: imported A", "main.pov:2: imported L", "main.pov:3: imported Copy",
                  "main.pov:6: skipped Tinted: C is not declared"}));
    // A colour used as a pigment may be any colour expression; a float added to a colour adds
    // to all five channels, transmit too.
    const ImportResult result = ImportText("#declare Gold = rgb <1, 0.8, 0.4>;\n"
                                           "#declare P = pigment { Gold * 0.5 + <0.1, 0, 0> }");
    EXPECT_NE(SourceOfOnly(result).find("colour rgb<0.600,0.400,0.200>"), std::string::npos)
        << SourceOfOnly(result);
    EXPECT_EQ(
        ReportLines("#declare Gold = rgb <1, 0.8, 0.4>;\n#declare P = pigment { Gold + 0.1 }"),
        Expected{"main.pov:2: skipped P: transmit 0.1 cannot be held"});
}

TEST(Language, VersionsSavedAndRestoredAsTheLibraryDoes) {
    EXPECT_EQ(ReportLines("#declare Saved = version;\n#version 3.5;\n"
                          "#if (version = 3.5) #declare A = pigment { rgb 1 } #end\n"
                          "#version Saved;\n"
                          "#if (version > 3.6) #declare B = pigment { rgb 1 } #end"),
              (Expected{"main.pov:3: imported A", "main.pov:5: imported B"}));
}

TEST(Language, SwitchesAndForLoopsAreCarriedOutWhatCannotBeDecidedIsNotFatal) {
    EXPECT_EQ(
        ReportLines("#switch (2) #case (1) #declare A = pigment { rgb 1 } #break\n"
                    "  #case (2) #declare A = pigment { rgb 0.5 } #case (3) #declare F = pigment "
                    "{ rgb 0.25 } #break #range (4, 9) #declare G = pigment { rgb 0 } #end\n"
                    "#for (I, 1, 3) #declare B = pigment { rgb I/4 } #end\n"
                    "#fopen F \"data.txt\" read\n#read (F, Level)\n#fclose F\n"
                    "#declare C = pigment { rgb Level }\n"
                    "#ifdef (Arr[1]) #declare D = pigment { rgb 1 } #end\n"
                    "#declare E = pigment { rgb 0.5 }\n"
                    "#switch (image_width) #case (1) #declare H = pigment { rgb 1 } #end\n"
                    "#for (J, 0, image_width) #declare K = pigment { rgb 1 } #end"),
        (Expected{"main.pov:2: imported A", "main.pov:2: imported F", "main.pov:3: imported B",
                  "main.pov:7: skipped C: uses Level (main.pov:5), which was skipped: it is read "
                  "from a file by the #read at main.pov:5 (main.pov:5)",
                  "main.pov:8: skipped D: it is declared inside the #ifdef at main.pov:8, which "
                  "cannot be decided: it asks about an element of an array",
                  "main.pov:9: imported E",
                  "main.pov:10: skipped H: it is declared inside the #switch at main.pov:10, whose "
                  "value cannot be evaluated: image_width is only known when POV-Ray renders",
                  "main.pov:11: skipped K: it is declared inside the #for at main.pov:11, whose "
                  "bounds cannot be evaluated: image_width is only known when POV-Ray renders"}));
    // The counter after the loop is the last value it took, plus a step.
    EXPECT_EQ(DeclaredNumber("#for (I, 1, 3) #end", "I").v[0], 4.0);
}

TEST(Language, IncludeNamesAreStringExpressions) {
    MemoryFiles files;
    files.files["/library/tones.inc"] = "#declare Tone = rgb 0.25;";
    files.files["main.pov"] = "#declare Name = \"tones\";\n#include concat(Name, \".inc\")\n"
                              "#declare T = pigment { Tone }";
    ImportOptions options;
    options.libraryFolder = "/library";
    const ImportResult result = ImportSource({{"main.pov", std::nullopt}}, options, files);
    ASSERT_FALSE(result.failure) << *result.failure;
    ASSERT_EQ(result.declarations.size(), 1u);
    EXPECT_EQ(result.declarations[0].outcome, ImportOutcome::Imported);
}

TEST(Language, LayeredTexturesTakeTransformationsForEachLayerAndPartsForTheTop) {
    const std::string layers = "#declare Two = texture { pigment { granite } }\n"
                               "  // a comment between the layers\n"
                               "  texture { pigment { rgbf <1, 1, 1, 0.5> } }\n";
    const ImportResult scaled = ImportText(layers + "#declare Big = texture { Two scale 3 }");
    ASSERT_EQ(scaled.declarations.size(), 2u);
    const Texture& big = *scaled.declarations[1].texture;
    ASSERT_NE(big.Kind(), TextureKind::Simple);
    EXPECT_NE(Lf(big.GetSource({})).find("  scale <3.0, 3.0, 3.0>\n}\ntexture"), std::string::npos);
    const ImportResult shiny =
        ImportText(layers + "#declare Shiny = texture { Two finish { phong 1 } }");
    ASSERT_EQ(shiny.declarations.size(), 2u);
    // POV-Ray gives the top layer alone the finish (and a normal or pigment).
    const std::string source = Lf(shiny.declarations[1].texture->GetSource({}));
    EXPECT_EQ(source.find("phong"), source.rfind("phong")) << source;
    EXPECT_TRUE(source.ends_with("  finish {\n    phong 1.0\n  }\n}\n")) << source;
    EXPECT_EQ(ReportLines(layers + "#declare Rough = texture { Two normal { bumps } }").back(),
              "main.pov:4: imported Rough");
    EXPECT_EQ(ReportLines("#declare T = texture { tiles { texture { pigment { rgb 1 } } tile2\n"
                          "  texture { pigment { rgb 0 } } } scale 2 }"),
              Expected{"main.pov:1: skipped T: transformations of a tiles texture cannot be held "
                       "(main.pov:2)"});
}

TEST(Language, MaterialsAndInteriorsByIdentifier) {
    EXPECT_EQ(ReportLines("#declare I_Glass = interior { ior 1.33 }\n"
                          "#declare M_Water = material { texture { pigment { rgbf 0.9 } }\n"
                          "  interior { I_Glass } }\n"
                          "#declare M_Copy = material { M_Water scale 2 }\n",
                          true),
              (Expected{"main.pov:2: approximated M_Water: the material taken as its texture "
                        "(main.pov:1); the interior's ior 1.33 taken as the finish's refraction "
                        "(main.pov:1)",
                        "main.pov:4: approximated M_Copy: the material taken as its texture "
                        "(main.pov:1); the interior's ior 1.33 taken as the finish's refraction "
                        "(main.pov:1)"}));
    EXPECT_EQ(
        ReportLines("#declare T = texture { pigment { rgb 1 } }\n#declare M = material { T }"),
        (Expected{"main.pov:1: imported T",
                  "main.pov:2: skipped M: T is a texture, not a material"}));
}

TEST(Language, LinesAreCountedAcrossEveryLineEnd) {
    const ImportResult result =
        ImportText("// one\r\n#declare A = pigment { rgb 1 }\r\n\r\n#declare B = pigment {\r\n"
                   "  Missing }\r\n");
    ASSERT_EQ(result.declarations.size(), 2u);
    EXPECT_EQ(result.declarations[0].texture->GetDescription(), "one");
    EXPECT_EQ(ReportLine(result.declarations[1]),
              "main.pov:4: skipped B: Missing is not declared (main.pov:5)");
}
