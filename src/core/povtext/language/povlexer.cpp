#include "core/povtext/language/povlexer.h"

#include "core/povtext/language/sourceerror.h"

#include <charconv>
#include <cstdio>

namespace {

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

bool IsWordCharacter(char c) {
    return IsWordStart(c) || IsDigit(c);
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\f' || c == '\v';
}

std::string Trimmed(std::string_view text) {
    std::size_t first = 0;
    while (first < text.size() && (text[first] == ' ' || text[first] == '\t'))
        ++first;
    std::size_t last = text.size();
    while (last > first && text[last - 1] == '\r')
        --last;
    return std::string(text.substr(first, last - first));
}

std::string Printable(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x21 && byte < 0x7F)
        return std::string("'") + c + "'";
    char hex[8];
    std::snprintf(hex, sizeof hex, "0x%02X", byte);
    return std::string("the byte ") + hex;
}

} // namespace

bool IsWordStart(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '_';
}

PovLexer::PovLexer(std::string_view text, int file) : m_text(text), m_file(file) {}

char PovLexer::Peek(std::size_t ahead) const {
    return m_at + ahead < m_text.size() ? m_text[m_at + ahead] : '\0';
}

void PovLexer::Advance() {
    if (m_text[m_at] == '\n') {
        ++m_line;
        m_lineStart = m_at + 1;
        m_tokenOnLine = false;
    }
    ++m_at;
}

SourcePosition PovLexer::Here() const {
    return {m_file, m_line, static_cast<int>(m_at - m_lineStart) + 1};
}

std::size_t PovLexer::BlockCommentEnd(std::size_t at) const {
    at += 2;
    for (int depth = 1; depth > 0;) {
        if (at >= m_text.size())
            return std::string_view::npos;
        if (m_text.compare(at, 2, "/*") == 0) {
            ++depth;
            at += 2;
        } else if (m_text.compare(at, 2, "*/") == 0) {
            --depth;
            at += 2;
        } else {
            ++at;
        }
    }
    return at;
}

void PovLexer::SkipBlockComment() {
    const std::size_t end = BlockCommentEnd(m_at);
    if (end == std::string_view::npos)
        throw SourceSyntaxError(Here(), "the comment that starts here is never closed with */");
    MoveTo(end);
}

void PovLexer::ReadLineComment(bool wholeLine) {
    const std::size_t start = m_at + 2;
    m_at = LineCommentEnd(m_at);
    if (!wholeLine) {
        m_comment.clear();
        return;
    }
    if (m_commentEndLine != m_line - 1)
        m_comment.clear();
    if (m_comment.size() >= 2 * kMaxCommentLines)
        m_comment.erase(m_comment.begin(), m_comment.end() - kMaxCommentLines + 1);
    m_comment.push_back(Trimmed(m_text.substr(start, m_at - start)));
    m_commentEndLine = m_line;
}

void PovLexer::SkipSpace() {
    while (m_at < m_text.size()) {
        const char c = m_text[m_at];
        if (c == '\n' || IsBlank(c)) {
            Advance();
        } else if (c == '/' && Peek(1) == '/') {
            ReadLineComment(!m_tokenOnLine);
        } else if (c == '/' && Peek(1) == '*') {
            SkipBlockComment();
            m_comment.clear();
            m_tokenOnLine = true; // what follows on this line does not start it
        } else {
            return;
        }
    }
}

PovToken PovLexer::Next() {
    SkipSpace();
    while (Peek() == '#' && NullDirective())
        SkipSpace();
    PovToken token;
    m_tokenStart = m_at;
    token.at = Here();
    token.startsLine = !m_tokenOnLine;
    if (m_at >= m_text.size()) {
        token.kind = PovToken::End;
        return token;
    }
    const bool commentAbove =
        token.startsLine && !m_comment.empty() && m_commentEndLine == m_line - 1;
    m_tokenOnLine = true;
    const char c = m_text[m_at];

    if (IsDigit(c) || (c == '.' && IsDigit(Peek(1))))
        return ReadNumber(std::move(token));
    if (c == '"')
        return ReadString(std::move(token));
    if (IsWordStart(c))
        return ReadWord(std::move(token));
    if (c == '#') {
        MoveTo(AfterHash(m_at));
        if (!IsWordStart(Peek()))
            throw SourceSyntaxError(token.at, "a directive name must follow '#'");
        token = ReadWord(std::move(token));
        token.kind = PovToken::Directive;
        if (commentAbove) {
            if (m_comment.size() > kMaxCommentLines)
                m_comment.erase(m_comment.begin(), m_comment.end() - kMaxCommentLines);
            token.comment = std::move(m_comment);
        }
        m_comment.clear();
        return token;
    }

    token.kind = PovToken::Symbol;
    const char next = Peek(1);
    if ((c == '<' || c == '>' || c == '!') && next == '=') {
        token.text = std::string{c, '='};
        m_at += 2;
        return token;
    }
    switch (c) {
    case '{':
    case '}':
    case '(':
    case ')':
    case '[':
    case ']':
    case '<':
    case '>':
    case ',':
    case ';':
    case '=':
    case '+':
    case '-':
    case '*':
    case '/':
    case '!':
    case '?':
    case ':':
    case '&':
    case '|':
    case '.':
        token.text = std::string(1, c);
        ++m_at;
        return token;
    default:
        throw SourceSyntaxError(token.at, "unexpected " + Printable(c));
    }
}

PovToken PovLexer::ReadNumber(PovToken token) {
    const std::size_t start = m_at;
    while (IsDigit(Peek()))
        ++m_at;
    if (Peek() == '.') {
        ++m_at;
        while (IsDigit(Peek()))
            ++m_at;
    }
    bool negativeExponent = false;
    if ((Peek() == 'e' || Peek() == 'E') &&
        (IsDigit(Peek(1)) || ((Peek(1) == '+' || Peek(1) == '-') && IsDigit(Peek(2))))) {
        negativeExponent = Peek(1) == '-';
        m_at += IsDigit(Peek(1)) ? 1 : 2;
        while (IsDigit(Peek()))
            ++m_at;
    }
    const std::string_view digits = m_text.substr(start, m_at - start);
    token.kind = PovToken::Number;
    token.text = std::string(digits);
    const auto result = std::from_chars(digits.data(), digits.data() + digits.size(), token.number);
    if (result.ec == std::errc::result_out_of_range) {
        if (!negativeExponent)
            throw SourceSyntaxError(token.at,
                                    "the number " + token.text.substr(0, 40) + " is too large");
        token.number = 0.0; // too small to tell from zero
    } else if (result.ec != std::errc() || result.ptr != digits.data() + digits.size()) {
        throw SourceSyntaxError(token.at,
                                "the number " + token.text.substr(0, 40) + " cannot be read");
    }
    return token;
}

PovToken PovLexer::ReadString(PovToken token) {
    ++m_at;
    const std::size_t start = m_at;
    while (true) {
        if (m_at >= m_text.size() || m_text[m_at] == '\n')
            throw SourceSyntaxError(token.at, "the string that starts here is not closed on "
                                              "its line");
        if (m_text[m_at] == '\\' && m_at + 1 < m_text.size() && m_text[m_at + 1] != '\n') {
            m_at += 2;
            continue;
        }
        if (m_text[m_at] == '"')
            break;
        ++m_at;
    }
    token.kind = PovToken::String;
    token.text = std::string(m_text.substr(start, m_at - start));
    ++m_at;
    return token;
}

std::size_t PovLexer::LineCommentEnd(std::size_t at) const {
    // POV-Ray ends a "//" comment at a carriage return as well as at a line feed.
    while (at < m_text.size() && m_text[at] != '\n' && m_text[at] != '\r')
        ++at;
    return at;
}

std::size_t PovLexer::AfterHash(std::size_t at) const {
    // As in POV-Ray, blanks, line ends, comments and more '#' may stand between a '#' and the
    // name of its directive.
    ++at;
    while (at < m_text.size()) {
        const char c = m_text[at];
        const char next = at + 1 < m_text.size() ? m_text[at + 1] : '\0';
        if (c == '#' || c == '\n' || IsBlank(c)) {
            ++at;
        } else if (c == '/' && next == '/') {
            at = LineCommentEnd(at);
        } else if (c == '/' && next == '*') {
            at = BlockCommentEnd(at);
            if (at == std::string_view::npos)
                return m_text.size();
        } else {
            break;
        }
    }
    return at;
}

void PovLexer::MoveTo(std::size_t at) {
    while (m_at < at)
        Advance();
}

bool PovLexer::NullDirective() {
    // POV-Ray passes over a "#" that no directive name follows, as where it stands before a
    // closing brace or the end of the text. A number, a string or a ';' after it POV-Ray
    // refuses, and so does this.
    const std::size_t after = AfterHash(m_at);
    const char next = after < m_text.size() ? m_text[after] : '\0';
    if (IsWordStart(next) || IsDigit(next) || next == '.' || next == '"' || next == ';')
        return false;
    if (!m_nullDirective)
        m_nullDirective = Here();
    MoveTo(after);
    m_tokenOnLine = true;
    m_comment.clear();
    return true;
}

PovToken PovLexer::ReadWord(PovToken token) {
    const std::size_t start = m_at;
    while (IsWordCharacter(Peek()))
        ++m_at;
    if (m_at - start >= kMaxWordLength)
        throw SourceSyntaxError(token.at, "an identifier of " + std::to_string(m_at - start) +
                                              " characters is too long: POV-Ray takes at most " +
                                              std::to_string(kMaxWordLength - 1));
    token.kind = PovToken::Word;
    token.text = std::string(m_text.substr(start, m_at - start));
    return token;
}
