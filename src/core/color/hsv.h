#pragma once

#include <cstdint>

/// A colour in the hue-saturation-value model as the colour selector holds it: hue in whole
/// degrees 0-360, saturation and value 0-255.
struct HsvColor {
    int hue = 0;
    int saturation = 0;
    int value = 0;

    friend bool operator==(const HsvColor&, const HsvColor&) = default;
};

/// Red, green and blue 0-255 each.
struct RgbColor {
    int red = 0;
    int green = 0;
    int blue = 0;

    friend bool operator==(const RgbColor&, const RgbColor&) = default;
};

/// Hue (truncated to whole degrees), saturation × 255 and value of a colour, each truncated.
HsvColor RgbToHsv(int red, int green, int blue);
/// The colour of a hue in degrees (360 counts as 0), a saturation 0-1 and a value 0-255, each
/// channel truncated to 0-255.
RgbColor HsvToRgb(double hue, double saturation, double value);
