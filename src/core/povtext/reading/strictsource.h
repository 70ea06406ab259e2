#pragma once

#include "core/model/sourcetexture.h"
#include "core/povtext/language/sourceposition.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

/// The longest text a source texture may hold.
inline constexpr std::size_t kMaxSourceTextBytes = 1 << 20;

/// The largest counts admitted where POV-Ray's time or memory grows with the count: the side of
/// a function image (as the largest texture map), a fractal pattern's iterations, media's
/// intervals, samples and antialiasing level, and an interior's dispersion samples.
inline constexpr double kMaxFunctionImageSide = 8192;
inline constexpr double kMaxFractalIterations = 10000;
inline constexpr double kMaxMediaIntervals = 1000;
inline constexpr double kMaxMediaSamples = 10000;
inline constexpr double kMaxMediaAaLevel = 9;
inline constexpr double kMaxDispersionSamples = 1000;

/// Reads a source texture's text in the strict mode catalogs are opened with: the texture
/// language alone, one value of `kind`. No directive of any kind, no identifier (every one is
/// resolved when the text is made), no object, camera, light or scene setting, no string made
/// by a function, only file names the image maps take, and the counts above written as plain
/// numbers within their bounds. Returns why the text is refused,
/// or nothing when it may be rendered and exported.
std::optional<std::string> StrictSourceRefusal(std::string_view text, SourceTexture::Kind kind);

/// Why a text is refused and where in it (file 0).
struct StrictRefusal {
    std::string reason;
    SourcePosition where;
    /// The refusal's message names the line ("line 3: ...").
    bool lineInText = false;
};

/// The strict reading with the place of the refusal; `identifiersAllowed` lets identifiers
/// pass (they are to be resolved before the text is kept).
std::optional<StrictRefusal> StrictSourceRefusalAt(std::string_view text, SourceTexture::Kind kind,
                                                   bool identifiersAllowed);

/// The file names `text` holds: its string literals, with "\\" read as one backslash, in the
/// order they stand (what it holds up to a place that is no token).
std::vector<std::string> NamedFiles(std::string_view text);

/// Marks `texture` refused, naming it, when its text breaks the strict rules; clears the mark
/// otherwise.
void CheckSourceTexture(SourceTexture& texture);
