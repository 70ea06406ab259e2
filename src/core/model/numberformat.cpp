#include "core/model/numberformat.h"

#include <charconv>

std::string FormatFixed(double value, int decimals) {
    char buffer[400];
    const auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, result.ptr);
}

std::string FloatToText(float value) {
    std::string text = FormatFixed(static_cast<double>(value), 4);
    std::size_t end = text.size();
    while (end > 1 && text[end - 1] == '0')
        --end;
    text.resize(end);
    if (text.back() == '.')
        text += '0';
    return text;
}

std::string PercentText(int hundredths) {
    return FloatToText(static_cast<float>(hundredths) * 0.01f);
}

std::string ChannelText(std::uint8_t channel) {
    constexpr float kOneOver255 = 0.003921569f;
    return FormatFixed(static_cast<double>(static_cast<float>(channel) * kOneOver255), 3);
}
