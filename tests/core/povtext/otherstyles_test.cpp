// What people, converters and old scenes write that POV-Ray 3.7 reads, each read as POV-Ray
// reads it.
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

struct StyleCase {
    const char* style;
    const char* text;
    Lines report;
};

TEST(OtherStyles, WhatPovRayReadsIsReadAlike) {
    const StyleCase cases[] = {
        {"a comma before the closing '>'",
         "#declare T = texture { pigment { rgb <0, 192, 0,>/255 } }",
         {"main.pov:1: imported T"}},
        {"a reflection's two values without a comma",
         "#declare T = texture { pigment { rgb 1 } finish { reflection { 0 0.1 falloff 10 } } }",
         {"main.pov:1: skipped T: a reflection that changes with the angle cannot be held"}},
        {"no_bump_scale and facets' coords",
         "#declare T = texture { pigment { rgb 1 } normal { bumps 0.5 no_bump_scale } }\n"
         "#declare U = texture { pigment { rgb 1 } normal { facets coords 0.5 } }",
         {"main.pov:1: skipped T: no_bump_scale cannot be held",
          "main.pov:2: skipped U: coords cannot be held"}},
        {"uv_mapping before a declared pigment",
         "#declare P = pigment { rgb <1, 0.5, 0> }\n#declare Q = pigment { uv_mapping P }",
         {"main.pov:1: imported P", "main.pov:2: skipped Q: uv_mapping cannot be held"}},
        {"a '#' before a keyword",
         "#object { sphere { 0, 1 } texture { pigment { rgb 1 } } }\n"
         "#declare T = texture { pigment { rgb 1 } }",
         {"main.pov:2: imported T"}},
        {"a converter's declarations before the value",
         "#declare Hull_ =\n#declare PR_DIFFUSE = 0.7;\n"
         "#declare T1 = texture { pigment { rgb 1 } finish { diffuse PR_DIFFUSE } }\n"
         "material { texture { T1 } }",
         {"main.pov:1: skipped Hull_: a material cannot be held", "main.pov:3: imported T1"}},
        {"an #if whose branches open different blocks, closed after its #end",
         "#declare S = seed(42);\n#declare I = 0;\n#while (I < 3)\n"
         "  #if (image_width > rand(S) * 640) box { -1, 1 #else cylinder { 0, y, 1 #end\n"
         "    pigment { rgb 1 } }\n  #declare I = I + 1;\n#end\n"
         "#declare T = texture { pigment { rgb <1, 0, 0> } }",
         {"main.pov:8: imported T"}},
        {"seeded random numbers, drawn as POV-Ray draws them",
         "#declare S = seed(42);\n#declare T = texture { pigment { rgb <rand(S), 0, 0> } }\n"
         "#declare U = texture { average texture_map { [1 pigment { rgb rand(S) }] } }\n"
         "#declare V = texture { pigment { rgb rand(S) } }",
         {"main.pov:2: imported T",
          "main.pov:3: skipped U: a patterned texture (average) cannot be held",
          "main.pov:4: imported V"}},
        {"a local declared inside a value",
         "#declare P = pigment { #local C = rgb <1, 0, 0>; C }",
         {"main.pov:1: imported P"}},
        {"a number where a keyword was expected",
         "#declare T = texture { pigment { rgb 1 } finish { reflection { 0.1 metallic 0.5 1 } } }",
         {"main.pov:1: skipped T: expected a keyword in a reflection but found the number 1"}},
        {"textures kept in an array and taken from it",
         "#declare A = array[2] { texture { pigment { rgb 1 } }, texture { pigment { rgb 0 } } }\n"
         "#declare H = A[0]\n#declare K = texture { A[1 + 0] scale 2 }\n"
         "#declare U = texture { A[2] }\n#declare G = array[2][2] { { texture { T } } }",
         {"main.pov:2: imported H", "main.pov:3: imported K",
          "main.pov:4: skipped U: A[2] is not one of its 2 elements",
          "main.pov:5: skipped G: arrays of more than one dimension are not read"}},
        {"a colour worked out by a user function",
         "#declare F = function(X) { X*X }\n#declare T = texture { pigment { rgb F(0.5) } }",
         {"main.pov:2: skipped T: it calls the function F (main.pov:1), whose values only "
          "POV-Ray works out while it renders"}},
    };
    for (const StyleCase& c : cases)
        EXPECT_EQ(ReportLines(c.text), c.report) << c.style;
}

TEST(OtherStyles, RandomNumbersAreTheOnesPovRayDraws) {
    // As POV-Ray 3.7 prints them with str(rand(S), 0, 12).
    const std::string text =
        "#declare S = seed(42);\n#declare A = rand(S);\n#declare B = rand(S);\n"
        "#declare N = seed(-5.7);\n#declare C = rand(N);";
    EXPECT_NEAR(DeclaredNumber(text, "A").v[0], 0.723582911241, 1e-12);
    EXPECT_NEAR(DeclaredNumber(text, "B").v[0], 0.329979259598, 1e-12);
    EXPECT_NEAR(DeclaredNumber(text, "C").v[0], 0.890052870123, 1e-12);
    // A map the model does not hold draws its numbers all the same.
    EXPECT_NEAR(DeclaredNumber("#declare S = seed(42);\n"
                               "#declare T = texture { average texture_map {\n"
                               "  [1 pigment { rgb rand(S) }] [1 pigment { rgb rand(S) }] } }\n"
                               "#declare D = rand(S);",
                               "D")
                    .v[0],
                0.755761670357, 1e-12);
}

/// The texts kept for what `main` declares, each as POV-Ray text (or its report line).
Lines TextsKept(MemoryFiles files, const std::string& main) {
    files.files["main.pov"] = main;
    ImportOptions options;
    options.libraryFolder = "/library";
    options.asSource = true;
    const ImportResult result = ImportSource({{"main.pov", std::nullopt}}, options, files);
    Lines texts;
    for (const ImportedDeclaration& declaration : result.declarations)
        texts.push_back(declaration.texture
                            ? Lf(static_cast<const SourceTexture&>(*declaration.texture).GetText())
                            : ReportLine(declaration));
    return texts;
}

TEST(OtherStyles, AFinishIdentifierOpeningAFinishReplacesTheOneInherited) {
    // POV-Ray starts "finish { F ... }" from F alone: the gold's reflection is gone, in a
    // texture and in the top layer of a layered one.
    MemoryFiles files;
    files.files["gold.inc"] =
        "#declare Gold = texture { pigment { rgb <1, 0.8, 0> } finish { reflection 0.5 } }\n"
        "#declare Layers = texture { Gold } texture { pigment { rgbt 1 } finish { phong 1 } }\n"
        "#declare F = finish { phong 0.2 }";
    EXPECT_EQ(TextsKept(files, "#include \"gold.inc\"\n"
                               "#declare T = texture { Gold finish { F phong_size 10 } }\n"
                               "#declare U = texture { Layers finish { F } }"),
              (Lines{"texture {\n  pigment {\n    rgb <1, 0.8, 0>\n  }\n  finish {\n"
                     "    phong 0.2 phong_size 10\n  }\n}",
                     "texture {\n  pigment {\n    rgb <1, 0.8, 0>\n  }\n  finish {\n"
                     "    reflection 0.5\n  }\n}\ntexture {\n  pigment {\n    rgbt 1\n  }\n"
                     "  finish {\n    phong 0.2\n  }\n}"}));
}

TEST(OtherStyles, KeptTextIsWrittenAsPeopleWriteIt) {
    // POV-Ray takes no '.' after a written vector: "C.red" stands as the number.
    EXPECT_EQ(TextsKept({}, "#macro Dim(C) rgb <C.red / 2, C.green, C.blue / 2> #end\n"
                            "#declare T = texture { pigment { Dim(rgb <1, 0.5, 0.25>) } }"),
              Lines{"texture {\n  pigment {\n    rgb <1/2, 0.5, 0.25/2>\n  }\n}"});
    // Signs and products written as people write them.
    EXPECT_EQ(TextsKept({}, "#declare T = texture { pigment { rgb 1 } finish { roughness 1/10 }\n"
                            "  translate - y * 17 scale <-1, 2 - 1, x.x + -2> rotate -(45) }"),
              Lines{"texture {\n  pigment {\n    rgb 1\n  }\n  finish {\n    roughness 1/10\n"
                    "  }\n  translate -y*17 scale <-1, 2 - 1, x.x + -2> rotate -(45)\n}"});
}

TEST(OtherStyles, UndeclaredIdentifiersComeFromTheStandardIncludeFilesAndAreNamed) {
    MemoryFiles files;
    files.files["/library/colors.inc"] = "#declare White = rgb 1;\n#declare Red = rgb <1, 0, 0>;\n"
                                         "#macro Half(C) (C / 2) #end\n"
                                         "#macro Broken(C) (C / 0) #end";
    const ImportResult result =
        ImportText("#declare T = texture { pigment { White } }\n"
                   "#ifdef (Red) #declare U = texture { pigment { Red } } #end\n"
                   "#declare V = texture { pigment { rgb Half(1) } }\n"
                   "#declare W = texture { pigment { rgb Broken(1) } }",
                   false, files);
    Lines lines;
    for (const ImportedDeclaration& declaration : result.declarations)
        lines.push_back(ReportLine(declaration));
    // #ifdef asks the text itself; a fault in a macro of the library names the library's file.
    EXPECT_EQ(lines, (Lines{"main.pov:1: imported T", "main.pov:3: imported V",
                            "main.pov:4: skipped W: division by zero (/library/colors.inc:4)"}));
    EXPECT_EQ(result.fromLibrary,
              (Lines{"White from colors.inc", "Half from colors.inc", "Broken from colors.inc"}));
}

TEST(OtherStyles, AChosenFileAnotherChosenFileIncludesIsImportedAndCounted) {
    MemoryFiles files;
    files.files["lib/metals.inc"] =
        "#include \"golds.inc\"\n#declare Silver = texture { pigment { rgb 0.8 } }";
    files.files["lib/golds.inc"] = "#ifndef (Golds_Inc)\n#declare Golds_Inc = 1;\n"
                                   "#declare Gold = texture { pigment { rgb <1, 0.8, 0> } }\n#end";
    files.files["lib/empty.inc"] = "// nothing declared\n";
    const std::vector<std::string> chosen = {"lib/metals.inc", "lib/golds.inc", "lib/empty.inc"};
    std::vector<SourceInput> inputs;
    for (const std::string& name : chosen)
        inputs.push_back({name, std::nullopt});
    const ImportResult result = ImportSource(inputs, ImportOptions(), files);
    Lines lines;
    for (const ImportedDeclaration& declaration : result.declarations)
        lines.push_back(ReportLine(declaration));
    EXPECT_EQ(lines,
              (Lines{"lib/golds.inc:3: imported Gold", "lib/metals.inc:2: imported Silver"}));
    Lines counts;
    for (const FileCounts& file : CountsByFile(result, chosen))
        counts.push_back(file.file + " " + std::to_string(file.imported));
    EXPECT_EQ(counts, (Lines{"lib/metals.inc 1", "lib/golds.inc 1", "lib/empty.inc 0"}));
}

TEST(OtherStyles, DescriptionsKeepEveryLineAndLeaveTheFramingRulesOut) {
    std::string comment;
    for (int line = 0; line < 1500; ++line)
        comment += "// line " + std::to_string(line) + "\n";
    const ImportResult result = ImportText(
        "// =========\n" + comment + "// ---------\n#declare T = texture { pigment { rgb 1 } }");
    ASSERT_EQ(result.declarations.size(), 1u);
    const std::string description = result.declarations[0].texture->GetDescription();
    EXPECT_TRUE(description.starts_with("line 0\nline 1\n")) << description.substr(0, 40);
    EXPECT_TRUE(description.ends_with("line 1499")) << description.substr(description.size() - 40);

    // A description whose last line the writer breaks before a run of dashes keeps them.
    SimpleTexture texture;
    texture.SetName("T");
    texture.SetDescription("Blocks, " + std::string(50, '=') + " ----");
    const ImportResult back = ImportText(texture.GetSource(SourceFlag::Declare));
    ASSERT_EQ(back.declarations.size(), 1u);
    EXPECT_EQ(back.declarations[0].texture->GetDescription(), texture.GetDescription());
}

} // namespace
