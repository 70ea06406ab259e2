#pragma once

#include "core/archive/storable.h"

#include <string>
#include <vector>

/// A named index of refraction, one entry of the refraction presets ("iorvalue.dat").
class IorPreset : public Storable {
    DECLARE_SERIAL(IorPreset)
public:
    IorPreset() = default;
    IorPreset(std::string description, float value)
        : m_description(std::move(description)), m_value(value) {}

    const std::string& GetDescription() const { return m_description; }
    void SetDescription(std::string description) { m_description = std::move(description); }
    float GetValue() const { return m_value; }
    void SetValue(float value) { m_value = value; }

    /// Stored form: the description, then the value as a float.
    void Serialize(Archive& ar, std::uint16_t schema) override;

private:
    std::string m_description;
    float m_value = 1.0f;
};

/// A preset's line in the presets list: "%s\t%.4f" of description and value. With `trimmed`,
/// trailing "0" characters and then one trailing "." are removed ("Vacuum\t1"); the first
/// character of the text is never removed.
std::string IorPresetEntryText(const std::string& description, float value, bool trimmed);
/// An index of refraction written by the same trimmed rule ("1", "1.333", "1.5").
std::string IorValueText(float value);

/// The presets offered while there is no presets file: Vacuum, Air, Water, Ice, Glass, Crown
/// glass, Flint glass, Quartz, Sapphire and Diamond with their common indices.
std::vector<IorPreset> DefaultIorPresets();
