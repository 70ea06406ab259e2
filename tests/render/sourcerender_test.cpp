// Source textures rendered with the real POV-Ray next to the same POV-Ray text written into
// the shape's scene by hand.

#include "core/catalog/catalog.h"
#include "core/model/sourcetexture.h"
#include "core/povtext/editing/outlineedit.h"
#include "core/povtext/import/sourceimport.h"
#include "core/povtext/reading/strictsource.h"
#include "core/shapes/previewshape.h"
#include "render/povray/picturerender.h"
#include "render/povray/scenerender.h"
#include "render/povray/texturemaprender.h"
#include "renderfixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr int kSize = 64;

/// Mean absolute difference of two pictures, in percent of full scale.
double Difference(const Bitmap& a, const Bitmap& b) {
    EXPECT_EQ(a.Bits().size(), b.Bits().size());
    double sum = 0.0;
    for (std::size_t i = 0; i < a.Bits().size() && i < b.Bits().size(); ++i)
        sum += std::abs(int(a.Bits()[i]) - int(b.Bits()[i]));
    return 100.0 * sum / (255.0 * double(std::max<std::size_t>(1, a.Bits().size())));
}

SourceTexture Source(SourceTexture::Kind kind, const std::string& text, int shape) {
    SourceTexture texture;
    texture.SetName("Kept");
    texture.SetKind(kind);
    texture.SetText(text);
    texture.SetPreviewShape(static_cast<std::uint8_t>(shape));
    return texture;
}

class SourceRenderTest : public RenderTest {
protected:
    Bitmap RenderSource(const SourceTexture& texture) {
        PictureRender render(texture, kSize, kSize);
        const RenderResult result = Run(render);
        EXPECT_TRUE(result.Succeeded()) << result.message.toStdString();
        return render.Picture();
    }

    /// The shape's scene with `modifier` written in place of its `texture {Hand}` line, after
    /// `declarations`.
    Bitmap RenderByHand(int shape, const std::string& modifier,
                        const std::string& declarations = "// nothing declared\r\n") {
        std::string scene = m_shapes.at(static_cast<std::size_t>(shape))->GetSceneSource("Hand");
        const std::string line = "texture {Hand}";
        const std::size_t at = scene.find(line);
        EXPECT_NE(at, std::string::npos);
        scene.replace(at, line.size(), modifier);
        SceneRender render(scene, declarations, "Hand", kSize, kSize, false);
        const RenderResult result = Run(render);
        EXPECT_TRUE(result.Succeeded()) << result.message.toStdString();
        return render.Picture();
    }
};

const std::string kTexture = "texture {\r\n  pigment { checker rgb <1, 0.3, 0> rgb <0, 0.2, 1> "
                             "scale 0.9 }\r\n  normal { bumps 0.5 scale 0.4 }\r\n"
                             "  finish { phong 0.8 }\r\n}";
const std::string kPigment = "pigment { gradient y color_map { [0 rgb <1, 0, 0>] [1 rgb <0, 0, "
                             "1>] } turbulence 0.4 scale 2 }";
const std::string kGlass = "texture { pigment { rgbf <0.9, 1, 0.9, 0.95> } finish { phong 1 "
                           "reflection 0.05 } }";

} // namespace

TEST_F(SourceRenderTest, ATextureRendersAsTheSameTextWrittenByHand) {
    for (int shape : {0, 1}) {
        const Bitmap kept = RenderSource(Source(SourceTexture::TextureKind, kTexture, shape));
        const Bitmap hand = RenderByHand(shape, kTexture);
        EXPECT_TRUE(HasDetail(kept));
        EXPECT_EQ(kept.Bits().size(), hand.Bits().size());
        EXPECT_LT(Difference(kept, hand), 0.01) << "shape " << shape;
    }
}

TEST_F(SourceRenderTest, APigmentRendersInATexture) {
    const Bitmap kept = RenderSource(Source(SourceTexture::PigmentKind, kPigment, 0));
    EXPECT_TRUE(HasDetail(kept));
    EXPECT_LT(Difference(kept, RenderByHand(0, "texture { " + kPigment + " }")), 0.01);
}

TEST_F(SourceRenderTest, AMaterialRendersWithItsInterior) {
    const std::string material = "material { " + kGlass + " interior { ior 1.5 } }";
    // The Sphere Room shape shows what is behind a glass object, bent by its interior.
    const int room = 9;
    const Bitmap kept = RenderSource(Source(SourceTexture::MaterialKind, material, room));
    EXPECT_LT(Difference(kept, RenderByHand(room, material)), 0.01);
    // Without its interior it would look otherwise.
    EXPECT_GT(Difference(kept, RenderByHand(room, kGlass)), 0.5);
}

TEST_F(SourceRenderTest, ATextureMapOfASourceTextureRenders) {
    TextureMapRequest request;
    request.width = request.height = 32;
    TextureMapRender render(Source(SourceTexture::PigmentKind, kPigment, 0), request);
    const RenderResult result = Run(render);
    EXPECT_TRUE(result.Succeeded()) << result.message.toStdString();
}

TEST_F(SourceRenderTest, ARefusedTextIsNeverRenderedButSaysWhy) {
    SourceTexture texture = Source(SourceTexture::TextureKind, "texture { } #include \"x.inc\"", 0);
    CheckSourceTexture(texture);
    ASSERT_TRUE(texture.IsRefused());
    PictureRender render(texture, kSize, kSize);
    const RenderResult result = Run(render);
    EXPECT_FALSE(result.Succeeded());
    EXPECT_EQ(result.message.toStdString(),
              "The source texture \"Kept\" is refused: line 1: it holds the directive #include.");
}

TEST_F(SourceRenderTest, ImportedTextRendersAsTheTextItCameFrom) {
    // Defaults, a macro, a loop, a layered texture transformed and finishes that replace the
    // one a texture had: each folded, carried out or written out as POV-Ray reads the text it
    // came from.
    const std::string original =
        "#default { finish { ambient 0.3 diffuse 0.5 } }\r\n"
        "#macro Stone(C, S) texture { pigment { granite color_map { [0 C] [1 C*S] } }\r\n"
        "  finish { phong S } } #end\r\n"
        "#declare Rough = Stone(rgb <0.8, 0.5, 0.2>, 0.5)\r\n"
        "#declare Ramp = pigment { gradient y color_map { #local I = 0; #while (I <= 4)\r\n"
        "  [I/4 rgb <I/4, 0.2, 1 - I/4>] #local I = I + 1; #end } scale 0.5 }\r\n"
        "#declare Layers = texture { pigment { rgb <0.2, 0.6, 0.3> } }\r\n"
        "  texture { pigment { bozo color_map { [0 rgbt 1] [1 rgb 1] } scale 0.3 } }\r\n"
        "#declare Scaled = texture { Layers scale 2 }\r\n"
        "#declare Gold = texture { pigment { rgb <1, 0.8, 0.2> }\r\n"
        "  finish { specular 0.8 roughness 0.02 metallic } }\r\n"
        "#declare Matt = finish { diffuse 0.9 }\r\n"
        "#declare Regilt = texture { Gold finish { Matt phong 0.5 } }\r\n"
        "#declare Glossy = texture { Layers finish { Matt specular 0.6 } }\r\n";
    ImportOptions options;
    options.sourceFallback = true;
    MemorySourceFiles files;
    const ImportResult result = ImportSource({{"scene.pov", original}}, options, files);
    ASSERT_FALSE(result.failure) << *result.failure;
    ASSERT_EQ(result.declarations.size(), 7u);
    for (const ImportedDeclaration& declaration : result.declarations) {
        ASSERT_TRUE(declaration.texture) << ReportLine(declaration);
        // On the plain sphere: the scene's #default would reach the room's walls too.
        declaration.texture->SetPreviewShape(0);
        PictureRender render(*declaration.texture, kSize, kSize);
        ASSERT_TRUE(Run(render).Succeeded()) << declaration.name;
        // A pigment has no finish: it renders with POV-Ray's own, not the default one.
        const std::string use = declaration.kind == "pigment"
                                    ? "texture { pigment { " + declaration.name +
                                          " } finish { ambient 0.1 diffuse 0.6 } }"
                                    : "texture { " + declaration.name + " }";
        const Bitmap hand =
            RenderByHand(0, "texture {Hand}", original + "#declare Hand = " + use + "\r\n");
        EXPECT_TRUE(HasDetail(render.Picture())) << declaration.name;
        EXPECT_LT(Difference(render.Picture(), hand), 0.5) << ReportLine(declaration);
    }
}

// Changes made through the outline render as the same changes written by hand (in a layout
// of their own, so that the pictures and not the texts are compared).
TEST_F(SourceRenderTest, ChangesThroughTheOutlineRenderAsTheSameChangesByHand) {
    std::string text = kTexture;
    for (const auto& [op, path, value] :
         std::vector<std::tuple<std::string, std::string, std::string>>{
             {"set", "pigment/pattern", "brick"},
             {"set", "pigment/color#2", "0,1,0"},
             {"set", "normal/bumps", "0.9"},
             {"add", "finish", "reflection"},
             {"set", "finish/reflection", "0.3"},
             {"add", "pigment", "turbulence"},
             {"set", "pigment/turbulence", "0.2,0.4,0"},
             {"remove", "normal", ""}}) {
        const OutlineEdit::Outcome outcome = op == "set"   ? OutlineEdit::Set(text, path, value)
                                             : op == "add" ? OutlineEdit::Add(text, path, value)
                                                           : OutlineEdit::Remove(text, path);
        ASSERT_TRUE(outcome.Done()) << outcome.refusal;
        text = outcome.text;
    }
    const std::string byHand = "texture {\r\n  pigment { brick rgb <1,0.3,0> rgb <0,1,0> "
                               "scale 0.9 turbulence <0.2,0.4,0> }\r\n"
                               "  finish { reflection 0.3 phong 0.8 }\r\n}";
    ASSERT_NE(text, byHand);
    ASSERT_EQ(StrictSourceRefusal(text, SourceTexture::TextureKind), std::nullopt) << text;
    const Bitmap edited = RenderSource(Source(SourceTexture::TextureKind, text, 0));
    EXPECT_TRUE(HasDetail(edited));
    EXPECT_EQ(Difference(edited, RenderByHand(0, byHand)), 0.0) << text;
}

TEST_F(SourceRenderTest, TextOfAVersionBefore35KeepsTheNoiseItWasWrittenFor) {
    // Before 3.5 POV-Ray had one noise; later versions take another unless told.
    const std::string original =
        "#version 3.1\r\n"
        "#declare Rusty = texture {\r\n"
        "  pigment { bozo turbulence 0.8 color_map { [0 rgb <1, 0.8, 0.2>] [1 rgb 0.05] }\r\n"
        "    scale 0.3 }\r\n"
        "  normal { dents 0.6 scale 0.2 }\r\n"
        "}\r\n";
    ImportOptions options;
    options.sourceFallback = true;
    MemorySourceFiles files;
    const ImportResult result = ImportSource({{"old.inc", original}}, options, files);
    ASSERT_EQ(result.declarations.size(), 1u);
    const ImportedDeclaration& rusty = result.declarations.front();
    ASSERT_TRUE(rusty.texture) << ReportLine(rusty);
    EXPECT_EQ(rusty.texture->GetSource(SourceFlags()),
              "texture {\r\n  pigment {\r\n    bozo turbulence 0.8 color_map {\r\n"
              "      [0 rgb <1, 0.8, 0.2>]\r\n      [1 rgb 0.05]\r\n    }\r\n"
              "    scale 0.3 noise_generator 1\r\n  }\r\n  normal {\r\n"
              "    dents 0.6 scale 0.2 noise_generator 1\r\n  }\r\n}");
    rusty.texture->SetPreviewShape(0);
    PictureRender render(*rusty.texture, kSize, kSize);
    ASSERT_TRUE(Run(render).Succeeded());
    const Bitmap hand = RenderByHand(0, "texture {Hand}", original + "#declare Hand = Rusty\r\n");
    EXPECT_TRUE(HasDetail(render.Picture()));
    EXPECT_LT(Difference(render.Picture(), hand), 0.5);
}
