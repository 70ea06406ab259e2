#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

/// Pixels of a decoded picture: rows top first, 3 bytes per pixel blue, green, red, no padding.
struct DecodedImage {
    int width = 0;
    int height = 0;
    std::vector<std::uint8_t> rows;
};

/// How decoding a picture file went; shared by the PNG and Targa decoders.
enum class ImageDecodeStatus {
    Ok,
    NotThisFormat, ///< the file is not of the decoder's format at all
    Unsupported,   ///< of the format, but a kind the decoder does not handle
    Incomplete,    ///< the file ends before the picture does
    Damaged,       ///< a checksum, the compressed data or the file's structure is wrong
    TooLarge,      ///< the picture has more pixels than the caller allows
};

/// The most pixels a decoder accepts unless the caller says otherwise (8192 x 8192).
constexpr std::uint64_t kDefaultMaxImagePixels = std::uint64_t{1} << 26;

struct RenderedImageResult {
    bool ok = false;
    std::string error; ///< a sentence for the user when !ok
    DecodedImage image;
};

/// Decodes POV-Ray's output file, Targa or PNG by content (not by file name), and checks that it
/// is exactly width x height pixels. A picture whose header gives another size is refused
/// without decoding more than it must, whatever else may be wrong with it.
RenderedImageResult DecodeRenderedImage(std::span<const std::uint8_t> file, int width, int height);
