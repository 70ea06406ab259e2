#include "core/catalog/exportsource.h"
#include "core/model/layeredtexture.h"
#include "samplecatalog.h"
#include "sourcefixture.h"
#include "texturefactory.h"

#include <gtest/gtest.h>

namespace {

/// Kinds no editor makes (pattern 12, normal 7) write text POV-Ray reads as another texture;
/// everything else the factory draws is kept.
void KeepToKindsTheEditorsMake(SimpleTexture& texture) {
    texture.pigment.pattern %= 12;
    texture.normal.kind %= 7;
}

Catalog VariedCatalog(std::uint32_t seed, int count) {
    TextureFactory factory(seed);
    Catalog catalog = factory.MakeCatalog(count, 0);
    for (int i = 0; i < catalog.GetCount(); ++i) {
        Texture& texture = catalog.GetTexture(i);
        if (texture.Kind() == TextureKind::Simple) {
            KeepToKindsTheEditorsMake(static_cast<SimpleTexture&>(texture));
        } else {
            auto& layered = static_cast<LayeredTexture&>(texture);
            for (int layer = 0; layer < layered.GetLayerCount(); ++layer)
                KeepToKindsTheEditorsMake(*layered.GetLayer(layer));
        }
    }
    return catalog;
}

/// Exports every texture of the catalog, imports the text and checks that each texture comes
/// back, exactly, as one that exports the same source; a refused one is only a comment there.
void ExpectRoundTrip(const Catalog& catalog) {
    std::vector<int> all;
    std::vector<int> declared;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        all.push_back(i);
        if (catalog.GetTexture(i).GetRefusal().empty())
            declared.push_back(i);
    }
    const std::string exported = ExportSourceText(catalog, all, SourceFlag::Declare);
    MemoryFiles files;
    const ImportResult result = ImportSource({{"exported.inc", exported}}, ImportOptions{}, files);
    ASSERT_FALSE(result.failure) << *result.failure;
    ASSERT_EQ(result.declarations.size(), declared.size());
    for (std::size_t k = 0; k < declared.size(); ++k) {
        const int i = declared[k];
        const ImportedDeclaration& back = result.declarations[k];
        const Texture& original = catalog.GetTexture(i);
        ASSERT_EQ(back.outcome, ImportOutcome::Imported) << ReportLine(back);
        EXPECT_EQ(back.name, DeclaredIdentifier(original.GetName()));
        EXPECT_EQ(SourceWords(back.texture->GetSource(SourceFlag::Declare)),
                  SourceWords(original.GetSource(SourceFlag::Declare)))
            << "texture " << i;
        // Without the declaration a one-layer layered texture writes its layer in a texture
        // block, which a simple one has no need for.
        if (back.texture->Kind() != original.Kind())
            continue;
        for (SourceFlags flags :
             {SourceFlags(SourceFlag::NoFinish), SourceFlags(SourceFlag::NoNormal)})
            EXPECT_EQ(SourceWords(back.texture->GetSource(flags)),
                      SourceWords(original.GetSource(flags)));
    }
}

} // namespace

TEST(RoundTrip, EverythingTheSampleCatalogExportsImportsBackToTheSameSource) {
    ExpectRoundTrip(BuildSampleCatalog());
}

TEST(RoundTrip, VariedCatalogsOfEveryStoredFieldImportBackToTheSameSource) {
    for (std::uint32_t seed : {1u, 2u, 3u, 4u, 5u, 6u, 7u, 8u})
        ExpectRoundTrip(VariedCatalog(seed, 40));
}

TEST(RoundTrip, LayeredTexturesOfEveryShapeComeBack) {
    Catalog catalog;
    SimpleTexture red = MakeTexture("Red", Pigment::Marble);
    red.transformations.scale = {2.0f, 1.0f, 1.0f};
    SimpleTexture glass = MakeTexture("Glass");
    glass.pigment.color = {255, 255, 255, 200};
    glass.finish.refraction = 1;
    glass.finish.ior = 1.5f;
    for (int mode : {LayeredTexture::Layers, LayeredTexture::Tiles}) {
        for (int layers : {0, 1, 2, 3}) {
            LayeredTexture layered;
            layered.SetName("Stack " + std::to_string(mode) + std::to_string(layers));
            layered.SetDescription("Layers " + std::to_string(layers));
            layered.SetMode(mode);
            for (int i = 0; i < layers; ++i)
                layered.AddLayer(i % 2 ? glass : red);
            catalog.AddTexture(layered);
        }
    }
    ExpectRoundTrip(catalog);
}

TEST(RoundTrip, DescriptionsComeBackFromTheirCommentLines) {
    Catalog catalog;
    const std::string descriptions[] = {
        "",
        "One line",
        "A description long enough to be wrapped onto a second comment line when it is written",
        std::string(61, 'x') + " and a word",
        "Two\nlines",
        "Ends with a break\n\n",
        "\u00C9t\u00E9 \u20AC " + std::string(58, 'y') + " \u00FF",
        "  indented\n\n\nblank lines between",
    };
    for (const std::string& description : descriptions) {
        SimpleTexture texture = MakeTexture("Described");
        texture.SetDescription(description);
        catalog.AddTexture(texture);
    }
    ExpectRoundTrip(catalog);
    // The text of a description the program wrote comes back as it was.
    const ImportResult result = ImportText(catalog.GetTexture(2).GetSource(SourceFlag::Declare));
    ASSERT_EQ(result.declarations.size(), 1u);
    EXPECT_EQ(result.declarations[0].texture->GetDescription(), descriptions[2]);
}
