#pragma once

#include "core/archive/storable.h"
#include "core/model/colorrgbf.h"

#include <string>

/// A colour with a name, kept in the program's list of named colours ("colors.dat").
class NamedColor : public Storable {
    DECLARE_SERIAL(NamedColor)
public:
    NamedColor() = default;
    NamedColor(std::string name, ColorRGBF color) : m_name(std::move(name)), m_color(color) {}

    const std::string& GetName() const { return m_name; }
    void SetName(std::string name) { m_name = std::move(name); }
    ColorRGBF GetColor() const { return m_color; }
    void SetColor(ColorRGBF color) { m_color = color; }

    /// Stored form: the name, then red, green, blue and filter as one byte each.
    void Serialize(Archive& ar, std::uint16_t schema) override;

private:
    std::string m_name = "Untitled";
    ColorRGBF m_color;
};
