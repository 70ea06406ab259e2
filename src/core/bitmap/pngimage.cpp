#include "core/bitmap/pngimage.h"

#include "core/bitmap/inflate.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <vector>

namespace {

constexpr std::array<std::uint8_t, 8> kSignature = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
/// Length, type and CRC around each chunk's data.
constexpr std::size_t kChunkOverhead = 12;
constexpr std::uint32_t kMaxChunkLength = 0x7FFFFFFF;
/// DEFLATE never expands more than this: a 258-byte match in two one-bit codes.
constexpr std::uint64_t kMaxInflateRatio = 1032;

/// CRC-32 tables for eight bytes at a time: table 0 is the usual byte-wise one, table k
/// advances a byte's contribution past k further zero bytes.
using CrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr CrcTables MakeCrcTables() {
    CrcTables tables{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1u) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        tables[0][n] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t n = 0; n < 256; ++n)
            tables[k][n] = (tables[k - 1][n] >> 8) ^ tables[0][tables[k - 1][n] & 0xFFu];
    return tables;
}
constexpr CrcTables kCrc = MakeCrcTables();

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

constexpr std::uint32_t ChunkType(const char (&name)[5]) {
    return std::uint32_t(std::uint8_t(name[0])) << 24 | std::uint32_t(std::uint8_t(name[1])) << 16 |
           std::uint32_t(std::uint8_t(name[2])) << 8 | std::uint8_t(name[3]);
}

constexpr std::uint32_t kIHDR = ChunkType("IHDR");
constexpr std::uint32_t kPLTE = ChunkType("PLTE");
constexpr std::uint32_t kIDAT = ChunkType("IDAT");
constexpr std::uint32_t kIEND = ChunkType("IEND");

enum ColourType : std::uint8_t {
    Grey = 0,
    Rgb = 2,
    Palette = 3,
    GreyAlpha = 4,
    Rgba = 6,
};

struct Header {
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    unsigned depth = 0;
    ColourType colourType = Grey;
    bool interlaced = false;
    unsigned channels = 0;

    unsigned BitsPerPixel() const { return depth * channels; }
    /// The byte distance the filters use: a whole pixel, at least one byte.
    unsigned FilterStep() const { return std::max(1u, BitsPerPixel() / 8); }
    std::uint64_t RowBytes(std::uint32_t pixels) const {
        return (std::uint64_t{pixels} * BitsPerPixel() + 7) / 8;
    }
};

ImageDecodeStatus ReadHeader(std::span<const std::uint8_t> data, Header& header) {
    if (data.size() != 13)
        return ImageDecodeStatus::Damaged;
    header.width = BigEndian32(data.data());
    header.height = BigEndian32(data.data() + 4);
    if (header.width == 0 || header.height == 0 || header.width > kMaxChunkLength ||
        header.height > kMaxChunkLength)
        return ImageDecodeStatus::Damaged;
    header.depth = data[8];
    const unsigned colourType = data[9];
    // Samples per pixel by colour type; 0 for the undefined types 1 and 5.
    static constexpr std::array<unsigned, 7> kChannels = {1, 0, 3, 1, 2, 0, 4};
    if (colourType >= kChannels.size() || kChannels[colourType] == 0)
        return ImageDecodeStatus::Unsupported;
    header.channels = kChannels[colourType];
    const unsigned depth = header.depth;
    const bool supportedDepth = colourType == Palette
                                    ? depth == 1 || depth == 2 || depth == 4 || depth == 8
                                    : depth == 8 || depth == 16;
    if (!supportedDepth)
        return ImageDecodeStatus::Unsupported;
    header.colourType = static_cast<ColourType>(colourType);
    // Compression and filter method 0 are the only ones defined; interlace 0 or 1 (Adam7).
    if (data[10] != 0 || data[11] != 0 || data[12] > 1)
        return ImageDecodeStatus::Unsupported;
    header.interlaced = data[12] == 1;
    return ImageDecodeStatus::Ok;
}

/// One reduced image of the interlacing scheme (the whole picture when not interlaced).
struct Pass {
    std::uint32_t x0, y0, dx, dy;
    std::uint32_t width = 0;
    std::uint32_t height = 0;
    std::size_t rowBytes = 0; ///< without the filter byte
};

std::vector<Pass> MakePasses(const Header& header) {
    static constexpr std::array<std::array<std::uint32_t, 4>, 7> kAdam7 = {{
        {0, 0, 8, 8},
        {4, 0, 8, 8},
        {0, 4, 4, 8},
        {2, 0, 4, 4},
        {0, 2, 2, 4},
        {1, 0, 2, 2},
        {0, 1, 1, 2},
    }};
    std::vector<Pass> passes;
    if (!header.interlaced) {
        passes.push_back({0, 0, 1, 1, header.width, header.height,
                          static_cast<std::size_t>(header.RowBytes(header.width))});
        return passes;
    }
    for (const auto& [x0, y0, dx, dy] : kAdam7) {
        Pass pass{x0, y0, dx, dy};
        pass.width = header.width > x0 ? (header.width - x0 + dx - 1) / dx : 0;
        pass.height = header.height > y0 ? (header.height - y0 + dy - 1) / dy : 0;
        // A pass without pixels has no rows at all, not even filter bytes.
        if (pass.width == 0 || pass.height == 0)
            continue;
        pass.rowBytes = static_cast<std::size_t>(header.RowBytes(pass.width));
        passes.push_back(pass);
    }
    return passes;
}

/// Undoes a row's filter in place; `previous` is the row above, already unfiltered (zeros for
/// the first row of a pass), `step` the bytes per pixel (at least 1). False for an unknown
/// filter type. The first pixel has nothing to its left, which reads as zero.
bool Unfilter(std::uint8_t filter, std::uint8_t* row, const std::uint8_t* previous,
              std::size_t length, std::size_t step) {
    const std::size_t first = std::min(step, length);
    switch (filter) {
    case 0:
        return true;
    case 1:
        for (std::size_t i = step; i < length; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + row[i - step]);
        return true;
    case 2:
        for (std::size_t i = 0; i < length; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + previous[i]);
        return true;
    case 3:
        for (std::size_t i = 0; i < first; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + (previous[i] >> 1));
        for (std::size_t i = step; i < length; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + ((row[i - step] + previous[i]) >> 1));
        return true;
    case 4:
        // With zeros to the left the Paeth predictor is always the byte above.
        for (std::size_t i = 0; i < first; ++i)
            row[i] = static_cast<std::uint8_t>(row[i] + previous[i]);
        for (std::size_t i = step; i < length; ++i) {
            const int a = row[i - step];
            const int b = previous[i];
            const int c = previous[i - step];
            const int pa = std::abs(b - c);
            const int pb = std::abs(a - c);
            const int pc = std::abs(a + b - 2 * c);
            // a when pa <= pb and pa <= pc, else b when pb <= pc, else c; written so that the
            // compiler can pick with conditional moves rather than unpredictable branches.
            const int bOrC = pb <= pc ? b : c;
            const int predicted = pa <= std::min(pb, pc) ? a : bOrC;
            row[i] = static_cast<std::uint8_t>(row[i] + predicted);
        }
        return true;
    default:
        return false;
    }
}

/// Turns one unfiltered row of `count` pixels into blue, green, red triples.
void ConvertRow(const Header& header, const std::array<std::uint8_t, 768>& palette,
                const std::uint8_t* source, std::uint8_t* out, std::uint32_t count) {
    if (header.colourType == Palette) {
        const unsigned depth = header.depth;
        const unsigned mask = (1u << depth) - 1;
        for (std::uint32_t x = 0; x < count; ++x, out += 3) {
            const std::size_t bit = std::size_t{x} * depth;
            // Pixels are packed most significant bits first.
            const unsigned index = (source[bit / 8] >> (8 - depth - bit % 8)) & mask;
            const std::uint8_t* entry = &palette[index * 3];
            out[0] = entry[2];
            out[1] = entry[1];
            out[2] = entry[0];
        }
        return;
    }
    // 16-bit samples are big-endian, so the high byte comes first and the low one is skipped.
    const std::size_t sample = header.depth / 8;
    const std::size_t pixel = sample * header.channels;
    if (header.channels <= 2) {
        for (std::uint32_t x = 0; x < count; ++x, source += pixel, out += 3)
            out[0] = out[1] = out[2] = source[0];
        return;
    }
    if (pixel == 3) {
        for (std::uint32_t x = 0; x < count; ++x, source += 3, out += 3) {
            out[0] = source[2];
            out[1] = source[1];
            out[2] = source[0];
        }
        return;
    }
    for (std::uint32_t x = 0; x < count; ++x, source += pixel, out += 3) {
        out[0] = source[2 * sample];
        out[1] = source[sample];
        out[2] = source[0];
    }
}

} // namespace

std::uint32_t Crc32(std::span<const std::uint8_t> data, std::uint32_t crc) {
    crc = ~crc;
    const std::uint8_t* p = data.data();
    std::size_t left = data.size();
    for (; left >= 8; left -= 8, p += 8) {
        const std::uint32_t low =
            crc ^ (p[0] | std::uint32_t{p[1]} << 8 | std::uint32_t{p[2]} << 16 |
                   std::uint32_t{p[3]} << 24);
        crc = kCrc[7][low & 0xFFu] ^ kCrc[6][(low >> 8) & 0xFFu] ^ kCrc[5][(low >> 16) & 0xFFu] ^
              kCrc[4][low >> 24] ^ kCrc[3][p[4]] ^ kCrc[2][p[5]] ^ kCrc[1][p[6]] ^ kCrc[0][p[7]];
    }
    for (; left > 0; --left, ++p)
        crc = kCrc[0][(crc ^ *p) & 0xFFu] ^ (crc >> 8);
    return ~crc;
}

bool HasPngSignature(std::span<const std::uint8_t> file) {
    return file.size() >= kSignature.size() &&
           std::equal(kSignature.begin(), kSignature.end(), file.begin());
}

ImageDecodeStatus DecodePngImage(std::span<const std::uint8_t> file, DecodedImage& image,
                                 std::uint64_t maxPixels) {
    image = DecodedImage{};
    if (!HasPngSignature(file)) {
        const std::size_t present = std::min(file.size(), kSignature.size());
        const bool startsLikeOne =
            std::equal(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(present),
                       kSignature.begin());
        return startsLikeOne && !file.empty() ? ImageDecodeStatus::Incomplete
                                              : ImageDecodeStatus::NotThisFormat;
    }

    Header header;
    bool haveHeader = false;
    std::array<std::uint8_t, 768> palette{}; // indices past the PLTE entries show black
    bool havePalette = false;
    std::vector<std::span<const std::uint8_t>> idat;
    std::uint64_t idatBytes = 0;

    std::size_t pos = kSignature.size();
    for (;;) {
        if (file.size() - pos < 8)
            return ImageDecodeStatus::Incomplete;
        const std::uint32_t length = BigEndian32(&file[pos]);
        const std::uint32_t type = BigEndian32(&file[pos + 4]);
        if (length > kMaxChunkLength)
            return ImageDecodeStatus::Damaged;
        if (file.size() - pos - 8 < std::uint64_t{length} + 4)
            return ImageDecodeStatus::Incomplete;
        const auto typeAndData = file.subspan(pos + 4, std::size_t{length} + 4);
        if (Crc32(typeAndData) != BigEndian32(&file[pos + 8 + length]))
            return ImageDecodeStatus::Damaged;
        for (int shift = 0; shift < 32; shift += 8) {
            const auto letter = static_cast<std::uint8_t>((type >> shift) | 0x20u);
            if (letter < 'a' || letter > 'z')
                return ImageDecodeStatus::Damaged;
        }
        const auto data = typeAndData.subspan(4);
        pos += kChunkOverhead + length;

        if (!haveHeader) {
            if (type != kIHDR)
                return ImageDecodeStatus::Damaged;
            if (const auto status = ReadHeader(data, header); status != ImageDecodeStatus::Ok)
                return status;
            haveHeader = true;
            image.width = static_cast<int>(header.width);
            image.height = static_cast<int>(header.height);
            if (std::uint64_t{header.width} * header.height > maxPixels)
                return ImageDecodeStatus::TooLarge;
            continue;
        }
        if (type == kIEND)
            break;
        if (type == kIDAT) {
            idat.push_back(data);
            idatBytes += data.size();
        } else if (type == kPLTE) {
            if (havePalette || data.empty() || data.size() % 3 != 0 || data.size() > 768)
                return ImageDecodeStatus::Damaged;
            std::copy(data.begin(), data.end(), palette.begin());
            havePalette = true;
        } else if (type == kIHDR) {
            return ImageDecodeStatus::Damaged;
        } else if (!(type & 0x20000000u)) {
            // An unknown chunk marked critical (upper-case first letter) changes the meaning of
            // the picture; ancillary ones may be skipped.
            return ImageDecodeStatus::Unsupported;
        }
    }
    if (idat.empty())
        return ImageDecodeStatus::Incomplete;
    if (header.colourType == Palette && !havePalette)
        return ImageDecodeStatus::Damaged;

    const std::vector<Pass> passes = MakePasses(header);
    std::uint64_t filteredBytes = 0;
    for (const Pass& pass : passes)
        filteredBytes += std::uint64_t{pass.height} * (1 + pass.rowBytes);
    // Less compressed data than the pixels could possibly come from: cut short.
    if (filteredBytes > idatBytes * kMaxInflateRatio + 258)
        return ImageDecodeStatus::Incomplete;

    // The compressed stream may be split over any number of IDAT chunks.
    std::vector<std::uint8_t> joined;
    std::span<const std::uint8_t> compressed = idat.front();
    if (idat.size() > 1) {
        joined.reserve(static_cast<std::size_t>(idatBytes));
        for (const auto& part : idat)
            joined.insert(joined.end(), part.begin(), part.end());
        compressed = joined;
    }

    const auto filteredSize = static_cast<std::size_t>(filteredBytes);
    const auto filtered = std::make_unique_for_overwrite<std::uint8_t[]>(filteredSize);
    const InflateResult inflated = InflateZlib(compressed, {filtered.get(), filteredSize});
    switch (inflated.status) {
    case InflateStatus::Ok:
        if (inflated.outputSize < filteredSize)
            return ImageDecodeStatus::Incomplete;
        break;
    case InflateStatus::Truncated:
        return ImageDecodeStatus::Incomplete;
    case InflateStatus::Damaged:
    case InflateStatus::TooLarge:
        return ImageDecodeStatus::Damaged;
    }

    std::size_t widestRow = 0;
    for (const Pass& pass : passes)
        widestRow = std::max(widestRow, pass.rowBytes);
    const std::vector<std::uint8_t> zeroRow(widestRow, 0);
    const std::size_t outStride = std::size_t{header.width} * 3;
    std::vector<std::uint8_t> rows(outStride * header.height);
    std::vector<std::uint8_t> passLine(header.interlaced ? outStride : 0);
    const std::size_t step = header.FilterStep();

    std::uint8_t* cursor = filtered.get();
    for (const Pass& pass : passes) {
        const std::uint8_t* previous = zeroRow.data();
        for (std::uint32_t y = 0; y < pass.height; ++y) {
            std::uint8_t* row = cursor + 1;
            if (!Unfilter(cursor[0], row, previous, pass.rowBytes, step))
                return ImageDecodeStatus::Damaged;
            const std::size_t outY = std::size_t{pass.y0} + std::size_t{y} * pass.dy;
            std::uint8_t* outRow = rows.data() + outY * outStride;
            if (!header.interlaced) {
                ConvertRow(header, palette, row, outRow, pass.width);
            } else {
                ConvertRow(header, palette, row, passLine.data(), pass.width);
                for (std::uint32_t x = 0; x < pass.width; ++x) {
                    const std::size_t outX = std::size_t{pass.x0} + std::size_t{x} * pass.dx;
                    std::copy_n(&passLine[std::size_t{x} * 3], 3, outRow + outX * 3);
                }
            }
            previous = row;
            cursor += 1 + pass.rowBytes;
        }
    }
    image.rows = std::move(rows);
    return ImageDecodeStatus::Ok;
}
