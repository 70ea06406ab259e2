// Thumbnails in the scene gamma of POV-Ray 3.7 or of older scenes, and mirrors on surroundings
// they can show, rendered with the real POV-Ray.

#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"
#include "core/model/sourcetexture.h"
#include "core/povray/povcommand.h"
#include "core/povtext/import/sourceimport.h"
#include "core/shapes/sceneheader.h"
#include "core/shapes/surroundings.h"
#include "render/files/disksourcefiles.h"
#include "render/files/fileio.h"
#include "render/povray/scenerender.h"
#include "renderfixture.h"

#include <gtest/gtest.h>

namespace {

constexpr int kSize = 60;

/// The mean brightness (0 to 255) of the middle third of a picture's columns, from `top` to
/// `bottom` of its height: the ball of a sphere scene.
double Brightness(const Bitmap& picture, double top = 1.0 / 3, double bottom = 2.0 / 3) {
    const std::size_t stride = Bitmap::Stride(picture.Width());
    double sum = 0.0;
    int count = 0;
    for (int y = int(top * picture.Height()); y < int(bottom * picture.Height()); ++y)
        for (int x = picture.Width() / 3; x < 2 * picture.Width() / 3; ++x)
            for (int c = 0; c < 3; ++c, ++count)
                sum +=
                    picture.Bits()[static_cast<std::size_t>(y) * stride +
                                   static_cast<std::size_t>(x) * 3 + static_cast<std::size_t>(c)];
    return sum / count;
}

/// The mean absolute difference of two pictures of one size, 0 to 255.
double Difference(const Bitmap& a, const Bitmap& b) {
    EXPECT_EQ(a.Bits().size(), b.Bits().size());
    double sum = 0.0;
    for (std::size_t i = 0; i < a.Bits().size() && i < b.Bits().size(); ++i)
        sum += std::abs(int(a.Bits()[i]) - int(b.Bits()[i]));
    return sum / double(std::max<std::size_t>(1, a.Bits().size()));
}

class SceneGammaTest : public RenderTest {
protected:
    Bitmap Rendered(Texture& texture, SceneGamma gamma, int size = kSize) {
        m_settings.sceneGamma = gamma;
        const RenderResult result = Thumbnail(texture, size, size);
        EXPECT_TRUE(result.Succeeded()) << result.message.toStdString();
        return texture.Thumbnail();
    }
    /// T_Stone13 as the program imports it from POV-Ray's stones.inc.
    std::unique_ptr<Texture> Stone() {
        const std::string library = kPovRayLibraryFolder;
        DiskSourceFiles disk;
        ImportOptions options;
        options.sourceFallback = true; // as the program imports
        ImportResult result = ImportSource(
            {{library + "/colors.inc", std::nullopt}, {library + "/stones1.inc", std::nullopt}},
            options, disk);
        for (ImportedDeclaration& declaration : result.declarations)
            if (declaration.name == "T_Stone13") {
                if (declaration.texture) {
                    declaration.texture->SetPreviewShape(0); // the veins let light through
                    return std::move(declaration.texture);
                }
                ADD_FAILURE() << ReportLine(declaration);
            }
        ADD_FAILURE() << "T_Stone13 not imported";
        return std::make_unique<SimpleTexture>();
    }
};

} // namespace

TEST_F(SceneGammaTest, ShapeScenesAreWrittenInTheGammaChosenOrDeclared) {
    const std::string scene = m_shapes[0]->GetSceneSource("Stone");
    const struct {
        SceneGamma setting;
        std::optional<SceneGamma> declared;
        std::string expected;
    } cases[] = {
        {SceneGamma::Older, std::nullopt, scene},
        {SceneGamma::Pov37, std::nullopt,
         "#version 3.7;\r\nglobal_settings { assumed_gamma 1.0 }\r\n\r\n" + scene},
        {SceneGamma::Pov37, SceneGamma::Older, scene},
        {SceneGamma::Older, SceneGamma::Pov37, std::string(kPov37SceneHeader) + scene},
    };
    for (const auto& c : cases) {
        m_settings.sceneGamma = c.setting;
        QString folder;
        ASSERT_TRUE(m_runner->NewJobFolder(folder).Succeeded());
        RenderRemarks remarks;
        ASSERT_TRUE(
            m_runner->WriteScene("Stone", 0, folder, remarks, false, c.declared).Succeeded());
        FileResult error;
        const auto written = ReadWholeFile(folder + "/" + kSceneFileName, &error);
        ASSERT_TRUE(written);
        EXPECT_EQ(written->toStdString(), c.expected);
        PovRayRunner::RemoveJobFolder(folder);
    }
}

TEST_F(SceneGammaTest, AThreePointSevenThumbnailLooksAsTheTextureInAThreePointSevenScene) {
    std::unique_ptr<Texture> stone = Stone();
    const Bitmap older = Rendered(*stone, SceneGamma::Older);
    const Bitmap pov37 = Rendered(*stone, SceneGamma::Pov37);

    // The user's own small scene: the same view, written for POV-Ray 3.7.
    const std::string scene = "#version 3.7;\nglobal_settings { assumed_gamma 1.0 }\n"
                              "#include \"colors.inc\"\n#include \"stones.inc\"\n"
                              "camera { location <0, 0, -10.5> look_at <0, 0, 0> up <0, 1, 0>\n"
                              "  right <1, 0, 0> rotate <30, -30, 0> }\n"
                              "sphere { <0, 0, 0>, 4 texture { T_Stone13 } }\n"
                              "light_source { <-12, 27, -25> colour rgb <1, 1, 1> }\n";
    SceneRender own(scene, "", "T_Stone13", kSize, kSize, false);
    ASSERT_TRUE(Run(own).Succeeded()) << own.Result().message.toStdString();
    EXPECT_LT(Difference(pov37, own.Picture()), 1.0);
    EXPECT_GT(Brightness(pov37), Brightness(older) + 30);
    EXPECT_GT(Difference(older, own.Picture()), 20.0);
}

TEST_F(SceneGammaTest, MirrorsOfEveryKindShowTheRoomWhereTheyWouldBeBlackBalls) {
    SimpleTexture mirror; // MirrorTex1: all reflection, no diffuse light
    mirror.SetName("MirrorTex1");
    mirror.finish.ambient = 0;
    mirror.finish.diffuse = 0;
    mirror.finish.reflection = 100;
    LayeredTexture layered;
    layered.SetName("Layered Mirror");
    layered.AddLayer(mirror);
    SourceTexture chrome;
    chrome.SetName("Chrome");
    chrome.SetText("texture { pigment { rgb 0.2 } finish { ambient 0 diffuse 0.1 brilliance 6 "
                   "metallic specular 0.8 roughness 1/120 reflection 0.9 } }");
    for (Texture* texture : std::initializer_list<Texture*>{&mirror, &layered, &chrome}) {
        ASSERT_EQ(FittingPreviewShape(*texture), kSeeThroughShape) << texture->GetName();
        for (const SceneGamma gamma : {SceneGamma::Older, SceneGamma::Pov37}) {
            // The lower part of the ball mirrors the room's floor, or the black around it.
            texture->SetPreviewShape(0);
            const double plain = Brightness(Rendered(*texture, gamma), 0.7, 0.82);
            texture->SetPreviewShape(FittingPreviewShape(*texture));
            const double room = Brightness(Rendered(*texture, gamma), 0.7, 0.82);
            EXPECT_LT(plain, 5) << texture->GetName();
            EXPECT_GT(room, 40) << texture->GetName();
        }
    }
}

TEST_F(SceneGammaTest, FilterOnlyGlassIsSeenInTheRoomInBothStyles) {
    SimpleTexture glass;
    glass.SetName("Filter Glass");
    glass.pigment.color.filter = 252; // rgbf <1, 1, 1, 0.99>
    glass.SetPreviewShape(FittingPreviewShape(glass));
    ASSERT_EQ(glass.GetPreviewShape(), kSeeThroughShape);
    for (const SceneGamma gamma : {SceneGamma::Older, SceneGamma::Pov37}) {
        const Bitmap picture = Rendered(glass, gamma);
        // The room's green checkers show through it, tinted by its filter.
        const std::size_t stride = Bitmap::Stride(kSize);
        int green = 0;
        for (int y = kSize / 3; y < 2 * kSize / 3; ++y)
            for (int x = kSize / 3; x < 2 * kSize / 3; ++x) {
                const std::uint8_t* pixel = &picture.Bits()[static_cast<std::size_t>(y) * stride +
                                                            static_cast<std::size_t>(x) * 3];
                green += pixel[1] > pixel[0] + 20 && pixel[1] > pixel[2] + 20;
            }
        EXPECT_GT(green, kSize * kSize / 9 / 5) << static_cast<int>(gamma);
    }
}

TEST_F(SceneGammaTest, ABatchRendersEachTextureInItsOwnGammaAsItsOwnRunWould) {
    constexpr int kBatchSize = 120; // the size a batch renders new thumbnails at
    std::unique_ptr<Texture> stone = Stone();
    const Bitmap pov37 = Rendered(*stone, SceneGamma::Pov37, kBatchSize);
    const Bitmap older = Rendered(*stone, SceneGamma::Older, kBatchSize);
    Catalog catalog;
    catalog.AddTexture(*stone);
    stone->SetDeclaredGamma(SceneGamma::Older);
    catalog.AddTexture(*stone);
    catalog.SelectAll();
    m_settings.sceneGamma = SceneGamma::Pov37;
    for (int i = 0; i < 2; ++i)
        catalog.GetTexture(i).Thumbnail() = Bitmap();
    RunBatch(catalog, true, false, 1);
    ASSERT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), kBatchSize);
    // The stone's crand grain is drawn anew in every run.
    EXPECT_LT(Difference(catalog.GetTexture(0).Thumbnail(), pov37), 2.0);
    EXPECT_LT(Difference(catalog.GetTexture(1).Thumbnail(), older), 2.0);
    EXPECT_GT(Difference(pov37, older), 20.0);
}
