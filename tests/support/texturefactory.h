#pragma once

#include "catalog/ulvordoc.h"
#include "model/materialmultipleobject.h"
#include "model/materialsingleobject.h"

#include <memory>
#include <random>

/// Textures with every stored field drawn from a seeded generator, for round-trip tests,
/// benchmarks and fuzzing seeds.
class TextureFactory {
public:
    explicit TextureFactory(std::uint32_t seed) : m_random(seed) {}

    CMaterialSingleObject Simple(int maxThumbnail = 24);
    CMaterialMultipleObject Layered(int maxLayers = 4, int maxThumbnail = 24);
    /// A catalog of `count` textures, about one in four layered.
    CUlvorDoc Catalog(int count, int maxThumbnail = 24);

private:
    int Int(int low, int high) { return std::uniform_int_distribution<int>(low, high)(m_random); }
    std::uint8_t Byte() { return static_cast<std::uint8_t>(Int(0, 255)); }
    float Float();
    std::string Text(int maxLength);
    void Thumbnail(CDIB& dib, int maxSize);
    void Fill(CMaterialMapping& pigment);
    void Fill(CMaterialNormal& normal);
    void Fill(CColorMap& map);
    void Fill(CImageSettings& image);
    void Fill(CTurbulenceSettings& turbulence);
    void Fill(CTransformations& transformations);
    void Fill(CMaterialFinish& finish);

    std::mt19937 m_random;
};

/// A simple texture of the given pattern and colours, for readable fixtures.
CMaterialSingleObject MakeTexture(const std::string& name, std::uint8_t pattern = CMaterialMapping::SolidColor);
