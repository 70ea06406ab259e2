#include "allocationprobe.h"
#include "core/bitmap/pngimage.h"
#include "core/bitmap/renderedimage.h"
#include "core/bitmap/targaimage.h"
#include "testsupport.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <zlib.h>

namespace {

using Bytes = std::vector<std::uint8_t>;
using PixelOf = std::function<std::array<int, 3>(int x, int y)>; // red, green, blue

const std::string kIncomplete = "The rendered image is incomplete.";
const std::string kDamaged = "The rendered image is damaged.";
const std::string kUnsupported = "The rendered image has an unsupported format.";

Bytes Image(const std::string& name) {
    return ReadFileBytes(TestDataPath("images/" + name));
}

/// Decodes a file that must be whole and of the given size.
Bytes Pixels(const Bytes& file, int width, int height) {
    const RenderedImageResult result = DecodeRenderedImage(file, width, height);
    EXPECT_TRUE(result.ok) << result.error;
    return result.image.rows;
}

std::string ErrorOf(const Bytes& file, int width, int height) {
    return DecodeRenderedImage(file, width, height).error;
}

/// The rows, blue green red, that `pixel` gives for a picture of the given size.
Bytes Expected(int width, int height, const PixelOf& pixel) {
    Bytes rows;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const auto [red, green, blue] = pixel(x, y);
            rows.insert(rows.end(), {std::uint8_t(blue), std::uint8_t(green), std::uint8_t(red)});
        }
    return rows;
}

// The gradients the PNG fixtures were written with (by libpng). 16-bit samples hold these in
// their high byte and something else in the low one; alpha holds yet another gradient.
std::array<int, 3> Colour(int x, int y) {
    return {(x * 37 + y * 11) & 255, (x * 5 + y * 29 + 7) & 255, (x * x + y * 3) & 255};
}
std::array<int, 3> Grey(int x, int y) {
    const int grey = (x * 9 + y * 17) & 255;
    return {grey, grey, grey};
}
PixelOf Indexed(int entries) {
    return [entries](int x, int y) {
        const int i = (x * 3 + y * 5 + x * y) % entries;
        return std::array<int, 3>{i * 3 + 1, 255 - i, (i * 7) & 255};
    };
}

// ---- building files by hand ----------------------------------------------------------------

/// Writes `value` big-endian over the four bytes at `at`.
void Set32(std::uint8_t* at, std::uint32_t value) {
    for (int i = 0; i < 4; ++i)
        at[i] = std::uint8_t(value >> (24 - 8 * i));
}

void Put32(Bytes& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    Set32(out.data() + out.size() - 4, value);
}

/// Length, type, data and the CRC of type and data. The chunk is sized once and filled in place:
/// growing it piece by piece draws GCC 12's false -Wstringop-overflow in optimised builds.
Bytes Chunk(std::string_view type, const Bytes& data) {
    Bytes chunk(4 + type.size() + data.size() + 4);
    std::uint8_t* at = chunk.data();
    Set32(at, std::uint32_t(data.size()));
    at = std::copy(type.begin(), type.end(), at + 4);
    at = std::copy(data.begin(), data.end(), at);
    Set32(at, std::uint32_t(crc32(0, chunk.data() + 4, uInt(type.size() + data.size()))));
    return chunk;
}

Bytes Ihdr(std::uint32_t width, std::uint32_t height, int depth, int colourType,
           int interlace = 0) {
    Bytes data;
    Put32(data, width);
    Put32(data, height);
    data.insert(data.end(),
                {std::uint8_t(depth), std::uint8_t(colourType), 0, 0, std::uint8_t(interlace)});
    return Chunk("IHDR", data);
}

/// A zlib stream holding `data` in one stored block.
Bytes Stored(const Bytes& data) {
    Bytes stream = {0x78,
                    0x01,
                    0x01,
                    std::uint8_t(data.size()),
                    std::uint8_t(data.size() >> 8),
                    std::uint8_t(~data.size()),
                    std::uint8_t(~data.size() >> 8)};
    stream.insert(stream.end(), data.begin(), data.end());
    Put32(stream, std::uint32_t(adler32(1, data.data(), uInt(data.size()))));
    return stream;
}

Bytes Png(std::initializer_list<Bytes> chunks) {
    Bytes file = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    for (const Bytes& chunk : chunks)
        file.insert(file.end(), chunk.begin(), chunk.end());
    return file;
}

/// A 2 x 2 RGB picture: red, green / blue, white. The first row has filter type `filter`;
/// `extraRows` adds rows of zeros, or with -1 leaves out the last row.
Bytes TinyPng(std::uint8_t filter = 0, int extraRows = 0) {
    Bytes rows = {filter, 255, 0, 0, 0, 255, 0, 0, 0, 0, 255, 255, 255, 255};
    rows.resize(std::size_t(14 + extraRows * 7), 0);
    return Png({Ihdr(2, 2, 8, 2), Chunk("IDAT", Stored(rows)), Chunk("IEND", {})});
}

Bytes TargaHeader(int type, int width, int height, int bits, int descriptor) {
    return {0,
            0,
            std::uint8_t(type),
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            0,
            std::uint8_t(width),
            std::uint8_t(width >> 8),
            std::uint8_t(height),
            std::uint8_t(height >> 8),
            std::uint8_t(bits),
            std::uint8_t(descriptor)};
}

/// Reverses the order of the rows (and, with `mirror`, of the pixels in each row).
Bytes Flipped(const Bytes& rows, int width, bool vertical, bool mirror) {
    const std::size_t stride = std::size_t(width) * 3;
    const std::size_t height = rows.size() / stride;
    Bytes out;
    for (std::size_t y = 0; y < height; ++y) {
        const std::size_t from = vertical ? height - 1 - y : y;
        for (int x = 0; x < width; ++x) {
            const std::size_t column = std::size_t(mirror ? width - 1 - x : x);
            const auto* pixel = &rows[from * stride + column * 3];
            out.insert(out.end(), pixel, pixel + 3);
        }
    }
    return out;
}

Bytes Concat(Bytes first, const Bytes& second) {
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

} // namespace

// ---- PNG ---------------------------------------------------------------------------------

TEST(PngDecoding, DecodesEveryKindToTheKnownPixels) {
    struct Case {
        const char* file;
        PixelOf pixel;
        int width = 13;
        int height = 11;
    };
    const Case cases[] = {
        {"rgb8_filter0.png", Colour},
        {"rgb8_filter1.png", Colour},
        {"rgb8_filter2.png", Colour},
        {"rgb8_filter3.png", Colour},
        {"rgb8_filter4.png", Colour},
        {"rgba8.png", Colour},
        {"rgb16.png", Colour},
        {"rgba16.png", Colour},
        {"grey8.png", Grey},
        {"grey16.png", Grey},
        {"greyalpha8.png", Grey},
        {"greyalpha16.png", Grey},
        {"palette1.png", Indexed(2)},
        {"palette2.png", Indexed(4)},
        {"palette4.png", Indexed(16)},
        {"palette8.png", Indexed(200)},
        {"rgb8_adam7.png", Colour},
        {"rgba16_adam7.png", Colour},
        {"palette2_adam7.png", Indexed(4)},
        {"rgb8_adam7_3x2.png", Colour, 3, 2}, // passes without pixels
        {"rgb8_large.png", Colour, 301, 203},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        EXPECT_EQ(Pixels(Image(c.file), c.width, c.height), Expected(c.width, c.height, c.pixel));
    }
}

TEST(PngDecoding, RefusesDamageWithTheRightSentence) {
    EXPECT_EQ(Pixels(TinyPng(), 2, 2), Bytes({0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 255}));
    EXPECT_EQ(ErrorOf(TinyPng(5), 2, 2), kDamaged);        // no filter type 5
    EXPECT_EQ(ErrorOf(TinyPng(0, 1), 2, 2), kDamaged);     // a row too many
    EXPECT_EQ(ErrorOf(TinyPng(0, -1), 2, 2), kIncomplete); // a row short
    auto badCrc = Image("scene.png");
    badCrc[29] ^= 1; // in the IHDR's CRC
    EXPECT_EQ(ErrorOf(badCrc, 24, 18), kDamaged);

    const Bytes ihdr = Ihdr(2, 2, 8, 2);
    const Bytes idat = Chunk("IDAT", Stored(Bytes(14, 0)));
    const Bytes iend = Chunk("IEND", {});
    EXPECT_EQ(ErrorOf(Png({ihdr, Chunk("IDAT", {0x78, 0x01, 0xFF, 0xFF}), iend}), 2, 2), kDamaged);
    EXPECT_EQ(ErrorOf(Png({idat, ihdr, iend}), 2, 2), kDamaged); // IHDR must come first
    EXPECT_EQ(ErrorOf(Png({Ihdr(2, 2, 2, 3), Chunk("IDAT", Stored(Bytes(4, 0))), iend}), 2, 2),
              kDamaged); // no palette
    EXPECT_EQ(ErrorOf(Png({ihdr, idat}), 2, 2), kIncomplete);
    EXPECT_EQ(ErrorOf(Png({ihdr, iend}), 2, 2), kIncomplete);
    // Ancillary chunks are skipped, unknown critical ones cannot be.
    EXPECT_TRUE(DecodeRenderedImage(Png({ihdr, Chunk("vlVn", {1}), idat, iend}), 2, 2).ok);
    EXPECT_EQ(ErrorOf(Png({ihdr, Chunk("VLVN", {1}), idat, iend}), 2, 2), kUnsupported);
    // A malformed ancillary chunk (a gAMA of 3 bytes instead of 4) only loses that chunk.
    EXPECT_TRUE(DecodeRenderedImage(Png({ihdr, Chunk("gAMA", {1, 2, 3}), idat, iend}), 2, 2).ok);
    for (const Bytes& header :
         {Ihdr(2, 2, 16, 3), Ihdr(2, 2, 4, 2), Ihdr(2, 2, 8, 5), Ihdr(2, 2, 8, 2, 2)})
        EXPECT_EQ(ErrorOf(Png({header, idat, iend}), 2, 2), kUnsupported);
}

TEST(PngDecoding, ExpandsLowGreyDepthsToFullBytes) {
    // 4 x 1 at 2 bits: the four grey levels 0-3 become 0, 85, 170 and 255.
    const Bytes twoBit =
        Png({Ihdr(4, 1, 2, 0), Chunk("IDAT", Stored({0, 0x1B})), Chunk("IEND", {})});
    EXPECT_EQ(Pixels(twoBit, 4, 1), Expected(4, 1, [](int x, int) {
                  return std::array<int, 3>{x * 85, x * 85, x * 85};
              }));
    // 3 x 2 at 1 bit, most significant bit first: white black white / black white black.
    const Bytes oneBit =
        Png({Ihdr(3, 2, 1, 0), Chunk("IDAT", Stored({0, 0xA0, 0, 0x40})), Chunk("IEND", {})});
    EXPECT_EQ(Pixels(oneBit, 3, 2), Expected(3, 2, [](int x, int y) {
                  const int grey = (x + y) % 2 == 0 ? 255 : 0;
                  return std::array<int, 3>{grey, grey, grey};
              }));
    // A filtered 1-bit file written by libpng: only black and white come out.
    const Bytes grey1 = Pixels(Image("grey1.png"), 13, 11);
    ASSERT_EQ(grey1.size(), 13u * 11 * 3);
    EXPECT_TRUE(std::all_of(grey1.begin(), grey1.end(), [](int b) { return b == 0 || b == 255; }));
    EXPECT_TRUE(std::count(grey1.begin(), grey1.end(), 255) > 0);
    EXPECT_TRUE(std::count(grey1.begin(), grey1.end(), 0) > 0);
}

TEST(PngDecoding, ReportsTheSizeBeforeAllocating) {
    DecodedImage image;
    EXPECT_EQ(DecodePngImage(Image("scene.png"), image, 24 * 18 - 1), ImageDecodeStatus::TooLarge);
    EXPECT_EQ(image.width, 24);
    EXPECT_EQ(image.height, 18);
    EXPECT_TRUE(image.rows.empty());
    // 60000 x 60000 RGBA from a few bytes: refused from the header, or as having too little data.
    const Bytes huge =
        Png({Ihdr(60000, 60000, 16, 6), Chunk("IDAT", Stored(Bytes(100, 0))), Chunk("IEND", {})});
    largestAllocation = 0;
    EXPECT_EQ(DecodePngImage(huge, image), ImageDecodeStatus::TooLarge);
    EXPECT_EQ(DecodePngImage(huge, image, std::uint64_t{1} << 40), ImageDecodeStatus::Incomplete);
    EXPECT_LT(largestAllocation.load(), std::size_t{1} << 20);
}

// ---- Targa -------------------------------------------------------------------------------

TEST(TargaDecoding, PovRayOutputMatchesInEveryFormat) {
    const Bytes png = Pixels(Image("scene.png"), 24, 18);
    EXPECT_EQ(Pixels(Image("scene.tga"), 24, 18), png);
    EXPECT_EQ(Pixels(Image("scene_rle.tga"), 24, 18), png);
    // Top left is the background, rgb <0.2, 0.3, 0.8>; the sphere sits right of and below centre.
    EXPECT_EQ(Bytes(png.begin(), png.begin() + 3), Bytes({204, 77, 51}));
    EXPECT_NE(Flipped(png, 24, true, true), png);

    // The 16-bit render's high bytes: POV-Ray rounds each depth on its own, so off by one at most.
    const Bytes wide = Pixels(Image("scene_16bit.png"), 24, 18);
    ASSERT_EQ(wide.size(), png.size());
    for (std::size_t i = 0; i < png.size(); ++i)
        EXPECT_LE(std::abs(wide[i] - png[i]), 1) << "byte " << i;

    // With alpha: RGBA PNG and 32-bit Targas, plain and run-length encoded.
    const Bytes alpha = Pixels(Image("scene_alpha.png"), 24, 18);
    EXPECT_EQ(Pixels(Image("scene_alpha.tga"), 24, 18), alpha);
    EXPECT_EQ(Pixels(Image("scene_alpha_rle.tga"), 24, 18), alpha);
}

TEST(TargaDecoding, HonoursOriginAndSkipsIdAndColourMap) {
    const Bytes file = Image("scene.tga");
    const Bytes pixels(file.begin() + 18, file.begin() + 18 + 24 * 18 * 3); // top first
    const Bytes expected = Pixels(file, 24, 18);
    for (int descriptor : {0x00, 0x10, 0x20, 0x30}) {
        const bool bottomFirst = !(descriptor & 0x20);
        const bool rightFirst = descriptor & 0x10;
        const Bytes stored = Flipped(pixels, 24, bottomFirst, rightFirst);
        SCOPED_TRACE(descriptor);
        EXPECT_EQ(Pixels(Concat(TargaHeader(2, 24, 18, 24, descriptor), stored), 24, 18), expected);
    }
    // Run-length packets running on from one row into the next, stored bottom row first: the
    // bottom row is A A, the top row A B.
    const Bytes a = {1, 2, 3}, b = {4, 5, 6};
    const Bytes packets = Concat(Concat({0x82}, a), Concat({0x00}, b));
    EXPECT_EQ(Pixels(Concat(TargaHeader(10, 2, 2, 24, 0x00), packets), 2, 2),
              Concat(Concat(a, b), Concat(a, a)));
    // A 7-byte image ID and a declared colour map of three 24-bit entries come first.
    Bytes withExtras = TargaHeader(2, 24, 18, 24, 0x20);
    withExtras[0] = 7;
    withExtras[1] = 1;
    withExtras[5] = 3;
    withExtras[7] = 24;
    withExtras = Concat(Concat(withExtras, Bytes(7 + 9, 0xEE)), pixels);
    EXPECT_EQ(Pixels(withExtras, 24, 18), expected);
}

TEST(TargaDecoding, RefusesOtherKindsAndBadPackets) {
    EXPECT_EQ(ErrorOf(Concat(TargaHeader(2, 2, 1, 16, 0), Bytes(4, 0)), 2, 1), kUnsupported);
    EXPECT_EQ(ErrorOf(Concat(TargaHeader(3, 2, 1, 8, 0), Bytes(2, 0)), 2, 1), kUnsupported);
    EXPECT_EQ(ErrorOf(Concat(TargaHeader(11, 2, 1, 8, 0), Bytes(3, 0)), 2, 1), kUnsupported);
    Bytes mapped = TargaHeader(1, 2, 1, 8, 0);
    mapped[1] = 1;
    mapped[5] = 2;
    mapped[7] = 24;
    EXPECT_EQ(ErrorOf(Concat(mapped, Bytes(8, 0)), 2, 1), kUnsupported);
    EXPECT_EQ(ErrorOf(Concat(TargaHeader(2, 2, 1, 24, 0x40), Bytes(6, 0)), 2, 1), kUnsupported);

    const Bytes rle = TargaHeader(10, 2, 2, 24, 0x20);
    EXPECT_EQ(ErrorOf(Concat(rle, {0x84, 1, 2, 3}), 2, 2), kDamaged); // 5 pixels of 4
    EXPECT_EQ(ErrorOf(Concat(rle, {0x81, 1, 2, 3, 0x02, 1, 2, 3}), 2, 2), kDamaged);
    EXPECT_EQ(ErrorOf(Concat(rle, {0x81, 1, 2, 3, 0x81, 1, 2}), 2, 2), kIncomplete);
    EXPECT_EQ(ErrorOf(Concat(rle, {0x83, 1, 2}), 2, 2), kIncomplete);
    EXPECT_EQ(Pixels(Concat(rle, {0x83, 1, 2, 3}), 2, 2),
              Bytes({1, 2, 3, 1, 2, 3, 1, 2, 3, 1, 2, 3}));

    // 65535 x 65535 claimed by a few bytes: nothing near that size is allocated.
    DecodedImage image;
    const Bytes huge = Concat(TargaHeader(10, 65535, 65535, 24, 0x20), {0xFF, 1, 2, 3});
    largestAllocation = 0;
    EXPECT_EQ(DecodeTargaImage(huge, image), ImageDecodeStatus::TooLarge);
    EXPECT_EQ(DecodeTargaImage(huge, image, std::uint64_t{1} << 40), ImageDecodeStatus::Incomplete);
    EXPECT_LT(largestAllocation.load(), std::size_t{1} << 20);
}

// ---- the entry point ---------------------------------------------------------------------

TEST(RenderedImage, NamesWhatIsWrong) {
    EXPECT_EQ(ErrorOf({}, 24, 18), "The rendered image is empty.");
    for (const char* text : {"GIF89a and more", "P6 24 18 255\n", "\x89PNX"}) {
        const std::string data = text;
        EXPECT_EQ(ErrorOf(Bytes(data.begin(), data.end()), 24, 18),
                  "The rendered image is neither a Targa nor a PNG file.");
    }
    EXPECT_EQ(ErrorOf(Image("scene.png"), 120, 120),
              "The rendered image is 24 x 18 pixels instead of 120 x 120.");
    EXPECT_EQ(ErrorOf(Image("scene_rle.tga"), 24, 17),
              "The rendered image is 24 x 18 pixels instead of 24 x 17.");
    const Bytes small = Concat(TargaHeader(2, 60, 60, 24, 0x20), Bytes(60 * 60 * 3, 9));
    EXPECT_EQ(ErrorOf(small, 120, 120),
              "The rendered image is 60 x 60 pixels instead of 120 x 120.");
    // The size is known from the header, so it is the first thing said even of a cut file.
    EXPECT_EQ(ErrorOf(Bytes(small.begin(), small.begin() + 100), 120, 120),
              "The rendered image is 60 x 60 pixels instead of 120 x 120.");
    EXPECT_EQ(ErrorOf(Concat(TargaHeader(2, 200, 200, 24, 0x20), {}), 120, 120),
              "The rendered image is 200 x 200 pixels instead of 120 x 120.");
}

TEST(RenderedImage, EveryCutFileIsIncomplete) {
    for (const char* name :
         {"scene.png", "scene_alpha.png", "scene.tga", "scene_rle.tga", "scene_alpha_rle.tga"}) {
        SCOPED_TRACE(name);
        const Bytes file = Image(name);
        // A PNG needs its last byte (IEND's CRC); a Targa needs the header and pixels only.
        std::size_t needed = file.size();
        if (file[0] != 0x89)
            while (DecodeRenderedImage(Bytes(file.begin(), file.begin() + needed - 1), 24, 18).ok)
                --needed;
        EXPECT_LE(needed, file[0] != 0x89 ? file.size() - 26 : file.size()); // Targa footer
        for (std::size_t size = 1; size < needed; ++size)
            ASSERT_EQ(ErrorOf(Bytes(file.begin(), file.begin() + size), 24, 18), kIncomplete)
                << size << " bytes";
    }
}

TEST(RenderedImage, SurvivesRandomDamage) {
    const std::set<std::string> sentences = {
        kIncomplete, kDamaged, kUnsupported, "The rendered image is empty.",
        "The rendered image is neither a Targa nor a PNG file."};
    std::mt19937 random(20240607);
    for (const char* name :
         {"scene.png", "scene.tga", "scene_rle.tga", "scene_alpha_rle.tga", "rgb8_adam7.png",
          "palette2_adam7.png", "rgba16.png", "rgb8_large.png"}) {
        SCOPED_TRACE(name);
        const Bytes original = Image(name);
        DecodedImage reference;
        ASSERT_TRUE(DecodePngImage(original, reference) == ImageDecodeStatus::Ok ||
                    DecodeTargaImage(original, reference) == ImageDecodeStatus::Ok);
        for (int round = 0; round < 400; ++round) {
            Bytes file = original;
            for (int i = 0; i <= round % 4; ++i)
                file[random() % file.size()] ^= std::uint8_t(1 + random() % 255);
            if (round % 5 == 0)
                file.resize(random() % file.size());
            const auto result = DecodeRenderedImage(file, reference.width, reference.height);
            if (result.ok) {
                EXPECT_EQ(result.image.rows.size(), reference.rows.size());
            } else if (result.error.find(" pixels instead of ") == std::string::npos) {
                EXPECT_TRUE(sentences.count(result.error)) << result.error;
            }
        }
    }
}
