#include "core/povtext/editing/outlineedit.h"

#include "core/povtext/reading/sourcewriter.h"

#include <algorithm>
#include <charconv>
#include <cmath>

using namespace PovLanguage;

namespace OutlineEdit {
namespace {

struct Replacement {
    TextSpan span;
    std::string text;
};

/// `text` with each replacement made; the spans must not overlap.
std::string Replaced(std::string_view text, std::vector<Replacement> replacements) {
    std::sort(
        replacements.begin(), replacements.end(),
        [](const Replacement& a, const Replacement& b) { return a.span.start > b.span.start; });
    std::string out(text);
    for (const Replacement& r : replacements)
        out.replace(r.span.start, r.span.end - r.span.start, r.text);
    return out;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

bool IsSpace(char c) {
    return IsBlank(c) || c == '\n' || c == '\r';
}

std::string Number(double value) {
    return SourceWriter::NumberText(value);
}

std::string Vector(std::span<const double> numbers) {
    std::string out = "<";
    for (std::size_t i = 0; i < numbers.size(); ++i)
        out += (i > 0 ? ", " : "") + Number(numbers[i]);
    return out + ">";
}

/// The value a keyword is added with.
std::string StartingValue(const PovKeyword& row) {
    const PovRange& range = row.range;
    const double start = !std::isnan(range.fallback) ? range.fallback
                         : !std::isnan(range.low)    ? std::max(range.low, 0.0)
                                                     : 0.0;
    switch (row.value) {
    case PovLanguage::PovValue::Float:
        return Number(start);
    case PovLanguage::PovValue::Vector: {
        const double v[] = {start, start, start};
        return Vector(v);
    }
    case PovLanguage::PovValue::Color:
        return std::isnan(range.fallback) ? "rgb <1, 1, 1>" : Number(start);
    case PovLanguage::PovValue::Choice:
        return std::isnan(range.fallback) ? "" : Number(range.fallback);
    default:
        return "";
    }
}

/// What a block or map is added with, so that POV-Ray takes it as it stands.
std::string StartingBody(std::string_view keyword) {
    if (keyword == "warp")
        return "{ turbulence <0.5, 0.5, 0.5> }";
    if (keyword == "irid")
        return "{ 0.25 }";
    if (keyword == "reflection")
        return "{ 0.1 }";
    if (keyword == "transform")
        return "{ scale 1 }";
    if (keyword == "normal")
        return "{ bumps 0.5 }";
    if (keyword == "pigment")
        return "{ rgb <1, 1, 1> }";
    if (keyword == "color_map" || keyword == "colour_map" || keyword == "pigment_map")
        return "{ [0 rgb <0, 0, 0>] [1 rgb <1, 1, 1>] }";
    if (keyword == "normal_map")
        return "{ [0 bumps 0.5] [1 dents 0.5] }";
    if (keyword == "texture_map")
        return "{ [0 pigment { rgb <0, 0, 0> }] [1 pigment { rgb <1, 1, 1> }] }";
    return "{ }";
}

/// Blocks that need more than a starting body (a file, textures of their own).
bool CannotStartEmpty(std::string_view keyword) {
    return IsOneOf(keyword, {"image_map", "bump_map", "tiles", "material", "density_map",
                             "slope_map", "function", "bump_size", "density_file"});
}

bool Present(const OutlinePart& part, std::string_view keyword) {
    return std::any_of(part.properties.begin(), part.properties.end(),
                       [&](const OutlineProperty& p) { return p.keyword == keyword; }) ||
           std::any_of(part.parts.begin(), part.parts.end(),
                       [&](const OutlinePart& p) { return p.keyword == keyword; });
}

/// `item` inserted as the part's last item, laid out as the items before it.
std::string Inserted(std::string_view text, const OutlinePart& part, const std::string& item) {
    std::size_t before = part.close;
    while (before > part.open + 1 && IsSpace(text[before - 1]))
        --before;
    const std::string_view gap = text.substr(before, part.close - before);
    std::string insert;
    if (gap.find('\n') != std::string_view::npos) {
        const std::size_t lineOf = before > part.open + 1 ? before - 1 : part.close;
        const std::size_t lineStart = text.rfind('\n', lineOf == 0 ? 0 : lineOf - 1);
        std::size_t at = lineStart == std::string_view::npos ? 0 : lineStart + 1;
        std::string indent;
        while (at < text.size() && IsBlank(text[at]))
            indent += text[at++];
        if (before == part.open + 1)
            indent += "    ";
        insert = "\n" + indent + item;
    } else {
        insert = " " + item + (gap.empty() ? " " : "");
    }
    return Replaced(text, {{{before, before}, insert}});
}

bool ParseNumbers(std::string_view typed, std::vector<double>& numbers) {
    while (!typed.empty()) {
        while (!typed.empty() && IsBlank(typed.front()))
            typed.remove_prefix(1);
        const std::size_t comma = typed.find(',');
        std::string_view piece = typed.substr(0, comma);
        while (!piece.empty() && IsBlank(piece.back()))
            piece.remove_suffix(1);
        double value = 0;
        const auto result = std::from_chars(piece.data(), piece.data() + piece.size(), value);
        if (piece.empty() || result.ec != std::errc() ||
            result.ptr != piece.data() + piece.size() || !std::isfinite(value))
            return false;
        numbers.push_back(value);
        if (comma == std::string_view::npos)
            break;
        typed.remove_prefix(comma + 1);
        if (typed.empty())
            return false;
    }
    return !numbers.empty();
}

} // namespace

std::string ValueText(PovLanguage::PovValue kind, std::span<const double> numbers) {
    if (kind == PovLanguage::PovValue::Color && numbers.size() == 5) {
        const bool filter = numbers[3] != 0;
        const bool transmit = numbers[4] != 0;
        if (filter && transmit)
            return "rgbft " + Vector(numbers);
        if (filter)
            return "rgbf " + Vector(numbers.first(4));
        if (transmit) {
            const double v[] = {numbers[0], numbers[1], numbers[2], numbers[4]};
            return "rgbt " + Vector(v);
        }
        return "rgb " + Vector(numbers.first(3));
    }
    if (numbers.size() == 1)
        return Number(numbers[0]);
    return Vector(numbers);
}

std::vector<std::string_view> Choices(const OutlineProperty& property) {
    std::uint32_t role = 0;
    std::uint32_t without = kNewIn38;
    if (property.kind == PovLanguage::PovValue::Pattern) {
        role = kPattern;
        without |= kUnreadPattern;
    } else if (property.row && property.row->Is(kWave)) {
        role = kWave;
    } else if (property.row && property.row->Is(kImageType)) {
        role = kImageType;
    }
    std::vector<std::string_view> choices;
    if (role == 0)
        return choices;
    for (const PovKeyword& row : Keywords())
        if (row.Is(static_cast<Role>(role)) && (row.roles & without) == 0 &&
            (row.places & kPatternPlaces) != 0)
            choices.push_back(row.word);
    if (std::find(choices.begin(), choices.end(), property.keyword) == choices.end())
        choices.push_back(property.keyword); // what the text has stays choosable
    return choices;
}

std::vector<const PovKeyword*> Addable(const OutlinePart& part) {
    std::vector<const PovKeyword*> rows;
    const bool transform = part.keyword == "transform";
    if (part.place == kNone && !transform)
        return rows;
    const std::string_view pattern = part.Pattern();
    for (const PovKeyword& row : Keywords()) {
        if (row.label.empty() || row.value == PovLanguage::PovValue::None ||
            row.value == PovLanguage::PovValue::String ||
            row.value == PovLanguage::PovValue::Pattern || row.Is(kNewIn38) || row.Is(kPattern) ||
            row.Is(kImageType) || row.Is(kKeptWhole) || CannotStartEmpty(row.word))
            continue;
        if (transform ? !row.Is(kTransformation) : (row.places & part.place) == 0)
            continue;
        if (part.IsEntry() && row.places == kColor)
            continue;
        if (!row.owner.empty() && !row.OwnedBy(pattern) && !row.OwnedBy(part.keyword))
            continue;
        if (row.Is(kWave) && !part.Pattern().empty()) {
            const bool hasWave =
                std::any_of(part.properties.begin(), part.properties.end(),
                            [](const OutlineProperty& p) { return p.name == "wave"; });
            if (hasWave)
                continue;
        } else if (row.Is(kWave)) {
            continue;
        }
        if (!row.Is(kTransformation) && Present(part, row.word))
            continue;
        if (row.word == "colour" || row.word == "colour_map")
            continue; // offered once, by its other spelling
        rows.push_back(&row);
    }
    return rows;
}

std::string WithValue(std::string_view text, const OutlineProperty& property,
                      std::string_view valueText) {
    if (property.HasValue())
        return Replaced(text, {{property.value, std::string(valueText)}});
    return Replaced(text, {{property.value, " " + std::string(valueText)}});
}

std::string WithPattern(std::string_view text, const OutlinePart& part, std::string_view pattern) {
    const OutlineProperty* old = part.Property("pattern");
    const PovKeyword* row = Find(pattern);
    if (!old || !row)
        return std::string(text);
    std::vector<Replacement> changes{{old->value, std::string(pattern)}};
    const OutlineProperty* amount = part.Property(old->keyword);
    const bool keepsAmount = amount && amount->row && row->value == amount->row->value;
    if (amount && !keepsAmount)
        changes.push_back({{old->value.end, amount->item.end}, ""});
    if (pattern == "gradient" && !keepsAmount)
        changes.back().text += " y";
    for (const OutlineProperty& property : part.properties) {
        const PovKeyword* owned = property.row;
        // Owned by patterns, none of them the new one.
        const bool patterns =
            owned && !owned->owner.empty() &&
            std::any_of(Keywords().begin(), Keywords().end(), [owned](const PovKeyword& row) {
                return row.Is(kPattern) && owned->OwnedBy(row.word);
            });
        if (patterns && !owned->OwnedBy(pattern)) {
            TextSpan span = property.item;
            while (span.start > 0 && IsBlank(text[span.start - 1]))
                --span.start;
            changes.push_back({span, ""});
        }
    }
    return Replaced(text, std::move(changes));
}

std::string WithAdded(std::string_view text, const OutlinePart& part, std::string_view keyword) {
    const PovKeyword* row = Find(keyword);
    std::string item(keyword);
    if (row &&
        (row->value == PovLanguage::PovValue::Block || row->value == PovLanguage::PovValue::Map)) {
        item += " " + StartingBody(keyword);
    } else if (row) {
        const std::string value = StartingValue(*row);
        if (!value.empty())
            item += " " + value;
    }
    return Inserted(text, part, item);
}

std::string WithEntryAdded(std::string_view text, const OutlinePart& map) {
    if (map.parts.empty())
        return Inserted(text, map, "[1 rgb <1, 1, 1>]");
    const OutlinePart& last = map.parts.back();
    std::string entry(text.substr(last.item.start, last.item.end - last.item.start));
    if (const OutlineProperty* at = last.Property("value")) {
        const std::size_t from = at->value.start - last.item.start;
        entry.replace(from, at->value.end - at->value.start, "1");
    }
    return Inserted(text, map, entry);
}

std::string WithRemoved(std::string_view text, TextSpan item) {
    std::size_t lineStart = item.start;
    while (lineStart > 0 && IsBlank(text[lineStart - 1]))
        --lineStart;
    std::size_t lineEnd = item.end;
    while (lineEnd < text.size() && IsBlank(text[lineEnd]))
        ++lineEnd;
    const bool aloneOnLine =
        (lineStart == 0 || text[lineStart - 1] == '\n') &&
        (lineEnd == text.size() || text[lineEnd] == '\n' || text[lineEnd] == '\r');
    if (aloneOnLine) {
        // The line goes with its line end; a text's first line takes the one after it.
        if (lineStart > 0)
            return Replaced(text, {{{lineStart - 1, lineEnd}, ""}});
        return Replaced(text, {{{0, std::min(lineEnd + 1, text.size())}, ""}});
    }
    if (lineStart == 0 || text[lineStart - 1] == '\n')
        return Replaced(text, {{{item.start, lineEnd}, ""}});
    return Replaced(text, {{{lineStart, item.end}, ""}});
}

std::optional<std::string> TypedValue(const OutlineProperty& property, std::string_view typed,
                                      std::string& why) {
    std::vector<double> numbers;
    const bool plainNumbers = ParseNumbers(typed, numbers);
    switch (property.kind) {
    case PovLanguage::PovValue::Float:
        if (plainNumbers && numbers.size() != 1) {
            why = property.path + " takes one number";
            return std::nullopt;
        }
        break;
    case PovLanguage::PovValue::Vector:
        if (plainNumbers && numbers.size() == 1 && property.keyword != "matrix")
            return ValueText(PovLanguage::PovValue::Float, numbers);
        if (plainNumbers && property.keyword == "matrix" && numbers.size() != 12) {
            why = property.path + " takes 12 numbers";
            return std::nullopt;
        }
        break;
    case PovLanguage::PovValue::Color:
        if (plainNumbers) {
            if (numbers.size() == 1)
                return ValueText(PovLanguage::PovValue::Float, numbers);
            if (numbers.size() < 3 || numbers.size() > 5) {
                why = property.path + " takes a colour of 3 to 5 channels";
                return std::nullopt;
            }
            numbers.resize(5, 0.0);
            return ValueText(PovLanguage::PovValue::Color, numbers);
        }
        break;
    case PovLanguage::PovValue::Pattern:
    case PovLanguage::PovValue::Choice: {
        const std::vector<std::string_view> choices = Choices(property);
        if (!choices.empty()) {
            if (std::find(choices.begin(), choices.end(), typed) == choices.end()) {
                why = std::string(typed) + " is no choice of " + property.path;
                return std::nullopt;
            }
            return std::string(typed);
        }
        break;
    }
    default:
        break;
    }
    if (plainNumbers)
        return ValueText(property.kind, numbers);
    if (typed.empty()) {
        why = property.path + " needs a value";
        return std::nullopt;
    }
    return std::string(typed);
}

Outcome Set(std::string_view text, std::string_view path, std::string_view typed) {
    const TextureOutline outline = ReadOutline(text);
    const OutlineProperty* property = outline.Property(path);
    if (!property)
        return {std::string(text), "the texture has no property " + std::string(path)};
    if (property->kind == PovLanguage::PovValue::Flag && !property->HasValue() &&
        IsOneOf(typed, {"off", "false", "no"}))
        return {WithRemoved(text, property->item), {}};
    if (property->kind == PovLanguage::PovValue::Flag && !property->HasValue() &&
        IsOneOf(typed, {"on", "true", "yes"}))
        return {std::string(text), {}};
    std::string why;
    const std::optional<std::string> value = TypedValue(*property, typed, why);
    if (!value)
        return {std::string(text), why};
    if (property->kind == PovLanguage::PovValue::Pattern) {
        const std::string_view partPath =
            std::string_view(property->path)
                .substr(0, property->path.size() - property->name.size());
        const OutlinePart* part = outline.Part(
            partPath.ends_with('/') ? partPath.substr(0, partPath.size() - 1) : partPath);
        if (part)
            return {WithPattern(text, *part, *value), {}};
    }
    return {WithValue(text, *property, *value), {}};
}

Outcome Add(std::string_view text, std::string_view path, std::string_view keyword) {
    const TextureOutline outline = ReadOutline(text);
    const OutlinePart* part = outline.Part(path);
    if (!part)
        return {std::string(text), "the texture has no part " + std::string(path)};
    if (keyword == "[" && (part->place & kMap) != 0 && !part->IsEntry())
        return {WithEntryAdded(text, *part), {}};
    const std::vector<const PovKeyword*> rows = Addable(*part);
    const bool takes = std::any_of(rows.begin(), rows.end(),
                                   [&](const PovKeyword* row) { return row->word == keyword; });
    if (!takes)
        return {std::string(text),
                std::string(keyword) + " cannot be added to " +
                    (path.empty() ? std::string("the texture") : std::string(path))};
    return {WithAdded(text, *part, keyword), {}};
}

Outcome Remove(std::string_view text, std::string_view path) {
    const TextureOutline outline = ReadOutline(text);
    if (const OutlineProperty* property = outline.Property(path))
        return {WithRemoved(text, property->item), {}};
    const OutlinePart* part = outline.Part(path);
    if (!part || path.empty())
        return {std::string(text), "the texture has no part or property " + std::string(path)};
    return {WithRemoved(text, part->item), {}};
}

} // namespace OutlineEdit
