#pragma once

#include "core/model/colormap.h"

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

/// Colour map files (".txc"): the stored form of one colour map and nothing else, a count byte
/// followed by a 32-bit little-endian float position and red, green, blue and filter bytes per
/// entry.
namespace ColorMapFile {

/// Why a colour map file was refused.
enum class Fault {
    None,
    BadCount,     ///< fewer than 1 or more than 20 entries
    EndsEarly,    ///< the file ends before the last entry is complete
    NotAscending, ///< a position lies before the one in front of it, or is no number
    TrailingData, ///< bytes after the last entry
    OutOfRange,   ///< a position below 0 or past 1 (more than Insert can step past it)
};

/// The bytes of a colour map file holding `map` (1 + 8 × count bytes).
std::vector<std::uint8_t> Write(const ColorMap& map);
/// The colour map held in `bytes`, or nothing with the fault in `fault`. Entry slots past the
/// count are those of a new colour map.
std::optional<ColorMap> Read(std::span<const std::uint8_t> bytes, Fault* fault = nullptr);

} // namespace ColorMapFile
