#include "core/bitmap/bitmap.h"

#include "core/archive/archive.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>

IMPLEMENT_SERIAL(Bitmap, 1, 1)

namespace {

constexpr std::size_t kFileHeaderSize = 14;
constexpr std::size_t kInfoHeaderSize = 40;
constexpr std::size_t kBmpHeadersSize = kFileHeaderSize + kInfoHeaderSize;
/// No picture the editor handles comes near this; larger sizes come from damaged data.
constexpr std::uint64_t kMaxPixelBytes = std::uint64_t{1} << 30;
/// Largest width or height the stored form's 16-bit words can hold.
constexpr std::int32_t kMaxStoredSide = 0xFFFF;

/// Bytes of `height` rows of `width` pixels, or 0 when either side is not positive.
std::uint64_t ImageBytes(std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0)
        return 0;
    return static_cast<std::uint64_t>(height) * Bitmap::Stride(width);
}

/// Whether a width and height can be held at all: not negative and not absurdly large.
bool IsAllocatableSize(std::int32_t width, std::int32_t height) {
    return width >= 0 && height >= 0 && ImageBytes(width, height) <= kMaxPixelBytes;
}

std::uint16_t GetWord(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint16_t>(data[at] | (data[at + 1] << 8));
}

std::uint32_t GetDWord(std::span<const std::uint8_t> data, std::size_t at) {
    return static_cast<std::uint32_t>(data[at]) | (static_cast<std::uint32_t>(data[at + 1]) << 8) |
           (static_cast<std::uint32_t>(data[at + 2]) << 16) |
           (static_cast<std::uint32_t>(data[at + 3]) << 24);
}

void PutWord(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void PutDWord(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8)
        out.push_back(static_cast<std::uint8_t>(value >> shift));
}

/// Appends `rows` rows of `stride` bytes from `bits` to `out` in reverse order, last row first:
/// the stored form and BMP files keep the bottom row first, memory the top row.
void AppendRowsReversed(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bits,
                        std::size_t stride, std::size_t rows) {
    for (std::size_t row = rows; row-- > 0;) {
        const auto from = bits.begin() + static_cast<std::ptrdiff_t>(row * stride);
        out.insert(out.end(), from, from + static_cast<std::ptrdiff_t>(stride));
    }
}

/// Reverses the order of whole rows in place.
void ReverseRows(std::vector<std::uint8_t>& bits, std::size_t stride, std::size_t rows) {
    for (std::size_t top = 0, bottom = rows; top + 1 < bottom--; ++top)
        std::swap_ranges(bits.begin() + static_cast<std::ptrdiff_t>(top * stride),
                         bits.begin() + static_cast<std::ptrdiff_t>((top + 1) * stride),
                         bits.begin() + static_cast<std::ptrdiff_t>(bottom * stride));
}

} // namespace

// ---- BmpReadResult -------------------------------------------------------------------------

std::string BmpReadResult::Message() const {
    switch (status) {
    case Ok:
        return {};
    case CannotOpen:
        return "Cannot open specified file!";
    case WrongFormat:
        return "Bitmaps must be 24-bit uncompressed format!";
    case Damaged:
        return "The bitmap file is damaged or incomplete.";
    case TooLarge:
        return "The picture is " + std::to_string(width) + " x " + std::to_string(height) +
               " pixels; pictures of more than " + std::to_string(kMaxPictureSide) +
               " pixels on a side cannot be opened.";
    }
    return {};
}

std::string BmpReadResult::Caption() const {
    switch (status) {
    case Ok:
        return {};
    case CannotOpen:
        return "IO Error";
    case WrongFormat:
    case Damaged:
    case TooLarge:
        return "File Format Error";
    }
    return {};
}

// ---- construction --------------------------------------------------------------------------

Bitmap::Bitmap(const Bitmap& other)
    : Storable(other), m_width(other.m_width), m_height(other.m_height) {
    if (other.m_hasBits && other.m_width != 0 && other.m_height != 0) {
        m_bits = other.m_bits;
        m_hasBits = true;
    }
}

Bitmap& Bitmap::operator=(const Bitmap& other) {
    Assign(other);
    return *this;
}

Bitmap::Bitmap(Bitmap&& other) noexcept
    : Storable(other), m_width(std::exchange(other.m_width, 0)),
      m_height(std::exchange(other.m_height, 0)), m_bits(std::move(other.m_bits)),
      m_hasBits(std::exchange(other.m_hasBits, false)), m_header(other.m_header) {
    other.m_bits.clear();
}

Bitmap& Bitmap::operator=(Bitmap&& other) noexcept {
    if (this != &other) {
        m_width = std::exchange(other.m_width, 0);
        m_height = std::exchange(other.m_height, 0);
        m_bits = std::move(other.m_bits);
        other.m_bits.clear();
        m_hasBits = std::exchange(other.m_hasBits, false);
        m_header = other.m_header;
    }
    return *this;
}

bool Bitmap::HoldsAllRows() const {
    return m_hasBits && m_width > 0 && m_height > 0 &&
           m_bits.size() >= ImageBytes(m_width, m_height);
}

std::size_t Bitmap::Stride(std::int32_t width) {
    if (width <= 0)
        return 0;
    return (static_cast<std::size_t>(width) * 3 + 3) & ~std::size_t{3};
}

// ---- pixels --------------------------------------------------------------------------------

void Bitmap::Assign(const Bitmap& source) {
    m_width = source.m_width;
    m_height = source.m_height;
    if (source.m_hasBits && source.m_width != 0 && source.m_height != 0) {
        m_bits = source.m_bits;
        m_hasBits = true;
    } else {
        m_bits.clear();
        m_bits.shrink_to_fit();
        m_hasBits = false;
    }
}

bool Bitmap::SetBits(std::int32_t width, std::int32_t height, std::span<const std::uint8_t> rows,
                     bool paddedRows) {
    if (!IsAllocatableSize(width, height))
        return false;
    // A picture with one side 0 and the other not would store a size with no rows: refused.
    if ((width == 0) != (height == 0))
        return false;
    const std::size_t stride = Stride(width);
    const std::size_t pixelBytes = static_cast<std::size_t>(width) * 3;
    const std::size_t inputStride = paddedRows ? stride : pixelBytes;
    const std::size_t total = static_cast<std::size_t>(ImageBytes(width, height));
    // Both products are at most `total`, which is bounded, so they cannot overflow.
    if (rows.size() < static_cast<std::size_t>(height) * inputStride)
        return false;

    // Reuse the buffer when it already has the right shape; its padding is zero from allocation.
    if (!m_hasBits || width != m_width || height != m_height || m_bits.size() != total) {
        m_bits.assign(total, 0);
        m_hasBits = true;
    }
    m_width = width;
    m_height = height;
    for (std::int32_t i = 0; i < height && pixelBytes != 0; ++i)
        std::memcpy(m_bits.data() + static_cast<std::size_t>(i) * stride,
                    rows.data() + static_cast<std::size_t>(i) * inputStride, pixelBytes);
    return true;
}

void Bitmap::CopyBitsTo(std::span<std::uint8_t> destination) const {
    if (!m_hasBits || m_width <= 0 || m_height <= 0)
        return;
    const std::size_t stride = Stride(m_width);
    const std::size_t pixelBytes = static_cast<std::size_t>(m_width) * 3;
    // Never write past the destination or read past the held rows: copy what fits.
    std::size_t written = 0;
    for (std::int32_t row = 0; row < m_height; ++row) {
        const std::size_t source = static_cast<std::size_t>(row) * stride;
        if (written >= destination.size() || source >= m_bits.size())
            break;
        const std::size_t count =
            std::min({pixelBytes, destination.size() - written, m_bits.size() - source});
        std::memcpy(destination.data() + written, m_bits.data() + source, count);
        written += count;
    }
}

void Bitmap::Clear() {
    m_bits.assign(1, 0);
    m_bits.shrink_to_fit();
    m_hasBits = true;
    m_width = 0;
    m_height = 0;
}

bool Bitmap::Resize(std::int32_t newWidth, std::int32_t newHeight) {
    if (!m_hasBits)
        return false;
    if (newWidth <= 0 || newHeight <= 0 || !IsAllocatableSize(newWidth, newHeight))
        return false;
    const std::size_t newStride = Stride(newWidth);
    const std::size_t newTotal = static_cast<std::size_t>(ImageBytes(newWidth, newHeight));

    // Nothing to scale from: just make room for the new size; the size fields stay as they are.
    if (m_width == 0 || m_height == 0) {
        m_bits.assign(newTotal, 0);
        return true;
    }

    const std::size_t oldStride = Stride(m_width);
    const std::vector<std::uint8_t> old =
        std::exchange(m_bits, std::vector<std::uint8_t>(newTotal, 0));
    const float xr = static_cast<float>(m_width) / static_cast<float>(newWidth);
    const float yr = static_cast<float>(m_height) / static_cast<float>(newHeight);

    // Byte offset of each new column's source pixel within a row; the same for every row.
    // Clamped because float rounding could otherwise step one past the last column or row.
    std::vector<std::size_t> sourceColumn(static_cast<std::size_t>(newWidth));
    for (std::int32_t j = 0; j < newWidth; ++j) {
        const auto x = static_cast<std::int32_t>(static_cast<float>(j) * xr);
        sourceColumn[static_cast<std::size_t>(j)] =
            static_cast<std::size_t>(std::min(x, m_width - 1)) * 3;
    }
    // Rows are sampled counting from the bottom row, as thumbnails have always been scaled, so
    // a rescaled catalog keeps the pixels it had; they are held top row first.
    for (std::int32_t i = 0; i < newHeight; ++i) {
        const auto y =
            std::min(static_cast<std::int32_t>(static_cast<float>(i) * yr), m_height - 1);
        const std::size_t sourceRow = static_cast<std::size_t>(m_height - 1 - y) * oldStride;
        if (sourceRow + oldStride > old.size())
            continue; // a short buffer cannot come from this class's own operations
        const std::uint8_t* from = old.data() + sourceRow;
        std::uint8_t* to = m_bits.data() + static_cast<std::size_t>(newHeight - 1 - i) * newStride;
        for (std::size_t column : sourceColumn) {
            std::memcpy(to, from + column, 3);
            to += 3;
        }
    }
    m_width = newWidth;
    m_height = newHeight;
    return true;
}

// ---- stored form ---------------------------------------------------------------------------

void Bitmap::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    if (ar.IsStoring()) {
        if (m_width > kMaxStoredSide || m_height > kMaxStoredSide)
            throw ArchiveException(ArchiveError::TooLarge);
        ar.WriteWord(static_cast<std::uint16_t>(m_width));
        ar.WriteWord(static_cast<std::uint16_t>(m_height));
        // Bottom row first. A size without pixels (taken from a source that had none) stores
        // zero rows, so the stored form always carries the bytes its size announces.
        const std::size_t stride = Stride(m_width);
        const auto rows = static_cast<std::size_t>(std::max(m_height, 0));
        if (HoldsAllRows()) {
            for (std::size_t row = rows; row-- > 0;)
                ar.WriteBytes(m_bits.data() + row * stride, stride);
        } else if (stride * rows != 0) {
            const std::vector<std::uint8_t> zeros(stride * rows, 0);
            ar.WriteBytes(zeros.data(), zeros.size());
        }
        return;
    }

    const std::int32_t width = ar.ReadWord();
    const std::int32_t height = ar.ReadWord();
    // A size with one side 0 has no rows (65535 x 0): the picture is read as empty, so nothing
    // later takes it for a thumbnail with pixels.
    if (width == 0 || height == 0) {
        m_width = 0;
        m_height = 0;
        m_bits.clear();
        m_bits.shrink_to_fit();
        m_hasBits = false;
        return;
    }
    // Check before allocating, so a damaged size cannot ask for gigabytes.
    const std::uint64_t total = ImageBytes(width, height);
    if (total > ar.Remaining())
        throw ArchiveException(ArchiveError::EndOfData);
    std::vector<std::uint8_t> bits;
    ar.ReadInto(bits, static_cast<std::size_t>(total));
    ReverseRows(bits, Stride(width), static_cast<std::size_t>(height));
    m_bits = std::move(bits);
    m_width = width;
    m_height = height;
    m_hasBits = true;
}

// ---- BMP files -----------------------------------------------------------------------------

namespace {

/// A BMP file in memory as a source.
class SpanSource : public ArchiveSource {
public:
    explicit SpanSource(std::span<const std::uint8_t> bytes) : m_bytes(bytes) {}
    std::size_t Size() const override { return m_bytes.size(); }
    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        const std::size_t count = std::min(size, m_bytes.size() - m_at);
        std::memcpy(data, m_bytes.data() + m_at, count);
        m_at += count;
        return count;
    }

private:
    std::span<const std::uint8_t> m_bytes;
    std::size_t m_at = 0;
};

bool ReadExactly(ArchiveSource& source, std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t read = source.Read(data, size);
        if (read == 0)
            return false;
        data += read;
        size -= read;
    }
    return true;
}

/// Reads and drops `count` bytes.
bool Skip(ArchiveSource& source, std::size_t count) {
    std::uint8_t block[4096];
    while (count > 0) {
        const std::size_t step = std::min(count, sizeof block);
        if (!ReadExactly(source, block, step))
            return false;
        count -= step;
    }
    return true;
}

} // namespace

BmpReadResult Bitmap::ReadBMP(std::span<const std::uint8_t> file) {
    SpanSource source(file);
    return ReadBMP(source);
}

BmpReadResult Bitmap::ReadBMP(ArchiveSource& source) {
    const BmpReadResult damaged{BmpReadResult::Damaged};
    const std::size_t fileSize = source.Size();
    std::vector<std::uint8_t> head(kBmpHeadersSize);
    if (fileSize < kFileHeaderSize + 4 || !ReadExactly(source, head.data(), kFileHeaderSize + 4) ||
        head[0] != 'B' || head[1] != 'M')
        return damaged;
    const std::uint32_t headerSize = GetDWord(head, kFileHeaderSize);
    // Later header versions (108 and 124 bytes) start with the same 40 bytes; the rest of
    // them is skipped.
    if (headerSize < kInfoHeaderSize || fileSize - kFileHeaderSize < headerSize ||
        !ReadExactly(source, head.data() + kFileHeaderSize + 4, kInfoHeaderSize - 4) ||
        !Skip(source, headerSize - kInfoHeaderSize))
        return damaged;

    constexpr std::size_t h = kFileHeaderSize;
    BitmapInfoHeader info;
    info.width = static_cast<std::int32_t>(GetDWord(head, h + 4));
    info.height = static_cast<std::int32_t>(GetDWord(head, h + 8));
    info.planes = GetWord(head, h + 12);
    info.bitCount = GetWord(head, h + 14);
    info.compression = GetDWord(head, h + 16);
    info.sizeImage = GetDWord(head, h + 20);
    info.xPelsPerMeter = static_cast<std::int32_t>(GetDWord(head, h + 24));
    info.yPelsPerMeter = static_cast<std::int32_t>(GetDWord(head, h + 28));
    info.clrUsed = GetDWord(head, h + 32);
    info.clrImportant = GetDWord(head, h + 36);

    if (info.planes != 1 || info.bitCount != 24 || info.compression != 0)
        return BmpReadResult{BmpReadResult::WrongFormat};

    // A negative height marks rows stored top row first.
    const bool topDown = info.height < 0;
    if (info.width <= 0 || info.height == 0 ||
        info.height == std::numeric_limits<std::int32_t>::min())
        return damaged;
    const std::int32_t height = topDown ? -info.height : info.height;
    // Refused from the header alone, before a byte of the rows is read or allocated.
    if (info.width > kMaxPictureSide || height > kMaxPictureSide)
        return BmpReadResult{BmpReadResult::TooLarge, info.width, height};
    const std::size_t stride = Stride(info.width);
    const auto total = static_cast<std::size_t>(ImageBytes(info.width, height));

    // Rows start where the file header says; an offset inside the headers (0 from some writers)
    // means right after them. An offset past the end of the file is damage.
    const std::size_t headersEnd = kFileHeaderSize + headerSize;
    const std::uint32_t offset = GetDWord(head, 10);
    if (offset > fileSize)
        return damaged;
    const std::size_t start = offset >= headersEnd ? offset : headersEnd;
    if (fileSize - start < total || !Skip(source, start - headersEnd))
        return damaged;

    // The file holds the bottom row first unless its height is negative; memory the top row.
    std::vector<std::uint8_t> bits(total);
    if (!ReadExactly(source, bits.data(), total))
        return damaged;
    if (!topDown)
        ReverseRows(bits, stride, static_cast<std::size_t>(height));

    info.size = kInfoHeaderSize;
    info.height = height;
    m_header = info;
    m_width = info.width;
    m_height = height;
    m_bits = std::move(bits);
    m_hasBits = true;
    return {};
}

std::vector<std::uint8_t> Bitmap::ToBMP() const {
    const auto total = static_cast<std::size_t>(ImageBytes(m_width, m_height));
    std::vector<std::uint8_t> out;
    out.reserve(kBmpHeadersSize + total);

    out.push_back('B');
    out.push_back('M');
    PutDWord(out, static_cast<std::uint32_t>(kBmpHeadersSize + total));
    PutWord(out, 0);
    PutWord(out, 0);
    PutDWord(out, static_cast<std::uint32_t>(kBmpHeadersSize));

    PutDWord(out, static_cast<std::uint32_t>(kInfoHeaderSize));
    PutDWord(out, static_cast<std::uint32_t>(m_width));
    PutDWord(out, static_cast<std::uint32_t>(m_height));
    PutWord(out, 1);
    PutWord(out, 24);
    PutDWord(out, 0); // compression
    PutDWord(out, 0); // image size: may be 0 for uncompressed rows
    PutDWord(out, static_cast<std::uint32_t>(m_header.xPelsPerMeter));
    PutDWord(out, static_cast<std::uint32_t>(m_header.yPelsPerMeter));
    PutDWord(out, 0); // colours used
    PutDWord(out, 0); // colours important

    // Bottom row first; as in the stored form, a size without pixels writes zero rows.
    if (HoldsAllRows())
        AppendRowsReversed(out, m_bits, Stride(m_width), static_cast<std::size_t>(m_height));
    out.resize(kBmpHeadersSize + total, 0);
    return out;
}
