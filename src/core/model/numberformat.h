#pragma once

#include <cstdint>
#include <string>

/// Number text for POV-Ray source and the editors' number fields: "%.4f", trailing zeros
/// removed, and one "0" put back after a bare decimal point. Never depends on the locale.
std::string FloatToText(float value);

/// The value with a fixed number of decimals ("%.*f" in the C locale).
std::string FormatFixed(double value, int decimals);

/// A percent byte or integer (50 stands for 0.5), scaled by 0.01 in single precision.
std::string PercentText(int hundredths);

/// A colour channel 0-255 as channel/255 in single precision, with three decimals.
std::string ChannelText(std::uint8_t channel);
