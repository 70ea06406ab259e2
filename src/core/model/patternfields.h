#pragma once

#include "colormap.h"
#include "colorrgbf.h"
#include "imagesettings.h"
#include "transformations.h"
#include "turbulencesettings.h"

#include <cstdint>
#include <string>

class CArchive;

/// What the pigment and the normal have in common: a colour, a colour map, an image file,
/// phase, frequency, turbulence and transformations. The normal carries the colour and the
/// colour map only to keep the stored form the pigment's.
struct PatternFields {
    ColorRGBF color;
    CColorMap colorMap;
    CImageSettings image;
    std::uint8_t phase = 0; ///< hundredths
    int frequency = 1;      ///< stored as a signed 16-bit word
    CTurbulenceSettings turbulence;
    CTransformations transformations;

    /// Stored form, after the owner's own head: byte red, green, blue, filter, byte phase, word
    /// frequency, then the colour map, image, turbulence and transformations.
    void SerializeFields(CArchive& ar);
    /// The "phase" and "frequency" lines, each only when it differs from its default.
    std::string PhaseAndFrequencySource() const;
};
