#include "allocationprobe.h"
#include "bitmap/inflate.h"
#include "testsupport.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <string_view>

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}

// Streams made with Python's zlib module.

/// zlib.compress(b"Velvane renders textures; Velvane decodes them. " * 3, 0): one stored block.
const char* const kStored =
    "78010190006fff56656c76616e652072656e646572732074657874757265733b2056656c76616e65206465636f646573"
    "207468656d2e2056656c76616e652072656e646572732074657874757265733b2056656c76616e65206465636f646573"
    "207468656d2e2056656c76616e652072656e646572732074657874757265733b2056656c76616e65206465636f646573"
    "207468656d2e20436e3556";
const char* const kStoredText = "Velvane renders textures; Velvane decodes them. ";

/// zlib.compress(b"a texture, a texture, a texture map", 9): one fixed-code block with matches.
const char* const kFixed = "78da4b542849ad28292d4ad55148c4c254c84d2c0000e1fb0cad";
/// The same text as raw DEFLATE data (wbits -15): no header, no checksum.
const char* const kRaw = "4b542849ad28292d4ad55148c4c254c84d2c0000";
const char* const kFixedText = "a texture, a texture, a texture map";

/// zlib.compress(PigmentLines(), 9): one block with dynamic codes.
const char* const kDynamic =
    "78da7dd74b8a15411046e1b9abc805d4201e19f900713182880345c499b877eb66e940f84f43cf92a28243de8aafbf7f"
    "f9fcf5d3b79fed57fbf1f9637b6f577bfd7d68bfdf7dffffc4af96572b7112571b5773f5d0fdc4be5a88937e3f71b529"
    "4eea6aaf43f5d0fd9a799f8a137b0d70bf4c0f7e4fe87af0fb6543cfbdee675c0f7ebf28f5e0afe7f4dc4357b513a8f4"
    "d80e55e3140a3df7d455fb134866ad53a8ebc14b57b5a7901edc74d5388164d53c85520fbe75d53a854c8fdd75553b81"
    "1c2ef8ab50e8c14367cd13c8e1862f5db54ea1ad074f5dd54ea0a1e7de50354ea1d473775db59f4206bd4d671dcf6f0c"
    "6e78e9aa7e024d3d37ddd53c85ba1e7ce8aaf514d273bbae6acf57082ef8d455e329b4f4dca1b3f613a8f4dc0baa8e53"
    "28f4e0a9abfaf39d860bbe75d53c85b69ebbebaa75020de86d90d54ea1d48397ae1aa7106c1eb8abfdf98dc10d1fbaea"
    "3881266c1ea8eaa750d7734f5d35ff16d28387ce5acf57086ef8d2559f55bf70d51baefac24def86ab3e70d54fdcf41e"
    "bcea3baefa8dabde71d50fdcf4eeb8ea1357fdc2556fb8ea0b373dd16a32ad0c6d156cab425b2da49521ad1269359856"
    "1b69e548ab8eb49a4c2b635b05daaad0568b696548ab445a0da4d5465a39d3aa23ad26d3cad05681b62ab6d5425a19d2"
    "2a99560369b591568eb4ea48abf906ad0c6d1568ab425b2da49531ad12693590569b69e548ab8eb49a4c2b435b05dbaa"
    "d0560b696548ab445a0da6d5465a39d2aa33ad26d3cad05681b62ab4d5625a19d22a91560369b59156ceb4ea48abc9b4"
    "32b655a0ad0a6db5905686b44aa6d5405a6da49523ad3ad26abe412b435b05daaad8560b696548ab445a0da4d5665a39"
    "d2aa23ad26d3cad056c1b62ab4d5425a19d32a91560369b591568eb4ea4cabc9b432b455a0ad0a6db5985686b4faf73f"
    "eb1fb466cdc1";

/// The same lines compressed in three parts with Z_SYNC_FLUSH after each: dynamic blocks, each
/// followed by an empty stored block, with matches reaching back across block boundaries.
const char* const kFlushed =
    "78da74d23d0a02410c40e1de53e40029e67f77403c8c208b85b2889d787733d94a7803d38590c7c7ecf7ed717bbee523"
    "afed2ae7a032de45bea7fd7f1255b24a854952692a91966ca3ab249814db5059605255c69096eccc625398841160c738"
    "dc0a2387dbb1c6ddabed440eb74399c3c71e7737560d0e54393b4e54930b25ee5e58b51c40c85a5da8707865d5700871"
    "7860d5e440a89a5d28737867d5ea4281b30bab06078a930f3e8412872766cd0e14273f7c65d5ea429dc333ab06076adc"
    "dd27aac9855cf5070000ffff7496d111442108c45a0204d4fe1bbb197c7fb7e960278326ffbb5353cd2164c0db34d67e"
    "6f0c2ebc34551f405befa65b5d4328f5f0d654eb11d2bb5d53b5f70bc1816f4d351ea1a37787c69a03a8f4ee03547b08"
    "851ebe34557fff341cf8d554d710ba7a776aaa35801a781b60b521b4f4f0d25463088179e056f3bd31b8f0d6547b006d"
    "300f50f521947af7d654d747480f0f8db5de2f04177e34d5a7fa83aa37547da1e9dd50f581aadf687a0f567da2ea2faa"
    "de51f58da67747d52f54fd41d51baabed0f494569bd3cab0ad82dbaab0ad0ea695615a2d4cabe6b4ba98568e69959856"
    "9bd3cab8ad02dbaab0ad0ea795615a2d4cabc6b4ba1fd51f000000ffff7cd7c101032008c0c095504170ffc5faeaafd7"
    "2972f9597ad12a49ab36ad82b6dab455d956435a0569754cab4b5a3dd26a9156495af51f5a056db569aba2ad86b40ad3"
    "ea905697b47aa6d522ad92b46ad32a68ab6d5b156d35a455905687b4baa6d523ad166995a6559b56415b6ddaaa68ab31"
    "ad82b43aa4d525ad1e69b54cab24addab40adb6ad356455b0d6915a4d531ad2e69f548ab455a2569d57f6815b4d5a6ad"
    "cab61ad22a48ab435a5dd2ea99568bb44ad2aa4daba0adb66d55b4d59056615a1dd2ea92568fb45aa4559a566d5a056d"
    "b569aba2adc6b40ad2eafbac1f000000ffff0300b466cdc1";

/// zlib.compress(bytes(100000), 9).
const char* const kZeros =
    "78daedc13101000000c2a0f54f6d0d0fa000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000000"
    "000000000000000000000000000000000080570386af0001";

/// b"".join(b"pigment { rgb <%d, %d, %d> }\n" % (i % 7, i * 3 % 11, i * 5 % 13) for i in range(200))
std::vector<std::uint8_t> PigmentLines() {
    std::string text;
    char line[64];
    for (int i = 0; i < 200; ++i) {
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
    /// Pads with zero bits to the next byte boundary.
    void AlignToByte() { m_used = 0; }
    void StoredBlock(const std::vector<std::uint8_t>& data, bool last) {
        Bits(last, 1);
        Bits(0, 2);
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

} // namespace

TEST(Inflate, DecodesStoredFixedAndDynamicBlocks) {
    std::string stored;
    for (int i = 0; i < 3; ++i)
        stored += kStoredText;
    EXPECT_EQ(Inflated(HexBytes(kStored), InflateStatus::Ok), Bytes(stored));
    EXPECT_EQ(Inflated(HexBytes(kFixed), InflateStatus::Ok), Bytes(kFixedText));
    EXPECT_EQ(Inflated(HexBytes(kDynamic), InflateStatus::Ok), PigmentLines());
    EXPECT_EQ(Inflated(HexBytes(kFlushed), InflateStatus::Ok), PigmentLines());
    EXPECT_EQ(Inflated(HexBytes(kZeros), InflateStatus::Ok), std::vector<std::uint8_t>(100000));

    std::vector<std::uint8_t> raw;
    EXPECT_EQ(InflateRaw(HexBytes(kRaw), raw, 1000).status, InflateStatus::Ok);
    EXPECT_EQ(raw, Bytes(kFixedText));
}

TEST(Inflate, DecodesIntoAFixedBufferAndReportsTheInputUsed) {
    auto stream = HexBytes(kDynamic);
    const std::size_t streamSize = stream.size();
    stream.insert(stream.end(), {0xDE, 0xAD}); // whatever follows the stream is left alone
    const auto expected = PigmentLines();
    std::vector<std::uint8_t> buffer(expected.size());
    const InflateResult result = InflateZlib(stream, std::span<std::uint8_t>(buffer));
    EXPECT_EQ(result.status, InflateStatus::Ok);
    EXPECT_EQ(result.outputSize, expected.size());
    EXPECT_EQ(result.inputUsed, streamSize);
    EXPECT_EQ(buffer, expected);
}

TEST(Inflate, Adler32MatchesKnownValues) {
    EXPECT_EQ(Adler32({}), 1u);
    EXPECT_EQ(Adler32(Bytes("Wikipedia")), 0x11E60398u);
    // Long enough that the sums must be reduced along the way.
    const std::vector<std::uint8_t> ones(100000, 0xFF);
    EXPECT_EQ(Adler32(ones), 0x149A302Cu);
    EXPECT_EQ(Adler32(std::span(ones).subspan(40000), Adler32(std::span(ones).first(40000))),
              Adler32(ones));
}

TEST(Inflate, ReachesBackThirtyTwoKilobytesAndCopiesOverlappingRuns) {
    const auto window = Pattern(32768);
    BitWriter writer;
    writer.StoredBlock(window, false);
    writer.Bits(1, 1); // last block, fixed codes
    writer.Bits(1, 2);
    writer.Fixed(257);      // length 3
    writer.Code(29, 5);     // distance 24577 + 13 extra bits
    writer.Bits(8191, 13);  // = 32768: the very first byte
    writer.Fixed('x');
    writer.Fixed(258);      // length 4, distance 1: repeats the 'x' four times
    writer.Code(0, 5);
    writer.Fixed(256);
    auto expected = window;
    expected.insert(expected.end(), {window[0], window[1], window[2], 'x', 'x', 'x', 'x', 'x'});
    EXPECT_EQ(Inflated(writer.Zlib(expected), InflateStatus::Ok, 1 << 20), expected);
}

TEST(Inflate, RefusesEveryTruncation) {
    for (const char* hex : {kStored, kFixed, kDynamic, kFlushed}) {
        const auto stream = HexBytes(hex);
        for (std::size_t size = 0; size < stream.size(); ++size) {
            std::vector<std::uint8_t> out;
            const std::vector<std::uint8_t> prefix(stream.begin(), stream.begin() + size);
            EXPECT_EQ(InflateZlib(prefix, out, 1 << 20).status, InflateStatus::Truncated)
                << "prefix of " << size << " bytes";
        }
    }
}

TEST(Inflate, NeverAcceptsAFlippedBitWithWrongData) {
    for (const char* hex : {kFixed, kDynamic}) {
        const auto stream = HexBytes(hex);
        std::vector<std::uint8_t> original;
        ASSERT_TRUE(InflateZlib(stream, original, 1 << 20));
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
            EXPECT_LE(out.size(), std::size_t{1} << 20);
        }
        EXPECT_GE(refused, static_cast<int>(stream.size() * 8) - 7);
    }
}

TEST(Inflate, RefusesBadHeadersChecksumsAndCodes) {
    const auto good = HexBytes(kFixed);
    auto wrongMethod = good;
    wrongMethod[0] = 0x79; // method 9
    auto badCheck = good;
    badCheck[1] = 0xDB;
    auto dictionary = good;
    dictionary[1] = 0xBB; // 0x78BB passes the check but asks for a preset dictionary
    auto badAdler = good;
    badAdler.back() ^= 1;
    for (const auto& stream : {wrongMethod, badCheck, dictionary, badAdler})
        Inflated(stream, InflateStatus::Damaged);

    const auto expectDamaged = [](const BitWriter& writer) {
        std::vector<std::uint8_t> out;
        EXPECT_EQ(InflateRaw(writer.Raw(), out, 1000).status, InflateStatus::Damaged);
    };
    BitWriter reservedType;
    reservedType.Bits(1, 1);
    reservedType.Bits(3, 2);
    expectDamaged(reservedType);

    BitWriter badStoredLength;
    badStoredLength.Bits(1, 1);
    badStoredLength.Bits(0, 2);
    badStoredLength.AlignToByte();
    for (std::uint8_t byte : {0x05, 0x00, 0xFA, 0xFE, 1, 2, 3, 4, 5})
        badStoredLength.Bits(byte, 8);
    expectDamaged(badStoredLength);

    BitWriter tooFar; // a match reaching before the start of the output
    tooFar.Bits(1, 1);
    tooFar.Bits(1, 2);
    tooFar.Fixed('a');
    tooFar.Fixed(257);
    tooFar.Code(1, 5); // distance 2
    tooFar.Fixed(256);
    expectDamaged(tooFar);

    for (int symbol : {286, 287}) { // length symbols the fixed code has but DEFLATE does not use
        BitWriter unusedLength;
        unusedLength.Bits(1, 1);
        unusedLength.Bits(1, 2);
        unusedLength.Fixed('a');
        unusedLength.Fixed(symbol);
        unusedLength.Code(0, 5);
        expectDamaged(unusedLength);
    }
    BitWriter unusedDistance;
    unusedDistance.Bits(1, 1);
    unusedDistance.Bits(1, 2);
    unusedDistance.Fixed('a');
    unusedDistance.Fixed(257);
    unusedDistance.Code(30, 5);
    expectDamaged(unusedDistance);
}

TEST(Inflate, RefusesBadDynamicCodes) {
    // Header of a dynamic block with 257 literal/length and 1 distance code lengths; `lengths`
    // gives the code-length code's lengths in the order the stream lists them.
    const auto header = [](BitWriter& writer, std::vector<int> lengths) {
        writer.Bits(1, 1);
        writer.Bits(2, 2);
        writer.Bits(0, 5);
        writer.Bits(0, 5);
        writer.Bits(static_cast<std::uint32_t>(lengths.size() - 4), 4);
        for (int length : lengths)
            writer.Bits(static_cast<std::uint32_t>(length), 3);
    };
    const auto expectDamaged = [](const BitWriter& writer) {
        std::vector<std::uint8_t> out;
        EXPECT_EQ(InflateRaw(writer.Raw(), out, 1000).status, InflateStatus::Damaged);
    };

    BitWriter tooManyCodes; // 288 literal/length code lengths, of which only 286 can be used
    tooManyCodes.Bits(1, 1);
    tooManyCodes.Bits(2, 2);
    tooManyCodes.Bits(31, 5);
    tooManyCodes.Bits(0, 5);
    tooManyCodes.Bits(0, 4);
    for (int i = 0; i < 4; ++i) // a complete code-length code: four two-bit codes
        tooManyCodes.Bits(2, 3);
    expectDamaged(tooManyCodes);

    BitWriter overSubscribed; // three one-bit codes
    header(overSubscribed, {1, 1, 1, 0});
    expectDamaged(overSubscribed);

    BitWriter incomplete; // one two-bit code alone cannot be a code-length code
    header(incomplete, {0, 0, 0, 2});
    expectDamaged(incomplete);

    BitWriter repeatFirst; // symbols 16 and 17 with one bit each; 16 first has nothing to repeat
    header(repeatFirst, {1, 1, 0, 0});
    repeatFirst.Code(0, 1);
    repeatFirst.Bits(0, 2);
    expectDamaged(repeatFirst);

    BitWriter noEnd; // 17 and 18 only: every length zero, so no end-of-block code
    header(noEnd, {0, 1, 1, 0});
    noEnd.Code(1, 1);
    noEnd.Bits(127, 7); // 138 zeros
    noEnd.Code(1, 1);
    noEnd.Bits(109, 7); // 120 zeros: all 258 lengths
    expectDamaged(noEnd);

    BitWriter overrun; // a run of zeros past the last length
    header(overrun, {0, 1, 1, 0});
    for (int i = 0; i < 2; ++i) {
        overrun.Code(1, 1);
        overrun.Bits(127, 7);
    }
    expectDamaged(overrun);
}

TEST(Inflate, EnforcesTheOutputLimit) {
    const auto zeros = HexBytes(kZeros);
    std::vector<std::uint8_t> out;
    EXPECT_EQ(InflateZlib(zeros, out, 100000).status, InflateStatus::Ok);
    EXPECT_EQ(InflateZlib(zeros, out, 99999).status, InflateStatus::TooLarge);
    EXPECT_LE(out.size(), 99999u);
    std::vector<std::uint8_t> buffer(99999);
    EXPECT_EQ(InflateZlib(zeros, std::span<std::uint8_t>(buffer)).status, InflateStatus::TooLarge);

    const auto stored = HexBytes(kStored);
    EXPECT_EQ(InflateZlib(stored, out, 100).status, InflateStatus::TooLarge);
    // A generous limit costs nothing by itself: the output grows with what the stream holds.
    largestAllocation = 0;
    EXPECT_EQ(InflateZlib(stored, out, std::size_t{1} << 30).status, InflateStatus::Ok);
    EXPECT_LT(largestAllocation.load(), std::size_t{1} << 16);

    // About 26 MB in some 160 KB; with a 1 MB limit no more than that may ever be held.
    BitWriter bomb;
    bomb.Bits(1, 1);
    bomb.Bits(1, 2);
    bomb.Fixed(0);
    for (int i = 0; i < 100000; ++i) {
        bomb.Fixed(285); // length 258
        bomb.Code(0, 5); // distance 1
    }
    bomb.Fixed(256);
    const InflateResult result = InflateRaw(bomb.Raw(), out, 1 << 20);
    EXPECT_EQ(result.status, InflateStatus::TooLarge);
    EXPECT_LE(out.size(), std::size_t{1} << 20);
    EXPECT_EQ(InflateRaw(bomb.Raw(), out, 100000 * 258 + 1).status, InflateStatus::Ok);
    EXPECT_EQ(out.size(), 100000u * 258 + 1);
}
