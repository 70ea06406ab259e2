#include "core/povtext/reading/defaulttexture.h"

#include <charconv>

namespace {

/// The index just past the block opened at `tokens[open]` ("{"), or 0 when it is not closed.
std::size_t BlockEnd(const std::vector<PovToken>& tokens, std::size_t open) {
    int depth = 0;
    for (std::size_t i = open; i < tokens.size(); ++i) {
        depth += tokens[i].IsSymbol("{") ? 1 : tokens[i].IsSymbol("}") ? -1 : 0;
        if (depth == 0)
            return i + 1;
    }
    return 0;
}

/// Written tokens carry their numbers as text only: the reader takes them by value.
void AppendRead(std::vector<PovToken>& out, std::vector<PovToken>::const_iterator first,
                std::vector<PovToken>::const_iterator last) {
    for (auto it = first; it != last; ++it) {
        PovToken token = *it;
        if (token.kind == PovToken::Number)
            std::from_chars(token.text.data(), token.text.data() + token.text.size(), token.number);
        out.push_back(std::move(token));
    }
}

} // namespace

bool DefaultTexture::Set(const std::vector<PovToken>& block) {
    if (block.size() < 3 || block[0].kind != PovToken::Word || !block[1].IsSymbol("{") ||
        BlockEnd(block, 1) != block.size())
        return false;
    const std::string& keyword = block[0].text;
    const auto body = [&block](std::vector<PovToken>& part) {
        part.clear();
        AppendRead(part, block.begin() + 2, block.end() - 1);
    };
    if (keyword == "pigment")
        body(m_pigment);
    else if (keyword == "normal")
        body(m_normal);
    else if (keyword == "finish")
        body(m_finish);
    if (keyword != "texture")
        return keyword == "pigment" || keyword == "normal" || keyword == "finish";

    // A texture's body: what was default before is already in it, so its parts replace.
    std::vector<PovToken> pigment, normal, finish;
    for (std::size_t i = 2; i + 1 < block.size();) {
        const PovToken& word = block[i];
        std::vector<PovToken>* part = word.IsWord("pigment")  ? &pigment
                                      : word.IsWord("normal") ? &normal
                                      : word.IsWord("finish") ? &finish
                                                              : nullptr;
        if (!part || !block[i + 1].IsSymbol("{"))
            return false;
        const std::size_t end = BlockEnd(block, i + 1);
        if (end == 0 || end > block.size() - 1)
            return false;
        AppendRead(*part, block.begin() + static_cast<std::ptrdiff_t>(i + 2),
                   block.begin() + static_cast<std::ptrdiff_t>(end - 1));
        i = end;
    }
    m_pigment = std::move(pigment);
    m_normal = std::move(normal);
    m_finish = std::move(finish);
    return true;
}

std::vector<PovToken> DefaultTexture::Body(const std::string& keyword) const {
    if (keyword == "pigment")
        return m_pigment;
    if (keyword == "normal")
        return m_normal;
    if (keyword == "finish")
        return m_finish;
    return {};
}
