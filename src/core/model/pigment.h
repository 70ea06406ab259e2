#pragma once

#include "core/archive/storable.h"
#include "core/model/patternfields.h"

#include <cstdint>
#include <string>

/// The pigment of a simple texture: a solid colour, an image map or a colour-mapped pattern.
class Pigment : public Storable, public PatternFields {
    DECLARE_SERIAL(Pigment)
public:
    enum Pattern : std::uint8_t {
        Agate = 0,
        Bozo = 1,
        Gradient = 2,
        Granite = 3,
        Leopard = 4,
        Marble = 5,
        Onion = 6,
        Radial = 7,
        Spotted = 8,
        Wood = 9,
        SolidColor = 10,
        ImageMap = 11,
    };

    /// The "pigment { ... }" block, two blanks deep.
    std::string GetSource() const;
    void Serialize(Archive& ar, std::uint16_t schema) override;

    std::uint8_t pattern = SolidColor;
    std::uint8_t gradientX = 1; ///< flag
    std::uint8_t gradientY = 0; ///< flag
    std::uint8_t gradientZ = 0; ///< flag
};
