#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

using Lines_ = std::vector<std::string>;

/// Each declaration as "Name: " and its source's words, or why it was skipped.
Lines_ Outcomes(const ImportResult& result) {
    Lines_ outcomes;
    for (const ImportedDeclaration& declaration : result.declarations)
        outcomes.push_back(declaration.name + ": " +
                           (declaration.texture
                                ? SourceWords(declaration.texture->GetSource(SourceFlags()))
                                : declaration.notes.front()));
    return outcomes;
}

} // namespace

TEST(Directives, IncludesAreSearchedBesideTheFileThenOnTheIncludePathThenInTheLibrary) {
    MemoryFiles files;
    files.files["/library/colors.inc"] = "#declare Red = rgb <1, 0, 0>;\n#declare Shade = 0.5;";
    files.files["/paths/colors.inc"] = "#declare Red = rgb <0, 0, 1>;";
    files.files["/paths/wood.inc"] =
        "#include \"tone.inc\"\n#declare W = texture { pigment { Tone } }";
    files.files["/paths/tone.inc"] = "#declare Tone = rgb 0.2;";
    files.files["/project/main.pov"] =
        "#include \"colors.inc\"\n#include \"wood.inc\"\n"
        "#declare A = texture { pigment { Red } }\n#declare B = pigment { rgb Shade }";
    ImportOptions options;
    options.libraryFolder = "/library";
    options.includePaths = {"/paths"};
    ImportResult result = ImportSource({{"/project/main.pov", std::nullopt}}, options, files);
    ASSERT_FALSE(result.failure) << *result.failure;
    // Declarations of included files are used, not imported; the include path came before the
    // library, so Red is the blue one, and Shade, which it does not declare, is the library's.
    ASSERT_EQ(result.declarations.size(), 2u);
    EXPECT_EQ(result.declarations[0].texture->GetSource({}),
              "  pigment\r\n  {\r\n    colour rgb<0.000,0.000,1.000>\r\n  }\r\n");
    EXPECT_EQ(ReportLine(result.declarations[1]), "/project/main.pov:4: imported B");
    EXPECT_EQ(result.fromLibrary, std::vector<std::string>{"Shade from colors.inc"});

    // Beside the including file comes first: the project's own colors.inc wins.
    files.files["/project/colors.inc"] = "#declare Red = rgb <0, 1, 0>;\n#declare Shade = 1;";
    result = ImportSource({{"/project/main.pov", std::nullopt}}, options, files);
    ASSERT_EQ(result.declarations.size(), 2u);
    EXPECT_EQ(result.declarations[0].texture->GetSource({}),
              "  pigment\r\n  {\r\n    colour rgb<0.000,1.000,0.000>\r\n  }\r\n");
    EXPECT_EQ(result.declarations[1].outcome, ImportOutcome::Imported);
}

TEST(Directives, MissingLoopingAndDeepIncludesRefuseTheFileWithTheirPlace) {
    EXPECT_EQ(ReportLines("#declare A = 1;\n#include \"none.inc\""),
              Lines_{"failure: main.pov:2: the include file \"none.inc\" cannot be found"});
    MemoryFiles loop;
    loop.files["/library/a.inc"] = "#include \"b.inc\"";
    loop.files["/library/b.inc"] = "\n#include \"a.inc\"";
    EXPECT_EQ(ReportLines("#include \"a.inc\"", false, loop),
              Lines_{"failure: /library/b.inc:2: the includes loop: a.inc -> b.inc -> a.inc"});
    MemoryFiles deep;
    for (int i = 0; i < 20; ++i)
        deep.files["/library/" + std::to_string(i) + ".inc"] =
            "#include \"" + std::to_string(i + 1) + ".inc\"";
    EXPECT_EQ(ReportLines("#include \"0.inc\"", false, deep),
              Lines_{"failure: /library/15.inc:1: includes nest more than 16 files deep"});
    // Guarded files may include each other: the guard ends it.
    MemoryFiles guarded;
    guarded.files["/library/g.inc"] =
        "#ifndef (G_Inc)\n#declare G_Inc = 1;\n#include \"h.inc\"\n#declare Gc = rgb 1;\n#end";
    guarded.files["/library/h.inc"] = "#include \"g.inc\"";
    EXPECT_EQ(ReportLines("#include \"g.inc\"\n#declare T = pigment { Gc }", false, guarded),
              Lines_{"main.pov:2: imported T"});
}

TEST(Directives, ConditionsThatCanBeEvaluatedChooseTheirBranch) {
    EXPECT_EQ(
        ReportLines("#declare Mode = 2;\n"
                    "#if (Mode = 1) #declare C = rgb 1; #elseif (Mode = 2) #declare C = rgb 0.5;\n"
                    "#else #declare C = rgb 0; #end\n"
                    "#ifdef (C) #declare T = pigment { C } #end\n"
                    "#ifndef (C) #declare U = pigment { C } #else #declare V = pigment { C } #end\n"
                    "#if (0) #if (1) #declare W = pigment { C } #end #end\n"
                    "#undef C\n#ifdef (C) #declare X = pigment { C } #end"),
        (Lines_{"main.pov:4: imported T", "main.pov:5: imported V"}));
    const ImportResult result = ImportText("#declare C = rgb 0.5;\n#declare T = pigment { C }");
    EXPECT_EQ(SourceOfOnly(result),
              "#declare T = texture\n{\n  pigment\n  {\n    colour rgb<0.502,0.502,0.502>\n  }\n}");
}

TEST(Directives, WhatCannotBeEvaluatedRefusesOnlyTheDeclarationsDependingOnIt) {
    EXPECT_EQ(
        ReportLines("#declare A = texture { pigment { rgb 1 } }\n"
                    "#if (image_width > 100)\n#declare B = texture { pigment { rgb 1 } }\n#end\n"
                    "#declare I = 0;\n#while (I < image_width) #declare Loop = pigment { rgb I } "
                    "#declare I = I + 1; #end\n"
                    "#declare C = texture { pigment { Loop } }\n"
                    "#macro Make(optional A) texture { pigment { rgb 1 } } #end\n"
                    "#declare D = Make()\n"
                    "#declare E = pigment { rgb 0 }\n"
                    "#debug \"reading\\n\"\n#warning concat(\"x\", Missing)"),
        (Lines_{
            "main.pov:1: imported A",
            "main.pov:3: skipped B: it is declared inside the #if at main.pov:2, whose "
            "condition cannot be evaluated: image_width is only known when POV-Ray "
            "renders (main.pov:2)",
            "main.pov:6: skipped Loop: it is declared inside the #while at main.pov:6, "
            "whose condition cannot be evaluated: image_width is only known when POV-Ray "
            "renders",
            "main.pov:7: skipped C: uses Loop (main.pov:6), which was skipped: it is "
            "declared inside the #while at main.pov:6, whose condition cannot be evaluated: "
            "image_width is only known when POV-Ray renders (main.pov:6)",
            "main.pov:9: skipped D: the macro Make (main.pov:8) is called; macros with "
            "optional parameters are not evaluated",
            "main.pov:10: imported E",
        }));
}

TEST(Directives, ADefaultOrAnErrorChangesWhatLaterDeclarationsMean) {
    // A default finish is part of every later texture: held exactly, it is imported.
    const ImportResult folded = ImportText("#default { finish { ambient 0.3 } }\n"
                                           "#declare A = texture { pigment { rgb 1 } }",
                                           false);
    ASSERT_EQ(folded.declarations.size(), 1u);
    ASSERT_EQ(ReportLine(folded.declarations[0]), "main.pov:2: imported A");
    EXPECT_NE(folded.declarations[0].texture->GetSource(SourceFlags()).find("ambient 0.3"),
              std::string::npos);
    // One that cannot be folded (a scale of the whole texture) cannot be held.
    const std::string text = "#declare A = pigment { rgb 1 }\n"
                             "#default { texture { finish { ambient 0.3 } scale 2 } }\n"
                             "#declare B = pigment { rgb 1 }";
    EXPECT_EQ(ReportLines(text),
              (Lines_{"main.pov:1: imported A",
                      "main.pov:3: skipped B: the #default before it cannot be held "
                      "(main.pov:2)"}));
    const ImportResult approximated = ImportText(text, true);
    ASSERT_EQ(approximated.declarations.size(), 2u);
    EXPECT_EQ(ReportLine(approximated.declarations[1]),
              "main.pov:3: approximated B: the #default before it left out (main.pov:2)");
    // An #error stops POV-Ray: what comes after it is refused, what came before is not.
    EXPECT_EQ(ReportLines("#declare A = pigment { rgb 1 }\n#if (version < 9)\n"
                          "#error \"needs a newer POV-Ray\"\n#end\n#declare B = pigment { rgb 1 }"),
              (Lines_{"main.pov:1: imported A",
                      "main.pov:5: skipped B: POV-Ray stops at the #error before it: needs a "
                      "newer POV-Ray (main.pov:3)"}));
}

TEST(Directives, APastedTextFindsIncludesOnlyOnThePathsAndInTheLibrary) {
    MemoryFiles files;
    files.files["/library/colors.inc"] = "#declare Red = rgb <1, 0, 0>;";
    files.files["local.inc"] = "#declare Local = rgb 1;";
    ImportOptions options;
    options.libraryFolder = "/library";
    ImportResult result = ImportSource(
        {{"clipboard", "#include \"colors.inc\"\n#declare R = pigment { Red }"}}, options, files);
    ASSERT_FALSE(result.failure) << *result.failure;
    EXPECT_EQ(ReportLine(result.declarations.at(0)), "clipboard:2: imported R");
    result = ImportSource({{"clipboard", "#include \"local.inc\""}}, options, files);
    EXPECT_EQ(result.failure, "clipboard:1: the include file \"local.inc\" cannot be found");
}

TEST(Directives, LaterDeclarationsReplaceEarlierOnesAndLocalsEndWithTheirFile) {
    MemoryFiles files;
    files.files["/library/part.inc"] = "#local Inner = rgb 1;\n#declare Outer = rgb 0;";
    EXPECT_EQ(ReportLines("#declare C = rgb 1;\n#declare T1 = pigment { C }\n#declare C = rgb 0;\n"
                          "#declare T2 = pigment { C }\n#include \"part.inc\"\n"
                          "#declare T3 = pigment { Outer }\n#declare T4 = pigment { Inner }",
                          false, files),
              (Lines_{"main.pov:2: imported T1", "main.pov:4: imported T2",
                      "main.pov:6: imported T3", "main.pov:7: skipped T4: Inner is not declared"}));
    const ImportResult result =
        ImportText("#declare C = rgb 1;\n#declare C = rgb 0;\n#declare T = pigment { C }");
    EXPECT_NE(SourceOfOnly(result).find("colour rgb<0.000,0.000,0.000>"), std::string::npos);
}

TEST(Directives, StructuralFaultsRefuseTheFileWithTheirPlace) {
    EXPECT_EQ(ReportLines("#if (1)\n#declare A = 1;"),
              Lines_{"failure: main.pov:1: this #if is not closed with #end before the end of "
                     "its file"});
    EXPECT_EQ(ReportLines("#declare A = 1;\n#end"),
              Lines_{"failure: main.pov:2: #end without #if"});
    EXPECT_EQ(ReportLines("#if (0)\n#declare A = 1;"),
              Lines_{"failure: main.pov:1: the #if here is never closed with #end"});
    EXPECT_EQ(ReportLines("#frobnicate"),
              Lines_{"failure: main.pov:1: #frobnicate is no directive"});
    EXPECT_EQ(ReportLines("#declare A = texture {\n pigment { rgb 1 }"),
              Lines_{"failure: main.pov:1: the block opened here is never closed"});
    EXPECT_EQ(ReportLines("sphere { 0, 1 }\n}"),
              Lines_{"failure: main.pov:2: this '}' closes no block"});
}

TEST(Directives, ObjectsAndOtherStatementsArePassedOver) {
    EXPECT_EQ(ReportLines("camera { location <0, 0, -5> look_at 0 }\n"
                          "sphere { 0, 1 texture { pigment { rgb 1 } } }\n"
                          "#declare Ball = sphere { 0, 1 }\n"
                          "#declare Sky = sky_sphere { pigment { rgb 1 } }\n"
                          "object { Ball #declare T = pigment { rgb 1 } }\n"
                          "#declare U = texture { pigment { rgb 0 } }"),
              (Lines_{"main.pov:5: imported T", "main.pov:6: imported U"}));
}

TEST(Directives, AConditionalWhereAValueStartsChoosesTheValue) {
    const std::string text =
        "#declare Red = 1;\n"
        "#declare X = #if (Red) texture { pigment { rgb <1, 0, 0> } }\n"
        "  #else texture { pigment { rgb <0, 0, 1> } } #end\n"
        "#declare Y = #ifndef (Red) texture { pigment { rgb 1 } }\n"
        "  #else #if (Red > 0) texture { pigment { rgb 0.5 } finish { phong 1 } } #end #end\n"
        "#declare W = #if (Unknown) texture { pigment { rgb 1 } } #end\n"
        "#declare After = texture { X }\n";
    EXPECT_EQ(ReportLines(text),
              (Lines_{"main.pov:2: imported X", "main.pov:4: imported Y",
                      "main.pov:6: skipped W: its value is chosen by the #if at main.pov:6, "
                      "whose condition cannot be evaluated: Unknown is not declared",
                      "main.pov:7: imported After"}));
    // Each is the texture its branch holds, written out whole.
    const ImportResult result = ImportText(text);
    ASSERT_EQ(result.declarations.size(), 4u);
    const auto source = [&](std::size_t i) {
        return SourceWords(result.declarations[i].texture->GetSource({}));
    };
    const auto alone = [](const std::string& value) {
        return SourceWords(
            ImportText("#declare T = " + value).declarations.at(0).texture->GetSource({}));
    };
    EXPECT_EQ(source(0), alone("texture { pigment { rgb <1, 0, 0> } }"));
    EXPECT_EQ(source(1), alone("texture { pigment { rgb 0.5 } finish { phong 1 } }"));
    EXPECT_EQ(source(3), source(0));
}

TEST(Directives, AFileThatOnlyIncludesOthersBringsInWhatTheyDeclare) {
    MemoryFiles files;
    files.files["/library/colors.inc"] = "#declare Grey = rgb 0.5;\n"
                                         "#declare Unused = texture { pigment { Grey } }";
    files.files["/library/one.inc"] = "#include \"colors.inc\"\n"
                                      "#declare A = texture { pigment { Grey } }\n"
                                      "#declare B = pigment { rgbt 0.5 }";
    files.files["/library/two.inc"] = "#declare C = texture { pigment { Missing } }";
    files.files["/library/all.inc"] = "#include \"one.inc\"\n#include \"two.inc\"";
    files.files["/library/own.inc"] = "#include \"one.inc\"\n#declare D = pigment { rgb 1 }";
    ImportOptions options;
    options.libraryFolder = "/library";
    options.sourceFallback = true;
    // The least deeply included files count: colors.inc, two levels down, does not.
    const ImportResult result = ImportSource({{"/library/all.inc", std::nullopt}}, options, files);
    ASSERT_FALSE(result.failure) << *result.failure;
    std::vector<std::string> lines;
    for (const ImportedDeclaration& declaration : result.declarations)
        lines.push_back(ReportLine(declaration));
    EXPECT_EQ(lines,
              (std::vector<std::string>{"/library/one.inc:2: imported A",
                                        "/library/one.inc:3: source B: transmit 0.5 cannot be held",
                                        "/library/two.inc:1: skipped C: Missing is not declared"}));
    const std::vector<FileCounts> counts = CountsByFile(result);
    ASSERT_EQ(counts.size(), 2u);
    EXPECT_EQ(counts[0].file, "/library/one.inc");
    EXPECT_EQ(std::vector<int>({counts[0].imported, counts[0].source, counts[0].skipped}),
              std::vector<int>({1, 1, 0}));
    EXPECT_EQ(counts[1].file, "/library/two.inc");
    EXPECT_EQ(counts[1].skipped, 1);

    // A file that declares something itself gives only its own.
    const ImportResult own = ImportSource({{"/library/own.inc", std::nullopt}}, options, files);
    ASSERT_EQ(own.declarations.size(), 1u);
    EXPECT_EQ(own.declarations[0].name, "D");
}

TEST(Directives, WhileLoopsAreCarriedOutPassByPass) {
    // A map built entry by entry, a texture declared again on each pass (the last counts), and
    // a loop inside a macro.
    const ImportResult result =
        ImportText("#declare Ramp = pigment { gradient x color_map {\n"
                   "  #local I = 0; #while (I <= 4) [I/4 rgb I/4] #local I = I + 1; #end } }\n"
                   "#declare N = 0;\n"
                   "#while (N < 3) #declare Last = pigment { rgb N/4 } #declare N = N + 1; #end\n"
                   "#macro Steps(K) pigment { gradient y color_map { #local J = 0;\n"
                   "  #while (J < K) [J/K rgb 1] #local J = J + 1; #end } } #end\n"
                   "#declare Made = Steps(2)\n",
                   false);
    ASSERT_FALSE(result.failure) << *result.failure;
    EXPECT_EQ(Outcomes(result),
              (std::vector<std::string>{
                  "Ramp: pigment { gradient x color_map { [0.00 color rgb<0.000, 0.000, 0.000>] "
                  "[0.25 color rgb<0.251, 0.251, 0.251>] [0.50 color rgb<0.502, 0.502, 0.502>] "
                  "[0.75 color rgb<0.749, 0.749, 0.749>] [1.00 color rgb<1.000, 1.000, 1.000>] "
                  "} }",
                  "Last: pigment { colour rgb<0.502,0.502,0.502> }",
                  "Made: pigment { gradient y color_map { [0.00 color rgb<1.000, 1.000, 1.000>] "
                  "[0.50 color rgb<1.000, 1.000, 1.000>] } }"}));
}

TEST(Directives, ALoopRefusesOnEveryPassWhatItsTextRefusesThen) {
    // Refused values are known again on later passes, but only while what they stand on stays
    // refused: B has a value from the second pass on, W only where its condition takes V.
    const ImportResult result = ImportText("#declare f_wave = function { sin(x) }\n"
                                           "#declare S = seed(3);\n"
                                           "#declare B = f_wave(0);\n"
                                           "#declare N = 0;\n"
                                           "#declare Lo = 1;\n"
                                           "#while (N < 4)\n"
                                           "  #declare V = f_wave(N) + 1;\n"
                                           "  #declare Lo = min(Lo, V);\n"
                                           "  #declare A = B + 1;\n"
                                           "  #declare W = (N > 1 ? V : 0.5);\n"
                                           "  #if (N = 1) #declare Early = pigment { rgb W } #end\n"
                                           "  #declare Drawn = V + rand(S);\n"
                                           "  #declare B = N;\n"
                                           "  #declare N = N + 1;\n"
                                           "#end\n"
                                           "#declare Low = pigment { rgb Lo }\n"
                                           "#declare Late = pigment { rgb W }\n"
                                           "#declare Added = pigment { rgb A/4 }\n"
                                           "#declare Random = pigment { rgb rand(S) }\n",
                                           false);
    ASSERT_FALSE(result.failure) << *result.failure;
    const std::string noise = "which was skipped: it calls the function f_wave (main.pov:1), "
                              "whose values only POV-Ray works out while it renders (main.pov:7)";
    EXPECT_EQ(Outcomes(result),
              (std::vector<std::string>{
                  "Early: pigment { colour rgb<0.502,0.502,0.502> }",
                  "Low: uses Lo (main.pov:8), " + noise, "Late: uses W (main.pov:10), " + noise,
                  "Added: pigment { colour rgb<0.749,0.749,0.749> }",
                  "Random: its random numbers are not POV-Ray's: a rand before it is not "
                  "evaluated here"}));
}
