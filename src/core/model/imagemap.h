#pragma once

#include "core/archive/storable.h"

#include <cstdint>
#include <string>

/// The image file of an image-map pigment or a bump-map normal.
class ImageMap : public Storable {
    DECLARE_SERIAL(ImageMap)
public:
    static constexpr std::uint8_t kTarga = 1;

    /// The file line, map_type and interpolate lines (six blanks deep), and the bump_size line
    /// when `withBumpSize` is set.
    std::string GetSource(bool withBumpSize) const;
    /// Stored form: string file name, byte file type, byte once, byte map type, byte
    /// interpolate, float bump size.
    void Serialize(Archive& ar) override;

    std::uint8_t fileType = 0; ///< 1 Targa, anything else GIF
    std::string fileName;
    std::uint8_t once = 0; ///< flag
    std::uint8_t mapType = 0;
    std::uint8_t interpolate = 0;
    float bumpSize = 4.0f;
};
