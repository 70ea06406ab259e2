#include "core/texmap/tiling.h"

#include <algorithm>
#include <cstring>

namespace {

using Pixels = std::span<const std::uint8_t>;

/// The own pixel's weight at distance `d` from the edge: f = 0.5 + 0.5 * d / band; the partner
/// gets 1 - f.
float Weight(int d, int band) {
    return 0.5f + 0.5f * static_cast<float>(d) / static_cast<float>(band);
}

/// Mixes a run of bytes with one weight: out = trunc((1 - f) * partner + f * own).
void BlendRun(std::uint8_t* out, const std::uint8_t* own, const std::uint8_t* partner, float f,
              std::size_t count) {
    const float g = 1.0f - f;
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint8_t>(g * static_cast<float>(partner[i]) +
                                           f * static_cast<float>(own[i]));
}

/// Mixes a run of bytes, each with its own weight.
void BlendWeighted(std::uint8_t* out, const std::uint8_t* own, const std::uint8_t* partner,
                   const float* f, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i)
        out[i] = static_cast<std::uint8_t>((1.0f - f[i]) * static_cast<float>(partner[i]) +
                                           f[i] * static_cast<float>(own[i]));
}

/// Copies `count` pixels ending at `last` (inclusive) into `out` in reverse order.
void ReversePixels(std::uint8_t* out, const std::uint8_t* last, int count) {
    for (int i = 0; i < count; ++i, out += 3, last -= 3)
        std::memcpy(out, last, 3);
}

} // namespace

std::vector<std::uint8_t> EdgeFade(Pixels source, int width, int height) {
    std::vector<std::uint8_t> out(source.begin(), source.end());
    const int band = static_cast<int>(static_cast<float>(std::min(width, height)) * 0.3f);
    if (band == 0)
        return out;
    const int w = width;
    const int h = height;
    const std::size_t rowBytes = static_cast<std::size_t>(w) * 3;
    const std::uint8_t* const s = source.data();

    // Four passes, each reading only the source: top rows blend with the mirrored rows from the
    // bottom, bottom rows at distance d = h - j with row d (not h - 1 - j), left columns with the
    // mirrored columns from the right, right columns at distance d = w - j with column d. They
    // meet only on the top-left diagonal, where the left pass comes last. So they can all be
    // done in one sweep down the rows, in pass order within each row, which keeps the column
    // passes from striding down the picture.
    std::vector<float> weight(static_cast<std::size_t>(band) + 1);
    for (int d = 0; d <= band; ++d)
        weight[static_cast<std::size_t>(d)] = Weight(d, band);
    // Per byte: the left band's columns 0 .. band - 1 (distance = column), and the right band's
    // columns w - band .. w - 1 (distance = w - column).
    std::vector<float> leftWeight(static_cast<std::size_t>(band) * 3);
    std::vector<float> rightWeight(static_cast<std::size_t>(band) * 3);
    for (int i = 0; i < band; ++i)
        for (int b = 0; b < 3; ++b) {
            leftWeight[static_cast<std::size_t>(i * 3 + b)] = weight[static_cast<std::size_t>(i)];
            rightWeight[static_cast<std::size_t>(i * 3 + b)] =
                weight[static_cast<std::size_t>(band - i)];
        }
    std::vector<std::uint8_t> partner(static_cast<std::size_t>(band) * 3);

    for (int r = 0; r < h; ++r) {
        const std::uint8_t* own = s + static_cast<std::size_t>(r) * rowBytes;
        std::uint8_t* to = out.data() + static_cast<std::size_t>(r) * rowBytes;
        if (r < band && r < w - r) {
            const std::size_t first = static_cast<std::size_t>(r) * 3;
            BlendRun(to + first, own + first,
                     s + static_cast<std::size_t>(h - 1 - r) * rowBytes + first,
                     weight[static_cast<std::size_t>(r)], static_cast<std::size_t>(w - 2 * r) * 3);
        }
        if (const int d = h - r; r >= h - band && d < w - d && d < h) {
            const std::size_t first = static_cast<std::size_t>(d) * 3;
            BlendRun(to + first, own + first, s + static_cast<std::size_t>(d) * rowBytes + first,
                     weight[static_cast<std::size_t>(d)], static_cast<std::size_t>(w - 2 * d) * 3);
        }
        // Left band: columns j with j <= r and j <= h - 1 - r, partner column w - 1 - j.
        if (const int count = std::min({band, r + 1, h - r}); count > 0) {
            ReversePixels(partner.data(), own + rowBytes - 3, count);
            BlendWeighted(to, own, partner.data(), leftWeight.data(),
                          static_cast<std::size_t>(count) * 3);
        }
        // Right band: distances d = 1 .. min(band, r, h - 1 - r), columns w - d, partner column d.
        if (const int count = std::min({band, r, h - 1 - r}); count > 0) {
            const std::size_t first = static_cast<std::size_t>(w - count) * 3;
            ReversePixels(partner.data(), own + static_cast<std::size_t>(count) * 3, count);
            BlendWeighted(to + first, own + first, partner.data(),
                          rightWeight.data() + static_cast<std::size_t>(band - count) * 3,
                          static_cast<std::size_t>(count) * 3);
        }
    }
    return out;
}

std::vector<std::uint8_t> Mirror(Pixels source, int width, int height) {
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t outRowBytes = 2 * rowBytes;
    const auto h2 = 2 * static_cast<std::size_t>(height);
    std::vector<std::uint8_t> out(h2 * outRowBytes);
    for (std::size_t r = 0; r < static_cast<std::size_t>(height); ++r) {
        // The row and its mirror image side by side, then the same row mirrored top to bottom.
        const std::uint8_t* from = source.data() + r * rowBytes;
        std::uint8_t* to = out.data() + r * outRowBytes;
        std::memcpy(to, from, rowBytes);
        if (width > 0)
            ReversePixels(to + rowBytes, from + rowBytes - 3, width);
        std::memcpy(out.data() + (h2 - 1 - r) * outRowBytes, to, outRowBytes);
    }
    return out;
}
