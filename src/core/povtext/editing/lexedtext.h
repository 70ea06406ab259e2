#pragma once

#include "core/povtext/editing/textureoutline.h"
#include "core/povtext/language/povtoken.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

struct LexedToken {
    PovToken token;
    TextSpan span;
};

/// A text's tokens with their byte spans, ending in an End token, and the values of runs of
/// them worked out as POV-Ray would.
struct LexedText {
    explicit LexedText(std::string_view text);

    const LexedToken& At(std::size_t i) const { return tokens[std::min(i, tokens.size() - 1)]; }
    /// The value of tokens [first, last): a float, a vector, a colour's five channels, or a
    /// matrix's twelve numbers; empty when the tokens are no value that stands alone.
    std::vector<double> Evaluate(std::size_t first, std::size_t last, PovLanguage::PovValue kind,
                                 std::string_view keyword) const;

    /// The value of tokens [first, last) written as a plain number or vector of numbers.
    std::optional<std::vector<double>> Plain(std::size_t first, std::size_t last) const;

    std::string_view text;
    std::vector<LexedToken> tokens;
    /// Why the text could not be read past the last token.
    std::optional<std::string> error;
};
