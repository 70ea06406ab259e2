#include "core/model/layeredtexture.h"
#include "core/model/sourcetexture.h"
#include "core/shapes/builtinshapes.h"
#include "core/shapes/surroundings.h"

#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <vector>

namespace {

SimpleTexture Finished(int diffuse, int reflection) {
    SimpleTexture texture;
    texture.finish.diffuse = diffuse;
    texture.finish.reflection = reflection;
    return texture;
}

std::unique_ptr<Texture> Source(const std::string& text) {
    auto texture = std::make_unique<SourceTexture>();
    texture->SetText(text);
    return texture;
}

std::unique_ptr<Texture> Layered(std::vector<SimpleTexture> layers) {
    auto texture = std::make_unique<LayeredTexture>();
    for (const SimpleTexture& layer : layers)
        texture->AddLayer(layer);
    return texture;
}

} // namespace

TEST(Surroundings, MirrorsAndGlassOfEveryKindComeInOnTheRoom) {
    SimpleTexture glass;
    glass.pigment.color.filter = 252; // filter 0.99
    struct Case {
        const char* what;
        std::unique_ptr<Texture> texture;
        bool reflects;
        std::uint8_t shape;
    };
    std::vector<Case> cases;
    const auto add = [&](const char* what, std::unique_ptr<Texture> texture, bool reflects,
                         bool room) {
        cases.push_back({what, std::move(texture), reflects,
                         static_cast<std::uint8_t>(room ? kSeeThroughShape : 0)});
    };
    add("MirrorTex1", std::make_unique<SimpleTexture>(Finished(0, 100)), true, true);
    add("chrome: more reflection than diffuse", std::make_unique<SimpleTexture>(Finished(70, 80)),
        true, true);
    add("polished: less", std::make_unique<SimpleTexture>(Finished(70, 60)), false, false);
    add("weak reflection", std::make_unique<SimpleTexture>(Finished(10, 40)), false, false);
    add("filter-only glass", std::make_unique<SimpleTexture>(glass), false, true);
    add("source mirror", Source("texture { finish { ambient 0 diffuse 0 reflection 1 } }"), true,
        true);
    add("source chrome, default diffuse",
        Source("texture { pigment { rgb 0.9 } finish { reflection rgb <0.7, 0.7, 0.8> } }"), true,
        true);
    add("source reflection block",
        Source("texture { finish { diffuse albedo 0.2\n"
               "  reflection { 0.1, 0.9 fresnel on metallic 1 } } }"),
        true, true);
    add("source metal", Source("texture { finish { diffuse 0.7 reflection 0.65 } }"), false, false);
    add("source in a comment", Source("texture { // reflection 1\n pigment { rgb 1 } }"), false,
        false);
    add("source reflecting an identifier", Source("texture { finish { reflection R_GoldA } }"),
        false, false);
    add("source filter glass", Source("texture { pigment { rgbf <1, 1, 1, 0.99> } }"), false, true);
    add("layered mirror under glass", Layered({Finished(0, 100), glass}), true, true);
    add("layered mirror under paint", Layered({Finished(0, 100), Finished(60, 0)}), false, false);
    add("no layers", Layered({}), false, false);
    for (const Case& c : cases) {
        EXPECT_EQ(MostlyReflects(*c.texture), c.reflects) << c.what;
        EXPECT_EQ(FittingPreviewShape(*c.texture), c.shape) << c.what;
    }
    // A shape of its own is kept.
    SimpleTexture mirror = Finished(0, 100);
    mirror.SetPreviewShape(kUnitSphereShape);
    EXPECT_EQ(FittingPreviewShape(mirror), kUnitSphereShape);
}
