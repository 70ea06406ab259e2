#include "core/model/colormap.h"

#include "core/archive/archive.h"
#include "core/model/sourcetext.h"

IMPLEMENT_SERIAL(ColorMap, 1)

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

void ColorMap::Serialize(Archive& ar) {
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
