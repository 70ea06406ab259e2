#include "allocationprobe.h"
#include "core/archive/archive.h"
#include "core/bitmap/bitmap.h"
#include "testsupport.h"

#include <gtest/gtest.h>
#include <string_view>

namespace {

std::vector<std::uint8_t> Bytes(std::string_view text) {
    return {text.begin(), text.end()};
}
std::vector<std::uint8_t> BitsOf(const Bitmap& dib) {
    return {dib.Bits().begin(), dib.Bits().end()};
}

/// A 2 x 2 picture, top row A B C | D E F, bottom row G H I | J K L.
Bitmap Letters2x2() {
    Bitmap dib;
    EXPECT_TRUE(dib.SetBits(2, 2, Bytes("ABCDEFGHIJKL"), false));
    return dib;
}

/// A picture whose pixel at (x, y), y counted bottom first, is x, y, 0x80.
Bitmap Coordinates(int width, int height) {
    std::vector<std::uint8_t> rows;
    for (int y = height - 1; y >= 0; --y) { // top row first
        for (int x = 0; x < width; ++x) {
            rows.push_back(std::uint8_t(x));
            rows.push_back(std::uint8_t(y));
            rows.push_back(0x80);
        }
    }
    Bitmap dib;
    EXPECT_TRUE(dib.SetBits(width, height, rows, false));
    return dib;
}

/// The (x, y) source coordinates of every pixel, row by row from the bottom row up.
std::vector<std::pair<int, int>> Sources(const Bitmap& dib) {
    std::vector<std::pair<int, int>> sources;
    const std::size_t stride = Bitmap::Stride(dib.Width());
    for (int y = dib.Height() - 1; y >= 0; --y)
        for (int x = 0; x < dib.Width(); ++x)
            sources.emplace_back(dib.Bits()[y * stride + x * 3],
                                 dib.Bits()[y * stride + x * 3 + 1]);
    return sources;
}

std::vector<std::uint8_t> Store(Bitmap& dib) {
    Archive ar;
    dib.Serialize(ar);
    return ar.Bytes();
}

void Load(Bitmap& dib, const std::vector<std::uint8_t>& bytes) {
    ClassRegistry registry{&Bitmap::classRecord};
    Archive ar(bytes, registry);
    dib.Serialize(ar);
    EXPECT_EQ(ar.Remaining(), 0u);
}

/// Patches a little-endian dword into a file image.
void PutDWord(std::vector<std::uint8_t>& file, std::size_t at, std::uint32_t value) {
    ASSERT_LE(at + 4, file.size());
    for (int i = 0; i < 4; ++i)
        file[at + i] = std::uint8_t(value >> (8 * i));
}

const std::string_view kLettersBmp = "42 4D 46 00 00 00 00 00 00 00 36 00 00 00"
                                     "28 00 00 00 02 00 00 00 02 00 00 00 01 00 18 00"
                                     "00 00 00 00 00 00 00 00 D0 07 00 00 D0 07 00 00"
                                     "00 00 00 00 00 00 00 00"
                                     "47 48 49 4A 4B 4C 00 00 41 42 43 44 45 46 00 00";

} // namespace

TEST(BitmapPixels, StrideRoundsThreeBytesPerPixelUpToFour) {
    EXPECT_EQ(Bitmap::Stride(1), 4u);
    EXPECT_EQ(Bitmap::Stride(4), 12u);
    EXPECT_EQ(Bitmap::Stride(5), 16u);
    EXPECT_EQ(Bitmap::Stride(120), 360u);
}

TEST(BitmapPixels, SetBitsHoldsTopRowFirst) {
    Bitmap dib = Letters2x2();
    EXPECT_EQ(BitsOf(dib), Bytes(std::string_view("ABCDEF\0\0GHIJKL\0\0", 16)));

    // Padded input: the padding bytes of the input are not copied.
    Bitmap padded;
    ASSERT_TRUE(padded.SetBits(2, 2, Bytes("ABCDEFxyGHIJKLzw"), true));
    EXPECT_EQ(BitsOf(padded), BitsOf(dib));

    std::vector<std::uint8_t> packed(12);
    dib.CopyBitsTo(packed);
    EXPECT_EQ(packed, Bytes("ABCDEFGHIJKL"));
}

TEST(BitmapPixels, SetBitsRefusesBadInputAndKeepsTheBitmap) {
    Bitmap dib = Letters2x2();
    const auto before = BitsOf(dib);
    EXPECT_FALSE(dib.SetBits(2, 2, Bytes("ABCDEFGHIJK"), false));   // one byte short
    EXPECT_FALSE(dib.SetBits(2, 2, Bytes("ABCDEFxyGHIJKL"), true)); // short padded
    EXPECT_FALSE(dib.SetBits(-1, 2, Bytes("ABCDEFGHIJKL"), false));
    EXPECT_FALSE(dib.SetBits(2, -1, Bytes("ABCDEFGHIJKL"), false));
    EXPECT_FALSE(dib.SetBits(0x7FFFFFFF, 0x7FFFFFFF, Bytes("ABC"), false));
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(BitsOf(dib), before);
}

TEST(BitmapPixels, CopyAssignAndClear) {
    Bitmap source;
    ASSERT_EQ(source.ReadBMP(ReadFileBytes(TestDataPath("bitmap/grid2x2.bmp"))).status,
              BmpReadResult::Ok);
    ASSERT_EQ(source.Header().xPelsPerMeter, 2835);

    Bitmap copy(source);
    EXPECT_EQ(copy.Width(), 2);
    EXPECT_EQ(copy.Height(), 2);
    EXPECT_EQ(BitsOf(copy), BitsOf(source));
    EXPECT_EQ(copy.Header().xPelsPerMeter, 2000); // the header starts fresh

    const Bitmap empty;
    Bitmap emptyCopy(empty);
    EXPECT_FALSE(emptyCopy.HasBits());

    Bitmap target = Letters2x2();
    target = source;
    EXPECT_EQ(BitsOf(target), BitsOf(source));
    target.Assign(empty);
    EXPECT_TRUE(target.IsEmpty());
    EXPECT_FALSE(target.HasBits());
    EXPECT_TRUE(target.Bits().empty());

    source.Clear();
    EXPECT_TRUE(source.IsEmpty());
    EXPECT_TRUE(source.HasBits());
    EXPECT_EQ(source.Bits().size(), 1u);
    EXPECT_FALSE(Bitmap(source).HasBits()); // a 0 x 0 source has no pixels to copy

    Bitmap moved = Letters2x2();
    Bitmap into(std::move(moved));
    EXPECT_EQ(into.Width(), 2);
    // NOLINTNEXTLINE(bugprone-use-after-move): the moved-from state is defined
    EXPECT_FALSE(moved.HasBits());
    EXPECT_TRUE(moved.IsEmpty());
}

TEST(BitmapResize, NearestNeighbourPicksTruncatedSources) {
    Bitmap down = Coordinates(4, 4);
    ASSERT_TRUE(down.Resize(2, 2));
    EXPECT_EQ(down.Width(), 2);
    EXPECT_EQ(down.Height(), 2);
    EXPECT_EQ(down.Bits().size(), 16u);
    EXPECT_EQ(Sources(down), (std::vector<std::pair<int, int>>{{0, 0}, {2, 0}, {0, 2}, {2, 2}}));

    // 5 -> 3 columns: 1.6667 * j truncated gives 0, 1, 3 (rounding would give 0, 2, 3).
    Bitmap odd = Coordinates(5, 1);
    ASSERT_TRUE(odd.Resize(3, 1));
    EXPECT_EQ(Sources(odd), (std::vector<std::pair<int, int>>{{0, 0}, {1, 0}, {3, 0}}));

    Bitmap up = Coordinates(2, 2);
    ASSERT_TRUE(up.Resize(4, 3));
    // 2 / 4 = 0.5 per column; 2 / 3 = 0.6667 per row gives source rows 0, 0, 1.
    const std::vector<std::pair<int, int>> expected = {
        {0, 0}, {0, 0}, {1, 0}, {1, 0}, // new row 0
        {0, 0}, {0, 0}, {1, 0}, {1, 0}, // new row 1
        {0, 1}, {0, 1}, {1, 1}, {1, 1}, // new row 2
    };
    EXPECT_EQ(Sources(up), expected);
    EXPECT_EQ(up.Bits()[12], 0u); // padding stays zero
    EXPECT_EQ(up.Bits()[0], 0u);  // top row: source row 1 from the bottom
    EXPECT_EQ(up.Bits()[1], 1u);
}

TEST(BitmapResize, RefusalsAndEmptyBitmaps) {
    Bitmap none;
    EXPECT_FALSE(none.Resize(4, 4));
    EXPECT_FALSE(none.HasBits());

    Bitmap dib = Coordinates(4, 4);
    const auto before = BitsOf(dib);
    EXPECT_FALSE(dib.Resize(0, 2));
    EXPECT_FALSE(dib.Resize(2, -1));
    EXPECT_FALSE(dib.Resize(0x7FFFFFFF, 0x7FFFFFFF));
    EXPECT_EQ(dib.Width(), 4);
    EXPECT_EQ(BitsOf(dib), before);

    // A cleared bitmap gets a zeroed buffer for the new size but keeps its 0 x 0 size.
    dib.Clear();
    ASSERT_TRUE(dib.Resize(5, 3));
    EXPECT_EQ(dib.Bits().size(), 48u);
    EXPECT_EQ(dib.Width(), 0);
    EXPECT_EQ(dib.Height(), 0);
}

TEST(BitmapStoredForm, ExactBytesAndReadBack) {
    Bitmap empty;
    EXPECT_EQ(Store(empty), HexBytes("00 00 00 00"));

    Bitmap wide;
    ASSERT_TRUE(wide.SetBits(2, 1, Bytes("ABCDEF"), false));
    EXPECT_EQ(Store(wide), HexBytes("02 00 01 00  41 42 43 44 45 46 00 00"));

    Bitmap tall;
    ASSERT_TRUE(tall.SetBits(1, 2, Bytes("ABCDEF"), false));
    EXPECT_EQ(Store(tall), HexBytes("01 00 02 00  44 45 46 00  41 42 43 00"));

    Bitmap thumbnail = Coordinates(120, 120);
    EXPECT_EQ(Store(thumbnail).size(), 43204u);

    Bitmap small = Coordinates(10, 10);
    const auto stored = Store(small);
    ASSERT_EQ(stored.size(), 4u + 10 * 32);
    EXPECT_EQ(ToHex({stored.begin() + 4 + 27, stored.begin() + 4 + 35}),
              "09 00 80 00 00 00 01 80"); // last pixel, 2 padding bytes, next row

    Bitmap back = Letters2x2();
    Load(back, stored);
    EXPECT_EQ(back.Width(), 10);
    EXPECT_EQ(back.Height(), 10);
    EXPECT_EQ(BitsOf(back), BitsOf(small));

    Load(back, HexBytes("00 00 00 00"));
    EXPECT_TRUE(back.IsEmpty());
    EXPECT_FALSE(back.HasBits());
}

TEST(BitmapStoredForm, RowsComeBackTopFirstWithTheirPaddingKept) {
    // Bottom row D E F, top row A B C, with padding bytes another program left behind.
    const auto stored = HexBytes("01 00 02 00  44 45 46 EE  41 42 43 DD");
    Bitmap dib;
    Load(dib, stored);
    EXPECT_EQ(BitsOf(dib), Bytes("ABC\xDD"
                                 "DEF\xEE"));
    EXPECT_EQ(Store(dib), stored);
    EXPECT_EQ(ToHex(dib.ToBMP()).substr(54 * 3), "44 45 46 EE 41 42 43 DD");
}

TEST(BitmapStoredForm, ASizeWithOneSideZeroIsReadAsEmpty) {
    // 65535 x 0 and 0 x 7 announce no rows: the bitmap is empty, not a picture without pixels.
    for (const char* size : {"FF FF 00 00", "00 00 07 00"}) {
        SCOPED_TRACE(size);
        Bitmap dib = Letters2x2();
        Load(dib, HexBytes(size));
        EXPECT_TRUE(dib.IsEmpty());
        EXPECT_FALSE(dib.HasBits());
        EXPECT_EQ(Store(dib), HexBytes("00 00 00 00"));
    }
    // Nor can such a size be set.
    Bitmap dib = Letters2x2();
    EXPECT_FALSE(dib.SetBits(5, 0, {}, false));
    EXPECT_FALSE(dib.SetBits(0, 5, Bytes("ABCDEFGHIJKLMNO"), false));
    EXPECT_EQ(dib.Width(), 2);
    EXPECT_TRUE(Bitmap().SetBits(0, 0, {}, false));
}

TEST(BitmapStoredForm, DamagedAndUnstorableSizesThrow) {
    Bitmap dib = Letters2x2();
    auto stored = Store(dib);
    stored.pop_back();
    Bitmap target = Coordinates(3, 3);
    const auto before = BitsOf(target);
    try {
        Load(target, stored);
        FAIL() << "truncated data was read";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.Kind(), ArchiveError::EndOfData);
    }
    EXPECT_EQ(target.Width(), 3);
    EXPECT_EQ(BitsOf(target), before);

    // A damaged size must be refused before allocating 12 GB.
    const auto damaged = HexBytes("FF FF FF FF 00 00");
    largestAllocation = 0;
    try {
        Load(target, damaged);
        FAIL() << "oversized data was read";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.Kind(), ArchiveError::EndOfData);
    }
    EXPECT_LT(largestAllocation.load(), std::size_t{1} << 20);

    Bitmap tooWide;
    ASSERT_TRUE(tooWide.SetBits(65536, 1, std::vector<std::uint8_t>(65536 * 3), false));
    Archive ar;
    try {
        tooWide.Serialize(ar);
        FAIL() << "a 65536 wide bitmap was stored";
    } catch (const ArchiveException& e) {
        EXPECT_EQ(e.Kind(), ArchiveError::TooLarge);
    }
    EXPECT_TRUE(ar.Bytes().empty());
}

TEST(BitmapBmp, WritesExactFileAndReadsItBack) {
    const Bitmap dib = Letters2x2();
    EXPECT_EQ(ToHex(dib.ToBMP()), ToHex(HexBytes(kLettersBmp)));

    Bitmap back;
    const BmpReadResult result = back.ReadBMP(dib.ToBMP());
    EXPECT_TRUE(result);
    EXPECT_EQ(result.Message(), "");
    EXPECT_EQ(back.Width(), 2);
    EXPECT_EQ(back.Height(), 2);
    EXPECT_EQ(BitsOf(back), BitsOf(dib));

    // The file's resolution is kept and written again, so the golden file comes back unchanged.
    const std::string path = TestDataPath("bitmap/grid2x2.bmp");
    Bitmap golden;
    ASSERT_TRUE(golden.ReadBMP(ReadFileBytes(path)));
    EXPECT_EQ(golden.ToBMP(), ReadFileBytes(path));
    std::vector<std::uint8_t> packed(12);
    golden.CopyBitsTo(packed);
    EXPECT_EQ(packed, HexBytes("01 02 03 04 05 06 07 08 09 0A 0B 0C"));
}

TEST(BitmapBmp, RefusesOtherFormatsAndDamagedFiles) {
    const auto good = HexBytes(kLettersBmp);
    Bitmap dib = Coordinates(3, 1);
    const auto before = BitsOf(dib);
    const auto expectRefused = [&](std::vector<std::uint8_t> file, BmpReadResult::Status status) {
        const BmpReadResult result = dib.ReadBMP(file);
        EXPECT_EQ(result.status, status);
        EXPECT_FALSE(result);
        EXPECT_EQ(dib.Width(), 3);
        EXPECT_EQ(dib.Height(), 1);
        EXPECT_EQ(BitsOf(dib), before);
    };

    auto eightBit = good;
    eightBit[28] = 8;
    expectRefused(eightBit, BmpReadResult::WrongFormat);
    const BmpReadResult wrong = dib.ReadBMP(eightBit);
    EXPECT_EQ(wrong.Message(), "Bitmaps must be 24-bit uncompressed format!");
    EXPECT_EQ(wrong.Caption(), "File Format Error");

    auto compressed = good;
    compressed[30] = 1;
    expectRefused(compressed, BmpReadResult::WrongFormat);

    auto truncated = good;
    PutDWord(truncated, 22, 3); // three rows claimed, two present
    expectRefused(truncated, BmpReadResult::Damaged);
    EXPECT_EQ(dib.ReadBMP(truncated).Message(), "The bitmap file is damaged or incomplete.");
    EXPECT_EQ(dib.ReadBMP(truncated).Caption(), "File Format Error");
    expectRefused({good.begin(), good.end() - 1}, BmpReadResult::Damaged);
    expectRefused({good.begin(), good.begin() + 40}, BmpReadResult::Damaged);

    auto huge = good;
    PutDWord(huge, 18, 0x7FFFFFFF);
    PutDWord(huge, 22, 0x7FFFFFFF);
    expectRefused(huge, BmpReadResult::TooLarge);
    PutDWord(huge, 22, 0x80000000); // most negative height
    expectRefused(huge, BmpReadResult::Damaged);

    auto noWidth = good;
    PutDWord(noWidth, 18, 0);
    expectRefused(noWidth, BmpReadResult::Damaged);
    PutDWord(noWidth, 18, 0xFFFFFFFE);
    expectRefused(noWidth, BmpReadResult::Damaged);

    auto coreHeader = good;
    PutDWord(coreHeader, 14, 12);
    expectRefused(coreHeader, BmpReadResult::Damaged);

    // Without the "BM" mark the file is not a bitmap at all, whatever follows.
    for (const auto& mark : {HexBytes("42 41"), HexBytes("4D 42"), HexBytes("00 00")}) {
        auto unmarked = good;
        std::copy(mark.begin(), mark.end(), unmarked.begin());
        expectRefused(unmarked, BmpReadResult::Damaged);
        EXPECT_EQ(dib.ReadBMP(unmarked).Message(), "The bitmap file is damaged or incomplete.");
    }
    // A height of 0 has no rows to show, bottom-up or top-down alike.
    auto noHeight = good;
    PutDWord(noHeight, 22, 0);
    expectRefused(noHeight, BmpReadResult::Damaged);
    EXPECT_EQ(dib.ReadBMP(noHeight).Message(), "The bitmap file is damaged or incomplete.");
    // Rows said to start past the end of the file.
    for (std::uint32_t offset : {71u, 5000u, 0xFFFFFFFFu}) {
        auto farOffset = good;
        PutDWord(farOffset, 10, offset);
        expectRefused(farOffset, BmpReadResult::Damaged);
    }
    // The last offset inside the file that still leaves room for the rows is read.
    auto exactOffset = good;
    PutDWord(exactOffset, 10, 54);
    EXPECT_TRUE(Bitmap().ReadBMP(exactOffset));
}

TEST(BitmapBmp, PicturesPastTheLimitAreRefusedFromTheirHeader) {
    // A valid 18000 x 18000 file (972 MB) once took 100 s and 5.4 GB to open. Its header alone
    // is enough to refuse it, before memory is taken for its rows.
    const auto headerOf = [](std::uint32_t width, std::int32_t height) {
        auto file = HexBytes(kLettersBmp);
        file.resize(54);
        PutDWord(file, 18, width);
        PutDWord(file, 22, static_cast<std::uint32_t>(height));
        return file;
    };
    Bitmap dib = Coordinates(3, 1);
    for (const auto& [width, height] : {std::pair{18000u, 18000}, std::pair{16385u, 1},
                                        std::pair{1u, 16385}, std::pair{2u, -16385}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        largestAllocation = 0;
        const BmpReadResult result = dib.ReadBMP(headerOf(width, height));
        EXPECT_LT(largestAllocation.load(), std::size_t{4096});
        EXPECT_EQ(result.status, BmpReadResult::TooLarge);
        EXPECT_EQ(result.Caption(), "File Format Error");
        EXPECT_EQ(dib.Width(), 3);
    }
    EXPECT_EQ(dib.ReadBMP(headerOf(18000, 18000)).Message(),
              "The picture is 18000 x 18000 pixels; pictures of more than 16384 pixels on a side "
              "cannot be opened.");

    // At the limit the header is fine: only the missing rows refuse this file.
    EXPECT_EQ(dib.ReadBMP(headerOf(16384, 1)).status, BmpReadResult::Damaged);
    auto wide = headerOf(16384, 1);
    wide.resize(54 + Bitmap::Stride(16384), 0x40);
    ASSERT_TRUE(dib.ReadBMP(wide));
    EXPECT_EQ(dib.Width(), 16384);
}

TEST(BitmapBmp, ReadingFromASourceTakesOnlyThePicturesMemory) {
    // A source that hands out a 2000 x 1000 file block by block, as the file road does.
    class Generated : public ArchiveSource {
    public:
        Generated() {
            m_head = HexBytes(kLettersBmp);
            m_head.resize(54);
            PutDWord(m_head, 18, 2000);
            PutDWord(m_head, 22, 1000);
        }
        std::size_t Size() const override { return 54 + 6000 * 1000; }
        std::size_t Read(std::uint8_t* data, std::size_t size) override {
            std::size_t count = std::min(size, Size() - m_at);
            count = std::min<std::size_t>(count, 65536);
            for (std::size_t i = 0; i < count; ++i, ++m_at)
                data[i] = m_at < 54 ? m_head[m_at] : static_cast<std::uint8_t>(m_at / 6000);
            return count;
        }

    private:
        std::vector<std::uint8_t> m_head;
        std::size_t m_at = 0;
    };
    Generated source;
    Bitmap dib;
    largestAllocation = 0;
    ASSERT_TRUE(dib.ReadBMP(source));
    EXPECT_EQ(largestAllocation.load(), std::size_t{6000 * 1000}); // the rows, once
    EXPECT_EQ(dib.Width(), 2000);
    // The file's first row (after the headers) is the bottom one.
    EXPECT_EQ(dib.Bits()[6000 * 999], static_cast<std::uint8_t>(54 / 6000));
    EXPECT_EQ(dib.Bits()[0], static_cast<std::uint8_t>((54 + 6000 * 999) / 6000));
}

TEST(BitmapBmp, ReadsTopDownRowsAndLongHeaders) {
    auto topDown = HexBytes(kLettersBmp);
    PutDWord(topDown, 22, static_cast<std::uint32_t>(-2));
    Bitmap dib;
    ASSERT_TRUE(dib.ReadBMP(topDown));
    EXPECT_EQ(dib.Height(), 2);
    EXPECT_EQ(dib.Header().height, 2);
    // The first row in the file is the top row.
    EXPECT_EQ(BitsOf(dib), Bytes(std::string_view("GHIJKL\0\0ABCDEF\0\0", 16)));

    // A version 5 header (124 bytes) as GIMP writes it, rows at offset 138.
    auto v5 = HexBytes("42 4D 9A 00 00 00 00 00 00 00 8A 00 00 00"
                       "7C 00 00 00 02 00 00 00 02 00 00 00 01 00 18 00"
                       "00 00 00 00 10 00 00 00 13 0B 00 00 12 0B 00 00"
                       "00 00 00 00 00 00 00 00");
    v5.resize(138, 0xEE); // the rest of the long header: masks, colour space, ...
    const auto rows = Bytes(std::string_view("GHIJKL\0\0ABCDEF\0\0", 16)); // bottom first
    const auto topFirst = Bytes(std::string_view("ABCDEF\0\0GHIJKL\0\0", 16));
    v5.insert(v5.end(), rows.begin(), rows.end());
    ASSERT_TRUE(dib.ReadBMP(v5));
    EXPECT_EQ(BitsOf(dib), topFirst);
    EXPECT_EQ(dib.Header().size, 40u);
    EXPECT_EQ(dib.Header().xPelsPerMeter, 2835);
    EXPECT_EQ(dib.Header().yPelsPerMeter, 2834);
    const auto written = dib.ToBMP();
    EXPECT_EQ(ToHex({written.begin() + 14, written.begin() + 18}), "28 00 00 00");
    EXPECT_EQ(ToHex({written.begin() + 38, written.begin() + 46}), "13 0B 00 00 12 0B 00 00");

    // Gaps after the header are skipped; an offset inside the headers means right after them.
    auto gap = HexBytes(kLettersBmp);
    gap.insert(gap.begin() + 54, {0xEE, 0xEE, 0xEE, 0xEE});
    PutDWord(gap, 10, 58);
    ASSERT_TRUE(dib.ReadBMP(gap));
    EXPECT_EQ(BitsOf(dib), topFirst);
    auto lowOffset = HexBytes(kLettersBmp);
    for (std::uint32_t offset : {0u, 53u}) {
        PutDWord(lowOffset, 10, offset);
        ASSERT_TRUE(dib.ReadBMP(lowOffset)) << offset;
        EXPECT_EQ(BitsOf(dib), topFirst) << offset;
    }
}
