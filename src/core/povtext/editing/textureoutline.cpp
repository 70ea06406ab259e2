#include "core/povtext/editing/textureoutline.h"

#include "core/povtext/editing/lexedtext.h"
#include "core/povtext/reading/expressionreader.h"

#include <algorithm>
#include <unordered_map>

using namespace PovLanguage;

namespace {

/// How deep blocks may nest in an outline, as in the scene reader.
constexpr int kMaxDepth = 128;

bool IsColorModel(std::string_view word) {
    return IsOneOf(word, {"rgb", "rgbf", "rgbt", "rgbft", "srgb", "srgbf", "srgbt", "srgbft"});
}

bool IsColorWord(std::string_view word) {
    return word == "color" || word == "colour" || IsColorModel(word);
}

bool IsChannelWord(std::string_view word) {
    return IsOneOf(word, {"red", "green", "blue", "filter", "transmit", "gray"});
}

/// The place of the entries of a map named `keyword`.
std::uint32_t EntryPlace(std::string_view keyword) {
    if (keyword == "pigment_map")
        return kMap | kPigment;
    if (keyword == "normal_map")
        return kMap | kNormal;
    if (keyword == "texture_map")
        return kMap | kTexture;
    if (keyword == "density_map")
        return kMap | kDensity;
    return kMap | kColor;
}

bool IsMap(std::string_view keyword, const PovKeyword* row) {
    return (row && row->value == PovLanguage::PovValue::Map) ||
           (keyword.ends_with("_map") && keyword != "image_map" && keyword != "bump_map");
}

class OutlineReader {
public:
    explicit OutlineReader(const LexedText& lexed) : m_lexed(lexed) {}

    TextureOutline Read() {
        TextureOutline outline;
        OutlinePart top;
        top.place = kTexture | kPigment | kMaterial;
        const NameScope names(m_names);
        ReadItems(top, nullptr, 0);
        outline.parts = std::move(top.parts);
        outline.error = m_lexed.error;
        if (!outline.error && m_tooDeep)
            outline.error = "blocks nest deeper than " + std::to_string(kMaxDepth);
        const bool single = outline.parts.size() == 1;
        for (OutlinePart& part : outline.parts)
            AssignPaths(part, single ? "" : part.name);
        return outline;
    }

private:
    const LexedToken& At(std::size_t i) const { return m_lexed.At(i); }
    bool IsSymbol(std::size_t i, const char* text) const { return At(i).token.IsSymbol(text); }
    bool IsWord(std::size_t i) const { return At(i).token.kind == PovToken::Word; }

    /// The index after the bracket that closes the one at `i`.
    std::size_t Matching(std::size_t i, const char* open, const char* close) const {
        int depth = 0;
        for (; At(i).token.kind != PovToken::End; ++i) {
            if (IsSymbol(i, open))
                ++depth;
            else if (IsSymbol(i, close) && --depth == 0)
                return i + 1;
        }
        return i;
    }

    bool StartsOperand(std::size_t i) const {
        const PovToken& token = At(i).token;
        if (token.kind == PovToken::Number)
            return true;
        if (token.kind == PovToken::Symbol)
            return IsOneOf(token.text, {"<", "(", "-", "+", "!"});
        if (token.kind != PovToken::Word)
            return false;
        const PovKeyword* row = Find(token.text);
        return !row || row->Is(kExpression);
    }

    std::size_t Postfix(std::size_t i) const {
        while (IsSymbol(i, ".") && IsWord(i + 1))
            i += 2;
        return i;
    }

    std::size_t Primary(std::size_t i) const {
        const PovToken& token = At(i).token;
        if (token.kind == PovToken::Number)
            return i + 1;
        if (token.IsSymbol("("))
            return Matching(i, "(", ")");
        if (token.IsSymbol("<")) {
            std::size_t j = i + 1;
            while (true) {
                const std::size_t after = Expression(j, true);
                if (IsSymbol(after, ","))
                    j = after + 1;
                else if (IsSymbol(after, ">"))
                    return after + 1;
                else
                    return after;
            }
        }
        if (token.kind == PovToken::Word) {
            if (IsColorWord(token.text))
                return Expression(i + 1, false);
            if (StartsOperand(i))
                return IsSymbol(i + 1, "(") ? Matching(i + 1, "(", ")") : i + 1;
        }
        return i;
    }

    std::size_t Unary(std::size_t i) const {
        std::size_t j = i;
        while (At(j).token.kind == PovToken::Symbol && IsOneOf(At(j).token.text, {"-", "+", "!"}))
            ++j;
        const std::size_t after = Primary(j);
        return after == j ? i : Postfix(after);
    }

    /// The index after the expression that starts at `i` (`i` when none does).
    std::size_t Expression(std::size_t i, bool inAngles) const {
        std::size_t j = Unary(i);
        if (j == i)
            return i;
        while (At(j).token.kind == PovToken::Symbol) {
            const std::string& op = At(j).token.text;
            const bool binary =
                IsOneOf(op, {"+", "-", "*", "/", "<", "<=", ">=", "=", "!=", "&", "|", "?", ":"}) ||
                (op == ">" && !inAngles);
            if (!binary)
                break;
            const std::size_t next = Unary(j + 1);
            if (next == j + 1)
                break;
            j = next;
        }
        return j;
    }

    /// A colour's value from `i` on: a colour model and its expression, channels, or a number.
    std::size_t ColorValue(std::size_t i) const {
        const PovToken& token = At(i).token;
        if (token.kind == PovToken::Word && IsColorModel(token.text))
            return Expression(i + 1, false);
        if (token.kind == PovToken::Word && IsChannelWord(token.text)) {
            std::size_t j = i;
            while (IsWord(j) && IsChannelWord(At(j).token.text)) {
                const std::size_t after = Expression(j + 1, false);
                if (after == j + 1)
                    break;
                j = after;
            }
            return j;
        }
        return Expression(i, false);
    }

    /// The names given so far in the part being read, by what they were named for.
    struct Names {
        std::unordered_map<std::string, int> properties;
        std::unordered_map<std::string, int> parts;
    };
    /// Holds the names of one part while it is read.
    class NameScope {
    public:
        explicit NameScope(std::vector<Names>& scopes) : m_scopes(scopes) { scopes.emplace_back(); }
        ~NameScope() { m_scopes.pop_back(); }
        NameScope(const NameScope&) = delete;
        NameScope& operator=(const NameScope&) = delete;

    private:
        std::vector<Names>& m_scopes;
    };

    /// `name`, or "name#N" for its Nth use in one part.
    static std::string Numbered(std::unordered_map<std::string, int>& taken,
                                const std::string& name) {
        const int count = ++taken[name];
        return count == 1 ? name : name + "#" + std::to_string(count);
    }

    void AddProperty(OutlinePart& part, const std::string& name, std::size_t itemFirst,
                     std::size_t valueFirst, std::size_t valueLast, PovLanguage::PovValue kind,
                     const PovKeyword* row) {
        OutlineProperty property;
        property.name = Numbered(m_names.back().properties, name);
        property.keyword = itemFirst < valueFirst ? At(itemFirst).token.text : std::string();
        property.kind = kind;
        property.row = row;
        const std::size_t itemLast = std::max(valueLast, itemFirst + 1);
        property.item = {At(itemFirst).span.start, At(itemLast - 1).span.end};
        if (valueLast > valueFirst) {
            property.value = {At(valueFirst).span.start, At(valueLast - 1).span.end};
            property.text = std::string(m_lexed.text.substr(
                property.value.start, property.value.end - property.value.start));
            if (kind != PovLanguage::PovValue::Pattern && kind != PovLanguage::PovValue::Choice &&
                kind != PovLanguage::PovValue::String)
                property.numbers = m_lexed.Evaluate(valueFirst, valueLast, kind, property.keyword);
        } else {
            property.value = {property.item.end, property.item.end};
        }
        part.properties.push_back(std::move(property));
    }

    /// A lone keyword whose keyword is its value (a pattern, a wave, an image type).
    void AddKeywordValue(OutlinePart& part, const std::string& name, std::size_t at,
                         PovLanguage::PovValue kind, const PovKeyword* row) {
        AddProperty(part, name, at, at, at + 1, kind, row);
        part.properties.back().keyword = At(at).token.text;
    }

    /// The keyword at m_at and the value after it, if one follows.
    void KeywordAndValue(OutlinePart& part, const std::string& name, PovLanguage::PovValue kind,
                         const PovKeyword* row) {
        const std::size_t first = m_at++;
        std::size_t last = m_at;
        if (kind == PovLanguage::PovValue::Color)
            last = ColorValue(m_at);
        else if (At(m_at).token.kind == PovToken::String)
            last = m_at + 1;
        else if (StartsOperand(m_at))
            last = Expression(m_at, false);
        AddProperty(part, name, first, m_at, last, kind, row);
        m_at = last;
    }

    void ReadWord(OutlinePart& part, int depth) {
        const std::string& word = At(m_at).token.text;
        const PovKeyword* row = Find(word);
        if (IsSymbol(m_at + 1, "{")) {
            part.parts.push_back(ReadBlock(depth + 1));
            return;
        }
        if (IsColorWord(word)) {
            const std::size_t first = m_at;
            const std::size_t valueFirst = IsColorModel(word) ? m_at : m_at + 1;
            m_at = ColorValue(valueFirst);
            AddProperty(part, "color", first, valueFirst, m_at, PovLanguage::PovValue::Color,
                        Find("color"));
            return;
        }
        if (!row || row->Is(kExpression)) {
            BareValue(part);
            return;
        }
        const bool patternHere = (part.place & kPatternPlaces) != 0 && part.Pattern().empty();
        if (row->Is(kPattern) && patternHere) {
            AddKeywordValue(part, "pattern", m_at, PovLanguage::PovValue::Pattern, row);
            ++m_at;
            if (StartsOperand(m_at)) {
                const std::size_t last = Expression(m_at, false);
                const PovLanguage::PovValue amount = row->value == PovLanguage::PovValue::Vector
                                                         ? PovLanguage::PovValue::Vector
                                                         : PovLanguage::PovValue::Float;
                AddProperty(part, word, m_at, m_at, last, amount, row);
                m_at = last;
            }
            return;
        }
        if (row->Is(kWave) || row->Is(kImageType)) {
            AddKeywordValue(part, row->Is(kWave) ? "wave" : "type", m_at,
                            PovLanguage::PovValue::Choice, row);
            ++m_at;
            if (StartsOperand(m_at) || At(m_at).token.kind == PovToken::String) {
                const std::size_t last = StartsOperand(m_at) ? Expression(m_at, false) : m_at + 1;
                AddProperty(part, row->Is(kWave) ? word : "file", m_at, m_at, last,
                            row->Is(kWave) ? PovLanguage::PovValue::Float
                                           : PovLanguage::PovValue::String,
                            row);
                m_at = last;
            }
            return;
        }
        KeywordAndValue(part, word, row->value, row);
    }

    void BareValue(OutlinePart& part) {
        const std::size_t last = std::max(Expression(m_at, false), m_at + 1);
        AddProperty(part, "value", m_at, m_at, last, PovLanguage::PovValue::None, nullptr);
        OutlineProperty& property = part.properties.back();
        property.kind = property.numbers.size() > 1 ? PovLanguage::PovValue::Vector
                                                    : PovLanguage::PovValue::Float;
        if (property.numbers.empty())
            property.kind = PovLanguage::PovValue::None;
        m_at = last;
    }

    void ReadItems(OutlinePart& part, const char* close, int depth) {
        while (true) {
            const PovToken& token = At(m_at).token;
            if (token.kind == PovToken::End) {
                part.close = At(m_at).span.start;
                return;
            }
            if (close && token.IsSymbol(close)) {
                part.close = At(m_at).span.start;
                ++m_at;
                return;
            }
            if (close && std::string_view(close) == "]" && token.IsSymbol("}")) {
                part.close = At(m_at).span.start; // an entry left open; its map goes on
                return;
            }
            if (token.IsSymbol("[") && (part.place & kMap) != 0) {
                part.parts.push_back(ReadEntry(part, depth + 1));
            } else if (token.kind == PovToken::Word) {
                ReadWord(part, depth);
            } else if (StartsOperand(m_at)) {
                BareValue(part);
            } else if (token.kind == PovToken::String) {
                AddProperty(part, "file", m_at, m_at, m_at + 1, PovLanguage::PovValue::String,
                            nullptr);
                ++m_at;
            } else {
                ++m_at; // a comma, or what no outline shows
            }
        }
    }

    OutlinePart ReadBlock(int depth) {
        OutlinePart part;
        part.keyword = At(m_at).token.text;
        part.name = Numbered(m_names.back().parts, part.keyword);
        const NameScope names(m_names);
        const PovKeyword* row = Find(part.keyword);
        part.place = IsMap(part.keyword, row) ? EntryPlace(part.keyword) : PlaceOf(part.keyword);
        part.item.start = At(m_at).span.start;
        part.open = At(m_at + 1).span.start;
        m_at += 2;
        if (depth > kMaxDepth) {
            m_tooDeep = true;
            m_at = Matching(m_at - 1, "{", "}");
            part.close = At(m_at - 1).span.start;
        } else {
            ReadItems(part, "}", depth);
        }
        part.item.end = std::min(part.close + 1, m_lexed.text.size());
        return part;
    }

    OutlinePart ReadEntry(const OutlinePart& map, int depth) {
        OutlinePart entry;
        entry.keyword = "[";
        entry.name = std::to_string(map.parts.size() + 1);
        entry.place = map.place;
        const NameScope names(m_names);
        entry.item.start = entry.open = At(m_at).span.start;
        ++m_at;
        while (StartsOperand(m_at)) {
            const std::size_t last = Expression(m_at, false);
            if (last == m_at)
                break;
            AddProperty(entry, "value", m_at, m_at, last, PovLanguage::PovValue::Float, nullptr);
            m_at = last;
            if (!IsSymbol(m_at, ","))
                break;
            ++m_at;
        }
        if (depth > kMaxDepth) {
            m_tooDeep = true;
            m_at = Matching(m_at, "[", "]");
        } else {
            ReadItems(entry, "]", depth);
        }
        entry.item.end = std::min(entry.close + 1, m_lexed.text.size());
        return entry;
    }

    static void AssignPaths(OutlinePart& part, const std::string& path) {
        part.path = path;
        const std::string prefix = path.empty() ? "" : path + "/";
        for (OutlineProperty& property : part.properties)
            property.path = prefix + property.name;
        for (OutlinePart& child : part.parts)
            AssignPaths(child, prefix + child.name);
    }

    const LexedText& m_lexed;
    std::vector<Names> m_names;
    std::size_t m_at = 0;
    bool m_tooDeep = false;
};

template <typename Found>
const Found* FindIn(const std::vector<OutlinePart>& parts, std::string_view path) {
    for (const OutlinePart& part : parts) {
        if constexpr (std::is_same_v<Found, OutlinePart>) {
            if (part.path == path)
                return &part;
        } else {
            for (const OutlineProperty& property : part.properties)
                if (property.path == path)
                    return &property;
        }
        const std::string_view prefix = part.path;
        if (prefix.empty() ||
            (path.starts_with(prefix) && path.size() > prefix.size() && path[prefix.size()] == '/'))
            if (const Found* found = FindIn<Found>(part.parts, path))
                return found;
    }
    return nullptr;
}

void CollectProperties(const OutlinePart& part, std::vector<const OutlineProperty*>& into) {
    for (const OutlineProperty& property : part.properties)
        into.push_back(&property);
    for (const OutlinePart& child : part.parts)
        CollectProperties(child, into);
}

} // namespace

const OutlineProperty* OutlinePart::Property(std::string_view wanted) const {
    const auto found = std::find_if(properties.begin(), properties.end(),
                                    [&](const OutlineProperty& p) { return p.name == wanted; });
    return found != properties.end() ? &*found : nullptr;
}

std::string_view OutlinePart::Pattern() const {
    const OutlineProperty* pattern = Property("pattern");
    return pattern ? std::string_view(pattern->keyword) : std::string_view();
}

const OutlinePart* TextureOutline::Part(std::string_view path) const {
    return FindIn<OutlinePart>(parts, path);
}

const OutlineProperty* TextureOutline::Property(std::string_view path) const {
    return FindIn<OutlineProperty>(parts, path);
}

std::vector<const OutlineProperty*> TextureOutline::Properties() const {
    std::vector<const OutlineProperty*> all;
    for (const OutlinePart& part : parts)
        CollectProperties(part, all);
    return all;
}

TextureOutline ReadOutline(std::string_view text) {
    const LexedText lexed(text);
    return OutlineReader(lexed).Read();
}

std::uint32_t PlaceOf(std::string_view keyword) {
    static constexpr std::pair<std::string_view, std::uint32_t> kPlaces[] = {
        {"texture", kTexture},
        {"pigment", kPigment},
        {"normal", kNormal},
        {"finish", kFinish},
        {"interior", kInterior},
        {"media", kMedia},
        {"material", kMaterial},
        {"density", kDensity},
        {"warp", kWarp},
        {"image_map", kImageMap},
        {"bump_map", kImageMap},
        {"reflection", kReflection},
        {"irid", kIrid},
        {"tiles", kTexture},
        {"pigment_pattern", kPigment},
        {"interior_texture", kTexture},
    };
    for (const auto& [word, place] : kPlaces)
        if (word == keyword)
            return place;
    return kNone;
}

std::string_view KindName(PovLanguage::PovValue kind) {
    switch (kind) {
    case PovLanguage::PovValue::Flag:
        return "flag";
    case PovLanguage::PovValue::Float:
        return "float";
    case PovLanguage::PovValue::Vector:
        return "vector";
    case PovLanguage::PovValue::Color:
        return "color";
    case PovLanguage::PovValue::Choice:
    case PovLanguage::PovValue::Pattern:
        return "choice";
    case PovLanguage::PovValue::String:
        return "string";
    case PovLanguage::PovValue::None:
    case PovLanguage::PovValue::Block:
    case PovLanguage::PovValue::Map:
        break;
    }
    return "text";
}
