#include "core/povtext/import/commentdescription.h"

#include "core/model/texture.h"

#include <optional>
#include <string_view>

namespace {

std::string CommentLine(const std::string& line) {
    return "// " + line + "\r\n";
}

/// The line without control characters, which a description shown in a terminal would carry
/// to it: C0 bytes but the tab, DEL, and C1 characters in UTF-8.
std::string WithoutControls(const std::string& line) {
    std::string clean;
    clean.reserve(line.size());
    for (std::size_t i = 0; i < line.size(); ++i) {
        const auto byte = static_cast<unsigned char>(line[i]);
        if (byte == 0xC2 && i + 1 < line.size() &&
            static_cast<unsigned char>(line[i + 1]) >= 0x80 &&
            static_cast<unsigned char>(line[i + 1]) <= 0x9F) {
            ++i;
        } else if ((byte >= 0x20 && byte != 0x7F) || byte == '\t') {
            clean += line[i];
        }
    }
    return clean;
}

/// Four or more of one drawing character and nothing else, blanks aside.
bool IsRuleLine(const std::string& line) {
    const auto first = line.find_first_not_of(" \t");
    if (first == std::string::npos)
        return false;
    const char c = line[first];
    if (std::string_view("=-*#~_+/<>").find(c) == std::string_view::npos)
        return false;
    const auto last = line.find_last_not_of(" \t");
    return last - first >= 3 && line.find_first_not_of(c, first) > last;
}

/// The blank or nothing with which `line` continues `before`, as the writer broke one line of
/// a description in two; none when `line` starts a line of its own.
std::optional<const char*> Continuation(const std::string& before, const std::string& line,
                                        std::size_t width) {
    const std::string expected = CommentLine(before) + CommentLine(line);
    for (const char* separator : {" ", ""})
        if (WrapComment(std::string(before).append(separator).append(line), width) == expected)
            return separator;
    return std::nullopt;
}

} // namespace

std::vector<std::string> WithoutRuleLines(std::vector<std::string> comment, std::size_t width) {
    const auto blankOrRule = [](const std::string& line) {
        return IsRuleLine(line) || line.find_first_not_of(" \t") == std::string::npos;
    };
    // A rule the writer could have broken off the line next to it is the description's own.
    while (
        !comment.empty() && IsRuleLine(comment.back()) &&
        !(comment.size() > 1 && Continuation(comment[comment.size() - 2], comment.back(), width)))
        comment.pop_back();
    auto start = comment.begin();
    if (start != comment.end() && IsRuleLine(*start) &&
        !(comment.size() > 1 && Continuation(comment[0], comment[1], width)))
        while (start != comment.end() && blankOrRule(*start))
            ++start;
    comment.erase(comment.begin(), start);
    return comment;
}

std::string DescriptionFromComment(const std::vector<std::string>& comment, std::size_t width) {
    std::vector<std::string> lines;
    lines.reserve(comment.size());
    for (const std::string& line : comment)
        lines.push_back(WithoutControls(line));
    // Each line either continues the description's line before it (broken at a blank, or in
    // the middle of a word too long for a line) or starts a new one. The writer decides where
    // a line breaks from the text of that line and the next alone, so each join is checked by
    // writing just those two again.
    std::string description;
    std::string current;       // the description line being put together
    std::size_t lastStart = 0; // where its last comment line starts in it
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        bool joined = false;
        if (i > 0 && !current.empty() && !line.empty()) {
            if (const auto separator = Continuation(current.substr(lastStart), line, width)) {
                lastStart = current.size();
                current += *separator + line;
                joined = true;
            }
        }
        if (!joined) {
            if (i > 0)
                description += current + "\n";
            current = line;
            lastStart = 0;
        }
    }
    description += current;
    // A last empty line stands for a line break at the end of the description.
    if (!lines.empty() && lines.back().empty())
        description += "\n";
    return description;
}
