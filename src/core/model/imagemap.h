#pragma once

#include "core/archive/storable.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

/// The image file of an image-map pigment or a bump-map normal.
class ImageMap : public Storable {
    DECLARE_SERIAL(ImageMap)
public:
    /// Stored file types. GIF and Targa have always been 0 and 1; PNG and JPEG came later, so
    /// files written before them read as they always did.
    static constexpr std::uint8_t kGif = 0;
    static constexpr std::uint8_t kTarga = 1;
    static constexpr std::uint8_t kPng = 2;
    static constexpr std::uint8_t kJpeg = 3;

    /// The file type of an image file by its name's ending, in any case: "gif", "tga", "png",
    /// "jpg" or "jpeg"; nothing for any other name.
    static std::optional<std::uint8_t> FileTypeForName(const std::string& fileName);

    /// The file line, map_type and interpolate lines (six blanks deep), and the bump_size line
    /// when `withBumpSize` is set.
    std::string GetSource(bool withBumpSize) const;
    /// Stored form: string file name, byte file type, byte once, byte map type, byte
    /// interpolate, float bump size.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    std::uint8_t fileType = kGif; ///< kTarga, kPng, kJpeg; anything else is GIF
    std::string fileName;
    std::uint8_t once = 0; ///< flag
    std::uint8_t mapType = 0;
    std::uint8_t interpolate = 0;
    float bumpSize = 4.0f;
};

/// The image dialog's message for a file name that cannot be written into POV-Ray source.
inline constexpr char kUnwritableImageFileName[] =
    "The file name cannot contain double quotes (\") or control characters, and cannot end "
    "with a backslash.";

/// True for a character that cannot stand inside a POV-Ray string: '"' and control characters.
bool IsUnwritableInPovString(char c);
/// The text as it can be written between the quotes of a POV-Ray string: '"' and control
/// characters left out, and no backslash before the closing quote.
std::string PovStringText(std::string_view text);
/// True when `fileName` goes into POV-Ray source unchanged.
bool IsWritableImageFileName(std::string_view fileName);
