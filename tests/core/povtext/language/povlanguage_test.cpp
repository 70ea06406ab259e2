// The language table against POV-Ray 3.7's reference (povray-doc): the defaults it lists for
// pattern modifiers, media and interiors are the table's.

#include "core/povtext/language/language.h"

#include <cmath>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

const char* const kReference = "/usr/share/doc/povray/html/r3_4.html";

std::string Trimmed(const std::string& text) {
    const auto first = text.find_first_not_of(" \t\r");
    const auto last = text.find_last_not_of(" \t\r");
    return first == std::string::npos ? std::string() : text.substr(first, last - first + 1);
}

/// The reference's text without its tags.
std::string WithoutTags(const std::string& html) {
    std::string text;
    bool inTag = false;
    for (const char c : html) {
        if (c == '<' || c == '>')
            inTag = c == '<';
        else if (!inTag)
            text += c;
    }
    return text;
}

/// The "name : value" lines after `heading` in the reference's text, up to the next blank line.
std::vector<std::pair<std::string, std::string>> DefaultsAfter(const std::string& text,
                                                               const std::string& heading) {
    std::vector<std::pair<std::string, std::string>> lines;
    std::istringstream in(text.substr(text.find(heading) + heading.size()));
    std::string read;
    std::getline(in, read); // the rest of the heading's line
    while (std::getline(in, read) && (lines.empty() || !Trimmed(read).empty())) {
        const auto colon = read.find(':');
        const std::string name = Trimmed(read.substr(0, colon));
        if (colon == std::string::npos || name.empty() ||
            name.find_first_not_of("abcdefghijklmnopqrstuvwxyz_0123456789") != std::string::npos)
            continue;
        lines.emplace_back(name, Trimmed(read.substr(colon + 1)));
    }
    return lines;
}

/// A default as a number: "0.9", "1/128", "<0,0,0>" (all components alike); NaN otherwise.
double AsNumber(const std::string& value) {
    const auto number = [](const std::string& text) {
        if (text.empty() || text.find_first_not_of("-.0123456789") != std::string::npos)
            return std::nan("");
        return std::stod(text);
    };
    if (value.size() > 2 && value.front() == '<' && value.back() == '>') {
        std::istringstream parts(value.substr(1, value.size() - 2));
        std::string part;
        double first = std::nan("");
        while (std::getline(parts, part, ',')) {
            const double component = number(Trimmed(part));
            if (std::isnan(first))
                first = component;
            else if (component != first)
                return std::nan("");
        }
        return first;
    }
    const auto slash = value.find('/');
    return slash == std::string::npos
               ? number(value)
               : number(value.substr(0, slash)) / number(value.substr(slash + 1));
}

} // namespace

TEST(PovLanguageTable, DefaultsAreTheReferences) {
    std::ifstream file(kReference);
    ASSERT_TRUE(file) << kReference << " (povray-doc) is needed";
    std::string html((std::istreambuf_iterator<char>(file)), {});
    const std::string text = WithoutTags(html);
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
        for (std::size_t at = 0; at < row.owner.size();) {
            const std::size_t end = std::min(row.owner.find(' ', at), row.owner.size());
            EXPECT_TRUE(Find(row.owner.substr(at, end - at)))
                << row.word << " belongs to " << row.owner;
            at = end + 1;
        }
    }
    EXPECT_TRUE(Find("max_iteration")->OwnedBy("julia"));
    EXPECT_FALSE(Find("max_iteration")->OwnedBy("granite")) << "POV-Ray refuses it there";
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
