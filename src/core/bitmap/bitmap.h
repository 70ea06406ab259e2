#pragma once

#include "core/archive/storable.h"

class ArchiveSource;

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

/// The Windows bitmap information header as the bitmap holds it (40 bytes on disk).
struct BitmapInfoHeader {
    std::uint32_t size = 40;
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::uint16_t planes = 1;
    std::uint16_t bitCount = 24;
    std::uint32_t compression = 0;
    std::uint32_t sizeImage = 0;
    std::int32_t xPelsPerMeter = 2000;
    std::int32_t yPelsPerMeter = 2000;
    std::uint32_t clrUsed = 0;
    std::uint32_t clrImportant = 0;
};

/// The largest picture a BMP file may hold to be read: 16384 pixels on a side, so at most
/// 256 M pixels (768 MB of pixel data). Larger ones are refused from their header alone.
constexpr std::int32_t kMaxPictureSide = 16384;

/// Outcome of reading a BMP file; the texts are the ones shown to the user.
struct BmpReadResult {
    enum Status { Ok, CannotOpen, WrongFormat, Damaged, TooLarge };
    Status status = Ok;
    /// The picture's size as its header gives it, for TooLarge.
    std::int32_t width = 0;
    std::int32_t height = 0;

    explicit operator bool() const { return status == Ok; }
    /// The message box text for a failure ("Cannot open specified file!", ...), empty on success.
    std::string Message() const;
    /// The message box caption for a failure ("IO Error", "File Format Error").
    std::string Caption() const;
};

/// A 24-bit device-independent bitmap held top row first, 3 bytes per pixel in the order blue,
/// green, red, each row padded to a multiple of 4 bytes (the padding is kept, so a stored
/// picture is written back byte for byte). The stored form and BMP files keep the bottom row
/// first; only their readers and writers turn the rows round. Thumbnails, previews, texture maps.
class Bitmap : public Storable {
    DECLARE_SERIAL(Bitmap)
public:
    Bitmap() = default;
    /// Copies the size and, when there are any, the pixels; the header starts fresh.
    Bitmap(const Bitmap& other);
    Bitmap& operator=(const Bitmap& other);
    /// Moving leaves the source as a new, empty bitmap without pixels.
    Bitmap(Bitmap&&) noexcept;
    Bitmap& operator=(Bitmap&&) noexcept;

    /// Bytes per stored row for a given width: 3 * width rounded up to a multiple of 4.
    static std::size_t Stride(std::int32_t width);

    std::int32_t Width() const { return m_width; }
    std::int32_t Height() const { return m_height; }
    bool IsEmpty() const { return m_width == 0 && m_height == 0; }
    bool HasBits() const { return m_hasBits; }
    /// The held rows, top row first, Stride(Width()) bytes each.
    std::span<const std::uint8_t> Bits() const { return m_bits; }
    std::span<std::uint8_t> Bits() { return m_bits; }
    const BitmapInfoHeader& Header() const { return m_header; }

    /// Takes the source's size and a copy of its pixels (no pixels when it has none).
    void Assign(const Bitmap& source);
    /// Fills the bitmap from rows given top row first: packed (3 * width bytes each) or padded
    /// (Stride(width) bytes each). Returns false, leaving the bitmap unchanged, when the size is
    /// negative, too large to allocate, has one side 0 and the other not, or `rows` is shorter
    /// than the size needs.
    bool SetBits(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> rows,
                 bool paddedRows);
    /// Writes the pixels as packed rows (3 * width bytes each), top row first.
    void CopyBitsTo(std::span<std::uint8_t> destination) const;
    /// Frees the pixels and leaves an empty bitmap with a one-byte placeholder buffer.
    void Clear();
    /// Nearest-neighbour scaling. False only when there is no pixel buffer.
    bool Resize(std::int32_t newWidth, std::int32_t newHeight);

    /// Stored form: word width, word height, then the rows as held but bottom row first. A
    /// stored size with one side 0 is read as an empty bitmap.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    /// Reads a 24-bit uncompressed BMP file from memory; on failure the bitmap is unchanged.
    /// Refused as damaged: no "BM" mark, a width or height of 0, a pixel offset past the end of
    /// the file, or fewer rows than the header announces. Refused as too large: more than
    /// kMaxPictureSide pixels on a side.
    BmpReadResult ReadBMP(std::span<const std::uint8_t> file);
    /// The same, read a block at a time from `source`: the header is checked before anything
    /// else is read, and the rows go straight into the bitmap's own buffer, so reading takes
    /// no more memory than the picture.
    BmpReadResult ReadBMP(ArchiveSource& source);
    /// The BMP file form of the bitmap: 14-byte file header, 40-byte info header, the rows.
    std::vector<std::uint8_t> ToBMP() const;

private:
    /// Whether the buffer holds every row the size announces.
    bool HoldsAllRows() const;

    std::int32_t m_width = 0;
    std::int32_t m_height = 0;
    std::vector<std::uint8_t> m_bits;
    bool m_hasBits = false;
    BitmapInfoHeader m_header;
};
