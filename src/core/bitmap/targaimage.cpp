#include "core/bitmap/targaimage.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace {

constexpr std::size_t kHeaderSize = 18;

// Header field offsets.
constexpr std::size_t kIdLength = 0;
constexpr std::size_t kColourMapType = 1;
constexpr std::size_t kImageType = 2;
constexpr std::size_t kColourMapLength = 5;
constexpr std::size_t kColourMapEntryBits = 7;
constexpr std::size_t kWidth = 12;
constexpr std::size_t kHeight = 14;
constexpr std::size_t kPixelBits = 16;
constexpr std::size_t kDescriptor = 17;

constexpr std::uint8_t kRightToLeft = 0x10;
constexpr std::uint8_t kTopToBottom = 0x20;
constexpr std::uint8_t kInterleaving = 0xC0;

/// A run-length packet covers at most this many pixels.
constexpr std::size_t kMaxPacketPixels = 128;

std::uint32_t LittleEndian16(std::span<const std::uint8_t> file, std::size_t at) {
    return file[at] | std::uint32_t{file[at + 1]} << 8;
}

/// Whether the header fields present in `file` (all 18 bytes or fewer) hold values a Targa file
/// can have. Used to tell a Targa, whole or cut short, from some other file.
bool LooksLikeTarga(std::span<const std::uint8_t> file) {
    const auto has = [&](std::size_t at, std::size_t bytes) { return file.size() >= at + bytes; };
    if (has(kColourMapType, 1) && file[kColourMapType] > 1)
        return false;
    if (has(kImageType, 1)) {
        // 1-3: colour-mapped, true colour, grey; 9-11 the same run-length encoded; 32, 33 the
        // old Huffman-coded kinds. Type 0 (no picture at all) is useless here.
        static constexpr std::uint8_t kTypes[] = {1, 2, 3, 9, 10, 11, 32, 33};
        if (std::find(std::begin(kTypes), std::end(kTypes), file[kImageType]) == std::end(kTypes))
            return false;
    }
    if (has(kColourMapEntryBits, 1) && file[kColourMapType] == 1) {
        const std::uint8_t bits = file[kColourMapEntryBits];
        if (bits != 15 && bits != 16 && bits != 24 && bits != 32)
            return false;
    }
    if (has(kWidth, 2) && LittleEndian16(file, kWidth) == 0)
        return false;
    if (has(kHeight, 2) && LittleEndian16(file, kHeight) == 0)
        return false;
    if (has(kPixelBits, 1)) {
        const std::uint8_t bits = file[kPixelBits];
        if (bits != 8 && bits != 15 && bits != 16 && bits != 24 && bits != 32)
            return false;
    }
    return true;
}

/// Copies `count` pixels of `pixelBytes` bytes (blue, green, red, maybe alpha) as blue, green, red.
void CopyPixels(const std::uint8_t* from, std::uint8_t* to, std::size_t count,
                std::size_t pixelBytes) {
    if (pixelBytes == 3) {
        std::memcpy(to, from, count * 3);
        return;
    }
    for (std::size_t i = 0; i < count; ++i, from += pixelBytes, to += 3) {
        to[0] = from[0];
        to[1] = from[1];
        to[2] = from[2];
    }
}

/// Expands run-length packets into `out`, `pixels` pixels. A packet that reaches past the last
/// pixel is Damaged; data that ends first is Incomplete.
ImageDecodeStatus ExpandRunLength(std::span<const std::uint8_t> data, std::uint8_t* out,
                                  std::size_t pixels, std::size_t pixelBytes) {
    const std::uint8_t* in = data.data();
    const std::uint8_t* const end = in + data.size();
    std::size_t done = 0;
    while (done < pixels) {
        if (in == end)
            return ImageDecodeStatus::Incomplete;
        const std::uint8_t packet = *in++;
        const std::size_t count = (packet & 0x7Fu) + 1u;
        if (count > pixels - done)
            return ImageDecodeStatus::Damaged;
        if (packet & 0x80u) {
            if (static_cast<std::size_t>(end - in) < pixelBytes)
                return ImageDecodeStatus::Incomplete;
            for (std::size_t i = 0; i < count; ++i, out += 3) {
                out[0] = in[0];
                out[1] = in[1];
                out[2] = in[2];
            }
            in += pixelBytes;
        } else {
            if (static_cast<std::size_t>(end - in) < count * pixelBytes)
                return ImageDecodeStatus::Incomplete;
            CopyPixels(in, out, count, pixelBytes);
            in += count * pixelBytes;
            out += count * 3;
        }
        done += count;
    }
    return ImageDecodeStatus::Ok;
}

} // namespace

ImageDecodeStatus DecodeTargaImage(std::span<const std::uint8_t> file, DecodedImage& image,
                                   std::uint64_t maxPixels) {
    image = DecodedImage{};
    if (file.empty() || !LooksLikeTarga(file))
        return ImageDecodeStatus::NotThisFormat;
    if (file.size() < kHeaderSize)
        return ImageDecodeStatus::Incomplete;

    const std::uint8_t type = file[kImageType];
    const std::uint8_t pixelBits = file[kPixelBits];
    const std::uint8_t descriptor = file[kDescriptor];
    if ((type != 2 && type != 10) || (pixelBits != 24 && pixelBits != 32) ||
        (descriptor & kInterleaving))
        return ImageDecodeStatus::Unsupported;

    const std::uint32_t width = LittleEndian16(file, kWidth);
    const std::uint32_t height = LittleEndian16(file, kHeight);
    image.width = static_cast<int>(width);
    image.height = static_cast<int>(height);
    const std::size_t pixels = std::size_t{width} * height;
    if (pixels > maxPixels)
        return ImageDecodeStatus::TooLarge;

    // The image ID and a declared colour map come between the header and the pixels; a true
    // colour picture does not use the map, but it still takes its room.
    std::size_t offset = kHeaderSize + file[kIdLength];
    if (file[kColourMapType] == 1)
        offset += LittleEndian16(file, kColourMapLength) *
                  ((std::size_t{file[kColourMapEntryBits]} + 7) / 8);
    if (offset > file.size())
        return ImageDecodeStatus::Incomplete;
    const auto data = file.subspan(offset);
    const std::size_t pixelBytes = pixelBits / 8u;

    // Check that the data can hold the pixels before allocating for them.
    const bool runLength = type == 10;
    const std::size_t fewestBytes =
        runLength ? (pixels + kMaxPacketPixels - 1) / kMaxPacketPixels * (1 + pixelBytes)
                  : pixels * pixelBytes;
    if (data.size() < fewestBytes)
        return ImageDecodeStatus::Incomplete;

    const std::size_t stride = std::size_t{width} * 3;
    std::vector<std::uint8_t> rows(stride * height);
    if (runLength) {
        // Packets may run on from one row into the next, so the pixels are one stream.
        if (const auto status = ExpandRunLength(data, rows.data(), pixels, pixelBytes);
            status != ImageDecodeStatus::Ok)
            return status;
    } else {
        CopyPixels(data.data(), rows.data(), pixels, pixelBytes);
    }

    // The rows were stored in file order; turn them into top-first, left-to-right order.
    if (!(descriptor & kTopToBottom)) {
        for (std::size_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom)
            std::swap_ranges(rows.begin() + static_cast<std::ptrdiff_t>(top * stride),
                             rows.begin() + static_cast<std::ptrdiff_t>((top + 1) * stride),
                             rows.begin() + static_cast<std::ptrdiff_t>(bottom * stride));
    }
    if (descriptor & kRightToLeft) {
        for (std::size_t y = 0; y < height; ++y) {
            std::uint8_t* row = rows.data() + y * stride;
            for (std::size_t left = 0, right = width - 1; left < right; ++left, --right)
                std::swap_ranges(row + left * 3, row + left * 3 + 3, row + right * 3);
        }
    }
    image.rows = std::move(rows);
    return ImageDecodeStatus::Ok;
}
