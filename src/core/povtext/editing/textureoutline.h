#pragma once

#include "core/povtext/language/language.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// Byte offsets [start, end) in a text.
struct TextSpan {
    std::size_t start = 0;
    std::size_t end = 0;

    bool Contains(std::size_t at) const { return at >= start && at < end; }
    friend bool operator==(const TextSpan&, const TextSpan&) = default;
};

/// One value in a texture's text, as the outline shows it: a keyword's number, vector, colour,
/// choice or flag, or a value standing without a keyword.
struct OutlineProperty {
    std::string name;    ///< its name in the path: "turbulence", "color", "pattern", "value"
    std::string path;    ///< "pigment/turbulence", "color_map/2/color", "finish/phong#2"
    std::string keyword; ///< as written ("rgbf", "colour", "crackle"); empty for a bare value
    PovLanguage::PovValue kind = PovLanguage::PovValue::None;
    const PovLanguage::PovKeyword* row = nullptr; ///< the table's row; null for a bare value
    TextSpan item;    ///< the keyword and its value: what Remove takes out
    TextSpan value;   ///< the value's own text; empty (at the item's end) for a lone keyword
    std::string text; ///< the value as written
    /// The value worked out: a float, a vector's components or a colour's five channels;
    /// empty when it cannot be (an identifier, a function).
    std::vector<double> numbers;

    bool HasValue() const { return value.end > value.start; }
};

/// A block of the texture (pigment, colour map, finish...), a map's entry or a layer.
struct OutlinePart {
    std::string keyword; ///< "pigment", "color_map"; "[" for a map's entry
    std::string name;    ///< its name in the path: the keyword, or the entry's number
    std::string path;    ///< "" for the texture itself, "pigment", "pigment/color_map/3"
    std::uint32_t place = PovLanguage::kNone; ///< what may stand in it, as the table says
    TextSpan item;                            ///< from the keyword to the closing brace or bracket
    std::size_t open = 0;                     ///< where its '{' or '[' is
    std::size_t close = 0; ///< where its '}' or ']' is (the text's end when never closed)
    std::vector<OutlineProperty> properties;
    std::vector<OutlinePart> parts;

    bool IsEntry() const { return keyword == "["; }
    /// The property named `name` ("turbulence", "phong#2"), or null.
    const OutlineProperty* Property(std::string_view name) const;
    /// The pattern this part has ("crackle"), or empty.
    std::string_view Pattern() const;
};

/// The structure of a source texture's text as POV-Ray reads it, with the byte span of every
/// value, so that a change rewrites only the tokens it concerns.
struct TextureOutline {
    /// The blocks at the top of the text: one for a texture, pigment or material, one per
    /// layer for a layered texture. The only one has the path "".
    std::vector<OutlinePart> parts;
    /// Why the text could not be read to its end (from there on nothing is outlined).
    std::optional<std::string> error;

    const OutlinePart* Part(std::string_view path) const;
    /// The property at `path` ("finish/phong"), or null.
    const OutlineProperty* Property(std::string_view path) const;
    /// Every property, parts in text order.
    std::vector<const OutlineProperty*> Properties() const;
};

/// Reads `text` (what a source texture holds) into its outline. Text that is no token stops it
/// with `error` set; what stood before stays outlined.
TextureOutline ReadOutline(std::string_view text);

/// The place of the items of a block named `keyword` ("finish" gives kFinish).
std::uint32_t PlaceOf(std::string_view keyword);
/// "float", "vector", "color", "choice", "flag", "string" or "text", for a property's kind.
std::string_view KindName(PovLanguage::PovValue kind);
