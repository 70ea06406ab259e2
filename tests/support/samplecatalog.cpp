#include "samplecatalog.h"

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"

#include <utility>
#include <vector>

namespace {

struct Stop {
    float position;
    ColorRGBF color;
};

SimpleTexture Pattern(const char* name, const char* description, std::uint8_t pattern,
                      std::vector<Stop> stops, std::uint8_t turbulence = 0) {
    SimpleTexture texture;
    texture.SetName(name);
    texture.SetDescription(description);
    texture.pigment.pattern = pattern;
    texture.pigment.colorMap.count = static_cast<int>(stops.size());
    for (std::size_t i = 0; i < stops.size(); ++i) {
        texture.pigment.colorMap.positions[i] = stops[i].position;
        texture.pigment.colorMap.colors[i] = stops[i].color;
    }
    texture.pigment.turbulence.amount = turbulence;
    return texture;
}

SimpleTexture Solid(const char* name, const char* description, ColorRGBF color) {
    SimpleTexture texture;
    texture.SetName(name);
    texture.SetDescription(description);
    texture.pigment.color = color;
    return texture;
}

} // namespace

Catalog BuildSampleCatalog() {
    Catalog catalog;

    auto cherry = Pattern(
        "Cherry Wood", "Warm reddish cherry with fine rings, slightly polished.", Pigment::Wood,
        {{0.0f, {120, 40, 20, 0}}, {0.6f, {165, 70, 35, 0}}, {1.0f, {110, 35, 15, 0}}}, 8);
    cherry.pigment.turbulence.octaves = 4;
    cherry.pigment.transformations.scale = {0.3f, 0.3f, 1.0f};
    cherry.pigment.transformations.rotate = {90.0f, 0.0f, 0.0f};
    cherry.finish.specular = 30;
    cherry.finish.roughness = 2;
    catalog.AddTexture(cherry);

    auto pine = Pattern(
        "Pine Planks", "Pale pine with wide rings.\nGood for floors and crates.", Pigment::Wood,
        {{0.0f, {230, 190, 130, 0}}, {0.8f, {215, 165, 100, 0}}, {1.0f, {170, 120, 70, 0}}}, 15);
    pine.pigment.transformations.scale = {0.5f, 0.5f, 2.0f};
    pine.pigment.transformations.rotate = {0.0f, 90.0f, 10.0f};
    pine.normal.kind = Normal::Wrinkles;
    pine.normal.amount = 15;
    pine.normal.transformations.scale = {0.2f, 0.2f, 0.2f};
    catalog.AddTexture(pine);

    auto whiteMarble = Pattern(
        "White Marble", "Carrara-like white marble with soft grey veins.", Pigment::Marble,
        {{0.0f, {245, 245, 240, 0}}, {0.7f, {225, 225, 225, 0}}, {1.0f, {120, 120, 130, 0}}}, 90);
    whiteMarble.finish.reflection = 10;
    whiteMarble.finish.phong = 60;
    catalog.AddTexture(whiteMarble);

    auto greenMarble =
        Pattern("Green Marble", "", Pigment::Marble,
                {{0.0f, {20, 90, 50, 0}}, {0.5f, {60, 150, 90, 0}}, {1.0f, {10, 40, 20, 0}}}, 120);
    greenMarble.pigment.turbulence.omega = 60;
    greenMarble.pigment.frequency = 2;
    greenMarble.transformations.scale = {2.0f, 2.0f, 2.0f};
    catalog.AddTexture(greenMarble);

    auto granite =
        Pattern("Grey Granite",
                "Speckled grey granite with a light bump. The long description wraps over more "
                "than one comment line in the source.",
                Pigment::Granite,
                {{0.0f, {40, 40, 40, 0}},
                 {0.4f, {140, 140, 140, 0}},
                 {0.7f, {90, 90, 95, 0}},
                 {1.0f, {220, 220, 220, 0}}});
    granite.normal.kind = Normal::Bumps;
    granite.normal.amount = 30;
    granite.normal.transformations.scale = {0.1f, 0.1f, 0.1f};
    catalog.AddTexture(granite);

    auto pinkGranite =
        Pattern("Pink Granite", "Rose granite, polished.", Pigment::Granite,
                {{0.0f, {200, 130, 130, 0}}, {0.5f, {150, 90, 90, 0}}, {1.0f, {60, 40, 40, 0}}});
    pinkGranite.finish.specular = 80;
    pinkGranite.finish.roughness = 1;
    pinkGranite.finish.reflection = 15;
    catalog.AddTexture(pinkGranite);

    auto agate = Pattern(
        "Agate Swirl", "Banded agate in amber tones.", Pigment::Agate,
        {{0.0f, {250, 200, 120, 0}}, {0.5f, {180, 90, 30, 0}}, {1.0f, {90, 30, 10, 0}}}, 60);
    catalog.AddTexture(agate);

    auto leopard = Pattern(
        "Leopard Spots", "", Pigment::Leopard,
        {{0.0f, {230, 170, 60, 0}}, {0.6f, {230, 170, 60, 0}}, {1.0f, {40, 25, 10, 0}}}, 20);
    leopard.pigment.transformations.scale = {0.25f, 0.25f, 0.25f};
    catalog.AddTexture(leopard);

    auto sky = Pattern("Cloudy Sky", "Blue sky with white bozo clouds.", Pigment::Bozo,
                       {{0.0f, {60, 110, 230, 0}},
                        {0.5f, {90, 140, 240, 0}},
                        {0.7f, {255, 255, 255, 0}},
                        {1.0f, {200, 200, 210, 0}}},
                       50);
    sky.pigment.transformations.scale = {2.0f, 0.8f, 2.0f};
    sky.finish.ambient = 60;
    sky.finish.diffuse = 40;
    catalog.AddTexture(sky);

    auto rainbow =
        Pattern("Rainbow Gradient", "A diagonal gradient through the spectrum.", Pigment::Gradient,
                {{0.0f, {255, 0, 0, 0}},
                 {0.2f, {255, 255, 0, 0}},
                 {0.4f, {0, 255, 0, 0}},
                 {0.6f, {0, 255, 255, 0}},
                 {0.8f, {0, 0, 255, 0}},
                 {1.0f, {255, 0, 255, 0}}});
    rainbow.pigment.gradientY = 1;
    rainbow.pigment.transformations.scale = {4.0f, 4.0f, 4.0f};
    catalog.AddTexture(rainbow);

    auto onion = Pattern(
        "Onion Rings", "", Pigment::Onion,
        {{0.0f, {250, 240, 200, 0}}, {0.5f, {200, 150, 90, 0}}, {1.0f, {250, 240, 200, 0}}});
    onion.pigment.phase = 25;
    catalog.AddTexture(onion);

    auto radial =
        Pattern("Radial Fan", "", Pigment::Radial,
                {{0.0f, {20, 20, 120, 0}}, {0.5f, {240, 240, 255, 0}}, {1.0f, {20, 20, 120, 0}}});
    radial.pigment.frequency = 8;
    catalog.AddTexture(radial);

    auto spotted = Pattern("Spotted Sandstone", "", Pigment::Spotted,
                           {{0.0f, {210, 170, 120, 0}}, {1.0f, {160, 110, 70, 0}}});
    spotted.normal.kind = Normal::Dents;
    spotted.normal.amount = 40;
    catalog.AddTexture(spotted);

    auto gold = Solid("Polished Gold", "Metallic gold with a tight highlight.", {230, 180, 60, 0});
    gold.finish.ambient = 20;
    gold.finish.diffuse = 70;
    gold.finish.reflection = 25;
    gold.finish.specular = 90;
    gold.finish.roughness = 1;
    gold.finish.metallic = 1;
    gold.finish.brilliance = 4.0f;
    catalog.AddTexture(gold);

    auto glass = Solid("Green Glass", "See-through green glass.", {200, 255, 210, 230});
    glass.finish.ambient = 0;
    glass.finish.diffuse = 10;
    glass.finish.phong = 100;
    glass.finish.phongSize = 120;
    glass.finish.reflection = 10;
    glass.finish.refraction = 1;
    glass.finish.ior = 1.5f;
    glass.SetPreviewShape(9);
    catalog.AddTexture(glass);

    auto water = Solid("Rippled Water", "Calm blue water.", {40, 90, 160, 0});
    water.normal.kind = Normal::Ripples;
    water.normal.amount = 60;
    water.normal.frequency = 3;
    water.transformations.scale = {0.5f, 0.5f, 0.5f};
    water.SetPreviewShape(4);
    catalog.AddTexture(water);

    LayeredTexture veined;
    veined.SetName("Veined Stone");
    veined.SetDescription("Granite base with a partly clear marble layer on top.");
    auto base = Pattern("Veined Stone Base", "", Pigment::Granite,
                        {{0.0f, {70, 65, 60, 0}}, {1.0f, {150, 140, 130, 0}}});
    auto veins = Pattern(
        "Veined Stone Veins", "", Pigment::Marble,
        {{0.0f, {255, 255, 255, 255}}, {0.8f, {255, 255, 255, 255}}, {1.0f, {240, 230, 200, 0}}},
        100);
    veins.finish.phong = 50;
    veined.AddLayer(base);
    veined.AddLayer(veins);
    catalog.AddTexture(veined);
    return catalog;
}
