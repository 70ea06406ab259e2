#pragma once

#include "core/archive/storable.h"

#include <cstdint>
#include <string>

/// POV-Ray turbulence of a pigment or normal; an amount of 0 means none.
class Turbulence : public Storable {
    DECLARE_SERIAL(Turbulence)
public:
    /// The one-line turbulence clause, or nothing when the amount is 0. The agate pattern
    /// names its turbulence "agate_turb".
    std::string GetSource(bool agate = false) const;
    /// Stored form: byte amount, byte octaves, byte omega, float lambda.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    std::uint8_t amount = 0; ///< hundredths
    std::uint8_t octaves = 6;
    std::uint8_t omega = 50; ///< hundredths
    float lambda = 2.0f;
};
