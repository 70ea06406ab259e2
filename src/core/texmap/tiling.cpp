#include "core/texmap/tiling.h"

#include <algorithm>
#include <cstring>

namespace {

using Pixels = std::span<const std::uint8_t>;

std::size_t At(int width, int row, int column) {
    return (static_cast<std::size_t>(row) * static_cast<std::size_t>(width) + static_cast<std::size_t>(column)) * 3;
}

/// Mixes the own pixel with its partner: own weight f = 0.5 + 0.5 * d / band, partner 1 - f.
void Blend(std::uint8_t* out, const std::uint8_t* own, const std::uint8_t* partner, float f) {
    const float g = 1.0f - f;
    for (int b = 0; b < 3; ++b)
        out[b] = static_cast<std::uint8_t>(g * static_cast<float>(partner[b]) + f * static_cast<float>(own[b]));
}

float Weight(int d, int band) {
    return 0.5f + 0.5f * static_cast<float>(d) / static_cast<float>(band);
}

} // namespace

std::vector<std::uint8_t> EdgeFade(Pixels source, int width, int height) {
    std::vector<std::uint8_t> out(source.begin(), source.end());
    const int band = static_cast<int>(static_cast<float>(std::min(width, height)) * 0.3f);
    if (band == 0)
        return out;
    const Pixels s = source;
    const int w = width;
    const int h = height;

    // Top rows blend with the mirrored rows from the bottom.
    for (int j = 0; j < band && j < w - j; ++j)
        for (int c = j; c <= w - 1 - j; ++c)
            Blend(&out[At(w, j, c)], &s[At(w, j, c)], &s[At(w, h - 1 - j, c)], Weight(j, band));
    // Bottom rows: the distance d = h - j and the partner row h - j (not h - 1 - j).
    for (int j = std::max(0, h - band); j < h; ++j) {
        const int d = h - j;
        if (d >= w - d || d >= h)
            continue;
        for (int c = d; c <= w - 1 - d; ++c)
            Blend(&out[At(w, j, c)], &s[At(w, j, c)], &s[At(w, d, c)], Weight(d, band));
    }
    // Left columns blend with the mirrored columns from the right.
    for (int j = 0; j < band && j < h - j; ++j)
        for (int r = j; r <= h - 1 - j; ++r)
            Blend(&out[At(w, r, j)], &s[At(w, r, j)], &s[At(w, r, w - 1 - j)], Weight(j, band));
    // Right columns: the distance d = w - j and the partner column w - j.
    for (int j = std::max(0, w - band); j < w; ++j) {
        const int d = w - j;
        if (d >= h - d || d >= w)
            continue;
        for (int r = d; r <= h - 1 - d; ++r)
            Blend(&out[At(w, r, j)], &s[At(w, r, j)], &s[At(w, r, d)], Weight(d, band));
    }
    return out;
}

std::vector<std::uint8_t> Mirror(Pixels source, int width, int height) {
    const int w2 = 2 * width;
    const int h2 = 2 * height;
    std::vector<std::uint8_t> out(static_cast<std::size_t>(w2) * static_cast<std::size_t>(h2) * 3);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const std::uint8_t* pixel = &source[At(width, r, c)];
            std::memcpy(&out[At(w2, r, c)], pixel, 3);
            std::memcpy(&out[At(w2, r, w2 - 1 - c)], pixel, 3);
            std::memcpy(&out[At(w2, h2 - 1 - r, c)], pixel, 3);
            std::memcpy(&out[At(w2, h2 - 1 - r, w2 - 1 - c)], pixel, 3);
        }
    }
    return out;
}
