#include "core/model/texture.h"
#include "core/povtext/import/commentdescription.h"

#include <gtest/gtest.h>
#include <random>

namespace {

/// The comment lines WrapComment writes for `description`, without their "// " and line ends.
std::vector<std::string> CommentLines(const std::string& description) {
    const std::string comment = WrapComment(description);
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < comment.size()) {
        const std::size_t end = comment.find("\r\n", start);
        lines.push_back(comment.substr(start + 3, end - start - 3));
        start = end + 2;
    }
    return lines;
}

} // namespace

TEST(CommentDescription, WrappedLinesJoinAndSeparateLinesStaySeparate) {
    EXPECT_EQ(DescriptionFromComment({}), "");
    EXPECT_EQ(DescriptionFromComment({"Red marble"}), "Red marble");
    EXPECT_EQ(DescriptionFromComment({"short", "lines"}), "short\nlines");
    const std::string word(55, 'w');
    EXPECT_EQ(DescriptionFromComment({"a few words", word}), "a few words " + word);
    EXPECT_EQ(DescriptionFromComment({"end", ""}), "end\n\n");
    // A word longer than two lines was cut, not broken at a blank.
    const std::string c(60, 'c'), d(60, 'd');
    EXPECT_EQ(DescriptionFromComment({c, d}), c + d);
}

TEST(CommentDescription, AnyDescriptionWritesTheSameCommentAgain) {
    const char* const pieces[] = {
        "a", "bb", " ", "  ", "\n", "\t", "\u00E9", "\u20AC", "longwordlongwordlongword", "\r\n"};
    std::mt19937 random(7);
    for (int round = 0; round < 2000; ++round) {
        std::string description;
        const int length = std::uniform_int_distribution<int>(0, 80)(random);
        for (int i = 0; i < length; ++i)
            description += pieces[std::uniform_int_distribution<int>(0, 9)(random)];
        const std::vector<std::string> lines = CommentLines(description);
        EXPECT_EQ(WrapComment(DescriptionFromComment(lines)), WrapComment(description))
            << "round " << round;
    }
}

TEST(CommentDescription, ControlCharactersButTheTabAreDropped) {
    EXPECT_EQ(DescriptionFromComment({"a\x1b[2Jb\x01\x7F", "\xC2\x9B"
                                                           "c\td \xC2\xA0"
                                                           "e"}),
              "a[2Jb\nc\td \xC2\xA0"
              "e");
    // What is left still writes the same lines again.
    const std::string word(50, 'w');
    EXPECT_EQ(DescriptionFromComment({"x\x1b " + word, word + "\x07"}), "x " + word + " " + word);
}
