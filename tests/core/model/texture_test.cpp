#include "core/archive/archive.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/storedclasses.h"
#include "testsupport.h"

#include <clocale>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string_view>
#include <tuple>

namespace {

const std::string kWhite = "  pigment\r\n  {\r\n    colour rgb<1.000,1.000,1.000>\r\n  }\r\n";

std::vector<std::uint8_t> Stored(Storable& object) {
    Archive ar;
    object.Serialize(ar);
    return ar.Bytes();
}

SimpleTexture Layer(const std::string& name, std::uint8_t red) {
    SimpleTexture layer;
    layer.SetName(name);
    layer.pigment.color = {red, 0, 0, 0};
    return layer;
}

} // namespace

TEST(WrapComment, WrapsAtBlanksWithinSixtyCharacters) {
    EXPECT_EQ(WrapComment(""), "");
    EXPECT_EQ(WrapComment("Red oak"), "// Red oak\r\n");
    EXPECT_EQ(WrapComment(std::string(60, 'x')), "// " + std::string(60, 'x') + "\r\n");
    EXPECT_EQ(WrapComment(std::string(61, 'x')), "// " + std::string(60, 'x') + "\r\n// x\r\n");

    const std::string words = std::string(50, 'a') + " " + std::string(20, 'b') + " c";
    EXPECT_EQ(WrapComment(words),
              "// " + std::string(50, 'a') + "\r\n// " + std::string(20, 'b') + " c\r\n");
    // A blank exactly at position 60 ends the first part there.
    EXPECT_EQ(WrapComment(std::string(60, 'a') + " b"),
              "// " + std::string(60, 'a') + "\r\n// b\r\n");
    // Leading blanks and tabs of a part are dropped; an all-blank part still gives a line.
    EXPECT_EQ(WrapComment(" \t lead"), "// lead\r\n");
    EXPECT_EQ(WrapComment("   "), "// \r\n");
}

TEST(WrapComment, CountsCharactersNotBytes) {
    const std::string sixty = "\u00E9" + std::string(59, 'e');
    EXPECT_EQ(WrapComment(sixty), "// " + sixty + "\r\n");
}

TEST(WrapComment, EveryLineOfAMultiLineDescriptionIsAComment) {
    EXPECT_EQ(WrapComment("first\r\nsecond\nthird\rfourth"),
              "// first\r\n// second\r\n// third\r\n// fourth\r\n");
    EXPECT_EQ(WrapComment("para one\n\npara two\n"), "// para one\r\n// \r\n// para two\r\n");
    EXPECT_EQ(WrapComment("x\n" + std::string(61, 'y')),
              "// x\r\n// " + std::string(60, 'y') + "\r\n// y\r\n");
    // Nothing after a line break can escape the comment, whatever it holds.
    const std::string text = WrapComment("note\n#declare Evil = 1;\n  sphere {0,1}");
    std::size_t start = 0;
    while (start < text.size()) {
        EXPECT_EQ(text.compare(start, 3, "// "), 0) << text;
        start = text.find("\r\n", start) + 2;
    }
}

TEST(SimpleTextureSource, DefaultTexture) {
    SimpleTexture t;
    EXPECT_EQ(t.GetSource(SourceFlag::Declare),
              "#declare Untitled = texture\r\n{\r\n" + kWhite + "}");
    EXPECT_EQ(t.GetSource({}), kWhite);
}

TEST(SimpleTextureSource, NameWithBlanksAndDescription) {
    SimpleTexture t;
    t.SetName("Red Marble 2");
    t.SetDescription("A marble");
    EXPECT_EQ(t.GetName(), "Red Marble 2");
    EXPECT_EQ(t.GetSource(SourceFlag::Declare),
              "// A marble\r\n#declare Red_Marble_2 = texture\r\n{\r\n" + kWhite + "}");
}

TEST(SimpleTextureSource, VeryLongNamesAreCutTo240Characters) {
    // POV-Ray refuses tokens of 256 characters or more.
    SimpleTexture t;
    t.SetName(std::string(300, 'n'));
    EXPECT_EQ(t.GetSource(SourceFlag::Declare).substr(0, 252),
              "#declare " + std::string(240, 'n') + " = ");
    EXPECT_EQ(t.GetName(), std::string(300, 'n'));
}

TEST(SimpleTextureSource, PartsInSourceOrderWithFlags) {
    SimpleTexture t;
    t.pigment.pattern = Pigment::Granite;
    t.normal.kind = Normal::Dents;
    t.normal.amount = 30;
    t.finish.phong = 100;
    t.transformations.scale = {3, 3, 3};
    const std::string pigment = t.pigment.GetSource();
    const std::string normal = "  normal\r\n  {\r\n    dents 0.3\r\n  }\r\n";
    const std::string finish = "  finish {\r\n    phong 1.0\r\n  }\r\n";
    const std::string scale = "  scale <3.0, 3.0, 3.0>\r\n";
    EXPECT_EQ(t.GetSource({}), pigment + normal + finish + scale);
    EXPECT_EQ(t.GetSource(SourceFlag::NoNormal), pigment + finish + scale);
    EXPECT_EQ(t.GetSource(SourceFlag::NoFinish), pigment + normal + scale);
    EXPECT_EQ(t.GetSource(SourceFlag::NoFinish | SourceFlag::NoNormal), pigment + scale);
}

TEST(SimpleTextureSource, SolidColourWithoutNormalDropsTextureTransformations) {
    SimpleTexture t;
    t.transformations.rotate = {0, 30, 0};
    EXPECT_EQ(t.GetSource({}), kWhite);
    // The normal's kind decides, even when the normal itself is left out.
    t.normal.kind = Normal::Bumps;
    EXPECT_EQ(t.GetSource(SourceFlag::NoNormal | SourceFlag::NoFinish),
              kWhite + "  rotate <0.0, 30.0, 0.0>\r\n");
}

TEST(SimpleTextureSource, MultiLineDescriptionsGiveCrLfLinesOnly) {
    SimpleTexture t;
    t.SetDescription("two\nlines");
    const std::string written = t.GetSource(SourceFlag::Declare);
    EXPECT_EQ(written.rfind("// two\r\n// lines\r\n#declare Untitled = texture\r\n", 0), 0u)
        << written;
    EXPECT_EQ(written.find("\r\r"), std::string::npos);
    EXPECT_EQ(written.back(), '}');
}

TEST(SimpleTextureStorage, DefaultTextureBytes) {
    SimpleTexture t;
    const auto expected = HexBytes(
        "08 55 6E 74 69 74 6C 65 64" // name "Untitled"
        " 00"                        // description
        " 00 00 00 00"               // empty thumbnail
        " 00"                        // preview shape
        // pigment head: kind 10, gradient 1 0 0, colour white, phase 0, frequency 1
        " 0A 01 00 00 FF FF FF 00 00 01 00"
        // colour map: 2 entries
        " 02 00 00 00 00 00 00 00 00 00 00 80 3F FF FF FF 00"
        // image: name, type, once, map type, interpolate, bump size 4.0
        " 00 00 00 00 00 00 00 80 40"
        // turbulence: 0, 6, 50, lambda 2.0
        " 00 06 32 00 00 00 40"
        // transformations: translate 0, scale 1, rotate 0
        " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 3F 00 00 80 3F 00 00 80 3F"
        " 00 00 00 00 00 00 00 00 00 00 00 00"
        // finish: ambient 10, diffuse 60, brilliance 1, metallic, crand, reflection,
        // refraction, ior 1, phong, phong size 40, specular, roughness 5
        " 0A 00 3C 00 00 00 80 3F 00 00 00 00 00 00 00 00 00 00 80 3F 00 00 28 00 00 00 05 00"
        // normal head: amount 0, kind 5, reserved, colour, phase, frequency
        " 00 05 00 00 00 FF FF FF 00 00 01 00"
        " 02 00 00 00 00 00 00 00 00 00 00 80 3F FF FF FF 00"
        " 00 00 00 00 00 00 00 80 40"
        " 00 06 32 00 00 00 40"
        " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 3F 00 00 80 3F 00 00 80 3F"
        " 00 00 00 00 00 00 00 00 00 00 00 00"
        // texture transformations
        " 00 00 00 00 00 00 00 00 00 00 00 00 00 00 80 3F 00 00 80 3F 00 00 80 3F"
        " 00 00 00 00 00 00 00 00 00 00 00 00");
    EXPECT_EQ(ToHex(Stored(t), 1000), ToHex(expected, 1000));
}

TEST(SimpleTextureStorage, FinishIs28BytesAndPartsAreInStoredOrder) {
    Finish f;
    EXPECT_EQ(Stored(f).size(), 28u);
    SimpleTexture t;
    t.pigment.pattern = 3;
    t.finish.ambient = 0x1234;
    t.normal.amount = 0x77;
    const auto bytes = Stored(t);
    const std::size_t pigmentAt = 9 + 1 + 4 + 1;
    EXPECT_EQ(bytes[pigmentAt], 3);
    const std::size_t pigmentSize = 11 + 17 + 9 + 7 + 36;
    EXPECT_EQ(bytes[pigmentAt + pigmentSize], 0x34);
    EXPECT_EQ(bytes[pigmentAt + pigmentSize + 1], 0x12);
    EXPECT_EQ(bytes[pigmentAt + pigmentSize + 28], 0x77);
}

TEST(SimpleTextureStorage, ThumbnailSizes) {
    SimpleTexture t;
    const std::size_t empty = Stored(t).size();
    std::vector<std::uint8_t> pixels(120 * 120 * 3, 0x5A);
    ASSERT_TRUE(t.Thumbnail().SetBits(120, 120, pixels, false));
    EXPECT_EQ(Stored(t).size(), empty + 43200);
    std::vector<std::uint8_t> small(10 * 10 * 3, 1);
    ASSERT_TRUE(t.Thumbnail().SetBits(10, 10, small, false));
    EXPECT_EQ(Stored(t).size(), empty + 320);
}

TEST(SimpleTextureStorage, LoadsWhatItStored) {
    SimpleTexture t;
    t.SetName("Gr\u00FCn \u0416");
    t.SetDescription("desc");
    t.SetPreviewShape(12);
    t.pigment.frequency = -7;
    t.pigment.colorMap.count = 3;
    t.pigment.colorMap.positions[2] = 0.75f;
    t.normal.reserved = {1, 2, 3};
    t.finish.phongSize = 65535;
    const auto bytes = Stored(t);
    Archive in(bytes, StoredClasses());
    SimpleTexture loaded;
    loaded.Serialize(in);
    EXPECT_EQ(in.Remaining(), 0u);
    EXPECT_EQ(Stored(loaded), bytes);
    EXPECT_EQ(loaded.GetName(), t.GetName());
    EXPECT_EQ(loaded.pigment.frequency, -7);
    EXPECT_EQ(loaded.finish.phongSize, 65535);
    EXPECT_EQ(loaded.GetSource(SourceFlag::Declare), t.GetSource(SourceFlag::Declare));
}

TEST(SimpleTextureStorage, ColourMapCountOutsideTheArraysIsRefused) {
    for (std::uint8_t count : {21, 0x80, 0xFF}) {
        SimpleTexture t;
        auto bytes = Stored(t);
        const std::size_t countAt = 9 + 1 + 4 + 1 + 11;
        ASSERT_EQ(bytes[countAt], 2);
        bytes[countAt] = count;
        bytes.resize(bytes.size() + 20 * 21); // enough data that only the count can be wrong
        Archive in(bytes, StoredClasses());
        SimpleTexture loaded;
        try {
            loaded.Serialize(in);
            ADD_FAILURE() << int(count);
        } catch (const ArchiveException& e) {
            EXPECT_EQ(e.Kind(), ArchiveError::BadValue);
        }
    }
}

TEST(SimpleTextureCopy, CopiesEverything) {
    SimpleTexture t;
    t.SetName("Copy me");
    t.SetPreviewShape(4);
    t.finish.crand = 0.5f;
    std::vector<std::uint8_t> pixels(4 * 4 * 3, 9);
    t.Thumbnail().SetBits(4, 4, pixels, false);
    auto clone = t.Clone();
    EXPECT_EQ(clone->Kind(), TextureKind::Simple);
    EXPECT_EQ(Stored(*clone), Stored(t));
    EXPECT_NE(clone->Thumbnail().Bits().data(), t.Thumbnail().Bits().data());
    EXPECT_TRUE(clone->ScaleThumbnail(2, 2, false));
    EXPECT_EQ(clone->GetThumbnailWidth(), 2);
    EXPECT_EQ(t.GetThumbnailWidth(), 4);
}

TEST(TextureKind, EachClassHasItsKindAndKeepsItThroughCopyAndStorage) {
    const SimpleTexture simple;
    const LayeredTexture layered;
    const SourceTexture source;
    const std::tuple<const Texture*, TextureKind, std::string_view> cases[] = {
        {&simple, TextureKind::Simple, "simple"},
        {&layered, TextureKind::Layered, "layered"},
        {&source, TextureKind::Source, "source"}};
    for (const auto& [texture, kind, name] : cases) {
        EXPECT_EQ(texture->Kind(), kind) << name;
        EXPECT_EQ(texture->Clone()->Kind(), kind) << name;
        Archive out;
        out.WriteObject(texture);
        Archive in(out.Bytes(), StoredClasses());
        const LoadedObject loaded = in.ReadObject();
        EXPECT_EQ(static_cast<const Texture&>(*loaded.created).Kind(), kind) << name;
        EXPECT_EQ(TextureKindName(kind), name);
    }
}

TEST(LayeredTextureSource, WithoutLayersItIsRefusedAndWrittenAsAComment) {
    LayeredTexture t;
    t.SetDescription("Nothing yet");
    EXPECT_EQ(t.GetRefusal(), "The layered texture \"Untitled\" is refused: it has no layers.");
    EXPECT_EQ(t.GetSource(SourceFlag::Declare),
              "// The layered texture \"Untitled\" is refused: it has no layers.\r\n");
    EXPECT_NE(t.Kind(), TextureKind::Simple);
}

TEST(LayeredTextureSource, LayersAreTextureBlocksWithoutHeaders) {
    LayeredTexture t;
    t.SetName("Two Coats");
    SimpleTexture bottom = Layer("Bottom", 255);
    bottom.SetDescription("never written");
    bottom.finish.diffuse = 70;
    bottom.normal.kind = Normal::Waves;
    ASSERT_TRUE(t.AddLayer(bottom));
    ASSERT_TRUE(t.AddLayer(Layer("Top", 0)));
    const std::string bottomAll = bottom.GetSource({});
    const std::string top = Layer("Top", 0).GetSource({});
    EXPECT_EQ(t.GetSource(SourceFlag::Declare), "#declare Two_Coats =\r\ntexture {\r\n" +
                                                    bottomAll + "}\r\ntexture {\r\n" + top +
                                                    "}\r\n");
    EXPECT_EQ(t.GetSource(SourceFlag::NoNormal), "texture {\r\n" +
                                                     bottom.GetSource(SourceFlag::NoNormal) +
                                                     "}\r\ntexture {\r\n" + top + "}\r\n");
    EXPECT_EQ(bottomAll.find("#declare"), std::string::npos);
}

TEST(LayeredTextureSource, TilesModeNeedsExactlyTwoLayers) {
    LayeredTexture t;
    t.SetMode(LayeredTexture::Tiles);
    t.AddLayer(Layer("A", 10));
    EXPECT_EQ(t.GetRefusal(), "The layered texture \"Untitled\" is refused: it has 1 layer, and "
                              "tiles take exactly 2.");
    EXPECT_EQ(t.GetSource(SourceFlag::Declare).find("#declare"), std::string::npos);
    t.AddLayer(Layer("B", 20));
    EXPECT_EQ(t.GetRefusal(), "");
    const std::string a = Layer("A", 10).GetSource({});
    const std::string b = Layer("B", 20).GetSource({});
    EXPECT_EQ(t.GetSource({}), "texture {\r\n  tiles {\r\n    texture {\r\n" + a +
                                   "    }\r\n  tile2\r\n    texture {\r\n" + b +
                                   "    }\r\n  }\r\n}\r\n");
    t.AddLayer(Layer("C", 30));
    EXPECT_EQ(t.GetRefusal(), "The layered texture \"Untitled\" is refused: it has 3 layers, and "
                              "tiles take exactly 2.");
    t.SetMode(7);
    EXPECT_EQ(t.GetRefusal(),
              "The layered texture \"Untitled\" is refused: its stored mode 7 is unknown.");
    EXPECT_EQ(t.GetSource({}).rfind("// The layered texture \"Untitled\" is refused", 0), 0u);
}

TEST(LayeredTextureLayers, AddRemoveSetAndSwap) {
    LayeredTexture t;
    SimpleTexture a = Layer("A", 1);
    t.AddLayer(a);
    a.SetName("changed after adding");
    t.AddLayer(Layer("B", 2));
    t.AddLayer(Layer("C", 3));
    EXPECT_EQ(t.GetLayer(0)->GetName(), "A");
    EXPECT_EQ(t.GetLayer(3), nullptr);
    EXPECT_EQ(t.GetLayer(-1), nullptr);

    SimpleTexture* b = t.GetLayer(1);
    SimpleTexture* c = t.GetLayer(2);
    t.SwapLayers(1, 2);
    EXPECT_EQ(t.GetLayer(1), c);
    EXPECT_EQ(t.GetLayer(2), b);
    EXPECT_EQ(b->GetName(), "B"); // both objects stay alive

    auto old = t.SetLayer(0, std::make_unique<SimpleTexture>(Layer("Z", 9)));
    ASSERT_TRUE(old);
    EXPECT_EQ(old->GetName(), "A");
    EXPECT_EQ(t.GetLayer(0)->GetName(), "Z");

    t.RemoveLayer(5);
    t.RemoveLayer(0);
    EXPECT_EQ(t.GetLayerCount(), 2);
    EXPECT_EQ(t.GetLayer(0)->GetName(), "C");
    t.RemoveAllLayers();
    EXPECT_EQ(t.GetLayerCount(), 0);
}

TEST(LayeredTextureStorage, StoredFormHoldsEachLayerWhole) {
    LayeredTexture t;
    t.SetName("L");
    t.SetMode(1);
    t.SetPreviewShape(2);
    SimpleTexture a = Layer("A", 1);
    std::vector<std::uint8_t> pixels(3 * 2 * 3, 0xEE);
    a.Thumbnail().SetBits(3, 2, pixels, false);
    t.AddLayer(a);
    t.AddLayer(Layer("B", 2));
    const auto bytes = Stored(t);
    const auto head = HexBytes("01 4C 00 01 00 00 00 00 00 00 00 02 02 00 00 00");
    EXPECT_EQ(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + 16), head);
    auto layerA = Stored(*t.GetLayer(0));
    auto layerB = Stored(*t.GetLayer(1));
    EXPECT_EQ(bytes.size(), 16 + layerA.size() + layerB.size());
    EXPECT_TRUE(std::equal(layerA.begin(), layerA.end(), bytes.begin() + 16));

    Archive in(bytes, StoredClasses());
    LayeredTexture loaded;
    loaded.Serialize(in);
    EXPECT_EQ(loaded.GetMode(), 1);
    ASSERT_EQ(loaded.GetLayerCount(), 2);
    EXPECT_EQ(loaded.GetLayer(0)->GetThumbnailWidth(), 3);
    EXPECT_EQ(Stored(loaded), bytes);
}

TEST(LayeredTextureCopy, CopiesLayersAndScalesThemOnRequest) {
    LayeredTexture t;
    std::vector<std::uint8_t> pixels(8 * 8 * 3, 7);
    SimpleTexture a = Layer("A", 1);
    a.Thumbnail().SetBits(8, 8, pixels, false);
    t.AddLayer(a);
    t.Thumbnail().SetBits(8, 8, pixels, false);
    auto clone = t.Clone();
    auto& copy = static_cast<LayeredTexture&>(*clone);
    EXPECT_NE(copy.GetLayer(0), t.GetLayer(0));
    EXPECT_EQ(Stored(copy), Stored(t));

    copy.ScaleThumbnail(4, 4, false);
    EXPECT_EQ(copy.GetLayer(0)->GetThumbnailWidth(), 8);
    copy.ScaleThumbnail(2, 2, true);
    EXPECT_EQ(copy.GetLayer(0)->GetThumbnailWidth(), 2);
    EXPECT_EQ(copy.GetThumbnailWidth(), 2);
    EXPECT_EQ(t.GetLayer(0)->GetThumbnailWidth(), 8);

    LayeredTexture assigned;
    assigned.AddLayer(Layer("X", 5));
    assigned = t;
    EXPECT_EQ(Stored(assigned), Stored(t));
}

TEST(TextureEquality, ACopyIsEqualAndEveryStoredFieldMakesADifference) {
    SimpleTexture original = Layer("Oak", 120);
    original.SetDescription("Warm\r\nwood");
    std::vector<std::uint8_t> rows(4 * 4 * 3, 90);
    ASSERT_TRUE(original.Thumbnail().SetBits(4, 4, rows, false));
    const SimpleTexture copy = original;
    EXPECT_TRUE(copy == original);
    EXPECT_TRUE(*original.Clone() == original);

    const std::vector<std::pair<const char*, std::function<void(SimpleTexture&)>>> changes{
        {"name", [](SimpleTexture& t) { t.SetName("Oak "); }},
        {"description", [](SimpleTexture& t) { t.SetDescription("Warm\nwood"); }},
        {"preview shape", [](SimpleTexture& t) { t.SetPreviewShape(3); }},
        {"thumbnail pixel", [](SimpleTexture& t) { t.Thumbnail().Bits()[5] = 91; }},
        {"no thumbnail", [](SimpleTexture& t) { t.Thumbnail().Clear(); }},
        {"pigment colour", [](SimpleTexture& t) { t.pigment.color.filter = 1; }},
        {"pigment kind", [](SimpleTexture& t) { t.pigment.pattern = Pigment::Wood; }},
        {"colour map entry", [](SimpleTexture& t) { t.pigment.colorMap.positions[1] = 0.5f; }},
        {"turbulence", [](SimpleTexture& t) { t.pigment.turbulence.lambda = 2.5f; }},
        {"image file", [](SimpleTexture& t) { t.normal.image.fileName = "bump.png"; }},
        {"normal amount", [](SimpleTexture& t) { t.normal.amount = 50; }},
        {"finish ambient", [](SimpleTexture& t) { t.finish.ambient = 11; }},
        {"finish ior", [](SimpleTexture& t) { t.finish.ior = 1.5f; }},
        {"rotate", [](SimpleTexture& t) { t.transformations.rotate[2] = 0.001f; }},
        {"normal scale", [](SimpleTexture& t) { t.normal.transformations.scale[0] = 2.0f; }},
    };
    for (const auto& [what, change] : changes) {
        SimpleTexture changed = original;
        change(changed);
        EXPECT_FALSE(changed == original) << what;
        EXPECT_FALSE(original == changed) << what;
    }

    // Colour map slots past the count are not part of the map.
    SimpleTexture unused = original;
    unused.pigment.colorMap.positions[7] = 0.25f;
    EXPECT_TRUE(unused == original);
}

TEST(TextureEquality, LayeredTexturesCompareTheirLayersAndNeverEqualASimpleOne) {
    LayeredTexture stack;
    stack.SetName("Stack");
    ASSERT_TRUE(stack.AddLayer(Layer("Base", 10)));
    ASSERT_TRUE(stack.AddLayer(Layer("Top", 20)));
    const LayeredTexture copy = stack;
    EXPECT_TRUE(copy == stack);

    LayeredTexture changed = stack;
    changed.GetLayer(1)->finish.diffuse = 61;
    EXPECT_FALSE(changed == stack);
    LayeredTexture swapped = stack;
    swapped.SwapLayers(0, 1);
    EXPECT_FALSE(swapped == stack);
    LayeredTexture fewer = stack;
    fewer.RemoveLayer(1);
    EXPECT_FALSE(fewer == stack);
    LayeredTexture tiles = stack;
    tiles.SetMode(LayeredTexture::Tiles);
    EXPECT_FALSE(tiles == stack);

    // Same name, nothing else to tell them apart but their kind.
    LayeredTexture empty;
    SimpleTexture simple;
    EXPECT_FALSE(empty == simple);
    EXPECT_FALSE(simple == empty);
}

TEST(TextureEquality, WithoutThumbnailsOnlyWhatAnEditorChangesCounts) {
    SimpleTexture original = Layer("Oak", 120);
    std::vector<std::uint8_t> rows(4 * 4 * 3, 90);
    ASSERT_TRUE(original.Thumbnail().SetBits(4, 4, rows, false));
    SimpleTexture repainted = original;
    repainted.Thumbnail().Bits()[5] = 91;
    SimpleTexture bare = original;
    bare.Thumbnail().Clear();
    for (const SimpleTexture* other : {&repainted, &bare}) {
        EXPECT_FALSE(*other == original);
        EXPECT_TRUE(SameButThumbnails(*other, original));
        EXPECT_TRUE(SameButThumbnails(original, *other));
    }
    SimpleTexture edited = repainted;
    edited.finish.crand += 0.001f;
    EXPECT_FALSE(SameButThumbnails(edited, original));
    edited = original;
    edited.SetPreviewShape(2);
    EXPECT_FALSE(SameButThumbnails(edited, original));

    LayeredTexture stack;
    stack.SetName("Stack");
    ASSERT_TRUE(stack.AddLayer(original));
    ASSERT_TRUE(stack.AddLayer(Layer("Top", 20)));
    LayeredTexture layerPictures = stack;
    layerPictures.GetLayer(0)->Thumbnail().Clear();
    ASSERT_TRUE(layerPictures.Thumbnail().SetBits(4, 4, rows, false));
    EXPECT_FALSE(layerPictures == stack);
    EXPECT_TRUE(SameButThumbnails(layerPictures, stack));
    layerPictures.GetLayer(1)->finish.diffuse = 61;
    EXPECT_FALSE(SameButThumbnails(layerPictures, stack));
    // The thumbnails of the textures compared stay as they were.
    EXPECT_EQ(stack.GetLayer(0)->GetThumbnailWidth(), 4);
    EXPECT_EQ(layerPictures.GetThumbnailWidth(), 4);
    EXPECT_FALSE(SameButThumbnails(LayeredTexture(), SimpleTexture()));
}

TEST(LetsLightThrough, FilteringColoursAndRefractionDoAndTheRestDoesNot) {
    SimpleTexture texture;
    EXPECT_FALSE(texture.LetsLightThrough());
    texture.pigment.color.filter = 200;
    EXPECT_TRUE(texture.LetsLightThrough());
    // A pattern's own colour is not painted: its map is.
    texture.pigment.pattern = Pigment::Marble;
    EXPECT_FALSE(texture.LetsLightThrough());
    texture.pigment.colorMap.count = 2;
    texture.pigment.colorMap.colors[2].filter = 100; // past the entries in use
    EXPECT_FALSE(texture.LetsLightThrough());
    texture.pigment.colorMap.colors[1].filter = 100;
    EXPECT_TRUE(texture.LetsLightThrough());
    SimpleTexture refracting;
    refracting.finish.refraction = 1;
    EXPECT_TRUE(refracting.LetsLightThrough());

    // Layered: only when no layer hides what lies under it.
    LayeredTexture layered;
    EXPECT_FALSE(layered.LetsLightThrough());
    ASSERT_TRUE(layered.AddLayer(texture));
    EXPECT_TRUE(layered.LetsLightThrough());
    ASSERT_TRUE(layered.AddLayer(SimpleTexture()));
    EXPECT_FALSE(layered.LetsLightThrough());

    // POV-Ray text: the keywords with what follows them, not parts of other names, in any
    // locale.
    const char* const locale = std::setlocale(LC_NUMERIC, "de_DE.UTF-8");
    SourceTexture source;
    for (const char* text :
         {"texture { pigment { T_filtered_look } finish { phong 1 } }",
          "texture { pigment { granite color_map { [0.0 color rgbf <0.7, 0.5, 0.4, 0.000>]\r\n"
          "[1.0 color rgbft <1, 1, 1, 0, 0>] } } }",
          "texture { pigment { color red 1 filter 0 } finish { refraction 0 } }"}) {
        source.SetText(text);
        EXPECT_FALSE(source.LetsLightThrough()) << text;
    }
    for (const char* text : {"texture { pigment { rgbt <1, 1, 1, 0.7> } }",
                             "texture { pigment { color red 1 filter 0.9 } }",
                             "texture { pigment { rgbft <1, 1, 1, 0, 0.5> } }",
                             "texture { pigment { rgbf <1, 1, 1, Clarity> } }",
                             "texture { pigment { rgb 1 transmit T } }"}) {
        source.SetText(text);
        EXPECT_TRUE(source.LetsLightThrough()) << text;
    }
    if (locale)
        std::setlocale(LC_NUMERIC, "C");
}
