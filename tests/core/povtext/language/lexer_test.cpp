#include "core/povtext/language/povlexer.h"
#include "core/povtext/language/sourceerror.h"

#include <gtest/gtest.h>

namespace {

std::vector<PovToken> Tokens(std::string_view text) {
    PovLexer lexer(text, 0);
    std::vector<PovToken> tokens;
    while (true) {
        tokens.push_back(lexer.Next());
        if (tokens.back().kind == PovToken::End)
            return tokens;
    }
}

/// The position of the error the text raises, as "line:column message".
std::string ErrorOf(std::string_view text) {
    try {
        Tokens(text);
    } catch (const SourceSyntaxError& error) {
        return std::to_string(error.Where().line) + ":" + std::to_string(error.Where().column) +
               " " + error.what();
    }
    return "no error";
}

} // namespace

TEST(PovLexer, TokensCarryKindTextAndPosition) {
    const auto tokens =
        Tokens("#declare A=<1, 2.5>;\n  pigment{ rgb .5 } // note\n\"a\\\"b\" x<=y !=");
    ASSERT_EQ(tokens.size(), 20u);
    EXPECT_EQ(tokens[0].kind, PovToken::Directive);
    EXPECT_EQ(tokens[0].text, "declare");
    EXPECT_EQ(tokens[1].kind, PovToken::Word);
    EXPECT_EQ(tokens[1].at.line, 1);
    EXPECT_EQ(tokens[1].at.column, 10);
    EXPECT_TRUE(tokens[3].IsSymbol("<"));
    EXPECT_EQ(tokens[6].kind, PovToken::Number);
    EXPECT_DOUBLE_EQ(tokens[6].number, 2.5);
    EXPECT_TRUE(tokens[9].IsWord("pigment"));
    EXPECT_EQ(tokens[9].at.line, 2);
    EXPECT_EQ(tokens[9].at.column, 3);
    EXPECT_TRUE(tokens[9].startsLine);
    EXPECT_FALSE(tokens[10].startsLine);
    EXPECT_DOUBLE_EQ(tokens[12].number, 0.5);
    // A string keeps its escapes as written; an escaped quote does not end it.
    EXPECT_EQ(tokens[14].kind, PovToken::String);
    EXPECT_EQ(tokens[14].text, "a\\\"b");
    EXPECT_TRUE(tokens[16].IsSymbol("<="));
    EXPECT_TRUE(tokens[18].IsSymbol("!="));
    EXPECT_EQ(tokens[19].kind, PovToken::End);
}

TEST(PovLexer, CommentsNestAndSpacesMayFollowTheHash) {
    const auto tokens = Tokens("/* a /* b */ still comment */ x\n#   debug \"y\"\n// z\ny");
    ASSERT_EQ(tokens.size(), 5u);
    EXPECT_TRUE(tokens[0].IsWord("x"));
    EXPECT_EQ(tokens[1].kind, PovToken::Directive);
    EXPECT_EQ(tokens[1].text, "debug");
    EXPECT_TRUE(tokens[3].IsWord("y"));
    EXPECT_EQ(tokens[3].at.line, 4);
}

TEST(PovLexer, ADirectiveNameMayFollowTheHashAfterWhatPovRayPassesOver) {
    // Each of these POV-Ray reads as "#include" (checked with POV-Ray 3.7).
    for (const char* between : {"", " ", "\t", "\r", "\n", "\r\n", "\f", "/* c */",
                                "/* a /* b */ */", "// c\n", "// c\r", " # ", "#", "\n#\n"}) {
        const auto tokens = Tokens(std::string("pigment { } #") + between + "include \"x\"");
        ASSERT_EQ(tokens.size(), 6u) << between;
        EXPECT_TRUE(tokens[3].Is(PovToken::Directive, "include")) << between;
        EXPECT_EQ(tokens[3].at.column, 13) << between;
    }
    // POV-Ray ends a line comment at a carriage return: what follows it is read.
    const auto tokens = Tokens("x // note\r#debug \"y\"");
    ASSERT_EQ(tokens.size(), 4u);
    EXPECT_TRUE(tokens[1].Is(PovToken::Directive, "debug"));
}

TEST(PovLexer, CommentLinesDirectlyAboveADirectiveGoWithIt) {
    const auto tokens = Tokens("// first line\n//  second   \r\n#declare A = 1;\n"
                               "// apart\n\n#declare B = 2; // after\n#declare C = 3;\n"
                               "x // trailing\n#declare D = 4;\n/* block */\n#declare E = 5;");
    std::vector<std::vector<std::string>> comments;
    for (const PovToken& token : tokens)
        if (token.kind == PovToken::Directive)
            comments.push_back(token.comment);
    ASSERT_EQ(comments.size(), 5u);
    EXPECT_EQ(comments[0], (std::vector<std::string>{"first line", "second   "}));
    EXPECT_TRUE(comments[1].empty()) << "an empty line parts the comment from it";
    EXPECT_TRUE(comments[2].empty()) << "a comment after code is no description";
    EXPECT_TRUE(comments[3].empty());
    EXPECT_TRUE(comments[4].empty());
}

TEST(PovLexer, NumbersInEveryFormAndTheOnesThatCannotBeHeld) {
    const auto tokens = Tokens("3. .25 2e3 1.5E-2 1e-400 7e");
    EXPECT_DOUBLE_EQ(tokens[0].number, 3.0);
    EXPECT_DOUBLE_EQ(tokens[1].number, 0.25);
    EXPECT_DOUBLE_EQ(tokens[2].number, 2000.0);
    EXPECT_DOUBLE_EQ(tokens[3].number, 0.015);
    EXPECT_EQ(tokens[4].number, 0.0) << "too small to tell from zero";
    EXPECT_DOUBLE_EQ(tokens[5].number, 7.0);
    EXPECT_TRUE(tokens[6].IsWord("e"));
    EXPECT_EQ(ErrorOf("x\n  1e400"), "2:3 the number 1e400 is too large");
}

TEST(PovLexer, TextThatIsNoTokenRefusesTheFileWithItsPlace) {
    EXPECT_EQ(ErrorOf("a\nb @"), "2:3 unexpected '@'");
    EXPECT_EQ(ErrorOf("a \x01"), "1:3 unexpected the byte 0x01");
    EXPECT_EQ(ErrorOf("x \"open\ny\""),
              "1:3 the string that starts here is not closed on its line");
    EXPECT_EQ(ErrorOf("x\n /* a /* b */"),
              "2:2 the comment that starts here is never closed with */");
    EXPECT_EQ(ErrorOf("# 1"), "1:1 a directive name must follow '#'");
}

TEST(PovLexer, AHashThatNoDirectiveNameFollowsIsPassedOverAsPovRayDoes) {
    std::vector<std::string> texts;
    PovLexer lexer("texture { pigment { rgb 1 } # }\n# # {\n#\n}\n#", 0);
    for (PovToken token = lexer.Next(); texts.empty() || !texts.back().empty();
         token = lexer.Next())
        texts.push_back(token.text);
    ASSERT_TRUE(lexer.NullDirectiveAt());
    EXPECT_EQ(lexer.NullDirectiveAt()->column, 29) << "the first one";
    EXPECT_EQ(texts, (std::vector<std::string>{"texture", "{", "pigment", "{", "rgb", "1", "}", "}",
                                               "{", "}", ""}));
    // A directive after it is read as one, with the comment above its line.
    const auto tokens = Tokens("// Red\n#declare R = 1; #\n");
    EXPECT_EQ(tokens[0].kind, PovToken::Directive);
    EXPECT_EQ(tokens[0].comment, (std::vector<std::string>{"Red"}));
    EXPECT_EQ(tokens.size(), 6u);
    // POV-Ray refuses a number, a string or a ';' after it.
    EXPECT_EQ(ErrorOf("a # 1"), "1:3 a directive name must follow '#'");
    EXPECT_EQ(ErrorOf("a\n #\"s\""), "2:2 a directive name must follow '#'");
    EXPECT_EQ(ErrorOf("# # ;"), "1:1 a directive name must follow '#'");
}
