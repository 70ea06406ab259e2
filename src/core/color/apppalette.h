#pragma once

#include <array>
#include <cstdint>

/// One entry of the shared palette.
struct PaletteEntry {
    std::uint8_t red;
    std::uint8_t green;
    std::uint8_t blue;
    std::uint8_t flags;
};

/// The 216-colour cube the program's bitmaps are shown with on palette displays: entry
/// 36 * r + 6 * g + b has the channels 51 * r, 51 * g, 51 * b (r, g, b from 0 to 5).
using AppPalette = std::array<PaletteEntry, 216>;
AppPalette CreateAppPalette();
