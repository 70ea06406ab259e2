#include "core/povray/povprogress.h"

#include <algorithm>
#include <charconv>

namespace {

bool Contains(std::string_view text, std::string_view part) {
    return text.find(part) != std::string_view::npos;
}

bool IsNoise(std::string_view line) {
    // POV-Ray complains on every start when the user has no configuration file of their own.
    return Contains(line, "cannot open the user configuration file");
}

bool ParseNumber(std::string_view& text, long long& value) {
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec != std::errc())
        return false;
    text.remove_prefix(static_cast<std::size_t>(result.ptr - text.data()));
    return true;
}

} // namespace

int ParseProgressLine(std::string_view line) {
    const std::size_t at = line.find("Rendered ");
    if (at == std::string_view::npos)
        return -1;
    std::string_view rest = line.substr(at + 9);
    long long done = 0;
    long long total = 0;
    if (!ParseNumber(rest, done) || rest.substr(0, 4) != " of ")
        return -1;
    rest.remove_prefix(4);
    if (!ParseNumber(rest, total) || total <= 0 || done < 0)
        return -1;
    return static_cast<int>(std::min<long long>(100, done * 100 / total));
}

void PovProgressParser::Feed(std::string_view chunk) {
    for (char c : chunk) {
        if (c == '\r' || c == '\n') {
            if (!m_partial.empty())
                TakeLine(std::move(m_partial));
            m_partial.clear();
        } else if (m_partial.size() < kMaxLineLength) {
            m_partial += c; // the rest of an overlong line is dropped
        }
    }
}

void PovProgressParser::Finish() {
    if (!m_partial.empty())
        TakeLine(std::move(m_partial));
    m_partial.clear();
}

void PovProgressParser::TakeLine(std::string line) {
    const int percent = ParseProgressLine(line);
    if (percent >= 0) {
        m_percent = std::max(m_percent, percent);
        return;
    }
    if (constexpr std::string_view frame = "Rendering frame "; line.rfind(frame, 0) == 0) {
        int number = 0;
        std::from_chars(line.data() + frame.size(), line.data() + line.size(), number);
        m_frame = std::max(m_frame, number);
        return;
    }
    if (IsNoise(line))
        return;
    if (line.rfind("====", 0) == 0) {
        // POV-Ray's threads may print a parse error just before the banner of its section: a
        // located error stays, the rest of the section before goes.
        std::erase_if(m_section, [this](const std::string& kept) {
            const bool located = kept.rfind("File '", 0) == 0 && Contains(kept, "Error");
            if (!located)
                m_sectionBytes -= kept.size();
            return !located;
        });
        return;
    }
    // POV-Ray wraps long messages, continuing them on lines that start with one blank.
    if (line.size() > 1 && line[0] == ' ' && line[1] != ' ' && !m_section.empty()) {
        std::string& joined = m_section.back();
        const std::size_t room = kMaxLineLength - std::min(kMaxLineLength, joined.size());
        const std::size_t taken = std::min(room, line.size());
        joined.append(line, 0, taken);
        m_sectionBytes += taken;
    } else {
        m_sectionBytes += line.size();
        m_section.push_back(std::move(line));
    }
    // Only the last lines are kept: enough to explain a failure, never the whole flood.
    while (m_section.size() > 1 &&
           (m_sectionBytes > kMaxKeptBytes || m_section.size() > kMaxKeptLines)) {
        m_sectionBytes -= m_section.front().size();
        m_section.erase(m_section.begin());
    }
}

std::vector<std::string> PovProgressParser::ErrorLines(std::size_t limit) const {
    std::vector<std::string> lines;
    bool inError = false;
    for (const std::string& line : m_section) {
        if (!inError &&
            (Contains(line, "Error") || Contains(line, "error") || Contains(line, "failed")))
            inError = true;
        if (inError && line.rfind("----", 0) != 0 && !Contains(line, "Warning"))
            lines.push_back(line);
    }
    if (lines.empty()) {
        for (const std::string& line : m_section)
            if (line.rfind("----", 0) != 0)
                lines.push_back(line);
    }
    if (lines.size() > limit)
        lines.erase(lines.begin(), lines.end() - static_cast<std::ptrdiff_t>(limit));
    return lines;
}
