#pragma once

#include "core/povtext/language/povtoken.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

/// A token of a TokenList: its kind and its text, as long as the list is not changed.
struct TokenView {
    PovToken::Kind kind = PovToken::End;
    std::string_view text;

    bool IsSymbol(const char* t) const { return kind == PovToken::Symbol && text == t; }
    bool IsWord(const char* t) const { return kind == PovToken::Word && text == t; }
};

/// Tokens kept by kind and text alone, their texts in one string: a written value costs about
/// the characters it has, not a token object for each.
class TokenList {
public:
    std::size_t size() const { return m_kinds.size(); }
    bool empty() const { return m_kinds.empty(); }
    TokenView operator[](std::size_t i) const;
    TokenView back() const { return (*this)[size() - 1]; }

    void Add(PovToken::Kind kind, std::string_view text);
    /// Adds tokens `first` up to (not including) `last` of `other`.
    void Append(const TokenList& other, std::size_t first, std::size_t last);
    /// Keeps the first `count` tokens.
    void Truncate(std::size_t count);
    void Clear();

    /// About the memory the list takes.
    std::size_t Bytes() const;
    /// The tokens again, numbers read from their text, for reading them once more.
    std::vector<PovToken> Expanded() const;

private:
    std::string m_text;
    std::vector<std::uint32_t> m_ends;
    std::vector<std::uint8_t> m_kinds;
};
