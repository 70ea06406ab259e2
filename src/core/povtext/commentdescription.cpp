#include "core/povtext/commentdescription.h"

#include "core/text/textcodec.h"

namespace {

std::size_t Characters(const std::string& text) {
    return DecodeUtf8(text).size();
}

std::string FirstWord(const std::string& line) {
    return line.substr(0, line.find(' '));
}

} // namespace

std::string DescriptionFromComment(const std::vector<std::string>& lines, std::size_t width) {
    std::string description;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (i > 0) {
            const std::string& before = lines[i - 1];
            const bool wrapped = !before.empty() && !lines[i].empty() &&
                                 Characters(before) + 1 + Characters(FirstWord(lines[i])) > width;
            description += wrapped ? " " : "\n";
        }
        description += lines[i];
    }
    // A last empty line stands for a line break at the end of the description.
    if (!lines.empty() && lines.back().empty())
        description += "\n";
    return description;
}
