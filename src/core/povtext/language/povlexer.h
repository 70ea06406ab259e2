#pragma once

#include "core/povtext/language/povtoken.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Splits POV-Ray source text into tokens with their positions. Comments ("//" to the end of
/// the line, "/* */" which may nest) and blanks are passed over, and so is a "#" with no
/// directive name after it (a null directive). A directive's name may stand after blanks, line
/// ends, comments and more '#', as POV-Ray reads it. Throws SourceSyntaxError for text that is no
/// token at all: a stray character, an unclosed string or comment, a number that overflows, an
/// identifier longer than POV-Ray takes.
class PovLexer {
public:
    /// Reads `text`, which must outlive the lexer; positions name file `file`.
    PovLexer(std::string_view text, int file);

    PovToken Next();
    int File() const { return m_file; }
    /// The share of the text read so far, from 0 to 1.
    double Done() const {
        return m_text.empty() ? 1.0
                              : static_cast<double>(m_at) / static_cast<double>(m_text.size());
    }

    /// The byte offsets of the token read last: where it starts and where it ends.
    std::size_t TokenStart() const { return m_tokenStart; }
    std::size_t TokenEnd() const { return m_at; }

    /// Where the first "#" that named no directive stood, if one did.
    const std::optional<SourcePosition>& NullDirectiveAt() const { return m_nullDirective; }

    /// Identifiers and keywords are shorter than this, as in POV-Ray.
    static constexpr std::size_t kMaxWordLength = 256;
    /// The comment lines kept above a directive: the last ones of a longer run. A description
    /// exported by the program fits many times over.
    static constexpr std::size_t kMaxCommentLines = 100000;

private:
    char Peek(std::size_t ahead = 0) const;
    void Advance();
    SourcePosition Here() const;
    /// Passes over blanks and comments, collecting runs of whole-line "//" comments.
    void SkipSpace();
    void SkipBlockComment();
    void ReadLineComment(bool wholeLine);
    PovToken ReadNumber(PovToken token);
    PovToken ReadString(PovToken token);
    PovToken ReadWord(PovToken token);
    /// Passes over a "#" at the current place that stands for no directive; false, with
    /// nothing read, when it starts a directive (or is no token).
    bool NullDirective();
    /// Where the name of the directive whose '#' stands at `at` would start.
    std::size_t AfterHash(std::size_t at) const;
    /// Where the "/* */" comment starting at `at` ends (after its "*/"), or npos when never.
    std::size_t BlockCommentEnd(std::size_t at) const;
    /// Where the "//" comment starting at `at` ends.
    std::size_t LineCommentEnd(std::size_t at) const;
    /// Advances to `at`, counting the lines passed.
    void MoveTo(std::size_t at);

    std::string_view m_text;
    int m_file;
    std::size_t m_at = 0;
    std::size_t m_tokenStart = 0;
    int m_line = 1;
    std::size_t m_lineStart = 0;
    /// Whether a token has been read on the current line.
    bool m_tokenOnLine = false;
    std::vector<std::string> m_comment;
    int m_commentEndLine = 0;
    std::optional<SourcePosition> m_nullDirective;
};

/// True for the characters that may start an identifier or keyword.
bool IsWordStart(char c);
