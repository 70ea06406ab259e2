// Text made to hurt the reader: each is refused (the file, or the declaration) with a message,
// in time and memory bounded by the limits, never a crash. Run these under the sanitizer build
// too.

#include "core/povtext/reading/blockreader.h"
#include "sourcefixture.h"

#include <gtest/gtest.h>

namespace {

std::string FailureOf(const std::string& text) {
    const ImportResult result = ImportText(text);
    return result.failure ? *result.failure : "read";
}

} // namespace

TEST(HostileText, DeepNestingRefusesTheFileWithItsPlace) {
    const std::string braces = Repeated("{", 200000) + Repeated("}", 200000);
    EXPECT_EQ(FailureOf("#declare T = texture " + braces),
              "main.pov:1: blocks nest more than 256 levels deep");
    EXPECT_EQ(FailureOf("sphere " + braces), "main.pov:1: blocks nest more than 256 levels deep");
    EXPECT_EQ(
        FailureOf("#declare A = " + Repeated("(", 200000) + "1" + Repeated(")", 200000) + ";"),
        "main.pov:1: the text nests more than 128 levels deep");
    EXPECT_EQ(FailureOf("#declare A = " + Repeated("- ", 200000) + "1;"),
              "main.pov:1: the text nests more than 128 levels deep");
    EXPECT_EQ(FailureOf(Repeated("#if (1)\n", 100000)),
              "main.pov:200: #if, #while and the like nest more than 199 levels deep");
}

TEST(HostileText, UnclosedBlocksOverflowingNumbersAndHugeFilesRefuseTheFile) {
    EXPECT_EQ(
        FailureOf("#declare T = texture {\n  pigment { rgb 1 }\n" + Repeated("// more\n", 1000)),
        "main.pov:1: the block opened here is never closed");
    EXPECT_EQ(FailureOf("#declare T = texture { pigment { rgb <1, 2,\n 3e999> } }"),
              "main.pov:2: the number 3e999 is too large");
    EXPECT_EQ(FailureOf(std::string(100u << 20, ' ')),
              "main.pov:1: the text is larger than 64 MB, more than a source file may be");
    EXPECT_EQ(FailureOf("#declare T = texture { pigment { rgb 1 } }\n\x80\x81"),
              "main.pov:2: unexpected the byte 0x80");
}

TEST(HostileText, AnIdentifierOfAnyLengthIsRefusedWithItsPlace) {
    // 60 MB of one identifier would have become the name of a texture.
    EXPECT_EQ(FailureOf("#declare A = 1;\n#declare " + std::string(60u << 20, 'N') +
                        " = texture { pigment { rgb 1 } }"),
              "main.pov:2: an identifier of 62914560 characters is too long: POV-Ray takes at "
              "most 255");
    EXPECT_EQ(FailureOf("#declare " + std::string(255, 'y') + " = 1;"), "read");
    EXPECT_EQ(FailureOf("#declare T = texture { pigment { rgb " + std::string(256, 'x') + " } }"),
              "main.pov:1: an identifier of 256 characters is too long: POV-Ray takes at most "
              "255");
}

TEST(HostileText, ControlCharactersInACommentDoNotReachTheDescription) {
    const ImportResult result = ImportText("// Red \x1b[31mmarble\x07\r\n"
                                           "// \xC2\x9B"
                                           "2J\tstriped \xC3\xA9\x7F\n"
                                           "#declare Red = texture { pigment { rgb <1, 0, 0> } }");
    ASSERT_EQ(result.declarations.size(), 1u);
    ASSERT_TRUE(result.declarations[0].texture);
    EXPECT_EQ(result.declarations[0].texture->GetDescription(),
              "Red [31mmarble\n2J\tstriped \xC3\xA9");
}

TEST(HostileText, ValuesThatDoubleWithEveryDeclarationAreRefusedAtTheirLimit) {
    std::string layers = "#declare L0 = texture { pigment { rgb 1 } }\n";
    std::string maps = "#declare P0 = pigment { rgb 1 }\n";
    std::string strings = "#declare S0 = \"ab\";\n";
    for (int i = 1; i <= 40; ++i) {
        const std::string k = std::to_string(i), before = std::to_string(i - 1);
        layers += "#declare L" + k + " = texture { L" + before + " } texture { L" + before + " }\n";
        maps += "#declare P" + k + " = pigment { gradient x pigment_map { [0 P" + before +
                "] [1 P" + before + "] } }\n";
        strings += "#declare S" + k + " = concat(S" + before + ", S" + before + ");\n";
    }
    const ImportResult layered = ImportText(layers);
    ASSERT_EQ(layered.declarations.size(), 41u);
    EXPECT_EQ(layered.declarations[8].outcome, ImportOutcome::Imported) << "256 layers are held";
    EXPECT_EQ(ReportLine(layered.declarations[9]),
              "main.pov:10: skipped L9: the texture has more than 256 layers");
    EXPECT_EQ(ReportLine(layered.declarations[40]),
              "main.pov:41: skipped L40: uses L39 (main.pov:40), which was skipped: the texture "
              "has more than 256 layers (main.pov:10)");

    const ImportResult nested = ImportText(maps);
    ASSERT_EQ(nested.declarations.size(), 41u);
    EXPECT_EQ(ReportLine(nested.declarations[11]).find("too deeply"), std::string::npos);
    EXPECT_EQ(ReportLine(nested.declarations[12]),
              "main.pov:13: skipped P12: pigment maps nest too deeply");

    const ImportResult long_ = ImportText(strings + "#declare T = pigment { rgb strlen(S40) }");
    ASSERT_EQ(long_.declarations.size(), 1u);
    EXPECT_EQ(ReportLine(long_.declarations[0]),
              "main.pov:42: skipped T: uses S40 (main.pov:41), which was skipped: the string grows "
              "beyond 65536 characters (main.pov:17)");
}
