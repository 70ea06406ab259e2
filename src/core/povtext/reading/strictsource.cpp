#include "core/povtext/reading/strictsource.h"

#include "core/model/imagemap.h"
#include "core/povtext/language/language.h"
#include "core/povtext/language/povlexer.h"
#include "core/povtext/language/sourceerror.h"
#include "core/povtext/reading/sceneparser.h"

#include <algorithm>
#include <array>

namespace {

/// A whole number as people write it: "8192", "10,000".
std::string FormatCount(double value) {
    std::string digits = std::to_string(static_cast<long long>(value));
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3)
        digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

/// Keywords of the scene language that are no part of a texture, pigment or material, and the
/// functions that make strings (a file name must stand as written).
bool IsRefusedWord(const std::string& word) {
    using namespace PovLanguage;
    return Is(word, kObject | kSceneItem | kStringFunction);
}

/// A refusal at a token: its line is part of the message.
StrictRefusal At(const PovToken& token, std::string reason) {
    return {std::move(reason), token.at, true};
}

std::optional<StrictRefusal> TokenRefusal(const PovToken& token, bool identifiersAllowed) {
    switch (token.kind) {
    case PovToken::Directive:
        return At(token, "it holds the directive #" + token.text);
    case PovToken::String:
        if (!IsWritableImageFileName(token.text))
            return At(token, "it holds a file name with quotes, control characters or a "
                             "closing backslash");
        return std::nullopt;
    case PovToken::Word:
        if (IsRefusedWord(token.text))
            return At(token, "it holds \"" + token.text + "\", which is no texture language");
        if (!identifiersAllowed && !IsPovRayReservedWord(token.text))
            return At(token,
                      "it uses the identifier " + token.text + ", which it does not declare");
        return std::nullopt;
    default:
        return std::nullopt;
    }
}

/// A count whose cost in POV-Ray grows without limit: it must be written as plain numbers of at
/// most `most`.
struct CountedKeyword {
    const char* keyword;
    double most;
    const char* what;
    /// A vector stands before the count (julia's complex number).
    bool vectorFirst = false;
    /// The count may be followed by ", NUMBER" (the most, after the least).
    bool pair = false;
};

constexpr CountedKeyword kCountedKeywords[] = {
    {"function", kMaxFunctionImageSide, "a function image's width and height", false, true},
    {"mandel", kMaxFractalIterations, "a fractal's iterations"},
    {"julia", kMaxFractalIterations, "a fractal's iterations", true},
    {"max_iteration", kMaxFractalIterations, "a fractal's iterations"},
    {"intervals", kMaxMediaIntervals, "media intervals"},
    {"samples", kMaxMediaSamples, "media samples", false, true},
    {"dispersion_samples", kMaxDispersionSamples, "dispersion samples"},
    {"aa_level", kMaxMediaAaLevel, "media's antialiasing level"},
};

bool IsOperator(const PovToken& token) {
    if (token.kind != PovToken::Symbol)
        return false;
    const std::string& s = token.text;
    return s == "*" || s == "/" || s == "+" || s == "-" || s == "(" || s == "." || s == "?" ||
           s == "<" || s == ">" || s == "=" || s == "<=" || s == ">=" || s == "!=" || s == "&" ||
           s == "|";
}

/// Checks the count after the keyword at `at`, when it is one of kCountedKeywords.
std::optional<StrictRefusal> CountRefusal(const std::vector<PovToken>& tokens, std::size_t at) {
    const PovToken& word = tokens[at];
    const auto* counted =
        std::find_if(std::begin(kCountedKeywords), std::end(kCountedKeywords),
                     [&](const CountedKeyword& c) { return word.text == c.keyword; });
    if (counted == std::end(kCountedKeywords))
        return std::nullopt;
    std::size_t i = at + 1;
    auto next = [&]() -> const PovToken* { return i < tokens.size() ? &tokens[i] : nullptr; };
    // A pattern function ("function { ... }") has no size.
    if (word.text == std::string("function") && (!next() || next()->kind != PovToken::Number))
        return std::nullopt;
    if (counted->vectorFirst) {
        if (!next() || !next()->IsSymbol("<"))
            return std::nullopt; // not the pattern; POV-Ray says what it is
        for (int depth = 0; next(); ++i) {
            depth += next()->IsSymbol("<") ? 1 : next()->IsSymbol(">") ? -1 : 0;
            if (depth == 0)
                break;
        }
        ++i;
        if (!next() || !next()->IsSymbol(","))
            return std::nullopt;
        ++i;
    }
    const std::string bound = std::string(counted->what) +
                              " must be written as numbers of at most " +
                              FormatCount(counted->most);
    for (int value = 0; value < 2; ++value) {
        const PovToken* number = next();
        if (!number || number->kind != PovToken::Number)
            return At(number ? *number : word, bound);
        ++i;
        if (number->number > counted->most || (next() && IsOperator(*next())))
            return At(*number, bound);
        if (!counted->pair || !next() || !next()->IsSymbol(","))
            break;
        ++i;
    }
    return std::nullopt;
}

} // namespace

std::optional<StrictRefusal> StrictSourceRefusalAt(std::string_view text, SourceTexture::Kind kind,
                                                   bool identifiersAllowed) {
    if (text.size() > kMaxSourceTextBytes)
        return StrictRefusal{"it is longer than " + std::to_string(kMaxSourceTextBytes) + " bytes",
                             {0, 1, 1}};
    const std::string_view keyword = SourceKindName(kind);
    std::vector<PovToken> tokens;
    try {
        PovLexer lexer(text, 0);
        for (PovToken token = lexer.Next();; token = lexer.Next()) {
            // POV-Ray's reading of a lone '#' depends on what follows it: none is admitted.
            if (const auto& hash = lexer.NullDirectiveAt())
                return StrictRefusal{"it holds a '#'", *hash, true};
            if (token.kind == PovToken::End)
                break;
            tokens.push_back(std::move(token));
        }
    } catch (const SourceSyntaxError& error) {
        return StrictRefusal{error.what(), error.Where(), true};
    }
    if (tokens.empty())
        return StrictRefusal{"it is empty", {0, 1, 1}};
    std::vector<const PovToken*> open; // the brackets open, innermost last
    bool closed = false;               // the value's first block is complete
    for (std::size_t at = 0; at < tokens.size(); ++at) {
        const PovToken& token = tokens[at];
        if (auto refusal = TokenRefusal(token, identifiersAllowed))
            return refusal;
        if (at == 0 && !token.IsWord(std::string(keyword).c_str()))
            return At(token, "it does not start with \"" + std::string(keyword) + "\"");
        if (closed && open.empty()) {
            // A texture may be layered: more texture blocks, nothing else.
            if (kind != SourceTexture::TextureKind || !token.IsWord("texture"))
                return At(token, "something follows the " + std::string(keyword));
            closed = false;
        }
        if (token.kind == PovToken::Word) {
            if (auto refusal = CountRefusal(tokens, at))
                return refusal;
            continue;
        }
        if (token.kind != PovToken::Symbol)
            continue;
        const std::string& s = token.text;
        if (s == "{" || s == "(" || s == "[") {
            // "<" is also an operator: only blocks, parentheses and brackets count.
            if (open.size() >= static_cast<std::size_t>(SceneParser::kMaxNesting))
                return At(token, "it nests deeper than " +
                                     std::to_string(SceneParser::kMaxNesting) + " levels");
            open.push_back(&token);
        } else if (s == "}" || s == ")" || s == "]") {
            const char opener = s == "}" ? '{' : s == ")" ? '(' : '[';
            if (open.empty() || open.back()->text[0] != opener)
                return At(token, "its '" + s + "' closes nothing");
            open.pop_back();
            if (open.empty())
                closed = true;
        } else if (s == ";") {
            return At(token, "it holds a ';'");
        }
    }
    if (!open.empty())
        return StrictRefusal{"a block is not closed", open.back()->at};
    if (!closed)
        return StrictRefusal{"the " + std::string(keyword) + " has no block", tokens.back().at};
    return std::nullopt;
}
std::optional<std::string> StrictSourceRefusal(std::string_view text, SourceTexture::Kind kind) {
    auto refusal = StrictSourceRefusalAt(text, kind, false);
    if (!refusal)
        return std::nullopt;
    if (refusal->lineInText)
        return "line " + std::to_string(refusal->where.line) + ": " + refusal->reason;
    return std::move(refusal->reason);
}

void CheckSourceTexture(SourceTexture& texture) {
    const auto refusal = StrictSourceRefusal(texture.GetText(), texture.GetKind());
    texture.SetRefusal(refusal ? "The source texture \"" + texture.GetName() +
                                     "\" is refused: " + *refusal + "."
                               : std::string());
}

std::vector<std::string> NamedFiles(std::string_view text) {
    std::vector<std::string> names;
    try {
        PovLexer lexer(text, 0);
        for (PovToken token = lexer.Next(); token.kind != PovToken::End; token = lexer.Next()) {
            if (token.kind != PovToken::String)
                continue;
            std::string name;
            for (std::size_t i = 0; i < token.text.size(); ++i) {
                if (token.text[i] == '\\' && i + 1 < token.text.size() && token.text[i + 1] == '\\')
                    ++i;
                name += token.text[i];
            }
            names.push_back(std::move(name));
        }
    } catch (const SourceSyntaxError&) {
        // POV-Ray stops there too
    }
    return names;
}
