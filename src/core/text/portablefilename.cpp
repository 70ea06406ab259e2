#include "core/text/portablefilename.h"

#include "core/text/textcodec.h"

#include <array>

namespace {

/// The plain letters of U+00C0 to U+00FF, "" where none stands (U+00F7, the division sign).
constexpr std::array<const char*, 64> kLatin1Letters = {
    "A", "A", "A", "A", "A", "A", "AE", "C", "E", "E", "E", "E", "I", "I", "I",  "I",
    "D", "N", "O", "O", "O", "O", "O",  "x", "O", "U", "U", "U", "U", "Y", "TH", "ss",
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i",  "i",
    "d", "n", "o", "o", "o", "o", "o",  "",  "o", "u", "u", "u", "u", "y", "th", "y"};

bool IsKept(char32_t c) {
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9') ||
           c == U'.' || c == U'-' || c == U'_';
}

bool IsTrimmed(char c) {
    return c == '_' || c == '.' || c == '-';
}

} // namespace

std::string PortableFileName(std::string_view title, std::string_view fallback) {
    std::string name;
    auto put = [&name](std::string_view text) {
        for (const char c : text)
            if (c != '_' || name.empty() || name.back() != '_')
                name += c;
    };
    for (const char32_t c : DecodeUtf8(title)) {
        if (IsKept(c))
            put(std::string(1, static_cast<char>(c)));
        else if (c >= 0xC0 && c <= 0xFF && *kLatin1Letters[c - 0xC0] != '\0')
            put(kLatin1Letters[c - 0xC0]);
        else if (c == 0x2010 || c == 0x2011 || c == 0x2012 || c == 0x2013 || c == 0x2014)
            put("-");
        else
            put("_");
    }
    std::size_t first = 0;
    while (first < name.size() && IsTrimmed(name[first]))
        ++first;
    std::size_t end = name.size();
    while (end > first && IsTrimmed(name[end - 1]))
        --end;
    name = name.substr(first, end - first);
    return name.empty() ? std::string(fallback) : name;
}
