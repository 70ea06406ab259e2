#pragma once

#include "core/povtext/language/povtoken.h"
#include "core/povtext/reading/tokenlist.h"

#include <cstddef>
#include <functional>
#include <memory>
#include <string>
#include <vector>

struct Symbol;

/// A declared value written out again as POV-Ray text: the tokens read for it with every
/// directive already carried out and every identifier replaced by what it stands for.
struct WrittenSource {
    TokenList tokens;
    /// Why the value cannot be written out; empty when it can.
    std::string refusal;
};

/// Writes values from the tokens the parser took for them.
class SourceWriter {
public:
    using Lookup = std::function<const Symbol*(const std::string&)>;

    /// The most tokens a written value may have, its identifiers' texts included.
    static constexpr std::size_t kMaxTokens = 1 << 18;

    /// The value read as `taken`, with the identifiers in it looked up by `lookup`: a number
    /// stands as evaluated, a string as its text, a block as its own written text (only its
    /// body inside a block of its kind or a map entry).
    static std::shared_ptr<const WrittenSource> Write(const std::vector<PovToken>& taken,
                                                      const Lookup& lookup);

    /// The tokens as text: one blank between tokens, none inside brackets or before a comma,
    /// each block's body on lines of its own, indented by two blanks, CR LF at each line end.
    static std::string Format(const TokenList& tokens);

    /// A number as POV-Ray reads it back to the same double.
    static std::string NumberText(double value);
};
