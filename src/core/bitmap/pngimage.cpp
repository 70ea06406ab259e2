#include "core/bitmap/pngimage.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <png.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
/// Length, type and CRC around each chunk's data.
constexpr std::size_t kChunkOverhead = 12;
constexpr std::size_t kIhdrDataSize = 13;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
/// DEFLATE never expands more than this: a 258-byte match in two one-bit codes.
constexpr std::uint64_t kMaxInflateRatio = 1032;

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

bool IsChunk(const std::uint8_t* type, const char (&name)[5]) {
    return std::memcmp(type, name, 4) == 0;
}

/// The picture's size and bits per pixel, from the IHDR chunk.
struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    unsigned bitsPerPixel = 0;
};

/// Checks the IHDR chunk's data: a size of at least one pixel and a depth, colour type and
/// methods the format defines.
ImageDecodeStatus ReadHeader(const std::uint8_t* data, Header& header) {
    header.width = BigEndian32(data);
    header.height = BigEndian32(data + 4);
    if (header.width == 0 || header.height == 0 || header.width > kMaxChunkLength ||
        header.height > kMaxChunkLength)
        return ImageDecodeStatus::Damaged;
    const unsigned depth = data[8];
    const unsigned colourType = data[9];
    // Samples per pixel by colour type; 0 for the undefined types 1 and 5.
    static constexpr std::array<unsigned, 7> kChannels = {1, 0, 3, 1, 2, 0, 4};
    if (colourType >= kChannels.size() || kChannels[colourType] == 0)
        return ImageDecodeStatus::Unsupported;
    const bool palette = colourType == 3;
    const bool lowDepth = depth == 1 || depth == 2 || depth == 4;
    const bool supportedDepth =
        depth == 8 || (depth == 16 && !palette) || (lowDepth && (palette || colourType == 0));
    if (!supportedDepth)
        return ImageDecodeStatus::Unsupported;
    // Compression and filter method 0 are the only ones defined; interlace 0 or 1 (Adam7).
    if (data[10] != 0 || data[11] != 0 || data[12] > 1)
        return ImageDecodeStatus::Unsupported;
    header.bitsPerPixel = depth * kChannels[colourType];
    return ImageDecodeStatus::Ok;
}

/// Walks the chunks after the IHDR up to IEND, each of which must be whole, and adds up the
/// compressed picture data. Checksums and contents are left to libpng.
ImageDecodeStatus ScanChunks(std::span<const std::uint8_t> file, std::size_t pos,
                             std::uint64_t& idatBytes) {
    idatBytes = 0;
    for (;;) {
        if (file.size() - pos < 8)
            return ImageDecodeStatus::Incomplete;
        const std::uint32_t length = BigEndian32(&file[pos]);
        if (length > kMaxChunkLength)
            return ImageDecodeStatus::Damaged;
        if (file.size() - pos - 8 < std::uint64_t{length} + 4)
            return ImageDecodeStatus::Incomplete;
        const std::uint8_t* type = &file[pos + 4];
        if (IsChunk(type, "IEND"))
            return ImageDecodeStatus::Ok;
        if (IsChunk(type, "IDAT"))
            idatBytes += length;
        pos += kChunkOverhead + length;
    }
}

/// What the libpng callbacks learn about a failure.
struct PngSource {
    const std::uint8_t* data;
    std::size_t size;
    std::size_t position;
    bool ranOut;          ///< the file ended before libpng had read all it needed
    bool shortImageData;  ///< the compressed data ended before the last row
    bool unknownCritical; ///< a critical chunk libpng does not know
};

void ReadFromSource(png_structp png, png_bytep out, png_size_t count) {
    auto* source = static_cast<PngSource*>(png_get_io_ptr(png));
    if (source->size - source->position < count) {
        source->ranOut = true;
        png_error(png, "The file ends too early.");
    }
    std::memcpy(out, source->data + source->position, count);
    source->position += count;
}

[[noreturn]] void OnPngError(png_structp png, png_const_charp message) {
    auto* source = static_cast<PngSource*>(png_get_error_ptr(png));
    // libpng's words for compressed data that stops before the picture does.
    if (std::strcmp(message, "Not enough image data") == 0)
        source->shortImageData = true;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

/// Ancillary chunks libpng does not know (lower-case first letter) are skipped; an unknown
/// critical one changes the meaning of the picture, so decoding stops.
int OnUnknownChunk(png_structp png, png_unknown_chunkp chunk) {
    if ((chunk->name[0] & 0x20u) != 0)
        return 1;
    static_cast<PngSource*>(png_get_user_chunk_ptr(png))->unknownCritical = true;
    return -1;
}

/// Decodes the whole picture through libpng into `rows`, one pointer per row of width x 3 bytes.
/// libpng reports errors by jumping back to the setjmp below, so this function holds no object
/// with a destructor: nothing is skipped when it does.
ImageDecodeStatus DecodeWithLibpng(PngSource& source, png_bytep* rows, png_uint_32 width,
                                   png_uint_32 height) {
    png_structp png =
        png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnPngError, OnPngWarning);
    if (png == nullptr)
        return ImageDecodeStatus::TooLarge; // libpng could not allocate its state
    png_infop info = png_create_info_struct(png);
    if (info == nullptr) {
        png_destroy_read_struct(&png, nullptr, nullptr);
        return ImageDecodeStatus::TooLarge;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_read_struct(&png, &info, nullptr);
        if (source.ranOut || source.shortImageData)
            return ImageDecodeStatus::Incomplete;
        return source.unknownCritical ? ImageDecodeStatus::Unsupported : ImageDecodeStatus::Damaged;
    }
    png_set_read_fn(png, &source, ReadFromSource);
    png_set_read_user_chunk_fn(png, &source, OnUnknownChunk);
    png_set_user_limits(png, width, height);
    // Odd contents of an ancillary chunk before the picture only earn a warning, as libpng
    // would give by default; from the picture data on, compressed data reaching past the last
    // row is damage.
    png_set_benign_errors(png, 1);
    png_read_info(png, info);
    png_set_benign_errors(png, 0);

    // Every kind becomes 8-bit blue, green, red: palettes and small grey depths are expanded,
    // 16-bit samples keep their high byte, alpha is dropped, grey is copied to all three.
    png_set_palette_to_rgb(png);
    png_set_expand_gray_1_2_4_to_8(png);
    png_set_strip_16(png);
    png_set_strip_alpha(png);
    png_set_gray_to_rgb(png);
    png_set_bgr(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    if (png_get_image_width(png, info) != width || png_get_image_height(png, info) != height ||
        png_get_rowbytes(png, info) != png_size_t{width} * 3)
        png_error(png, "The header changed while reading.");

    png_read_image(png, rows);
    // Reads on through IEND, checking the CRC of every chunk that follows the picture.
    png_read_end(png, nullptr);
    png_destroy_read_struct(&png, &info, nullptr);
    return ImageDecodeStatus::Ok;
}

} // namespace

bool HasPngSignature(std::span<const std::uint8_t> file) {
    return file.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), file.begin());
}

ImageDecodeStatus DecodePngImage(std::span<const std::uint8_t> file, DecodedImage& image,
                                 std::uint64_t maxPixels) {
    image = DecodedImage{};
    if (!HasPngSignature(file)) {
        const std::size_t present = std::min(file.size(), kSignature.size());
        const bool startsLikeOne = std::equal(
            file.begin(), file.begin() + static_cast<std::ptrdiff_t>(present), kSignature.begin());
        return startsLikeOne && !file.empty() ? ImageDecodeStatus::Incomplete
                                              : ImageDecodeStatus::NotThisFormat;
    }

    // The header check: the IHDR chunk comes first, whole, with its CRC, before anything else
    // is looked at, so the size is known (and a picture too large refused) before decoding.
    const std::size_t ihdrEnd = kSignature.size() + kChunkOverhead + kIhdrDataSize;
    if (file.size() < kSignature.size() + 8)
        return ImageDecodeStatus::Incomplete;
    const std::uint8_t* chunk = file.data() + kSignature.size();
    if (BigEndian32(chunk) != kIhdrDataSize || !IsChunk(chunk + 4, "IHDR"))
        return ImageDecodeStatus::Damaged;
    if (file.size() < ihdrEnd)
        return ImageDecodeStatus::Incomplete;
    const uLong crc = crc32(crc32(0, nullptr, 0), chunk + 4, 4 + kIhdrDataSize);
    if (crc != BigEndian32(chunk + 8 + kIhdrDataSize))
        return ImageDecodeStatus::Damaged;
    Header header;
    if (const auto status = ReadHeader(chunk + 8, header); status != ImageDecodeStatus::Ok)
        return status;
    image.width = static_cast<int>(header.width);
    image.height = static_cast<int>(header.height);
    const std::uint64_t pixels = std::uint64_t{header.width} * header.height;
    if (pixels > maxPixels)
        return ImageDecodeStatus::TooLarge;

    std::uint64_t idatBytes = 0;
    if (const auto status = ScanChunks(file, ihdrEnd, idatBytes); status != ImageDecodeStatus::Ok)
        return status;
    // Less compressed data than the pixels could possibly come from: cut short. Checked before
    // the rows are allocated, so a few bytes cannot ask for gigabytes.
    if (idatBytes == 0 || pixels * header.bitsPerPixel / 8 > idatBytes * kMaxInflateRatio + 258)
        return ImageDecodeStatus::Incomplete;

    const std::size_t stride = std::size_t{header.width} * 3;
    std::vector<std::uint8_t> rows(stride * header.height);
    std::vector<png_bytep> rowPointers(header.height);
    for (std::size_t y = 0; y < rowPointers.size(); ++y)
        rowPointers[y] = rows.data() + y * stride;
    PngSource source{file.data(), file.size(), 0, false, false, false};
    const ImageDecodeStatus status =
        DecodeWithLibpng(source, rowPointers.data(), header.width, header.height);
    if (status == ImageDecodeStatus::Ok)
        image.rows = std::move(rows);
    return status;
}
