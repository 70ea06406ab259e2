// The language table against POV-Ray 3.7's reference (povray-doc): the defaults it lists for
// pattern modifiers, media and interiors are the table's.

#include "core/povtext/language.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <regex>
#include <sstream>

namespace {

const char* const kReference = "/usr/share/doc/povray/html/r3_4.html";

/// The "name : value" lines after `heading` in the reference's text, up to the next blank line.
std::vector<std::pair<std::string, std::string>> DefaultsAfter(const std::string& text,
                                                               const std::string& heading) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream in(text.substr(text.find(heading) + heading.size()));
    static const std::regex line(R"(^\s*([a-z_0-9]+)\s*:\s*(.*?)\s*$)");
    std::string read;
    std::getline(in, read); // the rest of the heading's line
    while (std::getline(in, read) && (lines.empty() || !read.empty())) {
        std::smatch match;
        if (std::regex_match(read, match, line))
            lines.emplace_back(match[1], match[2]);
    }
    return lines;
}

/// A default as a number: "0.9", "1/128", "<0,0,0>" (all components alike); NaN otherwise.
double AsNumber(const std::string& value) {
    static const std::regex number(R"(^-?[0-9.]+(/[0-9]+)?$)");
    static const std::regex vector(R"(^<\s*([-0-9.]+)\s*(,\s*\1\s*)*>$)");
    std::smatch match;
    if (std::regex_match(value, match, vector))
        return std::stod(match[1]);
    if (!std::regex_match(value, number))
        return std::nan("");
    const auto slash = value.find('/');
    return slash == std::string::npos
               ? std::stod(value)
               : std::stod(value.substr(0, slash)) / std::stod(value.substr(slash + 1));
}

} // namespace

TEST(PovLanguageTable, DefaultsAreTheReferences) {
    std::ifstream file(kReference);
    ASSERT_TRUE(file) << kReference << " (povray-doc) is needed";
    std::string html((std::istreambuf_iterator<char>(file)), {});
    const std::string text = std::regex_replace(html, std::regex("<[^>]*>"), "");
    using namespace PovLanguage;
    const struct {
        const char* heading;
        std::uint32_t places;
        int atLeast; ///< rows compared, so the check cannot pass by finding none
    } blocks[] = {
        {"Default values for pattern modifiers:", kPatternPlaces | kWarp, 10},
        {"Media default values:", kMedia, 10},
        {"Interior default values:", kInterior, 6},
    };
    for (const auto& block : blocks) {
        SCOPED_TRACE(block.heading);
        int compared = 0;
        for (const auto& [word, value] : DefaultsAfter(text, block.heading)) {
            const PovKeyword* row = Find(word);
            ASSERT_TRUE(row) << word;
            const double number = AsNumber(value);
            if (!(row->places & block.places) || std::isnan(number))
                continue;
            EXPECT_NEAR(row->range.fallback, number, 1e-9) << word;
            if (!std::isnan(row->range.low)) {
                EXPECT_TRUE(row->range.low <= number && number <= row->range.high) << word;
            }
            ++compared;
        }
        EXPECT_GE(compared, block.atLeast);
    }
}

TEST(PovLanguageTable, RowsAreWhatTheReadersAskOf) {
    using namespace PovLanguage;
    for (const PovKeyword& row : Keywords()) {
        // A range holds its default, and a labelled row stands somewhere.
        if (!std::isnan(row.range.low) && !std::isnan(row.range.fallback)) {
            EXPECT_TRUE(row.range.low <= row.range.fallback && row.range.fallback <= row.range.high)
                << row.word;
        }
        if (!row.label.empty() && row.word != "material") {
            EXPECT_NE(row.places, 0u) << row.word;
        }
        if (!row.owner.empty()) {
            EXPECT_TRUE(Find(row.owner)) << row.word << " belongs to " << row.owner;
        }
    }
    EXPECT_TRUE(Is("crackle", kPattern));
    EXPECT_TRUE(Is("brick", kPattern | kBlockPattern));
    EXPECT_EQ(Find("form")->owner, "crackle");
    EXPECT_TRUE(Is("object", kObject) && Is("object", kPattern));
    EXPECT_TRUE(Is("vstr", kStringFunction)) << "it makes a string from a file name's pieces";
    EXPECT_TRUE(IsPovRayReservedWord("turbulence"));
    EXPECT_FALSE(IsPovRayReservedWord("input_file_name")) << "POV-Ray lets it be declared";
    EXPECT_FALSE(IsPovRayReservedWord("Turbulence"));
    EXPECT_EQ(Find("no_such_word"), nullptr);
}
