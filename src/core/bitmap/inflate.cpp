#include "core/bitmap/inflate.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace {

constexpr unsigned kMaxCodeLength = 15;
/// Codes up to this many bits are found with one table look-up; longer ones bit by bit.
constexpr unsigned kFastBits = 10;
constexpr unsigned kFastSize = 1u << kFastBits;
constexpr unsigned kMaxLiteralLengthCodes = 286;
constexpr unsigned kMaxDistanceCodes = 30;
constexpr unsigned kCodeLengthCodes = 19;
constexpr std::uint32_t kAdlerModulus = 65521;

constexpr std::array<std::uint16_t, 29> kLengthBase = {
    3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
    31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr std::array<std::uint8_t, 29> kLengthExtra = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1,
                                                       1, 1, 2, 2, 2, 2, 3, 3, 3, 3,
                                                       4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr std::array<std::uint16_t, 30> kDistanceBase = {
    1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr std::array<std::uint8_t, 30> kDistanceExtra = {0, 0, 0, 0, 1, 1, 2,  2,  3,  3,
                                                         4, 4, 5, 5, 6, 6, 7,  7,  8,  8,
                                                         9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
/// The order in which a dynamic block lists the code lengths of the code-length code.
constexpr std::array<std::uint8_t, kCodeLengthCodes> kCodeLengthOrder = {
    16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

/// A canonical Huffman code as DEFLATE defines it, ready for decoding.
struct HuffmanTable {
    /// Indexed by the next kFastBits input bits: symbol << 4 | code length, or 0 when those
    /// bits start a longer code (or no code at all).
    std::array<std::uint16_t, kFastSize> fast{};
    /// Number of codes of each length.
    std::array<std::uint16_t, kMaxCodeLength + 1> count{};
    /// The first (numerically smallest) code of each length.
    std::array<std::int32_t, kMaxCodeLength + 1> firstCode{};
    /// Where the symbols of each length start in `symbols`.
    std::array<std::uint16_t, kMaxCodeLength + 1> firstIndex{};
    /// The symbols in code order.
    std::array<std::uint16_t, 288> symbols{};
};

enum class CodeKind { CodeLengths, LiteralsOrDistances };

/// Builds the decoding table for the given code lengths (0 = symbol unused). Fails on an
/// over-subscribed code and on an incomplete one, except that a literal/length or distance code
/// may have no code at all or a single one-bit code, as encoders write for nearly empty blocks.
bool BuildTable(HuffmanTable& table, std::span<const std::uint8_t> lengths, CodeKind kind) {
    table.count.fill(0);
    for (std::uint8_t length : lengths)
        ++table.count[length];
    table.count[0] = 0;

    int left = 1;
    unsigned used = 0;
    for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
        left = left * 2 - table.count[length];
        if (left < 0)
            return false;
        used += table.count[length];
    }
    if (left > 0) {
        const bool singleShortCode = used == 1 && table.count[1] == 1;
        if (kind == CodeKind::CodeLengths || !(used == 0 || singleShortCode))
            return false;
    }

    std::array<std::int32_t, kMaxCodeLength + 1> nextCode{};
    std::array<std::uint16_t, kMaxCodeLength + 1> nextIndex{};
    std::int32_t code = 0;
    std::uint16_t index = 0;
    for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
        code = (code + (length > 1 ? table.count[length - 1] : 0)) << 1;
        table.firstCode[length] = code;
        table.firstIndex[length] = index;
        nextCode[length] = code;
        nextIndex[length] = index;
        index = static_cast<std::uint16_t>(index + table.count[length]);
    }

    table.fast.fill(0);
    for (std::size_t symbol = 0; symbol < lengths.size(); ++symbol) {
        const unsigned length = lengths[symbol];
        if (length == 0)
            continue;
        table.symbols[nextIndex[length]++] = static_cast<std::uint16_t>(symbol);
        const std::uint32_t symbolCode = static_cast<std::uint32_t>(nextCode[length]++);
        if (length > kFastBits)
            continue;
        // The stream sends codes most significant bit first into a least-significant-first bit
        // buffer, so the table is indexed by the reversed code.
        std::uint32_t reversed = 0;
        for (unsigned bit = 0; bit < length; ++bit)
            reversed |= ((symbolCode >> bit) & 1u) << (length - 1 - bit);
        const auto entry = static_cast<std::uint16_t>(symbol << 4 | length);
        for (std::uint32_t slot = reversed; slot < kFastSize; slot += 1u << length)
            table.fast[slot] = entry;
    }
    return true;
}

struct FixedTables {
    HuffmanTable literals;
    HuffmanTable distances;

    FixedTables() {
        std::array<std::uint8_t, 288> literalLengths{};
        std::fill(literalLengths.begin(), literalLengths.begin() + 144, std::uint8_t{8});
        std::fill(literalLengths.begin() + 144, literalLengths.begin() + 256, std::uint8_t{9});
        std::fill(literalLengths.begin() + 256, literalLengths.begin() + 280, std::uint8_t{7});
        std::fill(literalLengths.begin() + 280, literalLengths.end(), std::uint8_t{8});
        BuildTable(literals, literalLengths, CodeKind::LiteralsOrDistances);
        // All 32 five-bit codes, so that the code is complete; 30 and 31 are refused on use.
        std::array<std::uint8_t, 32> distanceLengths{};
        distanceLengths.fill(5);
        BuildTable(distances, distanceLengths, CodeKind::LiteralsOrDistances);
    }
};

const FixedTables& Fixed() {
    static const FixedTables tables;
    return tables;
}

/// Decodes one DEFLATE or zlib stream from a memory buffer into a bounded output buffer.
class Inflater {
public:
    Inflater(std::span<const std::uint8_t> input, std::span<std::uint8_t> output)
        : m_in(input.data()), m_inSize(input.size()), m_out(output.data()),
          m_outCapacity(output.size()), m_limit(output.size()) {}

    Inflater(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
             std::size_t limit)
        : m_in(input.data()), m_inSize(input.size()), m_grow(&output), m_limit(limit) {
        output.clear();
        // A first guess that usually saves a few reallocations.
        const std::size_t guess = std::min(limit, std::max<std::size_t>(input.size() * 4, 4096));
        output.resize(guess);
        m_out = output.data();
        m_outCapacity = guess;
    }

    InflateResult Run(bool zlib) {
        InflateResult result;
        result.status = zlib ? RunZlib() : RunRaw();
        result.outputSize = m_outPos;
        result.inputUsed = m_inPos - m_count / 8;
        if (m_grow)
            m_grow->resize(m_outPos);
        return result;
    }

private:
    // ---- input bits ----------------------------------------------------------------------

    /// Tops the bit buffer up to at least 57 bits, or to whatever input is left.
    void Refill() {
        while (m_count <= 56 && m_inPos < m_inSize) {
            m_bits |= std::uint64_t{m_in[m_inPos++]} << m_count;
            m_count += 8;
        }
    }

    /// Whether `count` bits (at most 32) are there to be taken.
    bool Need(unsigned count) {
        if (m_count < count)
            Refill();
        return m_count >= count;
    }

    /// Takes `count` bits that Need() has made sure of.
    std::uint32_t Take(unsigned count) {
        const auto value = static_cast<std::uint32_t>(m_bits & ((std::uint64_t{1} << count) - 1));
        m_bits >>= count;
        m_count -= count;
        return value;
    }

    /// Drops the bits up to the next byte boundary and hands the whole bytes still buffered back
    /// to the input, so that byte-aligned data can be read straight from it.
    void AlignToByte() {
        Take(m_count % 8);
        m_inPos -= m_count / 8;
        m_bits = 0;
        m_count = 0;
    }

    static constexpr int kSymbolTruncated = -1;
    static constexpr int kSymbolDamaged = -2;

    /// The next symbol of `table`, or kSymbolTruncated / kSymbolDamaged.
    int Decode(const HuffmanTable& table) {
        if (m_count < kMaxCodeLength)
            Refill();
        // Past the end of the input the buffer reads as zero bits; a code found there counts only
        // when it lies wholly within the bits actually present.
        const std::uint16_t entry = table.fast[m_bits & (kFastSize - 1)];
        if (entry != 0) {
            const unsigned length = entry & 15u;
            if (length > m_count)
                return kSymbolTruncated;
            m_bits >>= length;
            m_count -= length;
            return entry >> 4;
        }
        std::int32_t code = 0;
        for (unsigned length = 1; length <= kMaxCodeLength; ++length) {
            if (length > m_count)
                return kSymbolTruncated;
            code |= static_cast<std::int32_t>((m_bits >> (length - 1)) & 1u);
            const std::int32_t index = code - table.firstCode[length];
            if (index >= 0 && index < table.count[length]) {
                m_bits >>= length;
                m_count -= length;
                return table.symbols[table.firstIndex[length] + static_cast<std::size_t>(index)];
            }
            code <<= 1;
        }
        return kSymbolDamaged;
    }

    static InflateStatus SymbolError(int symbol) {
        return symbol == kSymbolTruncated ? InflateStatus::Truncated : InflateStatus::Damaged;
    }

    // ---- output --------------------------------------------------------------------------

    /// Makes room for `count` more output bytes; false when that would pass the limit.
    bool Room(std::size_t count) {
        if (m_outCapacity - m_outPos >= count)
            return true;
        if (!m_grow || m_limit - m_outPos < count)
            return false;
        // Grow geometrically so that a long stream costs few reallocations.
        const std::size_t needed = m_outPos + count;
        const std::size_t doubled = m_outCapacity > m_limit / 2 ? m_limit : m_outCapacity * 2;
        const std::size_t capacity =
            std::max(needed, std::min(m_limit, std::max<std::size_t>(doubled, 4096)));
        m_grow->resize(capacity);
        m_out = m_grow->data();
        m_outCapacity = capacity;
        return true;
    }

    // ---- stream structure ------------------------------------------------------------------

    InflateStatus RunZlib() {
        if (!Need(16))
            return InflateStatus::Truncated;
        const std::uint32_t cmf = Take(8);
        const std::uint32_t flg = Take(8);
        // Method 8 (deflate), window at most 32 KiB, header check, no preset dictionary.
        if ((cmf & 15u) != 8 || (cmf >> 4) > 7 || (cmf * 256 + flg) % 31 != 0 || (flg & 0x20u))
            return InflateStatus::Damaged;
        const InflateStatus status = RunRaw();
        if (status != InflateStatus::Ok)
            return status;
        AlignToByte();
        if (m_inSize - m_inPos < 4)
            return InflateStatus::Truncated;
        std::uint32_t expected = 0;
        for (int i = 0; i < 4; ++i)
            expected = expected << 8 | m_in[m_inPos++];
        if (Adler32({m_out, m_outPos}) != expected)
            return InflateStatus::Damaged;
        return InflateStatus::Ok;
    }

    InflateStatus RunRaw() {
        for (;;) {
            if (!Need(3))
                return InflateStatus::Truncated;
            const bool last = Take(1) != 0;
            const std::uint32_t type = Take(2);
            InflateStatus status = InflateStatus::Damaged;
            if (type == 0)
                status = StoredBlock();
            else if (type == 1)
                status = CodedBlock(Fixed().literals, Fixed().distances);
            else if (type == 2)
                status = DynamicBlock();
            if (status != InflateStatus::Ok)
                return status;
            if (last)
                return InflateStatus::Ok;
        }
    }

    InflateStatus StoredBlock() {
        AlignToByte();
        if (m_inSize - m_inPos < 4)
            return InflateStatus::Truncated;
        const std::size_t length = m_in[m_inPos] | std::size_t{m_in[m_inPos + 1]} << 8;
        const std::size_t complement = m_in[m_inPos + 2] | std::size_t{m_in[m_inPos + 3]} << 8;
        m_inPos += 4;
        if ((length ^ complement) != 0xFFFF)
            return InflateStatus::Damaged;
        if (m_inSize - m_inPos < length)
            return InflateStatus::Truncated;
        if (!Room(length))
            return InflateStatus::TooLarge;
        if (length != 0)
            std::memcpy(m_out + m_outPos, m_in + m_inPos, length);
        m_outPos += length;
        m_inPos += length;
        return InflateStatus::Ok;
    }

    InflateStatus DynamicBlock() {
        if (!Need(14))
            return InflateStatus::Truncated;
        const unsigned literalCount = Take(5) + 257;
        const unsigned distanceCount = Take(5) + 1;
        const unsigned codeLengthCount = Take(4) + 4;
        if (literalCount > kMaxLiteralLengthCodes || distanceCount > kMaxDistanceCodes)
            return InflateStatus::Damaged;

        std::array<std::uint8_t, kCodeLengthCodes> codeLengthLengths{};
        for (unsigned i = 0; i < codeLengthCount; ++i) {
            if (!Need(3))
                return InflateStatus::Truncated;
            codeLengthLengths[kCodeLengthOrder[i]] = static_cast<std::uint8_t>(Take(3));
        }
        HuffmanTable codeLengthTable;
        if (!BuildTable(codeLengthTable, codeLengthLengths, CodeKind::CodeLengths))
            return InflateStatus::Damaged;

        std::array<std::uint8_t, kMaxLiteralLengthCodes + kMaxDistanceCodes> lengths{};
        const unsigned total = literalCount + distanceCount;
        unsigned filled = 0;
        while (filled < total) {
            const int symbol = Decode(codeLengthTable);
            if (symbol < 0)
                return SymbolError(symbol);
            if (symbol < 16) {
                lengths[filled++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            std::uint8_t value = 0;
            unsigned repeat = 0;
            if (symbol == 16) {
                if (filled == 0)
                    return InflateStatus::Damaged;
                if (!Need(2))
                    return InflateStatus::Truncated;
                value = lengths[filled - 1];
                repeat = 3 + Take(2);
            } else if (symbol == 17) {
                if (!Need(3))
                    return InflateStatus::Truncated;
                repeat = 3 + Take(3);
            } else {
                if (!Need(7))
                    return InflateStatus::Truncated;
                repeat = 11 + Take(7);
            }
            if (total - filled < repeat)
                return InflateStatus::Damaged;
            std::fill_n(lengths.begin() + filled, repeat, value);
            filled += repeat;
        }
        // Without an end-of-block code the block could never end.
        if (lengths[256] == 0)
            return InflateStatus::Damaged;
        const std::span<const std::uint8_t> all(lengths.data(), total);
        if (!BuildTable(m_literals, all.first(literalCount), CodeKind::LiteralsOrDistances) ||
            !BuildTable(m_distances, all.subspan(literalCount), CodeKind::LiteralsOrDistances))
            return InflateStatus::Damaged;
        return CodedBlock(m_literals, m_distances);
    }

    InflateStatus CodedBlock(const HuffmanTable& literals, const HuffmanTable& distances) {
        for (;;) {
            int symbol = Decode(literals);
            if (symbol < 256) {
                if (symbol < 0)
                    return SymbolError(symbol);
                if (m_outPos == m_outCapacity && !Room(1))
                    return InflateStatus::TooLarge;
                m_out[m_outPos++] = static_cast<std::uint8_t>(symbol);
                continue;
            }
            if (symbol == 256)
                return InflateStatus::Ok;
            symbol -= 257;
            if (symbol >= static_cast<int>(kLengthBase.size()))
                return InflateStatus::Damaged;
            std::size_t length = kLengthBase[static_cast<std::size_t>(symbol)];
            const unsigned lengthExtra = kLengthExtra[static_cast<std::size_t>(symbol)];
            if (lengthExtra != 0) {
                if (!Need(lengthExtra))
                    return InflateStatus::Truncated;
                length += Take(lengthExtra);
            }

            const int distanceSymbol = Decode(distances);
            if (distanceSymbol < 0)
                return SymbolError(distanceSymbol);
            if (distanceSymbol >= static_cast<int>(kDistanceBase.size()))
                return InflateStatus::Damaged;
            std::size_t distance = kDistanceBase[static_cast<std::size_t>(distanceSymbol)];
            const unsigned distanceExtra = kDistanceExtra[static_cast<std::size_t>(distanceSymbol)];
            if (distanceExtra != 0) {
                if (!Need(distanceExtra))
                    return InflateStatus::Truncated;
                distance += Take(distanceExtra);
            }
            // The whole output so far is the window, so any distance within it is valid.
            if (distance > m_outPos)
                return InflateStatus::Damaged;
            if (!Room(length))
                return InflateStatus::TooLarge;

            std::uint8_t* to = m_out + m_outPos;
            const std::uint8_t* from = to - distance;
            if (distance >= length) {
                std::memcpy(to, from, length);
            } else {
                // Overlapping copy: bytes written here are read again further on.
                for (std::size_t i = 0; i < length; ++i)
                    to[i] = from[i];
            }
            m_outPos += length;
        }
    }

    const std::uint8_t* m_in = nullptr;
    std::size_t m_inSize = 0;
    std::size_t m_inPos = 0;
    std::uint64_t m_bits = 0;
    unsigned m_count = 0;

    std::uint8_t* m_out = nullptr;
    std::size_t m_outPos = 0;
    std::size_t m_outCapacity = 0;
    std::vector<std::uint8_t>* m_grow = nullptr; ///< the buffer to enlarge, if it may grow
    std::size_t m_limit = 0;

    HuffmanTable m_literals;
    HuffmanTable m_distances;
};

} // namespace

InflateResult InflateZlib(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
    return Inflater(input, output).Run(true);
}

InflateResult InflateZlib(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                          std::size_t maxOutput) {
    return Inflater(input, output, maxOutput).Run(true);
}

InflateResult InflateRaw(std::span<const std::uint8_t> input, std::span<std::uint8_t> output) {
    return Inflater(input, output).Run(false);
}

InflateResult InflateRaw(std::span<const std::uint8_t> input, std::vector<std::uint8_t>& output,
                         std::size_t maxOutput) {
    return Inflater(input, output, maxOutput).Run(false);
}

std::uint32_t Adler32(std::span<const std::uint8_t> data, std::uint32_t adler) {
    // 5552 is the most bytes that can be summed before the 32-bit sums could overflow.
    constexpr std::size_t kBlock = 5552;
    std::uint32_t a = adler & 0xFFFFu;
    std::uint32_t b = adler >> 16;
    const std::uint8_t* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        const std::size_t n = std::min(left, kBlock);
        for (std::size_t i = 0; i < n; ++i) {
            a += p[i];
            b += a;
        }
        a %= kAdlerModulus;
        b %= kAdlerModulus;
        p += n;
        left -= n;
    }
    return b << 16 | a;
}
