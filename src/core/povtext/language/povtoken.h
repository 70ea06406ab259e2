#pragma once

#include "core/povtext/language/sourceposition.h"

#include <string>
#include <string_view>
#include <vector>

/// One token of POV-Ray scene-language text.
struct PovToken {
    enum Kind {
        End,       ///< the end of the text being read
        FileEnd,   ///< the end of an included file, which reading then leaves
        Word,      ///< a keyword or an identifier
        Number,    ///< a number literal; its value is in `number`
        String,    ///< a string literal; `text` holds what stands between the quotes, as written
        Symbol,    ///< punctuation or an operator ("{", "<=", ...)
        Directive, ///< "#" and a word; `text` holds the word
    };

    Kind kind = End;
    std::string text;
    double number = 0.0;
    SourcePosition at;
    /// True when only blanks stand before the token on its line.
    bool startsLine = false;
    /// For a directive that starts a line: the text of the "//" comment lines directly above it,
    /// one entry per line, without the slashes and the blanks after them.
    std::vector<std::string> comment;

    bool Is(Kind k, std::string_view t) const { return kind == k && std::string_view(text) == t; }
    bool IsSymbol(std::string_view t) const { return Is(Symbol, t); }
    bool IsWord(std::string_view t) const { return Is(Word, t); }
};

/// A token made by the reader rather than read (a default folded in, a loop's own step).
inline PovToken MadeToken(PovToken::Kind kind, std::string text, SourcePosition at = {},
                          double number = 0.0) {
    PovToken token;
    token.kind = kind;
    token.text = std::move(text);
    token.at = at;
    token.number = number;
    return token;
}
