#pragma once

#include <cstdint>

/// A colour with a filter channel, four bytes 0-255. Defaults to white without filter.
struct ColorRGBF {
    std::uint8_t red = 255;
    std::uint8_t green = 255;
    std::uint8_t blue = 255;
    std::uint8_t filter = 0;

    friend bool operator==(const ColorRGBF&, const ColorRGBF&) = default;
};
