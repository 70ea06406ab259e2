#include "core/povtext/reading/tokenlist.h"

#include <charconv>

TokenView TokenList::operator[](std::size_t i) const {
    const std::uint32_t begin = i == 0 ? 0 : m_ends[i - 1];
    return {static_cast<PovToken::Kind>(m_kinds[i]),
            std::string_view(m_text).substr(begin, m_ends[i] - begin)};
}

void TokenList::Add(PovToken::Kind kind, std::string_view text) {
    m_text += text;
    m_ends.push_back(static_cast<std::uint32_t>(m_text.size()));
    m_kinds.push_back(static_cast<std::uint8_t>(kind));
}

void TokenList::Append(const TokenList& other, std::size_t first, std::size_t last) {
    for (std::size_t i = first; i < last; ++i) {
        const TokenView token = other[i];
        Add(token.kind, token.text);
    }
}

void TokenList::Truncate(std::size_t count) {
    if (count >= size())
        return;
    m_kinds.resize(count);
    m_ends.resize(count);
    m_text.resize(count == 0 ? 0 : m_ends.back());
}

void TokenList::Clear() {
    Truncate(0);
}

std::size_t TokenList::Bytes() const {
    return sizeof(*this) + m_text.capacity() + m_ends.capacity() * sizeof(std::uint32_t) +
           m_kinds.capacity();
}

std::vector<PovToken> TokenList::Expanded() const {
    std::vector<PovToken> tokens(size());
    for (std::size_t i = 0; i < size(); ++i) {
        const TokenView view = (*this)[i];
        tokens[i].kind = view.kind;
        tokens[i].text = std::string(view.text);
        if (view.kind == PovToken::Number)
            std::from_chars(view.text.data(), view.text.data() + view.text.size(),
                            tokens[i].number);
    }
    return tokens;
}
