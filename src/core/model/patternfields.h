#pragma once

#include "core/model/colormap.h"
#include "core/model/colorrgbf.h"
#include "core/model/imagemap.h"
#include "core/model/transformations.h"
#include "core/model/turbulence.h"

#include <cstdint>
#include <string>

class Archive;

/// What the pigment and the normal have in common: a colour, a colour map, an image file,
/// phase, frequency, turbulence and transformations. The normal carries the colour and the
/// colour map only to keep the stored form the pigment's.
struct PatternFields {
    ColorRGBF color;
    ColorMap colorMap;
    ImageMap image;
    std::uint8_t phase = 0; ///< hundredths
    int frequency = 1;      ///< stored as a signed 16-bit word
    Turbulence turbulence;
    Transformations transformations;

    /// Stored form, after the owner's own head: byte red, green, blue, filter, byte phase, word
    /// frequency, then the colour map, image, turbulence and transformations.
    void SerializeFields(Archive& ar);
    /// The "phase" and "frequency" lines, each only when it differs from its default.
    std::string PhaseAndFrequencySource() const;
};
