#include "core/archive/archive.h"
#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/storedclasses.h"
#include "testsupport.h"

#include <gtest/gtest.h>

namespace {

// "CMaterialSourceObject", schema 1, as a new class record.
const std::string kSourceClass =
    "FF FF 01 00 15 00 43 4D 61 74 65 72 69 61 6C 53 6F 75 72 63 65 4F 62 6A 65 63 74";

SourceTexture Source(const std::string& name, SourceTexture::Kind kind, const std::string& text) {
    SourceTexture texture;
    texture.SetName(name);
    texture.SetKind(kind);
    texture.SetText(text);
    return texture;
}

std::vector<std::uint8_t> Fields(Storable& object) {
    Archive ar;
    object.Serialize(ar);
    return ar.Bytes();
}

std::vector<std::uint8_t> CatalogBytes(std::initializer_list<const Texture*> textures) {
    Catalog catalog;
    for (const Texture* texture : textures)
        catalog.AddTexture(*texture);
    return catalog.Save();
}

} // namespace

TEST(SourceTextureSource, DeclaresTheTextExactlyAsKept) {
    SourceTexture texture = Source("Rippled Water", SourceTexture::TextureKind,
                                   "texture {\r\n  pigment { rgbf <0.5, 0.5, 1, 0.9> }\r\n}");
    texture.SetDescription("Calm water");
    EXPECT_EQ(texture.GetSource(SourceFlag::Declare),
              "// Calm water\r\n#declare Rippled_Water = texture {\r\n"
              "  pigment { rgbf <0.5, 0.5, 1, 0.9> }\r\n}");
    EXPECT_EQ(texture.GetSource({}), "texture {\r\n  pigment { rgbf <0.5, 0.5, 1, 0.9> }\r\n}");
    // Leaving the finish or normal out has no meaning for a text kept whole.
    EXPECT_EQ(texture.GetSource(SourceFlag::Declare | SourceFlag::NoFinish),
              texture.GetSource(SourceFlag::Declare));
}

TEST(SourceTextureSource, RendersAPigmentInATextureAndAMaterialAsAMaterial) {
    const SourceTexture pigment = Source("Jade", SourceTexture::PigmentKind, "pigment { marble }");
    EXPECT_EQ(pigment.GetSource(SourceFlag::Declare), "#declare Jade = pigment { marble }");
    EXPECT_EQ(pigment.GetRenderSource(), "#declare Jade = texture { pigment { marble } }");
    EXPECT_FALSE(pigment.RendersAsMaterial());

    const SourceTexture material =
        Source("M", SourceTexture::MaterialKind, "material { texture { } interior { ior 1.5 } }");
    EXPECT_EQ(material.GetRenderSource(), material.GetSource(SourceFlag::Declare));
    EXPECT_TRUE(material.RendersAsMaterial());
    EXPECT_EQ(Source("T", SourceTexture::TextureKind, "texture { }").GetRenderSource(),
              "#declare T = texture { }");
}

TEST(SourceTextureSource, ARefusedTextIsNeverGivenOut) {
    SourceTexture texture = Source("Bad", SourceTexture::TextureKind, "texture { } #include \"x\"");
    texture.SetRefusal("it holds the directive #include");
    EXPECT_EQ(texture.GetRefusal(), "it holds the directive #include");
    for (const std::string& text : {texture.GetSource(SourceFlag::Declare), texture.GetSource({}),
                                    texture.GetRenderSource()}) {
        EXPECT_EQ(text.find("\"x\""), std::string::npos) << text;
        EXPECT_EQ(text, "// \"Bad\" is refused: it holds the directive #include\r\n");
    }
}

TEST(SourceTextureCopies, CloneAndEqualityCoverEveryField) {
    SourceTexture texture = Source("Jade", SourceTexture::PigmentKind, "pigment { marble }");
    texture.SetPreviewShape(3);
    const auto clone = texture.Clone();
    EXPECT_TRUE(*clone == texture);
    EXPECT_EQ(clone->GetId(), texture.GetId());

    SourceTexture kind = texture;
    kind.SetKind(SourceTexture::TextureKind);
    EXPECT_FALSE(kind == texture);
    SourceTexture text = texture;
    text.SetText("pigment { granite }");
    EXPECT_FALSE(text == texture);
    SourceTexture shape = texture;
    shape.SetPreviewShape(4);
    EXPECT_FALSE(shape == texture);

    // Another kind of texture is never equal, even with the same name.
    LayeredTexture layered;
    layered.SetName("Jade");
    EXPECT_FALSE(layered == texture);
}

TEST(SourceTextureFile, StoredFormIsItsOwnClassWithItsFields) {
    SourceTexture texture = Source("A", SourceTexture::MaterialKind, "material { }");
    texture.SetDescription("d");
    texture.SetPreviewShape(7);
    Bitmap empty;
    std::vector<std::uint8_t> expected = HexBytes("01 41 01 64 02");
    const auto bitmap = Fields(empty);
    expected.insert(expected.end(), bitmap.begin(), bitmap.end());
    const auto tail = HexBytes("07 0C 6D 61 74 65 72 69 61 6C 20 7B 20 7D");
    expected.insert(expected.end(), tail.begin(), tail.end());
    EXPECT_EQ(ToHex(Fields(texture)), ToHex(expected));

    std::vector<std::uint8_t> file = HexBytes("01 01 00 " + kSourceClass);
    file.insert(file.end(), expected.begin(), expected.end());
    EXPECT_EQ(ToHex(CatalogBytes({&texture})), ToHex(file));
}

TEST(SourceTextureFile, RoundTripsThroughACatalogBesideTheOtherKinds) {
    SimpleTexture simple;
    simple.SetName("Plain");
    SourceTexture source =
        Source("Jade", SourceTexture::PigmentKind, "pigment {\r\n  marble turbulence 1.8\r\n}");
    source.SetDescription("Drew's jade");
    LayeredTexture layered;
    layered.SetName("Stack");
    layered.AddLayer(simple);
    Catalog catalog;
    ASSERT_FALSE(catalog.Load(CatalogBytes({&simple, &source, &layered})));
    ASSERT_EQ(catalog.GetCount(), 3);
    EXPECT_TRUE(catalog.GetTexture(0) == simple);
    EXPECT_TRUE(catalog.GetTexture(1) == source);
    EXPECT_TRUE(catalog.GetTexture(2) == layered);
    const auto& loaded = dynamic_cast<const SourceTexture&>(catalog.GetTexture(1));
    EXPECT_FALSE(loaded.IsRefused());
    EXPECT_EQ(loaded.GetText(), source.GetText());
    EXPECT_EQ(loaded.GetKind(), SourceTexture::PigmentKind);
}

TEST(SourceTextureFile, AReaderThatDoesNotKnowTheClassRefusesTheFile) {
    const SourceTexture source = Source("Jade", SourceTexture::PigmentKind, "pigment { marble }");
    const auto bytes = CatalogBytes({&source});
    // The registry of a reader from before source textures.
    const ClassRegistry older{&SimpleTexture::classRecord, &LayeredTexture::classRecord,
                              &Bitmap::classRecord};
    Archive ar(bytes, older);
    Catalog catalog;
    try {
        catalog.Serialize(ar);
        FAIL() << "the file was read";
    } catch (const ArchiveException& error) {
        EXPECT_EQ(error.Kind(), ArchiveError::BadClass);
        EXPECT_STREQ(error.what(), "archive names an unknown class");
    }
    EXPECT_EQ(catalog.GetCount(), 0);
}

TEST(SourceTextureFile, AnUnknownKindIsRefused) {
    const SourceTexture source = Source("Jade", SourceTexture::PigmentKind, "pigment { marble }");
    auto bytes = CatalogBytes({&source});
    // The kind byte follows the class record, the name (05 "Jade") and the description.
    const std::size_t kindAt = 3 + HexBytes(kSourceClass).size() + 5 + 1;
    ASSERT_EQ(bytes.at(kindAt), 1);
    bytes[kindAt] = 3;
    Catalog catalog;
    EXPECT_EQ(catalog.Load(bytes), ArchiveError::BadValue);
}

TEST(SourceTextureFile, ATextBreakingTheRulesOpensRefusedWithTheRestIntact) {
    SimpleTexture before;
    before.SetName("Before");
    const SourceTexture bad = Source("Sneaky", SourceTexture::TextureKind,
                                     "texture { pigment { rgb 1 } }\r\n#include \"/etc/passwd\"");
    const SourceTexture good = Source("Fine", SourceTexture::TextureKind, "texture { }");
    Catalog catalog;
    ASSERT_FALSE(catalog.Load(CatalogBytes({&before, &bad, &good})));
    ASSERT_EQ(catalog.GetCount(), 3);
    EXPECT_TRUE(catalog.GetTexture(0) == before);
    const auto& refused = dynamic_cast<const SourceTexture&>(catalog.GetTexture(1));
    EXPECT_EQ(refused.GetRefusal(),
              "The source texture \"Sneaky\" is refused: line 2: it holds the directive #include.");
    EXPECT_EQ(refused.GetText(), bad.GetText()); // kept, so saving loses nothing
    EXPECT_EQ(refused.GetSource(SourceFlag::Declare).find("passwd"), std::string::npos);
    EXPECT_TRUE(catalog.GetTexture(1) == bad);
    EXPECT_EQ(catalog.GetTexture(2).GetRefusal(), "");
    // Saved again, the file holds the same bytes.
    EXPECT_EQ(ToHex(catalog.Save()), ToHex(CatalogBytes({&before, &bad, &good})));
}

TEST(SourceTexture, IsTheSameButItsThumbnailOnlyWithTheSameTextKindAndFields) {
    const SourceTexture original =
        Source("Glass", SourceTexture::MaterialKind,
               "material { texture { pigment { rgbf 1 } } interior { ior 1.5 } }");
    SourceTexture pictured = original;
    const std::vector<std::uint8_t> rows(2 * 2 * 3, 90);
    ASSERT_TRUE(pictured.Thumbnail().SetBits(2, 2, rows, false));
    EXPECT_TRUE(SameButThumbnails(pictured, original));
    EXPECT_TRUE(SameButThumbnails(original, pictured));

    SourceTexture retyped = original;
    retyped.SetText("material { texture { pigment { rgbf 1 } } interior { ior 1.33 } }");
    EXPECT_FALSE(SameButThumbnails(retyped, original));
    SourceTexture renamed = original;
    renamed.SetName("Water");
    EXPECT_FALSE(SameButThumbnails(renamed, original));
    EXPECT_FALSE(SameButThumbnails(original, LayeredTexture()));
    EXPECT_FALSE(SameButThumbnails(LayeredTexture(), original));
}
