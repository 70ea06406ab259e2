#pragma once

#include "core/bitmap/renderedimage.h"

#include <cstdint>
#include <span>

/// Decodes a PNG file: grey, grey + alpha, RGB and RGBA at 8 or 16 bits per sample, palette
/// pictures at 1, 2, 4 or 8 bits per pixel, plain or Adam7 interlaced. Alpha is dropped and
/// 16-bit samples keep their high byte. Every chunk's CRC is checked and the file must end with
/// IEND. Pictures of more than `maxPixels` pixels are TooLarge, found from the header before
/// anything is allocated. `image.width` and `image.height` are set once the header has been
/// read and accepted, also when the pixels then fail; `image.rows` only on success.
/// A file shorter than the signature that starts like one is Incomplete.
ImageDecodeStatus DecodePngImage(std::span<const std::uint8_t> file, DecodedImage& image,
                                 std::uint64_t maxPixels = kDefaultMaxImagePixels);

/// Whether the data starts with the 8-byte PNG signature.
bool HasPngSignature(std::span<const std::uint8_t> file);

/// The CRC-32 (as PNG and zlib use it) of `data`, continuing from `crc` (0 for a fresh start).
std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t crc = 0);
