#include "core/povray/povcommand.h"
#include "core/povray/povprogress.h"

#include <gtest/gtest.h>

TEST(PovCommandLine, ClassicStyleIsTheTraditionalText) {
    PovCommandOptions options{"/usr/bin/povray", true, 1.5f, 2, {}};
    EXPECT_EQ(BuildPovCommand(options, PovCommandStyle::Classic, "temp.tga", 120, 120).Text(),
              "/usr/bin/povray +itemppv$$.!!! +otemp.tga +b1 -d +a1.500 +r2 +w120 +h120 -p");
    options.antialiasing = false;
    EXPECT_EQ(BuildPovCommand(options, PovCommandStyle::Classic, "temp.tga", 120, 120).Text(),
              "/usr/bin/povray +itemppv$$.!!! +otemp.tga +b1 -d -a +w120 +h120 -p");
}

TEST(PovCommandLine, Pov37StyleAsksForTargaAndClampsTheThreshold) {
    PovCommandOptions options{"/opt/My POV/povray", true, 1.5f, 3, {}};
    const PovCommand command =
        BuildPovCommand(options, PovCommandStyle::Pov37, "temp.tga", 100, 80);
    EXPECT_EQ(command.Text(),
              "/opt/My POV/povray +itemppv$$.!!! +otemp.tga +ft -d +a0.999 +r3 +w100 +h80 -p");
    EXPECT_EQ(command.executable, "/opt/My POV/povray"); // passed whole, blanks and all
    EXPECT_EQ(command.arguments.size(), 9u);
    options.threshold = 0.3f;
    EXPECT_EQ(BuildPovCommand(options, PovCommandStyle::Pov37, "temp.tga", 1, 1).Text(),
              "/opt/My POV/povray +itemppv$$.!!! +otemp.tga +ft -d +a0.300 +r3 +w1 +h1 -p");
    options.antialiasing = false;
    EXPECT_EQ(BuildPovCommand(options, PovCommandStyle::Pov37, "temp.tga", 120, 120).Text(),
              "/opt/My POV/povray +itemppv$$.!!! +otemp.tga +ft -d -a +w120 +h120 -p");
}

TEST(PovCommandLine, TheProgramDirectoryIsTheLibraryPathLast) {
    PovCommandOptions options{"povray", false, 0.3f, 2, "/home/me/.local/share/Velvane"};
    EXPECT_EQ(BuildPovCommand(options, PovCommandStyle::Pov37, "temp.tga", 120, 120).Text(),
              "povray +itemppv$$.!!! +otemp.tga +ft -d -a +w120 +h120 -p "
              "+L/home/me/.local/share/Velvane");
    // POV-Ray takes a folder with blanks only in double quotes; one with a quote cannot be said.
    options.libraryPath = "/srv/my textures";
    EXPECT_EQ(
        BuildPovCommand(options, PovCommandStyle::Classic, "temp.tga", 10, 10).arguments.back(),
        "+L\"/srv/my textures\"");
    options.libraryPath = "/srv/say \"cheese\"";
    EXPECT_EQ(BuildPovCommand(options, PovCommandStyle::Pov37, "temp.tga", 10, 10).arguments.back(),
              "-p");
}

TEST(PovVersion, ReadFromWhatPovRayPrints) {
    auto v = ParsePovVersion(
        "povray: cannot open the user configuration file\nPOV-Ray 3.7.0.10.unofficial\n");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->major, 3);
    EXPECT_EQ(v->minor, 7);
    EXPECT_EQ(StyleForVersion(v), PovCommandStyle::Pov37);
    v = ParsePovVersion("Persistence of Vision(tm) Ray Tracer Version 3.6.1 (g++ 4.1)");
    ASSERT_TRUE(v);
    EXPECT_EQ(v->minor, 6);
    EXPECT_EQ(StyleForVersion(v), PovCommandStyle::Classic);
    EXPECT_EQ(StyleForVersion(ParsePovVersion("POV-Ray 3.8.0-beta.2")), PovCommandStyle::Pov37);
    EXPECT_FALSE(ParsePovVersion("bash: povray: command not found"));
    EXPECT_EQ(StyleForVersion(std::nullopt), PovCommandStyle::Pov37);
}

TEST(PovProgress, ProgressLines) {
    EXPECT_EQ(ParseProgressLine("Rendered 3600 of 14400 pixels (25%)"), 25);
    EXPECT_EQ(ParseProgressLine("Rendered 14400 of 14400 pixels (100%)"), 100);
    EXPECT_EQ(ParseProgressLine("Rendered 15000 of 14400 pixels"), 100);
    EXPECT_EQ(ParseProgressLine("Rendered x of 10 pixels"), -1);
    EXPECT_EQ(ParseProgressLine("Rendered 5 of 0 pixels"), -1);
    EXPECT_EQ(ParseProgressLine("Parse Warning: assumed_gamma not specified"), -1);
}

TEST(PovProgress, SplitsOnCarriageReturnsAndKeepsPartialLines) {
    PovProgressParser parser;
    parser.Feed("==== [Rendering...] ====\nRendered 1024 of 40000 pixels (2%)\rRendered 200");
    EXPECT_EQ(parser.Percent(), 2);
    parser.Feed("00 of 4000");
    EXPECT_EQ(parser.Percent(), 2);
    parser.Feed("0 pixels (50%)\r");
    EXPECT_EQ(parser.Percent(), 50);
    // A second antialiasing pass counts again from the start; progress never goes back.
    parser.Feed("Rendered 400 of 40000 pixels (1%)\r");
    EXPECT_EQ(parser.Percent(), 50);
    parser.Feed("Rendered 30000 of 40000 pixels");
    EXPECT_EQ(parser.Percent(), 50);
    parser.Finish();
    EXPECT_EQ(parser.Percent(), 75);
}

TEST(PovProgress, ErrorLinesOfAParseError) {
    PovProgressParser parser;
    parser.Feed("povray: cannot open the user configuration file /root/.povray/3.7/povray.conf: No "
                "such file\n"
                "Persistence of Vision(tm) Ray Tracer Version 3.7.0.10.unofficial\n"
                "==== [Parsing...] ==========================================================\n"
                "Parse Warning: assumed_gamma not specified, so gamma_correction is turned off\n"
                " for compatibility with this pre POV-Ray 3.7 scene.\n"
                "File 'temptx$$.!!!' line 1: Parse Error: No matching } in 'texture', undeclared\n"
                " identifier 'foo' found instead\n"
                "Fatal error in parser: Cannot parse input.\n"
                "Render failed\n");
    EXPECT_EQ(parser.ErrorLines(),
              (std::vector<std::string>{
                  "File 'temptx$$.!!!' line 1: Parse Error: No matching } in 'texture', "
                  "undeclared identifier 'foo' found instead",
                  "Fatal error in parser: Cannot parse input.", "Render failed"}));
    EXPECT_EQ(parser.ErrorLines(2).size(), 2u);
    EXPECT_EQ(parser.Percent(), -1);

    // POV-Ray's threads sometimes print the error before the banner of its section.
    PovProgressParser early;
    early.Feed("  Warning Stream to console.......On \n"
               "File 'temppv$$.!!!' line 2: Parse Error: No matching } in 'sphere', End of File\n"
               " found instead\n"
               "==== [Parsing...] ==========================================================\n"
               "Fatal error in parser: Cannot parse input.\n"
               "Render failed\n");
    EXPECT_EQ(
        early.ErrorLines(),
        (std::vector<std::string>{"File 'temppv$$.!!!' line 2: Parse Error: No matching } "
                                  "in 'sphere', End of File found instead",
                                  "Fatal error in parser: Cannot parse input.", "Render failed"}));
}

TEST(PovProgress, ErrorLinesWithoutAnErrorWordAreTheSectionTail) {
    PovProgressParser parser;
    parser.Feed(
        "povray: cannot open the user configuration file x\nSomething odd happened\nAnd stopped");
    parser.Finish();
    EXPECT_EQ(parser.ErrorLines(),
              (std::vector<std::string>{"Something odd happened", "And stopped"}));
}

TEST(PovProgress, FloodsOfOutputKeepOnlyTheLastKilobytes) {
    PovProgressParser parser;
    parser.Feed("Parse Error: the start\n");
    const std::string continuation =
        " continued error text that POV-Ray wraps onto further lines\n";
    std::string block;
    for (int i = 0; i < 1000; ++i)
        block += continuation;
    for (int i = 0; i < 200; ++i) // 12 MB, fed in pieces as a pipe gives it
        parser.Feed(block);
    parser.Feed(std::string(3'000'000, 'z')); // one line without an end
    parser.Feed("\nParse Error: the end\n");
    parser.Finish();
    const auto lines = parser.ErrorLines(1000);
    std::size_t kept = 0;
    for (const std::string& line : lines) {
        EXPECT_LE(line.size(), PovProgressParser::kMaxLineLength);
        kept += line.size();
    }
    EXPECT_LE(kept, PovProgressParser::kMaxKeptBytes + PovProgressParser::kMaxLineLength);
    ASSERT_FALSE(lines.empty());
    EXPECT_EQ(lines.back(), "Parse Error: the end");
    EXPECT_EQ(lines[lines.size() - 2], std::string(PovProgressParser::kMaxLineLength, 'z'));
}
