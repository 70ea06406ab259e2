#pragma once

#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"

#include <memory>
#include <random>

/// Textures with every stored field drawn from a seeded generator, for round-trip tests,
/// benchmarks and fuzzing seeds.
class TextureFactory {
public:
    explicit TextureFactory(std::uint32_t seed) : m_random(seed) {}

    SimpleTexture Simple(int maxThumbnail = 24);
    LayeredTexture Layered(int maxLayers = 4, int maxThumbnail = 24);
    /// A catalog of `count` textures, about one in four layered.
    Catalog MakeCatalog(int count, int maxThumbnail = 24);

private:
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Int(0, 255)); }
    float Float();
    std::string Text(int maxLength);
    void Thumbnail(Bitmap& dib, int maxSize);
    void Fill(Pigment& pigment);
    void Fill(Normal& normal);
    void Fill(ColorMap& map);
    void Fill(ImageMap& image);
    void Fill(Turbulence& turbulence);
    void Fill(Transformations& transformations);
    void Fill(Finish& finish);

    std::mt19937 m_random;
};

/// A simple texture of the given pattern and colours, for readable fixtures.
SimpleTexture MakeTexture(const std::string& name, std::uint8_t pattern = Pigment::SolidColor);
