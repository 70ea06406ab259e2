#pragma once

#include "core/bitmap/renderedimage.h"

#include <cstdint>
#include <span>

/// Whether the file starts with the eight bytes every PNG file starts with.
bool HasPngSignature(std::span<const std::uint8_t> file);

/// Decodes a PNG file through libpng: every colour type and depth, plain or Adam7 interlaced,
/// becomes blue, green, red; alpha is dropped and 16-bit samples keep their high byte. Every
/// chunk's CRC is checked and the file must end with IEND. The header is checked first: the
/// IHDR chunk must come first, whole and with a valid CRC, and pictures of more than `maxPixels`
/// pixels are TooLarge, found from it before anything is allocated. `image.width` and
/// `image.height` are set once the header has been accepted, also when the pixels then fail;
/// `image.rows` only on success. A file cut short anywhere (also one shorter than the signature
/// that starts like one) is Incomplete; unknown critical chunks are Unsupported.
ImageDecodeStatus DecodePngImage(std::span<const std::uint8_t> file, DecodedImage& image,
                                 std::uint64_t maxPixels = kDefaultMaxImagePixels);
