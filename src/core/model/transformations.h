#pragma once

#include "core/archive/storable.h"

#include <array>
#include <string>

/// Translate, rotate (degrees) and scale of a texture, pigment or normal.
class Transformations : public Storable {
    DECLARE_SERIAL(Transformations)
public:
    /// The translate, rotate and scale lines that differ from the defaults, in that order,
    /// each preceded by `indent` blanks.
    std::string GetSource(int indent) const;
    /// Stored form: translate, scale, rotate (nine floats; note the order differs from the text).
    void Serialize(Archive& ar, std::uint16_t schema) override;

    std::array<float, 3> translate{0.0f, 0.0f, 0.0f};
    std::array<float, 3> scale{1.0f, 1.0f, 1.0f};
    std::array<float, 3> rotate{0.0f, 0.0f, 0.0f};
};
