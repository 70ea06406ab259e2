#include "core/povtext/reading/sourcewriter.h"

#include "core/povtext/language/language.h"
#include "core/povtext/reading/symboltable.h"

#include <charconv>
#include <optional>
#include <utility>
#include <variant>

namespace {

void AppendNumber(TokenList& out, const PovNumber& number) {
    if (number.kind == PovNumber::Float) {
        const double value = number.v[0];
        if (value < 0) {
            out.Add(PovToken::Symbol, "(");
            out.Add(PovToken::Number, SourceWriter::NumberText(value));
            out.Add(PovToken::Symbol, ")");
        } else {
            out.Add(PovToken::Number, SourceWriter::NumberText(value));
        }
        return;
    }
    if (number.kind == PovNumber::Color)
        out.Add(PovToken::Word, "rgbft");
    out.Add(PovToken::Symbol, "<");
    for (int i = 0; i < number.size; ++i) {
        if (i > 0)
            out.Add(PovToken::Symbol, ",");
        out.Add(PovToken::Number, SourceWriter::NumberText(number.v[static_cast<std::size_t>(i)]));
    }
    out.Add(PovToken::Symbol, ">");
}

/// The end of the block that starts at `tokens[0]` ("keyword {"), or 0 when the tokens are not
/// one such block.
std::size_t SingleBlockEnd(const TokenList& tokens) {
    if (tokens.size() < 3 || tokens[0].kind != PovToken::Word || !tokens[1].IsSymbol("{"))
        return 0;
    int depth = 0;
    for (std::size_t i = 1; i < tokens.size(); ++i) {
        depth += tokens[i].IsSymbol("{") ? 1 : tokens[i].IsSymbol("}") ? -1 : 0;
        if (depth == 0)
            return i + 1 == tokens.size() ? i : 0;
    }
    return 0;
}

/// The index of the "}" that closes the block whose body starts at `tokens[from]`, or 0 when
/// it is not closed there.
template <typename Tokens> std::size_t BlockClose(const Tokens& tokens, std::size_t from) {
    int depth = 0;
    for (std::size_t i = from; i < tokens.size(); ++i) {
        if (tokens[i].IsSymbol("{"))
            ++depth;
        else if (tokens[i].IsSymbol("}") && depth-- == 0)
            return i;
    }
    return 0;
}

/// Takes the blocks "keyword { ... }" standing between `from` and `to` at the level of
/// `out[from]` out of `out`; returns how many tokens went.
std::size_t DropBlocks(TokenList& out, std::size_t from, std::size_t to, const char* keyword) {
    std::vector<std::pair<std::size_t, std::size_t>> blocks;
    int depth = 0;
    for (std::size_t i = from; i < to; ++i) {
        if (depth == 0 && i + 1 < to && out[i].IsWord(keyword) && out[i + 1].IsSymbol("{")) {
            const std::size_t close = BlockClose(out, i + 2);
            if (close == 0 || close >= to)
                break;
            blocks.emplace_back(i, close + 1);
            i = close;
            continue;
        }
        depth += out[i].IsSymbol("{") ? 1 : out[i].IsSymbol("}") ? -1 : 0;
    }
    if (blocks.empty())
        return 0;
    TokenList kept;
    std::size_t at = 0;
    std::size_t dropped = 0;
    for (const auto& [start, end] : blocks) {
        kept.Append(out, at, start);
        dropped += end - start;
        at = end;
    }
    kept.Append(out, at, out.size());
    out = std::move(kept);
    return dropped;
}

/// A keyword that stands for a value ("x", "pi", "clock"), after which a '-' subtracts.
bool IsValueWord(std::string_view word) {
    return PovLanguage::Is(word, PovLanguage::kExpression);
}

bool SameKeyword(std::string_view a, std::string_view b) {
    const auto plain = [](std::string_view word) {
        return word == "colour_map" ? std::string_view("color_map") : word;
    };
    return plain(a) == plain(b);
}

} // namespace

std::string SourceWriter::NumberText(double value) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::shared_ptr<const WrittenSource> SourceWriter::Write(const std::vector<PovToken>& taken,
                                                         const Lookup& lookup) {
    auto written = std::make_shared<WrittenSource>();
    TokenList& out = written->tokens;
    // Each open bracket, with the keyword before a "{", and where in `out` it stands.
    std::vector<std::string> open;
    std::vector<std::size_t> openAt;
    const auto refuse = [&written](std::string reason) {
        written->tokens.Clear();
        written->refusal = std::move(reason);
        return written;
    };
    for (std::size_t i = 0; i < taken.size(); ++i) {
        const PovToken& token = taken[i];
        if (out.size() > kMaxTokens)
            return refuse("its text would be longer than " + std::to_string(kMaxTokens) +
                          " tokens");
        // An evaluated call stands as its number; another would draw other numbers.
        if (token.IsWord("rand") || token.IsWord("seed"))
            return refuse("it calls " + token.text +
                          " where it is not evaluated, so its "
                          "numbers would not be POV-Ray's");
        if (token.kind != PovToken::Word || IsPovRayReservedWord(token.text)) {
            if (token.IsSymbol("{") || token.IsSymbol("[")) {
                openAt.push_back(out.size());
                open.emplace_back(token.IsSymbol("[") ? std::string_view("[")
                                  : !out.empty() && out.back().kind == PovToken::Word
                                      ? out.back().text
                                      : std::string_view());
            } else if ((token.IsSymbol("}") || token.IsSymbol("]")) && !open.empty()) {
                open.pop_back();
                openAt.pop_back();
            }
            out.Add(token.kind, token.text);
            continue;
        }
        // A macro's parameter or local stands under a name of its own ("S#2"): messages say
        // the name as written.
        const std::string shown = token.text.substr(0, token.text.find('#'));
        const Symbol* symbol = lookup(token.text);
        if (!symbol || !symbol->value)
            return refuse("it uses " + shown + ", which has no value");
        if (const auto* number = std::get_if<PovNumber>(symbol->value.get())) {
            // "C.red" stands as the component: POV-Ray takes no '.' after a written vector.
            const int component = i + 2 < taken.size() && taken[i + 1].IsSymbol(".") &&
                                          taken[i + 2].kind == PovToken::Word
                                      ? DotComponent(taken[i + 2].text)
                                      : -1;
            if (component >= 0) {
                AppendNumber(out, PovNumber::OfFloat(Component(*number, component)));
                i += 2;
            } else {
                AppendNumber(out, *number);
            }
            continue;
        }
        if (const auto* text = std::get_if<std::string>(symbol->value.get())) {
            out.Add(PovToken::String, *text);
            continue;
        }
        if (const auto* opaque = std::get_if<PovOpaque>(symbol->value.get()))
            return refuse("it uses " + shown + ", a " + opaque->kind +
                          ", which cannot be written into a texture");
        if (!symbol->source || !symbol->source->refusal.empty())
            return refuse("it uses " + shown + ", which cannot be written out" +
                          (symbol->source ? ": " + symbol->source->refusal : std::string()));
        const TokenList& text = symbol->source->tokens;
        const std::size_t end = SingleBlockEnd(text);
        // A "uv_mapping" may stand before it in the block.
        const bool afterUv =
            out.size() >= 2 && out.back().IsWord("uv_mapping") && out[out.size() - 2].IsSymbol("{");
        const bool inBlock = end > 0 && !out.empty() && (out.back().IsSymbol("{") || afterUv) &&
                             !open.empty() && SameKeyword(open.back(), text[0].text);
        const bool inEntry = !open.empty() && open.back() == "[";
        if (end > 0 && (inBlock || inEntry)) {
            // "finish { F ... }" in a texture starts from F alone, not from the finish the
            // texture had: F's body is written in place of that finish.
            if (inBlock && open.back() == "finish" && open.size() >= 2 &&
                open[open.size() - 2] == "texture") {
                const std::size_t dropped =
                    DropBlocks(out, openAt[openAt.size() - 2] + 1, openAt.back() - 1, "finish");
                openAt.back() -= dropped;
            }
            // Inside a block of its kind or a map entry only the body stands.
            out.Append(text, 2, end);
        } else if (end > 0 && !out.empty() && out.back().kind == PovToken::Word &&
                   SameKeyword(out.back().text, text[0].text)) {
            out.Append(text, 1, text.size());
        } else if (out.empty() || (end > 0 && !open.empty() && open.back() == "texture" &&
                                   (text[0].IsWord("pigment") || text[0].IsWord("normal") ||
                                    text[0].IsWord("finish")))) {
            // The value itself, or a declared pigment, normal or finish in a texture: its
            // whole block stands.
            out.Append(text, 0, text.size());
        } else if (end == 0 && !text.empty() && text[0].IsWord("texture") && out.size() >= 2 &&
                   out.back().IsSymbol("{") && out[out.size() - 2].IsWord("texture")) {
            // "texture { LAYERED ... }": what follows it in the block (transformations) goes
            // into each of its layers.
            const std::size_t close = BlockClose(taken, i + 1);
            if (close == 0)
                return refuse("it uses " + shown + " where its text cannot stand");
            const std::vector<PovToken> rest(taken.begin() + static_cast<long>(i + 1),
                                             taken.begin() + static_cast<long>(close));
            const auto modifiers = Write(rest, lookup);
            if (!modifiers->refusal.empty())
                return refuse(modifiers->refusal);
            out.Truncate(out.size() - 2);
            open.pop_back();
            openAt.pop_back();
            // POV-Ray gives a pigment, normal or finish after a layered texture to its top
            // layer alone ("finish { F ... }" starting it from F), transformations to each.
            bool replacesFinish = false;
            for (std::size_t k = 0; k + 2 < rest.size(); ++k) {
                const Symbol* first =
                    rest[k + 2].kind == PovToken::Word ? lookup(rest[k + 2].text) : nullptr;
                replacesFinish |= rest[k].IsWord("finish") && rest[k + 1].IsSymbol("{") && first &&
                                  first->value && std::holds_alternative<PovFinish>(*first->value);
            }
            TokenList transformations = modifiers->tokens;
            for (const char* part : {"pigment", "normal", "finish"})
                DropBlocks(transformations, 0, transformations.size(), part);
            for (std::size_t at = 0; at < text.size();) {
                const std::size_t layerEnd = at + 2 < text.size() ? BlockClose(text, at + 2) : 0;
                if (!text[at].IsWord("texture") || !text[at + 1].IsSymbol("{") || layerEnd == 0)
                    return refuse("it uses " + shown + " where its text cannot stand");
                const bool top = layerEnd + 1 == text.size();
                const std::size_t body = out.size() + 2;
                out.Append(text, at, layerEnd);
                if (top && replacesFinish)
                    DropBlocks(out, body, out.size(), "finish");
                const TokenList& given = top ? modifiers->tokens : transformations;
                out.Append(given, 0, given.size());
                out.Append(text, layerEnd, layerEnd + 1);
                at = layerEnd + 1;
            }
            i = close;
        } else {
            return refuse("it uses " + shown + " where its text cannot stand");
        }
    }
    if (out.size() > kMaxTokens)
        return refuse("its text would be longer than " + std::to_string(kMaxTokens) + " tokens");
    return written;
}

std::string SourceWriter::Format(const TokenList& tokens) {
    std::string text;
    int indent = 0;
    bool lineStart = true;
    const auto newLine = [&] {
        if (!lineStart)
            text += "\r\n";
        lineStart = true;
    };
    std::optional<TokenView> previous;
    // The sign of what follows, not a subtraction: written close to it ("translate -y*17").
    bool sign = false;
    for (std::size_t i = 0; i < tokens.size(); ++i) {
        const TokenView token = tokens[i];
        if (token.IsSymbol("}")) {
            newLine();
            indent = indent > 0 ? indent - 1 : 0;
        }
        // One map entry to a line.
        if (token.IsSymbol("[") && previous && previous->IsSymbol("]"))
            newLine();
        const bool close = token.IsSymbol("*") || token.IsSymbol("/") || token.IsSymbol(".") ||
                           (previous && (previous->IsSymbol("*") || previous->IsSymbol("/") ||
                                         previous->IsSymbol(".")));
        if (lineStart) {
            text.append(static_cast<std::size_t>(indent) * 2, ' ');
        } else if (previous && !previous->IsSymbol("<") && !previous->IsSymbol("(") &&
                   !previous->IsSymbol("[") && !token.IsSymbol(">") && !token.IsSymbol(")") &&
                   !token.IsSymbol("]") && !token.IsSymbol(",") && !close && !sign) {
            text += ' ';
        }
        sign = (token.IsSymbol("-") || token.IsSymbol("+")) &&
               (!previous || previous->kind == PovToken::Symbol
                    ? !previous || (!previous->IsSymbol(")") && !previous->IsSymbol(">") &&
                                    !previous->IsSymbol("]"))
                    : previous->kind == PovToken::Word && IsPovRayReservedWord(previous->text) &&
                          !IsValueWord(previous->text));
        lineStart = false;
        if (token.kind == PovToken::String)
            text.append("\"").append(token.text).append("\"");
        else if (token.kind == PovToken::Directive)
            text.append("#").append(token.text);
        else
            text.append(token.text);
        if (token.IsSymbol("{")) {
            ++indent;
            newLine();
        } else if (token.IsSymbol("}")) {
            newLine();
        }
        previous = token;
    }
    // The last line ends without a line break, as the other kinds end their text.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r'))
        text.pop_back();
    return text;
}
