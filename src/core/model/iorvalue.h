#pragma once

#include "archive/object.h"

#include <string>

/// A named index of refraction, one entry of the refraction presets ("iorvalue.dat").
class CIORValue : public CObject {
    DECLARE_SERIAL(CIORValue)
public:
    CIORValue() = default;
    CIORValue(std::string description, float value) : m_description(std::move(description)), m_value(value) {}

    const std::string& GetDescription() const { return m_description; }
    void SetDescription(std::string description) { m_description = std::move(description); }
    float GetValue() const { return m_value; }
    void SetValue(float value) { m_value = value; }

    /// Stored form: the description, then the value as a float.
    void Serialize(CArchive& ar) override;

private:
    std::string m_description;
    float m_value = 1.0f;
};
