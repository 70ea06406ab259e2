#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

/// Reads POV-Ray's console output as it arrives: the "Rendered N of M pixels" progress lines
/// (separated by carriage returns) and the messages that explain a failure. However much
/// POV-Ray writes, at most the last kMaxKeptBytes of lines (each cut to kMaxLineLength) are kept.
class PovProgressParser {
public:
    static constexpr std::size_t kMaxLineLength = 1024;
    static constexpr std::size_t kMaxKeptBytes = 8 * 1024;
    static constexpr std::size_t kMaxKeptLines = 64;

    /// Takes the next piece of output; lines may be split anywhere between pieces.
    void Feed(std::string_view chunk);
    /// Ends the output: a last line without a line end is taken as complete.
    void Finish();

    /// The furthest percentage reported so far (0-100), or -1 when none was. A counter that
    /// starts again (a further antialiasing pass) never moves it back.
    int Percent() const { return m_percent; }
    /// The frame of an animation POV-Ray last said it began ("Rendering frame 3 of 16"), from
    /// 1; 0 before any.
    int Frame() const { return m_frame; }
    /// The lines that explain a failure: the error messages after the last section banner,
    /// with POV-Ray's wrapped continuation lines joined, at most `limit` of them.
    std::vector<std::string> ErrorLines(std::size_t limit = 6) const;

private:
    void TakeLine(std::string line);

    std::string m_partial;
    std::vector<std::string> m_section; ///< the last lines since the last "====" banner
    std::size_t m_sectionBytes = 0;     ///< characters held in m_section
    int m_percent = -1;
    int m_frame = 0;
};

/// The percentage "Rendered N of M pixels" stands for, or -1 when `line` is not such a line.
int ParseProgressLine(std::string_view line);
