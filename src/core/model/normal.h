#pragma once

#include "core/archive/storable.h"
#include "core/model/patternfields.h"

#include <array>
#include <cstdint>
#include <string>

/// The normal of a simple texture. It has the pigment's shape with an amount in front; the
/// colour and colour map are carried and stored but never written to source.
class Normal : public Storable, public PatternFields {
    DECLARE_SERIAL(Normal)
public:
    enum Kind : std::uint8_t {
        Bumps = 0,
        Dents = 1,
        Ripples = 2,
        Waves = 3,
        Wrinkles = 4,
        None = 5,
        BumpMap = 6,
    };

    /// The "normal { ... }" block, two blanks deep, or nothing for kind None.
    std::string GetSource() const;
    void Serialize(Archive& ar, std::uint16_t schema) override;

    std::uint8_t amount = 0; ///< hundredths
    std::uint8_t kind = None;
    std::array<std::uint8_t, 3> reserved{}; ///< no meaning; kept as read
};
