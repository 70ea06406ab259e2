#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <limits>
#include <span>
#include <string_view>

/// POV-Ray 3.7's language as one table: every reserved word (and the built-in identifiers that
/// matter to a texture), with what it is, where in a texture it may stand, the kind of its value,
/// the range and default POV-Ray's reference gives (or a sensible one for a slider) and a label
/// for people. The reader, the strict check, the writer, the highlighter and the reserved-word
/// check all read it: adding a keyword is adding a row.
namespace PovLanguage {

/// What a word is; a word may be several things ("object" is an object and a pattern).
enum Role : std::uint32_t {
    kObject = 1u << 0,             ///< a shape or CSG: no part of a texture
    kSceneItem = 1u << 1,          ///< a camera, light or scene setting
    kKeptWhole = 1u << 2,          ///< a block the scene reader keeps only by kind
    kStringFunction = 1u << 3,     ///< makes a string (a file name must stand as written)
    kDirective = 1u << 4,          ///< the name of a directive after '#'
    kPattern = 1u << 5,            ///< a pattern of pigments, normals, densities and textures
    kBlockPattern = 1u << 6,       ///< a pattern of a fixed number of entries (checker, brick...)
    kUnreadPattern = 1u << 7,      ///< needs what the reader does not evaluate (functions, files)
    kWave = 1u << 8,               ///< a wave type
    kImageType = 1u << 9,          ///< the type of a bitmap file
    kTransformation = 1u << 10,    ///< translate, rotate, scale and the like
    kExpression = 1u << 11,        ///< a function or constant of expressions
    kBuiltInIdentifier = 1u << 12, ///< an identifier POV-Ray declares, not a reserved word
    kNewIn38 = 1u << 13,           ///< reserved from POV-Ray 3.8 on; 3.7 takes it as a name
};

/// The blocks a keyword is an item of.
enum Place : std::uint32_t {
    kNone = 0,
    kTexture = 1u << 0,
    kPigment = 1u << 1,
    kNormal = 1u << 2,
    kFinish = 1u << 3,
    kInterior = 1u << 4,
    kMedia = 1u << 5,
    kMaterial = 1u << 6,
    kDensity = 1u << 7,
    kWarp = 1u << 8,
    kImageMap = 1u << 9,
    kReflection = 1u << 10,
    kIrid = 1u << 11,
    kColor = 1u << 12, ///< after a colour, as a channel ("filter 0.5")
    kMap = 1u << 13,   ///< an entry of a map
    kPatternPlaces = kPigment | kNormal | kDensity | kTexture,
    kColorPlaces = kPigment | kFinish | kInterior | kMedia | kMap | kColor,
    kTransformPlaces = kPatternPlaces | kMaterial | kWarp,
};

/// The kind of a keyword's value.
enum class PovValue : std::uint8_t {
    None, ///< no texture language, or nothing to edit
    Flag, ///< present or not (an optional on/off may follow)
    Float,
    Vector,
    Color,
    Choice,  ///< one of several keywords or numbers (a wave, a method)
    Block,   ///< "{ ... }" of items of its own
    Map,     ///< "{ [entry] ... }"
    String,  ///< a file name
    Pattern, ///< a pattern keyword, whose parameters are rows of their own
};

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();

struct PovRange {
    double low = kNoValue;
    double high = kNoValue;
    double fallback = kNoValue; ///< POV-Ray's default
};

struct PovKeyword {
    std::string_view word;
    std::uint32_t roles = 0;
    std::uint32_t places = kNone;
    PovValue value = PovValue::None;
    PovRange range{};
    std::string_view label{};
    /// The patterns or blocks that alone take it, separated by blanks ("crackle" for "form");
    /// empty for any.
    std::string_view owner{};

    bool Is(Role role) const { return (roles & role) != 0; }
    /// True when `word` is one of its owners.
    bool OwnedBy(std::string_view word) const {
        for (std::size_t at = 0; at < owner.size();) {
            const std::size_t end = std::min(owner.find(' ', at), owner.size());
            if (owner.substr(at, end - at) == word)
                return true;
            at = end + 1;
        }
        return false;
    }
};

/// Every row, sorted by word.
std::span<const PovKeyword> Keywords();
/// The row of `word`, or null.
const PovKeyword* Find(std::string_view word);
/// True when `word` has any of `roles`.
bool Is(std::string_view word, std::uint32_t roles);
/// True for the counts POV-Ray takes as whole numbers (octaves, max_iteration, ...).
bool TakesWholeNumber(std::string_view word);
/// True when `word` is one of `words`, for the readers' short lists of their own.
bool IsOneOf(std::string_view word, std::initializer_list<std::string_view> words);

} // namespace PovLanguage

/// True when `word` is one of POV-Ray's reserved words (versions 3.7 and 3.8), which cannot be
/// declared as identifiers. The comparison is case-sensitive, as POV-Ray's is.
bool IsPovRayReservedWord(std::string_view word);
