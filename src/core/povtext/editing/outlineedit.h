#pragma once

#include "core/povtext/editing/textureoutline.h"

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

/// Changes to a source texture's text made through its outline. Each rewrites only the tokens
/// it concerns: every other byte of the text (values, comments, layout) stays as it was.
namespace OutlineEdit {

/// A changed text, or why the change was refused (naming the path or the value).
struct Outcome {
    std::string text;
    std::string refusal;

    bool Done() const { return refusal.empty(); }
};

/// A value as POV-Ray text: "0.4", "<0.4, 0.2, 0.1>", for a colour "rgb <1, 0.5, 0>" (with
/// "rgbf", "rgbt" or "rgbft" when filter or transmit is set).
std::string ValueText(PovLanguage::PovValue kind, std::span<const double> numbers);

/// The keywords a choice property may take: every pattern for a pattern, every wave type for
/// a wave, every image type for an image's type.
std::vector<std::string_view> Choices(const OutlineProperty& property);

/// The rows the part may take and does not have yet: modifiers, transformations, blocks, maps,
/// finish items... Transformations may come again.
std::vector<const PovLanguage::PovKeyword*> Addable(const OutlinePart& part);

/// Writes `valueText` (POV-Ray text) as the property's value.
std::string WithValue(std::string_view text, const OutlineProperty& property,
                      std::string_view valueText);
/// The pattern of `part` changed to `pattern`, keeping its map and the modifiers the new
/// pattern takes; a parameter of the old pattern alone goes.
std::string WithPattern(std::string_view text, const OutlinePart& part, std::string_view pattern);
/// The keyword added to `part` with a starting value (POV-Ray's default where it has one),
/// laid out as the part's other items are.
std::string WithAdded(std::string_view text, const OutlinePart& part, std::string_view keyword);
/// An entry added at the end of a map, as its last entry is written but at position 1.
std::string WithEntryAdded(std::string_view text, const OutlinePart& map);
/// The item at `item` taken out, with its line when it stood alone on it.
std::string WithRemoved(std::string_view text, TextSpan item);

/// What a user typed for a property as POV-Ray text: "0.4,0.2,0.1" for a vector or colour
/// (a colour takes 3 to 5 channels), a number, a keyword of its choices, "on"/"off" for a
/// flag; anything else is taken as POV-Ray text as it stands.
std::optional<std::string> TypedValue(const OutlineProperty& property, std::string_view typed,
                                      std::string& why);

/// "PATH=VALUE" applied to `text`: the value of a property (a flag set "off" is removed, a
/// pattern changed with WithPattern), refused when the path names nothing.
Outcome Set(std::string_view text, std::string_view path, std::string_view typed);
/// Adds `keyword` to the part at `path` ("" for the texture itself).
Outcome Add(std::string_view text, std::string_view path, std::string_view keyword);
/// Removes the part or property at `path`.
Outcome Remove(std::string_view text, std::string_view path);

} // namespace OutlineEdit
