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
    /// How far past an entry Insert puts the new one. Entries lie from 0 to 1, but Insert on
    /// the last entry steps past 1, so a map may end up to this many steps beyond it.
    static constexpr float kInsertStep = 0.00001f;
    static constexpr float kHighestPosition = 1.0f + kMaxEntries * kInsertStep;

    ColorMap();

    /// The "color_map { ... }" block of a pattern pigment, four blanks deep.
    std::string GetSource() const;
    /// Stored form: byte count, then position and colour of each entry in use.
    void Serialize(Archive& ar) override;

    int count = 2;
    std::array<float, kMaxEntries> positions{};
    std::array<ColorRGBF, kMaxEntries> colors{};
};
