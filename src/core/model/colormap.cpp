#include "core/model/colormap.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

#include <algorithm>
#include <cmath>

IMPLEMENT_SERIAL(ColorMap, 1, 1)

ColorMap::ColorMap() {
    positions[0] = 0.0f;
    positions[1] = 1.0f;
    colors[0] = ColorRGBF{0, 0, 0, 0};
}

std::string ColorMap::GetSource() const {
    std::string text = "    color_map\r\n    {\r\n";
    for (int i = 0; i < count && i < kMaxEntries; ++i) {
        const ColorRGBF& c = colors[i];
        text += "      [" + FormatFixed(positions[i], 2);
        if (c.filter != 0) {
            text += " color rgbf<" + ChannelText(c.red) + ", " + ChannelText(c.green) + ", " +
                    ChannelText(c.blue) + ", " + ChannelText(c.filter) + ">]\r\n";
        } else {
            text += " color rgb<" + ChannelText(c.red) + ", " + ChannelText(c.green) + ", " +
                    ChannelText(c.blue) + ">]\r\n";
        }
    }
    text += "    }\r\n";
    return text;
}

ColorRGBF ColorMap::ColorAt(float position) const {
    const int used = std::clamp(count, 1, kMaxEntries);
    if (position <= positions[0])
        return colors[0];
    for (int j = 0; j + 1 < used; ++j) {
        const float from = positions[j];
        const float to = positions[j + 1];
        if (position >= to)
            continue;
        const float g = to > from ? (position - from) / (to - from) : 1.0f;
        const auto mix = [g](std::uint8_t a, std::uint8_t b) {
            return static_cast<std::uint8_t>(
                std::lround(static_cast<float>(a) + static_cast<float>(b - a) * g));
        };
        const ColorRGBF& a = colors[j];
        const ColorRGBF& b = colors[j + 1];
        return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue),
                mix(a.filter, b.filter)};
    }
    return colors[used - 1];
}

void ColorMap::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    std::uint8_t storedCount = static_cast<std::uint8_t>(count);
    ar.Byte(storedCount);
    if (ar.IsLoading()) {
        // The count is a signed byte; anything outside 0-20 would index past the arrays.
        // NOLINTNEXTLINE(bugprone-signed-char-misuse): the byte is signed in the file.
        const int loaded = static_cast<std::int8_t>(storedCount);
        if (loaded < 0 || loaded > kMaxEntries)
            throw ArchiveException(ArchiveError::BadValue);
        count = loaded;
    }
    for (int i = 0; i < count; ++i) {
        ar.Float(positions[i]);
        ar.Byte(colors[i].red);
        ar.Byte(colors[i].green);
        ar.Byte(colors[i].blue);
        ar.Byte(colors[i].filter);
    }
}
