// Every import is bounded: text made to take hours or gigabytes is refused at the limit it
// passes, named with its place, while POV-Ray's own kind of files and a large legitimate one
// import. An import run on another thread reports its progress and stops when cancelled.

#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

ImportResult ImportWith(const std::string& text, const ImportLimits& limits, MemoryFiles& files,
                        ImportProgress* progress = nullptr) {
    ImportOptions options;
    options.libraryFolder = "/library";
    options.limits = limits;
    options.progress = progress;
    return ImportSource({{"main.pov", text}}, options, files);
}

ImportResult ImportWith(const std::string& text, const ImportLimits& limits) {
    MemoryFiles files;
    return ImportWith(text, limits, files);
}

std::string FailureOf(const ImportResult& result) {
    return result.failure ? *result.failure : "imported";
}

/// A file that includes itself four times on each of `levels` levels, behind a counter.
/// Included, it is found as the library's "main.pov".
std::string IncludeBomb(int levels) {
    return "#ifndef (Level) #declare Level = 0; #end\n"
           "#declare Level = Level + 1;\n"
           "#if (Level < " +
           std::to_string(levels) +
           ")\n"
           "  #include \"main.pov\"\n"
           "  #include \"main.pov\"\n"
           "  #include \"main.pov\"\n"
           "  #include \"main.pov\"\n"
           "#end\n"
           "#declare Level = Level - 1;\n";
}

/// `count` texture declarations of a few kinds, each naming the one before.
std::string Declarations(int count) {
    std::string text = "#declare C0 = rgb <0.2, 0.4, 0.6>;\n";
    for (int i = 1; i < count; ++i) {
        const std::string n = std::to_string(i), before = std::to_string(i - 1);
        switch (i % 3) {
        case 0:
            text += "#declare C" + n + " = texture { pigment { rgb <0.5, 0.2, " +
                    std::to_string(i % 10 / 10.0) + "> } finish { phong 0.5 } }\n";
            break;
        case 1:
            text += "#declare C" + n + " = pigment { granite color_map { [0 rgb 1] [1 rgb 0] } " +
                    "scale 0.5 }\n";
            break;
        default:
            text += "#declare C" + n + " = texture { pigment { C" + before +
                    " } normal { bumps 0.3 } rotate 30*y }\n";
            break;
        }
    }
    return text;
}

/// Files that record the progress an import reports each time it opens one.
class WatchedFiles : public MemorySourceFiles {
public:
    std::optional<std::string> Read(const std::string& path, std::string& error) override {
        if (progress) {
            seen.push_back(progress->permille.load());
            if (path == cancelAt)
                progress->cancel = true;
        }
        return MemorySourceFiles::Read(path, error);
    }

    ImportProgress* progress = nullptr;
    std::string cancelAt;
    std::vector<int> seen;
};

} // namespace

TEST(ImportLimits, IncludesThatMultiplyAreRefusedAtTheFileLimitWithTheirPlace) {
    // 4^11 includes unbounded: refused once a thousand files have been opened.
    MemoryFiles bombFiles;
    bombFiles.files["/library/main.pov"] = IncludeBomb(12);
    const ImportResult bomb = ImportWith(IncludeBomb(12), ImportLimits{}, bombFiles);
    EXPECT_EQ(FailureOf(bomb), "/library/main.pov:4: the import reads more than 1000 files (each "
                               "#include counts every time)");
    EXPECT_TRUE(bomb.declarations.empty());
    // A few levels stay far within it.
    bombFiles.files["/library/main.pov"] = IncludeBomb(4);
    EXPECT_EQ(FailureOf(ImportWith(IncludeBomb(4), ImportLimits{}, bombFiles)), "imported");

    // The same library file included again and again.
    MemoryFiles files;
    files.files["/library/stones.inc"] =
        Repeated("// A stone, in a file as large as stones1.inc\n", 1300) +
        Repeated("#declare Stone = texture { pigment { granite } finish { phong 1 } }\n", 50);
    const ImportResult repeated =
        ImportWith(Repeated("#include \"stones.inc\"\n", 20000), ImportLimits{}, files);
    EXPECT_EQ(FailureOf(repeated), "main.pov:1000: the import reads more than 1000 files (each "
                                   "#include counts every time)");
}

TEST(ImportLimits, BytesTokensAndDeclarationsAreCountedOverEveryFileRead) {
    MemoryFiles files;
    files.files["/library/big.inc"] = Repeated("#declare Shade = 0.5;\n", 14000); // 308,000 B
    ImportLimits limits;
    limits.bytes = 1u << 20;
    // Three inclusions stay below a megabyte; the fourth passes it.
    EXPECT_EQ(FailureOf(ImportWith(Repeated("#include \"big.inc\"\n", 10), limits, files)),
              "main.pov:4: the import reads more than 1 MB of source (each #include counts "
              "every time)");

    files.files["/library/big.inc"] = Repeated("#declare Shade = 0.5;\n", 1000);
    limits = ImportLimits{};
    limits.tokens = 7500;
    // Five tokens a line: half of the second inclusion is read.
    const std::string twice = "#include \"big.inc\"\n#include \"big.inc\"\n";
    EXPECT_EQ(FailureOf(ImportWith(twice, limits, files)),
              "/library/big.inc:499: the import reads more than 7500 tokens");
    EXPECT_EQ(FailureOf(ImportWith("#include \"big.inc\"\n", limits, files)), "imported");

    // A million declarations (46 MB) are refused once 60,000 have been carried out.
    std::string million;
    million.reserve(47u << 20);
    for (int i = 0; i < 1000000; ++i)
        million += "#declare T" + std::to_string(i) + " = texture { pigment { rgb 1 } }\n";
    const ImportResult declared = ImportWith(million, ImportLimits{});
    EXPECT_EQ(FailureOf(declared), "main.pov:60001: the import declares more than 60000 "
                                   "identifiers");
    EXPECT_TRUE(declared.declarations.empty());
}

TEST(ImportLimits, ValuesCountForAsLongAsTheyAreKept) {
    // A name declared again on each of 20,000 passes keeps one value; 20,000 names keep all.
    ImportLimits limits;
    limits.valueBytes = 1u << 20;
    const std::string again = "#declare N = 0;\n"
                              "#while (N < 20000) #declare Shade = <N, N/2, N/3>*0.5 + 0.25;\n"
                              "  #declare N = N + 1; #end\n"
                              "#declare T = pigment { rgb Shade/40000 }\n";
    EXPECT_EQ(FailureOf(ImportWith(again, limits)), "imported");
    std::string distinct;
    for (int i = 0; i < 20000; ++i)
        distinct += "#declare Shade" + std::to_string(i) + " = <" + std::to_string(i) +
                    ", 1, 2>*0.5 + 0.25;\n";
    EXPECT_EQ(FailureOf(ImportWith(distinct, limits)),
              "main.pov:5519: the values read take more than 1 MB");
}

TEST(ImportLimits, DirectivesNestAsDeepAsPovRayTakesAlsoInTextPassedOver) {
    // POV-Ray holds 199 levels of #if, #while and the like at once.
    const std::string held =
        Repeated("#if (1)\n", 199) + "#declare T = pigment { rgb 1 }\n" + Repeated("#end\n", 199);
    EXPECT_EQ(FailureOf(ImportWith(held, ImportLimits{})), "imported");
    EXPECT_EQ(FailureOf(ImportWith("#if (1)\n" + held + "#end\n", ImportLimits{})),
              "main.pov:200: #if, #while and the like nest more than 199 levels deep");

    // 50 MB of #if inside a #while that is never run: refused at the 200th level.
    const std::string skipped =
        "#while (0)\n" + Repeated("#if (1)\n", 4000000) + Repeated("#end\n", 4000000) + "#end\n";
    EXPECT_EQ(FailureOf(ImportWith(skipped, ImportLimits{})),
              "main.pov:200: #if, #while and the like nest more than 199 levels deep");
    EXPECT_EQ(FailureOf(ImportWith("#while (0)\n" + Repeated("#if (1)\n", 198) +
                                       Repeated("#end\n", 198) + "#end\n",
                                   ImportLimits{})),
              "imported");
    // Through a false #if and an #else passed over as well.
    EXPECT_EQ(FailureOf(ImportWith("#if (0)\n" + Repeated("#ifdef (A)\n", 300), ImportLimits{})),
              "main.pov:200: #if, #while and the like nest more than 199 levels deep");
    EXPECT_EQ(
        FailureOf(ImportWith("#if (1)\n#else\n" + Repeated("#macro M()\n", 300), ImportLimits{})),
        "main.pov:201: #if, #while and the like nest more than 199 levels deep");
}

TEST(ImportLimits, ValuesThatCopyWhatGrewAreRefusedAtTheMemoryLimit) {
    // Each declaration doubles the one before: 2^40 steps of transformation.
    std::string transforms = "#declare T0 = transform { scale 2 }\n";
    for (int i = 1; i <= 40; ++i)
        transforms += "#declare T" + std::to_string(i) + " = transform { T" +
                      std::to_string(i - 1) + " T" + std::to_string(i - 1) + " }\n";
    const ImportResult doubled = ImportWith(transforms, ImportLimits{});
    ASSERT_TRUE(doubled.failure);
    EXPECT_TRUE(doubled.failure->ends_with(": the values read take more than 256 MB"))
        << *doubled.failure;

    // A texture of 256 layers, copied by every line after it, and imported each time.
    std::string layers = "#declare L0 = texture { pigment { rgb 1 } }\n";
    for (int i = 1; i <= 8; ++i)
        layers += "#declare L" + std::to_string(i) + " = texture { L" + std::to_string(i - 1) +
                  " } texture { L" + std::to_string(i - 1) + " }\n";
    const ImportResult copied =
        ImportWith(layers + Repeated("#declare X = texture { L8 }\n", 20000), ImportLimits{});
    ASSERT_TRUE(copied.failure);
    EXPECT_TRUE(copied.failure->ends_with(": the values read take more than 256 MB"))
        << *copied.failure;
    EXPECT_EQ(FailureOf(ImportWith(layers + "#declare X = texture { L8 }\n", ImportLimits{})),
              "imported");

    // A long #error message, which every declaration after it repeats, is cut short.
    std::string strings = "#declare S0 = \"abcdefgh\";\n";
    for (int i = 1; i <= 13; ++i)
        strings += "#declare S" + std::to_string(i) + " = concat(S" + std::to_string(i - 1) +
                   ", S" + std::to_string(i - 1) + ");\n";
    const ImportResult stopped =
        ImportWith(strings + "#error S13\n#declare A = pigment { rgb 1 }\n", ImportLimits{});
    ASSERT_EQ(stopped.declarations.size(), 1u);
    EXPECT_EQ(ReportLine(stopped.declarations[0]),
              "main.pov:16: skipped A: POV-Ray stops at the #error before it: " +
                  Repeated("abcdefgh", 25) + "... (main.pov:15)");
}

TEST(ImportLimits, ALargeLegitimateFileStaysWithinThem) {
    const ImportResult result = ImportWith(Declarations(40000), ImportLimits{});
    ASSERT_FALSE(result.failure) << *result.failure;
    EXPECT_EQ(result.declarations.size(), 39999u);
    EXPECT_EQ(result.Count(ImportOutcome::Skipped), 0);

    // Textures built on each other keep their written text: 4 MB of them stay within the bound
    // on what is made.
    std::string built;
    for (int i = 0; i < 5000; ++i) {
        const std::string n = std::to_string(i);
        built += "#declare C" + n + " = rgb <" + std::to_string(i % 97 / 100.0) +
                 ", 0.4, 0.2>;\n#declare M" + n + " = color_map { [0.0, 0.3 color C" + n +
                 " color rgbt <0.9, 0.8, 0.7, 0.0>]\n  [0.3 rgb 1] [0.7 C" + n +
                 " * 0.5] [1 rgb 0] }\n#declare F" + n +
                 " = finish { ambient 0.2 diffuse 0.6 specular 0.4 roughness 1/50 }\n#declare P" +
                 n + " = pigment { granite turbulence 0.4 color_map { M" + n +
                 " } scale <2, 1, 1> rotate y*" + std::to_string(i % 90) + " }\n#declare T" + n +
                 " = texture { pigment { P" + n + " } normal { bumps 0.3 scale 0.2 } finish { F" +
                 n + " } }\n#declare L" + n + " = texture { T" + n + " scale 2 }\n  texture { " +
                 "pigment { C" + n + " filter 0.5 } finish { phong 1 } }\n#declare W" + n +
                 " = pigment { wood turbulence 0.05 octaves 3 scale <0.05, 0.05, 1> }\n" +
                 "#declare G" + n + " = texture { pigment { gradient y color_map { M" + n +
                 " } } translate x rotate <0, 0, 30> scale 0.5 }\n";
    }
    ASSERT_GT(built.size(), 3u << 20);
    const ImportResult large = ImportWith(built, ImportLimits{});
    ASSERT_FALSE(large.failure) << *large.failure;
    EXPECT_EQ(large.Count(ImportOutcome::Imported), 25000);
}

TEST(ImportLimits, AnImportReportsItsProgressAndStopsWhenCancelled) {
    WatchedFiles files;
    ImportProgress progress;
    files.progress = &progress;
    files.files["/library/late.inc"] = "#declare Late = rgb 1;\n";
    files.files["/library/never.inc"] = "#declare Never = rgb 1;\n";
    const std::string text = Declarations(20000) + "#include \"late.inc\"\n";
    const ImportResult done = ImportWith(text, ImportLimits{}, files, &progress);
    ASSERT_FALSE(done.failure);
    EXPECT_FALSE(done.cancelled);
    EXPECT_EQ(progress.permille, 1000);
    // The include at the end of the text is read when most of the reading is done.
    ASSERT_EQ(files.seen.size(), 1u);
    EXPECT_GT(files.seen[0], 600);

    // Cancelled while it reads: it stops there, with nothing imported and no failure.
    ImportProgress cancelled;
    files.progress = &cancelled;
    files.cancelAt = "/library/late.inc";
    const ImportResult stopped =
        ImportWith(text + "#include \"never.inc\"\n", ImportLimits{}, files, &cancelled);
    EXPECT_TRUE(stopped.cancelled);
    EXPECT_FALSE(stopped.failure);
    EXPECT_TRUE(stopped.declarations.empty());
    EXPECT_EQ(files.seen.size(), 2u) << "never.inc is not read";
}

TEST(ImportLimits, ALoopThatRunsOnIsStoppedAndOnlyWhatItMakesIsRefused) {
    ImportLimits limits;
    limits.loopPasses = 1000;
    const ImportResult result =
        ImportWith("#declare A = pigment { rgb 1 }\n"
                   "#while (1) #declare Made = pigment { rgb 0 } #end\n"
                   "#declare B = pigment { #while (1) #end rgb 1 }\n"
                   "#declare C = pigment { rgb 0.5 }\n"
                   // Refused inside a loop, the value is left with the loop.
                   "#declare D = pigment { gradient x color_map { #while (1) [0 rgb 1] #end } }\n"
                   "#declare E = pigment { rgb 0.25 }",
                   limits);
    ASSERT_FALSE(result.failure) << *result.failure;
    std::vector<std::string> lines;
    for (const ImportedDeclaration& declaration : result.declarations)
        lines.push_back(ReportLine(declaration));
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "main.pov:1: imported A",
                         "main.pov:2: skipped Made: it is declared inside the #while at "
                         "main.pov:2, which stops: it runs more than 1000 times",
                         "main.pov:3: skipped B: the #while at main.pov:3 stops: it runs more "
                         "than 1000 times",
                         "main.pov:4: imported C",
                         "main.pov:5: skipped D: the colour map has more than 256 entries",
                         "main.pov:6: imported E"}));
    // A counter declared again on each pass counts once against the declarations.
    limits = ImportLimits{};
    limits.declarations = 10;
    EXPECT_EQ(FailureOf(ImportWith("#declare I = 0; #while (I < 5000) #declare I = I + 1; #end\n"
                                   "#declare T = pigment { rgb I / 5000 }",
                                   limits)),
              "imported");
}

TEST(ImportLimits, MacrosAndLoopsThatMultiplyAreRefusedAtTheTokenLimit) {
    ImportLimits limits;
    limits.tokens = 100000;
    // Each level calls the one below twice: 2^15 calls, each a few tokens.
    std::string bomb = "#macro M0() 1 #end\n";
    for (int i = 1; i <= 30; ++i)
        bomb += "#macro M" + std::to_string(i) + "() (M" + std::to_string(i - 1) + "() + M" +
                std::to_string(i - 1) + "()) #end\n";
    const std::string failure = FailureOf(ImportWith(bomb + "#declare X = M15();\n", limits));
    EXPECT_EQ(failure.rfind("main.pov:", 0), 0u) << failure;
    EXPECT_NE(failure.find("more than 100000 tokens"), std::string::npos) << failure;
    // Calls deeper than includes may go refuse the declaration alone.
    const ImportResult deep = ImportWith(bomb + "#declare X = pigment { rgb M30() }\n"
                                                "#declare Y = pigment { rgb 1 }\n",
                                         limits);
    ASSERT_FALSE(deep.failure) << *deep.failure;
    ASSERT_EQ(deep.declarations.size(), 2u);
    EXPECT_EQ(ReportLine(deep.declarations[0]),
              "main.pov:32: skipped X: macros and includes nest more than 16 deep (main.pov:16)");
    EXPECT_EQ(deep.declarations[1].outcome, ImportOutcome::Imported);
    // Loops nested in loops, each pass counted.
    EXPECT_NE(FailureOf(ImportWith("#declare I = 0; #while (I < 1000) #declare J = 0;\n"
                                   "#while (J < 1000) #declare J = J + 1; #end\n"
                                   "#declare I = I + 1; #end\n",
                                   limits))
                  .find("more than 100000 tokens"),
              std::string::npos);
}
