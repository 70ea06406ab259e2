#include "core/color/apppalette.h"

AppPalette CreateAppPalette() {
    AppPalette palette{};
    for (int r = 0; r < 6; ++r)
        for (int g = 0; g < 6; ++g)
            for (int b = 0; b < 6; ++b)
                palette[static_cast<std::size_t>(36 * r + 6 * g + b)] = {
                    static_cast<std::uint8_t>(51 * r), static_cast<std::uint8_t>(51 * g),
                    static_cast<std::uint8_t>(51 * b), 0};
    return palette;
}
