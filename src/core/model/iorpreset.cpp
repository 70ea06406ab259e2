#include "core/model/iorpreset.h"

#include "core/archive/archive.h"
#include "core/model/numberformat.h"

IMPLEMENT_SERIAL(IorPreset, 1, 1)

void IorPreset::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.String(m_description);
    ar.Float(m_value);
}

namespace {

std::string Trimmed(std::string text) {
    while (text.size() > 1 && text.back() == '0')
        text.pop_back();
    if (text.size() > 1 && text.back() == '.')
        text.pop_back();
    return text;
}

} // namespace

std::string IorPresetEntryText(const std::string& description, float value, bool trimmed) {
    std::string text = description + "\t" + FormatFixed(value, 4);
    return trimmed ? Trimmed(std::move(text)) : text;
}

std::string IorValueText(float value) {
    return Trimmed(FormatFixed(value, 4));
}

std::vector<IorPreset> DefaultIorPresets() {
    return {{"Vacuum", 1.0f},    {"Air", 1.000293f},     {"Water", 1.333f},      {"Ice", 1.31f},
            {"Glass", 1.5f},     {"Crown glass", 1.52f}, {"Flint glass", 1.62f}, {"Quartz", 1.544f},
            {"Sapphire", 1.77f}, {"Diamond", 2.417f}};
}
