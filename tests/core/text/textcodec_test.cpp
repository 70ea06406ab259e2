#include "core/text/textcodec.h"

#include <gtest/gtest.h>

TEST(TextCodec, Windows1252RoundTripsEveryByte) {
    std::string all;
    for (int b = 0; b < 256; ++b)
        all += static_cast<char>(b);
    const std::string utf8 = Windows1252ToUtf8(all);
    const auto back = Utf8ToWindows1252(utf8);
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, all);
}

TEST(TextCodec, Windows1252MapsTheHighRange) {
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\u0178");
    EXPECT_EQ(Windows1252ToUtf8("caf\xE9"), "caf\u00E9");
    EXPECT_EQ(Utf8ToWindows1252("\u2122"), std::optional<std::string>("\x99"));
    EXPECT_EQ(Utf8ToWindows1252("Gr\u00FCn"), std::optional<std::string>("Gr\xFCn"));
}

TEST(TextCodec, CharactersOutsideTheCodePageAreRefused) {
    EXPECT_FALSE(Utf8ToWindows1252("\u0416").has_value());      // Cyrillic
    EXPECT_FALSE(Utf8ToWindows1252("a\U0001F600").has_value()); // outside the BMP
    EXPECT_FALSE(Utf8ToWindows1252("\xC3").has_value());        // malformed UTF-8
}

TEST(TextCodec, Utf16HandlesSurrogatePairsAndStrays) {
    const std::string text = "A\u00E9\u0416\U0001F600";
    const std::u16string wide = Utf8ToUtf16(text);
    EXPECT_EQ(wide.size(), 5u);
    EXPECT_EQ(Utf16ToUtf8(wide), text);
    EXPECT_EQ(Utf16ToUtf8(std::u16string{0xD800, u'x'}), "\uFFFDx");
}

TEST(TextCodec, MalformedUtf8BecomesReplacementCharacters) {
    EXPECT_EQ(DecodeUtf8("a\xFF"
                         "b"),
              (std::u32string{U'a', 0xFFFD, U'b'}));
    EXPECT_EQ(DecodeUtf8("\xE2\x82"), (std::u32string{0xFFFD}));
    EXPECT_EQ(DecodeUtf8("\xC0\x80"), (std::u32string{0xFFFD})); // overlong
    EXPECT_EQ(EncodeUtf8(DecodeUtf8("h\u00E9\U0001F600")), "h\u00E9\U0001F600");
}

TEST(TextCodec, ShortenedTextsEndBetweenCharacters) {
    EXPECT_EQ(ShortenedUtf8("Gr\u00FCn und blau", 3), "Gr\u00FC\u2026");
    EXPECT_EQ(ShortenedUtf8("\U0001F600\U0001F600\U0001F600", 2), "\U0001F600\U0001F600\u2026");
    EXPECT_EQ(ShortenedUtf8("ab", 2), "ab"); // nothing cut, nothing added
    EXPECT_EQ(ShortenedUtf8("", 0), "");
    EXPECT_EQ(ShortenedUtf8(std::string(10 << 20, 'x'), 5), "xxxxx\u2026");
}
