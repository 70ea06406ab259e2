#pragma once

#include <QSyntaxHighlighter>
#include <QTextCharFormat>

/// Colours POV-Ray text as it is typed: keywords, numbers, strings, comments (block comments
/// across lines too) and directives.
class SourceHighlighter : public QSyntaxHighlighter {
    Q_OBJECT
public:
    explicit SourceHighlighter(QTextDocument* document);

    QTextCharFormat KeywordFormat() const { return m_keyword; }
    QTextCharFormat NumberFormat() const { return m_number; }
    QTextCharFormat StringFormat() const { return m_string; }
    QTextCharFormat CommentFormat() const { return m_comment; }
    QTextCharFormat DirectiveFormat() const { return m_directive; }

protected:
    void highlightBlock(const QString& text) override;

private:
    QTextCharFormat m_keyword;
    QTextCharFormat m_number;
    QTextCharFormat m_string;
    QTextCharFormat m_comment;
    QTextCharFormat m_directive;
};
