#include "core/color/hsv.h"

#include <algorithm>

namespace {

int Channel(double value) {
    return std::clamp(static_cast<int>(value), 0, 255);
}

} // namespace

HsvColor RgbToHsv(int red, int green, int blue) {
    const int maximum = std::max({red, green, blue});
    const int minimum = std::min({red, green, blue});
    HsvColor hsv;
    hsv.value = maximum;
    if (maximum == 0)
        return hsv;
    const double delta = maximum - minimum;
    const double saturation = delta / maximum;
    double hue = 0.0;
    if (delta != 0.0) {
        double h = 0.0;
        if (red == maximum)
            h = (green - blue) / delta;
        else if (green != maximum)
            h = (red - green) / delta + 4.0;
        else
            h = (blue - red) / delta + 2.0;
        hue = h * 60.0;
        if (hue < 0.0)
            hue += 360.0;
    }
    hsv.hue = static_cast<int>(hue);
    hsv.saturation = static_cast<int>(saturation * 255.0);
    return hsv;
}

RgbColor HsvToRgb(double hue, double saturation, double value) {
    if (saturation == 0.0) {
        const int grey = Channel(value);
        return {grey, grey, grey};
    }
    if (hue >= 360.0)
        hue -= 360.0;
    const double h = hue / 60.0;
    const int i = static_cast<int>(h);
    const double f = h - i;
    const double v = value;
    const double p = v * (1.0 - saturation);
    const double q = v * (1.0 - saturation * f);
    const double t = v * (1.0 - saturation * (1.0 - f));
    switch (i) {
    case 0:
        return {Channel(v), Channel(t), Channel(p)};
    case 1:
        return {Channel(q), Channel(v), Channel(p)};
    case 2:
        return {Channel(p), Channel(v), Channel(t)};
    case 3:
        return {Channel(p), Channel(q), Channel(v)};
    case 4:
        return {Channel(t), Channel(p), Channel(v)};
    default:
        return {Channel(v), Channel(p), Channel(q)};
    }
}
