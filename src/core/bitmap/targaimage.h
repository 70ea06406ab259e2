#pragma once

#include "core/bitmap/renderedimage.h"

#include <cstdint>
#include <span>

/// Decodes a Targa file of true colour, uncompressed (image type 2) or run-length encoded
/// (type 10), at 24 or 32 bits per pixel; alpha is dropped. Honours the descriptor's origin bits
/// (top or bottom first, left or right first) and skips the image ID and any colour map. Other
/// Targa kinds are Unsupported; data whose header does not look like a Targa's is NotThisFormat.
/// Pictures of more than `maxPixels` pixels are TooLarge, found from the header before anything
/// is allocated. `image.width` and `image.height` are set once the header has been accepted,
/// also when the pixels then fail; `image.rows` only on success.
ImageDecodeStatus DecodeTargaImage(std::span<const std::uint8_t> file, DecodedImage& image,
                                   std::uint64_t maxPixels = kDefaultMaxImagePixels);
