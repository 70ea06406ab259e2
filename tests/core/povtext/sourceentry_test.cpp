// Texts typed into the source editor: taken as they are, with the library's identifiers
// resolved, or refused with the place in the typed text.

#include "core/povtext/import/sourceconversion.h"
#include "core/povtext/import/sourceentry.h"
#include "core/povtext/reading/strictsource.h"
#include "sourcefixture.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <sstream>

namespace {

TakenSource Take(const std::string& text, SourceTexture::Kind kind = SourceTexture::TextureKind) {
    LibraryFiles files;
    return TakeSourceText(text, kind, files);
}

/// The text the importer keeps for `value` declared after the library's includes.
std::string ImportedAsSource(const std::string& value) {
    std::string scene;
    for (const char* include : kStandardIncludeFiles)
        scene += std::string("#include \"") + include + "\"\n";
    scene += "#declare Typed = " + value + "\n";
    LibraryFiles files;
    ImportOptions options;
    options.asSource = true;
    const ImportResult result = ImportSource({{"scene.pov", scene}}, options, files);
    if (result.failure || result.declarations.size() != 1 || !result.declarations[0].texture)
        return "not imported";
    return static_cast<const SourceTexture&>(*result.declarations[0].texture).GetText();
}

std::string Where(const TakenSource& taken) {
    if (!taken.error)
        return "taken";
    return std::to_string(taken.error->line) + ":" + std::to_string(taken.error->column);
}

} // namespace

TEST(TakeSourceText, KeepsAPlainTextAsTyped) {
    for (const auto& [text, kind] : std::vector<std::pair<std::string, SourceTexture::Kind>>{
             {"texture {\n  pigment { rgb <1, 0.5, 0> }\n  finish { phong 0.4 } // shiny\n}",
              SourceTexture::TextureKind},
             {"pigment { marble color_map { [0 rgb 1] [1 rgb 0] } }", SourceTexture::PigmentKind},
             {"material { texture { pigment { rgbf 1 } } interior { ior 1.5 } }",
              SourceTexture::MaterialKind},
             {"texture { pigment { rgb 1 } } texture { pigment { rgbt <0, 0, 0, 0.5> } }",
              SourceTexture::TextureKind}}) {
        const TakenSource taken = Take(text, kind);
        ASSERT_TRUE(taken.Ok()) << text << ": " << taken.error->message;
        EXPECT_EQ(taken.text, text);
        EXPECT_FALSE(taken.resolved);
    }
}

TEST(TakeSourceText, ResolvesTheLibrarysIdentifiersToTheirValues) {
    for (const auto& [text, kind] : std::vector<std::pair<std::string, SourceTexture::Kind>>{
             {"pigment { color Red }", SourceTexture::PigmentKind},
             {"texture { T_Stone1 }", SourceTexture::TextureKind},
             {"texture { pigment { P_WoodGrain1A } finish { F_MetalA } }",
              SourceTexture::TextureKind}}) {
        const TakenSource taken = Take(text, kind);
        ASSERT_TRUE(taken.Ok()) << text << ": " << taken.error->message;
        EXPECT_TRUE(taken.resolved);
        EXPECT_EQ(StrictSourceRefusal(taken.text, kind), std::nullopt) << taken.text;
        EXPECT_EQ(taken.text, ImportedAsSource(text));
    }
    // The value, not the name: Red is the colour one in red.
    const std::string red =
        SourceWords(Take("pigment { color Red }", SourceTexture::PigmentKind).text);
    EXPECT_NE(red.find("<1, 0, 0"), std::string::npos) << red;
    EXPECT_EQ(red.find("Red"), std::string::npos) << red;
}

TEST(TakeSourceText, PlacesAnUnknownIdentifierInTheTypedText) {
    const TakenSource taken = Take("texture {\n  pigment {\n    color   Not_A_Colour\n  }\n}");
    ASSERT_FALSE(taken.Ok());
    EXPECT_EQ(Where(taken), "3:13");
    EXPECT_NE(taken.error->message.find("Not_A_Colour"), std::string::npos) << taken.error->message;
    EXPECT_TRUE(taken.text.empty());
}

TEST(TakeSourceText, PlacesSyntaxErrorsInTheTypedText) {
    const TakenSource unclosed = Take("texture {\n  pigment { rgb <1, 0, 0> }\n  finish {\n}");
    ASSERT_FALSE(unclosed.Ok());
    EXPECT_EQ(Where(unclosed), "1:9") << unclosed.error->message;

    const TakenSource stray = Take("texture {\n  pigment { rgb 1 } ) }");
    ASSERT_FALSE(stray.Ok());
    EXPECT_EQ(Where(stray), "2:21") << stray.error->message;

    const TakenSource badCharacter = Take("texture {\n pigment { rgb 1 $ }\n}");
    ASSERT_FALSE(badCharacter.Ok());
    EXPECT_EQ(badCharacter.error->line, 2) << badCharacter.error->message;

    // One the strict reading lets pass, the evaluation refuses: a vector left open.
    const TakenSource expression = Take("pigment {\n  rgb <1, 0, \n}", SourceTexture::PigmentKind);
    ASSERT_FALSE(expression.Ok());
    EXPECT_GE(expression.error->line, 2) << expression.error->message;
}

TEST(TakeSourceText, RefusesDirectivesAndSceneItemsBeforeReadingThem) {
    const TakenSource include = Take("texture {\n  #include \"x\"\n}");
    ASSERT_FALSE(include.Ok());
    EXPECT_EQ(Where(include), "2:3");
    EXPECT_NE(include.error->message.find("#include"), std::string::npos);

    // Even beside an identifier, which sends the text to the library, a directive is never
    // carried out.
    const TakenSource open = Take("texture { T_Stone1 #fopen F \"out.txt\" write }");
    ASSERT_FALSE(open.Ok());
    EXPECT_NE(open.error->message.find("#fopen"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists("out.txt"));

    const TakenSource object = Take("texture { pigment { object { box { 0, 1 } } } }");
    ASSERT_FALSE(object.Ok());
    EXPECT_EQ(Where(object), "1:21");
    EXPECT_NE(object.error->message.find("object"), std::string::npos);

    EXPECT_FALSE(Take("texture { } light_source { 0, 1 }").Ok());
    EXPECT_FALSE(Take("pigment { rgb 1 }").Ok()) << "a pigment where a texture is expected";
}

TEST(UsesIdentifiers, TellsKeywordsFromIdentifiers) {
    EXPECT_FALSE(UsesIdentifiers("texture { pigment { rgb <1, 0, 0> } finish { phong 1 } }"));
    EXPECT_TRUE(UsesIdentifiers("pigment { color Red }"));
    EXPECT_FALSE(UsesIdentifiers("pigment { /* Red */ rgb 1 } // T_Stone1"));
}

namespace {

SourceTexture Source(const std::string& text,
                     SourceTexture::Kind kind = SourceTexture::TextureKind) {
    SourceTexture source;
    source.SetName("Typed Stone");
    source.SetDescription("grey\r\nand rough");
    source.SetPreviewShape(3);
    source.SetKind(kind);
    source.SetText(text);
    std::vector<std::uint8_t> pixels(4 * 3 * 3, 40);
    pixels[0] = 99;
    source.Thumbnail().SetBits(4, 3, pixels, false);
    return source;
}

} // namespace

TEST(ConvertToEditable, MakesASimpleTextureWithTheSameSource) {
    const std::string text = "texture {\n  pigment { rgb <1, 0.5, 0> }\n  finish { phong 0.5 }\n}";
    const SourceTexture source = Source(text);
    const SourceConversion conversion = ConvertToEditable(source);
    ASSERT_TRUE(conversion.texture) << conversion.reason;
    EXPECT_EQ(conversion.texture->Kind(), TextureKind::Simple);
    EXPECT_EQ(conversion.texture->GetName(), "Typed Stone");
    EXPECT_EQ(conversion.texture->GetDescription(), "grey\r\nand rough");
    EXPECT_EQ(conversion.texture->GetPreviewShape(), 3);
    const Bitmap& picture = conversion.texture->Thumbnail();
    EXPECT_EQ(picture.Width(), 4);
    EXPECT_TRUE(std::equal(picture.Bits().begin(), picture.Bits().end(),
                           source.Thumbnail().Bits().begin(), source.Thumbnail().Bits().end()));
    // It writes what the importer makes of the same declaration.
    const ImportResult imported = ImportText("#declare Typed_Stone = " + text);
    ASSERT_EQ(imported.declarations.size(), 1u);
    ASSERT_TRUE(imported.declarations[0].texture);
    Texture& expected = *imported.declarations[0].texture;
    expected.SetDescription(source.GetDescription());
    EXPECT_EQ(conversion.texture->GetSource(SourceFlag::Declare),
              expected.GetSource(SourceFlag::Declare));
}

TEST(ConvertToEditable, MakesALayeredTextureOfLayeredText) {
    const SourceConversion conversion =
        ConvertToEditable(Source("texture { pigment { granite } scale 2 }\n"
                                 "texture { pigment { rgbf <1, 0, 0, 0.5> } finish { phong 1 } }"));
    ASSERT_TRUE(conversion.texture) << conversion.reason;
    EXPECT_NE(conversion.texture->Kind(), TextureKind::Simple);
    EXPECT_EQ(conversion.texture->GetName(), "Typed Stone");
}

TEST(ConvertToEditable, NamesWhatStandsInTheWay) {
    for (const std::string& text : {std::string("texture { pigment { rgb 1 transmit 0.004 } }"),
                                    std::string("texture { pigment { crackle } }")}) {
        const SourceConversion conversion = ConvertToEditable(Source(text));
        EXPECT_EQ(conversion.texture, nullptr) << text;
        EXPECT_FALSE(conversion.reason.empty()) << text;
    }
    // Where the text is longer, the line in it.
    const SourceConversion cracked =
        ConvertToEditable(Source("texture {\r\n  pigment {\r\n    crackle\r\n  }\r\n}"));
    EXPECT_NE(cracked.reason.find("crackle"), std::string::npos) << cracked.reason;
    EXPECT_NE(cracked.reason.find("(line 3)"), std::string::npos) << cracked.reason;
    const SourceConversion material =
        ConvertToEditable(Source("material { texture { pigment { rgb 1 } } interior { ior 1.5 } }",
                                 SourceTexture::MaterialKind));
    EXPECT_EQ(material.texture, nullptr);
    EXPECT_NE(material.reason.find("material"), std::string::npos) << material.reason;

    const SourceConversion refused = ConvertToEditable(Source("texture { T_Stone1 }"));
    EXPECT_EQ(refused.texture, nullptr);
    EXPECT_NE(refused.reason.find("T_Stone1"), std::string::npos) << refused.reason;
}
