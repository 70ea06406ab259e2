#include "core/model/sourcetexture.h"
#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

struct Imported {
    std::vector<std::string> lines;
    std::vector<std::string> sources;
    std::vector<std::string> kinds;
};

Imported Import(const std::string& text, bool asSource, bool approximate = false,
                MemoryFiles files = MemoryFiles()) {
    files.files["main.pov"] = text;
    ImportOptions options;
    options.libraryFolder = "/library";
    options.asSource = asSource;
    options.sourceFallback = true;
    options.approximate = approximate;
    const ImportResult result = ImportSource({{"main.pov", std::nullopt}}, options, files);
    Imported imported;
    if (result.failure)
        imported.lines.push_back("failure: " + *result.failure);
    for (const ImportedDeclaration& declaration : result.declarations) {
        imported.lines.push_back(ReportLine(declaration));
        if (const auto* source = dynamic_cast<const SourceTexture*>(declaration.texture.get())) {
            imported.sources.push_back(Lf(source->GetSource(SourceFlag::Declare)));
            imported.kinds.emplace_back(SourceKindName(source->GetKind()));
        }
    }
    return imported;
}

} // namespace

TEST(ImportAsSource, WritesTheTextFromWhatWasReadWithNumbersAsWritten) {
    const Imported imported = Import("// Green stone\n"
                                     "#declare Jade = pigment { marble turbulence 1.80\n"
                                     "  color_map { [0.0 rgb <0.1,0.6,0.1>] [1.0 rgb 0.2e1/4] }\n"
                                     "  /* no comment stays */ scale .5 }",
                                     true);
    ASSERT_EQ(imported.lines, std::vector<std::string>{"main.pov:2: source Jade"});
    EXPECT_EQ(imported.kinds, std::vector<std::string>{"pigment"});
    EXPECT_EQ(imported.sources.front(), "// Green stone\n"
                                        "#declare Jade = pigment {\n"
                                        "  marble turbulence 1.80 color_map {\n"
                                        "    [0.0 rgb <0.1, 0.6, 0.1>]\n"
                                        "    [1.0 rgb 0.2e1/4]\n"
                                        "  }\n"
                                        "  scale .5\n"
                                        "}");
}

TEST(ImportAsSource, ResolvesEveryIdentifierItUses) {
    MemoryFiles files;
    files.files["/library/stones.inc"] = "#declare Dark = rgb <0.1, 0.2, 0.3>;\n"
                                         "#declare Size = -0.25;\n"
                                         "#declare Shiny = finish { phong 1 }\n"
                                         "#declare Base = texture { pigment { color Dark } }\n"
                                         "#declare Move = transform { translate x }\n";
    const Imported imported =
        Import("#include \"stones.inc\"\n"
               "#declare Stone = texture { Base finish { Shiny } scale Size transform Move }\n"
               "#declare Glass = material { texture { Base } interior { ior 1.5 } }\n",
               true, false, files);
    ASSERT_EQ(imported.lines,
              (std::vector<std::string>{"main.pov:2: source Stone", "main.pov:3: source Glass"}));
    EXPECT_EQ(imported.sources[0], "#declare Stone = texture {\n"
                                   "  pigment {\n"
                                   "    color rgbft <0.1, 0.2, 0.3, 0, 0>\n"
                                   "  }\n"
                                   "  finish {\n"
                                   "    phong 1\n"
                                   "  }\n"
                                   "  scale (-0.25) transform {\n"
                                   "    translate x\n"
                                   "  }\n"
                                   "}");
    EXPECT_EQ(imported.kinds[1], "material");
    EXPECT_EQ(imported.sources[1], "#declare Glass = material {\n"
                                   "  texture {\n"
                                   "    pigment {\n"
                                   "      color rgbft <0.1, 0.2, 0.3, 0, 0>\n"
                                   "    }\n"
                                   "  }\n"
                                   "  interior {\n"
                                   "    ior 1.5\n"
                                   "  }\n"
                                   "}");
}

TEST(ImportAsSource, CarriesOutTheDirectivesAndKeepsOnlyWhatTheyChose) {
    const Imported imported = Import("#declare Fine = 1;\n"
                                     "#declare T = texture {\n"
                                     "  #if (Fine > 0) pigment { granite } #else pigment { agate } "
                                     "#end\n"
                                     "  #ifdef (Missing) finish { phong 1 } #end\n"
                                     "}\n"
                                     "#declare Copy = T\n",
                                     true);
    ASSERT_EQ(imported.lines,
              (std::vector<std::string>{"main.pov:2: source T", "main.pov:6: source Copy"}));
    EXPECT_EQ(imported.sources[0], "#declare T = texture {\n  pigment {\n    granite\n  }\n}");
    EXPECT_EQ(imported.sources[1], "#declare Copy = texture {\n  pigment {\n    granite\n  }\n}");
}

TEST(ImportAsSource, SkipsWhatCannotBeWrittenOutAndSaysWhy) {
    const Imported imported =
        Import("#declare Layers = texture { pigment { rgb 1 } } texture { pigment { rgbt 0.5 } }\n"
               "#declare Inside = texture { Layers scale 2 }\n"
               "#declare Whole = texture { Layers }\n"
               "#declare F = function { x }\n"
               "#declare P = pigment { function { F(x, y, z) } }\n",
               true);
    ASSERT_EQ(imported.lines.size(), 4u);
    EXPECT_EQ(imported.lines[0], "main.pov:1: source Layers");
    // A layered texture in a texture block is that layered texture, its transformations
    // applied to each layer.
    EXPECT_EQ(imported.lines[1], "main.pov:2: source Inside");
    EXPECT_EQ(imported.lines[2], "main.pov:3: source Whole");
    ASSERT_EQ(imported.sources.size(), 3u);
    EXPECT_EQ(imported.sources[1],
              "#declare Inside = texture {\n  pigment {\n    rgb 1\n  }\n  scale 2\n}\n"
              "texture {\n  pigment {\n    rgbt 0.5\n  }\n  scale 2\n}");
    EXPECT_EQ(imported.sources[2], "#declare Whole = texture {\n  pigment {\n    rgb 1\n  }\n}\n"
                                   "texture {\n  pigment {\n    rgbt 0.5\n  }\n}");
    EXPECT_EQ(imported.lines[3].rfind("main.pov:5: skipped P: ", 0), 0u) << imported.lines[3];
}

TEST(ImportAsSource, WithoutTheOptionOnlyWhatTheModelCannotHoldBecomesSource) {
    const std::string text = "#declare Plain = texture { pigment { rgb <1, 0, 0> } }\n"
                             "#declare Glassy = texture { pigment { rgbt <1, 1, 1, 0.5> } }\n";
    const Imported exact = Import(text, false);
    ASSERT_EQ(exact.lines.size(), 2u);
    EXPECT_EQ(exact.lines[0], "main.pov:1: imported Plain");
    EXPECT_EQ(exact.lines[1], "main.pov:2: source Glassy: transmit 0.5 cannot be held");
    ASSERT_EQ(exact.sources.size(), 1u);
    EXPECT_EQ(exact.sources[0], "#declare Glassy = texture {\n  pigment {\n"
                                "    rgbt <1, 1, 1, 0.5>\n  }\n}");

    const Imported approximated = Import(text, false, true);
    EXPECT_EQ(approximated.lines[1].rfind("main.pov:2: approximated Glassy", 0), 0u);
    EXPECT_TRUE(approximated.sources.empty());
}

TEST(ImportAsSource, FoldsTheDefaultsIntoEachTextureAsPovRayAppliesThem) {
    MemoryFiles files;
    files.files["/library/finishes.inc"] = "#declare Dull = finish { diffuse 0.4 }\n";
    const Imported imported =
        Import("#include \"finishes.inc\"\n"
               "#default { finish { ambient 0.3 } }\n"
               "#declare Shiny = finish { phong 1 }\n"
               "#default { texture { pigment { rgb <0, 0, 1> } finish { Shiny } } }\n"
               // Parts it does not set come at its end; the first pigment changes the default.
               "#declare Plain = texture { normal { bumps 0.5 } }\n"
               // POV-Ray reads no colour after another: a pigment with its own colour
               // replaces the default one's.
               "#declare Tinted = texture { pigment { rgbt 0.5 } pigment { scale 2 } }\n"
               // A declared finish or texture replaces the default one whole.
               "#declare Copied = texture { Plain finish { phong 0.5 } }\n"
               "#declare Own = texture { finish { Dull } }\n"
               "#declare Glass = material { texture { pigment { rgbf 1 } } }\n"
               "#declare Alone = pigment { granite }\n"
               "#default { pigment { rgb 1 } }\n"
               "#declare White = pigment { granite }\n",
               true, false, files);
    ASSERT_EQ(imported.lines.size(), 7u);
    EXPECT_EQ(imported.lines[0], "main.pov:5: source Plain");
    const std::vector<std::string> expected = {
        "#declare Plain = texture {\n  normal {\n    bumps 0.5\n  }\n  pigment {\n"
        "    rgb <0, 0, 1>\n  }\n  finish {\n    ambient 0.3 phong 1\n  }\n}",
        "#declare Tinted = texture {\n  pigment {\n    rgbt 0.5\n  }\n"
        "  pigment {\n    scale 2\n  }\n  finish {\n    ambient 0.3 phong 1\n  }\n}",
        "#declare Copied = texture {\n  normal {\n    bumps 0.5\n  }\n  pigment {\n"
        "    rgb <0, 0, 1>\n  }\n  finish {\n    ambient 0.3 phong 1\n  }\n"
        "  finish {\n    phong 0.5\n  }\n}",
        "#declare Own = texture {\n  finish {\n    diffuse 0.4\n  }\n  pigment {\n"
        "    rgb <0, 0, 1>\n  }\n}",
        "#declare Glass = material {\n  texture {\n    pigment {\n      rgbf 1\n"
        "    }\n    finish {\n      ambient 0.3 phong 1\n    }\n  }\n}",
        "#declare Alone = pigment {\n  granite\n}",
        "#declare White = pigment {\n  granite\n}",
    };
    EXPECT_EQ(imported.sources, expected);
}

TEST(ImportAsSource, SaysWhenADefaultItCannotFoldIsLeftOut) {
    const Imported imported = Import("#default { texture { pigment { rgb 1 } scale 2 } }\n"
                                     "#declare T = texture { pigment { rgb 1 } }\n",
                                     true);
    ASSERT_EQ(imported.lines,
              std::vector<std::string>{"main.pov:2: source T: the #default before it left out "
                                       "(main.pov:1)"});
}

TEST(ImportAsSource, CarriesOutMacrosWithTheirArgumentsAndLocals) {
    const Imported imported =
        Import("#macro Stone(C, S)\n"
               "  #local Base = pigment { granite color_map { [0 C] [1 C*S] } }\n"
               "  #if (S > 0.4) texture { pigment { Base } finish { phong S } }\n"
               "  #else texture { pigment { Base } } #end\n"
               "#end\n"
               "#macro Twice(X) (X*2) #end\n"
               "#declare Size = 2;\n"
               "#declare Rough = Stone(rgb <0.5, 0.4, 0.3>, 0.5);\n"
               "#declare Smooth = Stone(rgb 1, 0.25)\n"
               "#declare Sized = texture { Smooth scale Twice(Size) + 1 }\n"
               "#declare Wrong = Stone(rgb 1)\n"
               "#macro Forever(N) Forever(N) #end\n"
               "#declare Deep = pigment { Forever(1) }\n",
               true);
    ASSERT_EQ(imported.lines.size(), 5u);
    EXPECT_EQ(imported.lines[3], "main.pov:11: skipped Wrong: the macro Stone takes 2 arguments; "
                                 "expected ',' but found ')'");
    EXPECT_EQ(imported.lines[4], "main.pov:13: skipped Deep: macros and includes nest more than "
                                 "16 deep (main.pov:12)");
    const std::vector<std::string> expected = {
        "#declare Rough = texture {\n  pigment {\n    granite color_map {\n"
        "      [0 rgbft <0.5, 0.4, 0.3, 0, 0>]\n      [1 rgbft <0.5, 0.4, 0.3, 0, 0>*0.5]\n    }\n"
        "  }\n  finish {\n    phong 0.5\n  }\n}",
        "#declare Smooth = texture {\n  pigment {\n    granite color_map {\n"
        "      [0 rgbft <1, 1, 1, 0, 0>]\n      [1 rgbft <1, 1, 1, 0, 0>*0.25]\n    }\n  }\n}",
        "#declare Sized = texture {\n  pigment {\n    granite color_map {\n"
        "      [0 rgbft <1, 1, 1, 0, 0>]\n      [1 rgbft <1, 1, 1, 0, 0>*0.25]\n    }\n  }\n"
        "  scale (2*2) + 1\n}",
    };
    EXPECT_EQ(imported.sources, expected);
}

TEST(ImportAsSource, KeepsWhatTheReaderDoesNotEvaluateAsItIsWritten) {
    const Imported imported = Import(
        "#declare P = pigment { marble }\n"
        "#declare T = texture { P scale 0.5 }\n"
        "#declare C = texture { checker texture { pigment { rgb 1 } }\n"
        "  texture { pigment { rgb 0 } } scale 0.1 }\n"
        "#declare A = pigment { average pigment_map { [1 rgb 1] [1 rgb 0] } }\n"
        "#declare N = texture { normal { brick normal { bumps 0.2 }, normal { dents 0.3 } } }\n",
        false);
    EXPECT_EQ(imported.lines,
              (std::vector<std::string>{
                  "main.pov:1: imported P", "main.pov:2: imported T",
                  "main.pov:3: source C: a patterned texture (checker) cannot be held",
                  "main.pov:5: source A: the pattern average cannot be held",
                  "main.pov:6: source N: a normal made of other normals (brick) cannot be held"}));
    ASSERT_EQ(imported.sources.size(), 3u);
    EXPECT_EQ(imported.sources[0],
              "#declare C = texture {\n  checker texture {\n    pigment {\n      rgb 1\n    }\n"
              "  }\n  texture {\n    pigment {\n      rgb 0\n    }\n  }\n  scale 0.1\n}");
}

TEST(ImportAsSource, ADeclaredPigmentInATextureReplacesTheDefaultOne) {
    const Imported imported = Import("#declare Stone = pigment { granite }\n"
                                     "#default { texture { pigment { rgb <1, 0, 1> }\n"
                                     "  finish { ambient 0.05 } } }\n"
                                     "#declare T = texture { Stone scale 0.5 }\n",
                                     true);
    ASSERT_EQ(imported.sources.size(), 2u);
    EXPECT_EQ(imported.sources[1], "#declare T = texture {\n  pigment {\n    granite\n  }\n"
                                   "  scale 0.5 finish {\n    ambient 0.05\n  }\n}");
}
