#pragma once

#include "core/model/colorrgbf.h"
#include "core/povtext/reading/povvalues.h"

#include <string>
#include <vector>

/// One colour-map entry at the model's precision.
struct HeldMapEntry {
    float position = 0.0f;
    ColorRGBF color;
};

/// The colour map POV-Ray gives a pattern that names none: its own for agate, bozo, marble,
/// radial and wood, black to white for the others.
PovColorMap BuiltinColorMap(const std::string& pattern);

/// The colour a pigment shows on average (its colour map's colours weighted by the share of
/// the pattern's range each covers), for maps of pigments the model cannot hold one by one.
PovColor AverageColor(const PovPigment& pigment);

/// Leaves out entries that change no colour at the model's precision (a repeated colour, a
/// colour on the line between its neighbours) until at most `limit` remain; true when that
/// was enough.
bool DropRedundantEntries(std::vector<HeldMapEntry>& entries, std::size_t limit);
/// Leaves out the entries whose loss changes the map least until `limit` remain. The first and
/// last entries stay.
void ResampleEntries(std::vector<HeldMapEntry>& entries, std::size_t limit);
