#pragma once

#include "core/archive/storable.h"
#include "core/model/colorrgbf.h"

#include <array>
#include <string>

/// Up to 20 colours along a pattern, each at a position. Entries are kept in array order.
class ColorMap : public Storable {
    DECLARE_SERIAL(ColorMap)
public:
    static constexpr int kMaxEntries = 20;
    /// Entries lie from 0 to 1, but maps made when Insert put a copy this far past the selected
    /// entry may end up to kMaxEntries such steps beyond 1.
    static constexpr float kInsertStep = 0.00001f;
    static constexpr float kHighestPosition = 1.0f + kMaxEntries * kInsertStep;

    ColorMap();

    /// The "color_map { ... }" block of a pattern pigment, four blanks deep.
    std::string GetSource() const;
    /// The colour and filter at a position, mixed between the entries on either side of it;
    /// before the first entry the first colour, past the last the last.
    ColorRGBF ColorAt(float position) const;
    /// Stored form: byte count, then position and colour of each entry in use.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    int count = 2;
    std::array<float, kMaxEntries> positions{};
    std::array<ColorRGBF, kMaxEntries> colors{};
};
