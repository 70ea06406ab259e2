#include "allocationprobe.h"
#include "core/bitmap/inflate.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// Streams made with Python's zlib module.

/// zlib.compress(b"Velvane renders textures; Velvane decodes them. ", 0): one stored block.
const char* const kStored = "7801013000cfff56656c76616e652072656e646572732074657874757265733b2056656c"
                            "76616e65206465636f646573207468656d2e20c0ee11c8";
const char* const kStoredText = "Velvane renders textures; Velvane decodes them. ";

/// zlib.compress(b"a texture, a texture, a texture map", 9): one fixed-code block with matches.
const char* const kFixed = "78da4b542849ad28292d4ad55148c4c254c84d2c0000e1fb0cad";
/// The same text as raw DEFLATE data (wbits -15): no header, no checksum.
const char* const kRaw = "4b542849ad28292d4ad55148c4c254c84d2c0000";
const char* const kFixedText = "a texture, a texture, a texture map";

/// zlib.compress(PigmentLines(), 9): one block with dynamic codes.
const char* const kDynamic =
    "78da75d24b0ac2500c46e1b9abc80232c87dd682b8988214074a1167e2decd4d47c22974f613eee1a3db7d7ddc9e6ff9"
    "c86b5de4622ae3bbcaf7b4fd2f49a5a83458b24a574974e417b34a86a5fa85ca044b5319231df93393afb0d808f0c738"
    "dc0b1387fb639dbbcf7e9338dc1f2a1c3eeeb8bbb3aa0550e3ec74a09a432873f7c4aa750742d6164295c31babda2ec4"
    "e1c6aa398050b58450e1f099555b0819675756b5004a073ff8100aa01f6985ded9";

/// The same lines compressed in three parts with Z_SYNC_FLUSH after each: several blocks, empty
/// stored ones among them, with matches reaching back across block boundaries.
const char* const kFlushed =
    "78da6c8e310a803010047b5fb10fd822519320888f1124582841ecc4bf7b570a0bdb0dc34edbebb19d371e5c75c51c08"
    "df82b76b7f1289814882f44426a292cc98885e90d10ca2089208874ab29b625490e00176a6c3ad30ea703bcb4e3e0000"
    "00ffffc274b705508f217687032d32c6ee70903eecee36c31eaa06e00032c5ee6c431ca16a040e2123ecee36c71eaa26"
    "9000c21aaca6e01002052b000000ffff74d2b10d00200cc4c0951e420af65f0c615ab38175b284b7abe60979785c7502"
    "a4aa855079f876d546289ebd5c35008dcfe05708a0030000ffff03006985ded9";

/// b"".join(b"pigment { rgb <%d, %d, %d> }\n" % (i % 7, i * 3 % 11, i * 5 % 13) for i in range(30))
std::vector<std::uint8_t> PigmentLines() {
    std::string text;
    char line[64];
    for (int i = 0; i < 30; ++i) {
        std::snprintf(line, sizeof line, "pigment { rgb <%d, %d, %d> }\n", i % 7, i * 3 % 11,
                      i * 5 % 13);
        text += line;
    }
    return Bytes(text);
}

std::vector<std::uint8_t> Inflated(const std::vector<std::uint8_t>& stream, InflateStatus expect,
                                   std::size_t limit = 1 << 20) {
    std::vector<std::uint8_t> out;
    const InflateResult result = InflateZlib(stream, out, limit);
    EXPECT_EQ(result.status, expect);
    EXPECT_EQ(result.outputSize, out.size());
    return out;
}

/// Writes DEFLATE bit streams by hand, for cases no encoder produces.
class BitWriter {
public:
    void Bits(std::uint32_t value, int count) {
        for (int i = 0; i < count; ++i) {
            if (m_used == 0)
                m_bytes.push_back(0);
            m_bytes.back() = static_cast<std::uint8_t>(m_bytes.back() | ((value >> i) & 1u) << m_used);
            m_used = (m_used + 1) % 8;
        }
    }
    /// A Huffman code: most significant bit first.
    void Code(std::uint32_t code, int length) {
        for (int i = length - 1; i >= 0; --i)
            Bits(code >> i, 1);
    }
    /// A literal/length symbol of the fixed code.
    void Fixed(int symbol) {
        if (symbol < 144)
            Code(0x30 + symbol, 8);
        else if (symbol < 256)
            Code(0x190 + symbol - 144, 9);
        else if (symbol < 280)
            Code(symbol - 256, 7);
        else
            Code(0xC0 + symbol - 280, 8);
    }
    /// A block header: the last-block flag and the type (0 stored, 1 fixed, 2 dynamic codes).
    void Block(bool last, int type) {
        Bits(last, 1);
        Bits(static_cast<std::uint32_t>(type), 2);
    }
    /// Pads with zero bits to the next byte boundary.
    void AlignToByte() { m_used = 0; }
    void StoredBlock(const std::vector<std::uint8_t>& data, bool last) {
        Block(last, 0);
        AlignToByte();
        const auto length = static_cast<std::uint32_t>(data.size());
        for (std::uint32_t word : {length, ~length & 0xFFFFu}) {
            m_bytes.push_back(static_cast<std::uint8_t>(word));
            m_bytes.push_back(static_cast<std::uint8_t>(word >> 8));
        }
        m_bytes.insert(m_bytes.end(), data.begin(), data.end());
    }
    /// The data as a zlib stream whose Adler-32 is that of `content`.
    std::vector<std::uint8_t> Zlib(const std::vector<std::uint8_t>& content) const {
        std::vector<std::uint8_t> stream = {0x78, 0x01};
        stream.insert(stream.end(), m_bytes.begin(), m_bytes.end());
        const std::uint32_t adler = Adler32(content);
        for (int shift = 24; shift >= 0; shift -= 8)
            stream.push_back(static_cast<std::uint8_t>(adler >> shift));
        return stream;
    }
    const std::vector<std::uint8_t>& Raw() const { return m_bytes; }

private:
    std::vector<std::uint8_t> m_bytes;
    int m_used = 0;
};

std::vector<std::uint8_t> Pattern(std::size_t size) {
    std::vector<std::uint8_t> data(size);
    for (std::size_t i = 0; i < size; ++i)
        data[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    return data;
}

/// Whether raw DEFLATE data written by `write` is refused as damaged.
bool RefusedAsDamaged(const std::function<void(BitWriter&)>& write) {
    BitWriter writer;
    write(writer);
    std::vector<std::uint8_t> out;
    return InflateRaw(writer.Raw(), out, 1000).status == InflateStatus::Damaged;
}

} // namespace

TEST(Inflate, DecodesStoredFixedAndDynamicBlocks) {
    EXPECT_EQ(Inflated(HexBytes(kStored), InflateStatus::Ok), Bytes(kStoredText));
    EXPECT_EQ(Inflated(HexBytes(kFixed), InflateStatus::Ok), Bytes(kFixedText));
    EXPECT_EQ(Inflated(HexBytes(kDynamic), InflateStatus::Ok), PigmentLines());
    EXPECT_EQ(Inflated(HexBytes(kFlushed), InflateStatus::Ok), PigmentLines());
    std::vector<std::uint8_t> raw;
    EXPECT_EQ(InflateRaw(HexBytes(kRaw), raw, 1000).status, InflateStatus::Ok);
    EXPECT_EQ(raw, Bytes(kFixedText));

    // What follows the stream is left alone.
    auto stream = HexBytes(kDynamic);
    const std::size_t streamSize = stream.size();
    stream.insert(stream.end(), {0xDE, 0xAD});
    EXPECT_EQ(InflateZlib(stream, raw, 1000).inputUsed, streamSize);
}

TEST(Inflate, Adler32MatchesKnownValues) {
    EXPECT_EQ(Adler32({}), 1u);
    EXPECT_EQ(Adler32(Bytes("Wikipedia")), 0x11E60398u);
    const std::vector<std::uint8_t> ones(100000, 0xFF); // the sums must be reduced on the way
    EXPECT_EQ(Adler32(ones), 0x149A302Cu);
    EXPECT_EQ(Adler32(std::span(ones).subspan(40000), Adler32(std::span(ones).first(40000))),
              Adler32(ones));
}

TEST(Inflate, ReachesBackThirtyTwoKilobytesAndCopiesOverlappingRuns) {
    const auto window = Pattern(32768);
    BitWriter writer;
    writer.StoredBlock(window, false);
    writer.Block(true, 1);
    writer.Fixed(257);     // length 3
    writer.Code(29, 5);    // distance 24577 + 13 extra bits
    writer.Bits(8191, 13); // = 32768: the very first byte
    writer.Fixed('x');
    writer.Fixed(258); // length 4, distance 1: the 'x' four more times
    writer.Code(0, 5);
    writer.Fixed(256);
    auto expected = window;
    expected.insert(expected.end(), {window[0], window[1], window[2], 'x', 'x', 'x', 'x', 'x'});
    EXPECT_EQ(Inflated(writer.Zlib(expected), InflateStatus::Ok), expected);
}

TEST(Inflate, RefusesEveryTruncation) {
    for (const char* hex : {kStored, kFixed, kDynamic, kFlushed}) {
        const auto stream = HexBytes(hex);
        for (std::size_t size = 0; size < stream.size(); ++size) {
            std::vector<std::uint8_t> out;
            EXPECT_EQ(InflateZlib(std::span(stream).first(size), out, 1 << 20).status,
                      InflateStatus::Truncated)
                << "prefix of " << size << " bytes";
        }
    }
}

TEST(Inflate, NeverAcceptsAFlippedBitWithWrongData) {
    for (const char* hex : {kFixed, kDynamic}) {
        const auto stream = HexBytes(hex);
        const auto original = Inflated(stream, InflateStatus::Ok);
        int refused = 0;
        for (std::size_t bit = 0; bit < stream.size() * 8; ++bit) {
            auto damaged = stream;
            damaged[bit / 8] ^= static_cast<std::uint8_t>(1u << (bit % 8));
            std::vector<std::uint8_t> out;
            // Only the padding bits before the checksum may change without effect.
            if (InflateZlib(damaged, out, 1 << 20))
                EXPECT_EQ(out, original) << "bit " << bit;
            else
                ++refused;
        }
        EXPECT_GE(refused, static_cast<int>(stream.size() * 8) - 7);
    }
}

TEST(Inflate, RefusesBadHeadersChecksumsAndCodes) {
    const auto good = HexBytes(kFixed);
    // Method 9; a failed header check; a preset dictionary (0x78BB passes the check); the Adler.
    for (auto [at, value] : {std::pair{0, 0x79}, {1, 0xDB}, {1, 0xBB}, {25, 0xAC}}) {
        auto stream = good;
        stream[static_cast<std::size_t>(at)] = static_cast<std::uint8_t>(value);
        Inflated(stream, InflateStatus::Damaged);
    }
    EXPECT_TRUE(RefusedAsDamaged([](BitWriter& w) { w.Block(true, 3); }));
    EXPECT_TRUE(RefusedAsDamaged([](BitWriter& w) { // stored length 5, complement not 0xFFFA
        w.Block(true, 0);
        w.AlignToByte();
        for (std::uint8_t byte : {0x05, 0x00, 0xFA, 0xFE, 1, 2, 3, 4, 5})
            w.Bits(byte, 8);
    }));
    // A match reaching before the start of the output; length symbols 286 and 287 and distance
    // symbol 30, which the fixed code has but DEFLATE does not use.
    for (auto [length, distance] : {std::pair{257, 1}, {286, 0}, {287, 0}, {257, 30}}) {
        EXPECT_TRUE(RefusedAsDamaged([&](BitWriter& w) {
            w.Block(true, 1);
            w.Fixed('a');
            w.Fixed(length);
            w.Code(static_cast<std::uint32_t>(distance), 5);
            w.Fixed(256);
        })) << length << " " << distance;
    }
}

TEST(Inflate, RefusesBadDynamicCodes) {
    // A dynamic block header: `literals` literal/length and 1 distance code lengths; the
    // code-length code's lengths in the order the stream lists them (16, 17, 18, 0, ...).
    const auto header = [](BitWriter& w, std::vector<int> lengths, std::uint32_t literals = 257) {
        w.Block(true, 2);
        w.Bits(literals - 257, 5);
        w.Bits(0, 5);
        w.Bits(static_cast<std::uint32_t>(lengths.size() - 4), 4);
        for (int length : lengths)
            w.Bits(static_cast<std::uint32_t>(length), 3);
    };
    // 288 literal/length codes, though only 286 can be used.
    EXPECT_TRUE(RefusedAsDamaged([&](BitWriter& w) { header(w, {2, 2, 2, 2}, 288); }));
    // Three one-bit codes; a lone two-bit code.
    EXPECT_TRUE(RefusedAsDamaged([&](BitWriter& w) { header(w, {1, 1, 1, 0}); }));
    EXPECT_TRUE(RefusedAsDamaged([&](BitWriter& w) { header(w, {0, 0, 0, 2}); }));
    // 16 and 17 of one bit each; 16 first has no length to repeat.
    EXPECT_TRUE(RefusedAsDamaged([&](BitWriter& w) {
        header(w, {1, 1, 0, 0});
        w.Code(0, 1);
        w.Bits(0, 2);
    }));
    // 17 and 18 only: 138 + 120 zeros make all 258 lengths zero, leaving no end-of-block code;
    // three runs of 138 zeros go past the last of 287 lengths.
    const auto zeroRuns = [&](std::vector<std::uint32_t> runs, std::uint32_t literals) {
        return RefusedAsDamaged([&](BitWriter& w) {
            header(w, {0, 1, 1, 0}, literals);
            for (std::uint32_t run : runs) {
                w.Code(1, 1);
                w.Bits(run - 11, 7);
            }
        });
    };
    EXPECT_TRUE(zeroRuns({138, 120}, 257));
    EXPECT_TRUE(zeroRuns({138, 138, 138}, 286));
}

TEST(Inflate, EnforcesTheOutputLimit) {
    const auto stream = HexBytes(kDynamic);
    const std::size_t size = PigmentLines().size();
    std::vector<std::uint8_t> out;
    EXPECT_EQ(InflateZlib(stream, out, size).status, InflateStatus::Ok);
    EXPECT_EQ(InflateZlib(stream, out, size - 1).status, InflateStatus::TooLarge);
    EXPECT_LE(out.size(), size - 1);
    std::vector<std::uint8_t> buffer(size - 1);
    EXPECT_EQ(InflateZlib(stream, std::span<std::uint8_t>(buffer)).status, InflateStatus::TooLarge);
    EXPECT_EQ(InflateZlib(HexBytes(kStored), out, 47).status, InflateStatus::TooLarge);

    // A generous limit costs nothing by itself: the output grows with what the stream holds.
    largestAllocation = 0;
    EXPECT_EQ(InflateZlib(HexBytes(kStored), out, std::size_t{1} << 30).status, InflateStatus::Ok);
    EXPECT_LT(largestAllocation.load(), std::size_t{1} << 16);

    // About 26 MB in some 160 KB; with a 1 MB limit no more than that may ever be held.
    BitWriter bomb;
    bomb.Block(true, 1);
    bomb.Fixed(0);
    for (int i = 0; i < 100000; ++i) {
        bomb.Fixed(285); // length 258
        bomb.Code(0, 5); // distance 1
    }
    bomb.Fixed(256);
    EXPECT_EQ(InflateRaw(bomb.Raw(), out, 1 << 20).status, InflateStatus::TooLarge);
    EXPECT_LE(out.size(), std::size_t{1} << 20);
    EXPECT_EQ(InflateRaw(bomb.Raw(), out, 100000 * 258 + 1).status, InflateStatus::Ok);
    EXPECT_EQ(out.size(), 100000u * 258 + 1);
}
