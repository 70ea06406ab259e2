#include "ui/editors/sourcehighlighter.h"

#include "core/povtext/language/language.h"

#include <algorithm>

namespace {

/// The block state of a line that ends inside a block comment.
constexpr int kInComment = 1;

bool IsWordStart(QChar c) {
    return c.isLetter() || c == QLatin1Char('_');
}

bool IsWordPart(QChar c) {
    return c.isLetterOrNumber() || c == QLatin1Char('_');
}

} // namespace

SourceHighlighter::SourceHighlighter(QTextDocument* document) : QSyntaxHighlighter(document) {
    m_keyword.setForeground(QColor(0x00, 0x33, 0x99));
    m_keyword.setFontWeight(QFont::Bold);
    m_number.setForeground(QColor(0x99, 0x33, 0x00));
    m_string.setForeground(QColor(0x00, 0x77, 0x22));
    m_comment.setForeground(QColor(0x70, 0x70, 0x70));
    m_comment.setFontItalic(true);
    m_directive.setForeground(QColor(0x88, 0x00, 0x88));
    m_directive.setFontWeight(QFont::Bold);
}

void SourceHighlighter::highlightBlock(const QString& text) {
    const qsizetype size = text.size();
    qsizetype i = 0;
    setCurrentBlockState(0);
    if (previousBlockState() == kInComment) {
        const qsizetype end = text.indexOf(QLatin1String("*/"));
        if (end < 0) {
            setFormat(0, static_cast<int>(size), m_comment);
            setCurrentBlockState(kInComment);
            return;
        }
        i = end + 2;
        setFormat(0, static_cast<int>(i), m_comment);
    }
    const auto mark = [this](qsizetype from, qsizetype to, const QTextCharFormat& format) {
        setFormat(static_cast<int>(from), static_cast<int>(to - from), format);
    };
    while (i < size) {
        const QChar c = text[i];
        const QChar next = i + 1 < size ? text[i + 1] : QChar();
        if (c == QLatin1Char('/') && next == QLatin1Char('/')) {
            mark(i, size, m_comment);
            return;
        }
        if (c == QLatin1Char('/') && next == QLatin1Char('*')) {
            const qsizetype end = text.indexOf(QLatin1String("*/"), i + 2);
            if (end < 0) {
                mark(i, size, m_comment);
                setCurrentBlockState(kInComment);
                return;
            }
            mark(i, end + 2, m_comment);
            i = end + 2;
        } else if (c == QLatin1Char('"')) {
            qsizetype end = i + 1;
            while (end < size && text[end] != QLatin1Char('"'))
                end += text[end] == QLatin1Char('\\') ? 2 : 1;
            end = std::min(end + 1, size);
            mark(i, end, m_string);
            i = end;
        } else if (c == QLatin1Char('#')) {
            qsizetype end = i + 1;
            while (end < size && text[end].isSpace())
                ++end;
            while (end < size && IsWordPart(text[end]))
                ++end;
            mark(i, end, m_directive);
            i = end;
        } else if (IsWordStart(c)) {
            qsizetype end = i + 1;
            while (end < size && IsWordPart(text[end]))
                ++end;
            if (IsPovRayReservedWord(text.mid(i, end - i).toStdString()))
                mark(i, end, m_keyword);
            i = end;
        } else if (c.isDigit() || (c == QLatin1Char('.') && next.isDigit())) {
            qsizetype end = i;
            while (end < size && (text[end].isDigit() || text[end] == QLatin1Char('.')))
                ++end;
            if (end < size && (text[end] == QLatin1Char('e') || text[end] == QLatin1Char('E'))) {
                qsizetype exponent = end + 1;
                if (exponent < size &&
                    (text[exponent] == QLatin1Char('+') || text[exponent] == QLatin1Char('-')))
                    ++exponent;
                if (exponent < size && text[exponent].isDigit()) {
                    end = exponent;
                    while (end < size && text[end].isDigit())
                        ++end;
                }
            }
            mark(i, end, m_number);
            i = end;
        } else {
            ++i;
        }
    }
}
