#include "core/model/colormapfile.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace ColorMapFile {
namespace {

constexpr std::size_t kEntrySize = 8;

std::optional<ColorMap> Refuse(Fault* fault, Fault why) {
    if (fault)
        *fault = why;
    return std::nullopt;
}

} // namespace

std::vector<std::uint8_t> Write(const ColorMap& map) {
    const int count = std::clamp(map.count, 0, ColorMap::kMaxEntries);
    std::vector<std::uint8_t> bytes;
    bytes.reserve(1 + kEntrySize * count);
    bytes.push_back(static_cast<std::uint8_t>(count));
    for (int i = 0; i < count; ++i) {
        const std::uint32_t bits = std::bit_cast<std::uint32_t>(map.positions[i]);
        for (int shift = 0; shift < 32; shift += 8)
            bytes.push_back(static_cast<std::uint8_t>(bits >> shift));
        const ColorRGBF& color = map.colors[i];
        bytes.insert(bytes.end(), {color.red, color.green, color.blue, color.filter});
    }
    return bytes;
}

std::optional<ColorMap> Read(std::span<const std::uint8_t> bytes, Fault* fault) {
    if (fault)
        *fault = Fault::None;
    if (bytes.empty())
        return Refuse(fault, Fault::EndsEarly);
    // NOLINTNEXTLINE(bugprone-signed-char-misuse): the count is a signed byte in the file.
    const int count = static_cast<std::int8_t>(bytes[0]);
    if (count < 1 || count > ColorMap::kMaxEntries)
        return Refuse(fault, Fault::BadCount);
    const std::size_t size = 1 + kEntrySize * static_cast<std::size_t>(count);
    if (bytes.size() < size)
        return Refuse(fault, Fault::EndsEarly);
    if (bytes.size() > size)
        return Refuse(fault, Fault::TrailingData);

    ColorMap map;
    map.count = count;
    for (int i = 0; i < count; ++i) {
        const std::uint8_t* entry = bytes.data() + 1 + kEntrySize * i;
        std::uint32_t bits = 0;
        for (int b = 0; b < 4; ++b)
            bits |= static_cast<std::uint32_t>(entry[b]) << (8 * b);
        const float position = std::bit_cast<float>(bits);
        // Positions ascend (equal neighbours are allowed); a position that is no number is damage.
        if (!std::isfinite(position) || (i > 0 && position < map.positions[i - 1]))
            return Refuse(fault, Fault::NotAscending);
        if (position < 0.0f || position > ColorMap::kHighestPosition)
            return Refuse(fault, Fault::OutOfRange);
        map.positions[i] = position;
        map.colors[i] = ColorRGBF{entry[4], entry[5], entry[6], entry[7]};
    }
    const ColorMap fresh;
    for (int i = count; i < ColorMap::kMaxEntries; ++i) {
        map.positions[i] = fresh.positions[i];
        map.colors[i] = fresh.colors[i];
    }
    return map;
}

} // namespace ColorMapFile
