#include "texturefactory.h"

float TextureFactory::Float() {
    switch (Int(0, 3)) {
    case 0:
        return 0.0f;
    case 1:
        return static_cast<float>(Int(-400, 400)) / 4.0f;
    default:
        return std::uniform_real_distribution<float>(-1000.0f, 1000.0f)(m_random);
    }
}

std::string TextureFactory::Text(int maxLength) {
    static const char* const pieces[] = {"a",      "Z",      " ",  "9",  "_",      "\u00E9",
                                         "\u20AC", "\u00FF", "\n", "\"", "\u0416", "\U0001F600"};
    const int length = Int(0, 3) == 0 ? Int(250, maxLength) : Int(0, 40);
    const bool wide = Int(0, 5) == 0;
    std::string text;
    for (int i = 0; i < length; ++i)
        text += pieces[Int(0, wide ? 11 : 9)];
    return text;
}

void TextureFactory::Thumbnail(Bitmap& dib, int maxSize) {
    if (Int(0, 2) == 0 || maxSize == 0)
        return;
    const int width = Int(1, maxSize);
    const int height = Int(1, maxSize);
    std::vector<std::uint8_t> rows(Bitmap::Stride(width) * static_cast<std::size_t>(height));
    for (auto& b : rows)
        b = Byte();
    dib.SetBits(width, height, rows, true);
    // Padding bytes are stored as held, so give them values too.
    for (auto& b : dib.Bits())
        b = Byte();
}

void TextureFactory::Fill(ColorMap& map) {
    map.count = Int(0, ColorMap::kMaxEntries);
    for (int i = 0; i < ColorMap::kMaxEntries; ++i) {
        map.positions[static_cast<std::size_t>(i)] = static_cast<float>(Int(0, 100)) / 100.0f;
        map.colors[static_cast<std::size_t>(i)] = {Byte(), Byte(), Byte(),
                                                   Int(0, 1) ? Byte() : std::uint8_t(0)};
    }
}

void TextureFactory::Fill(ImageMap& image) {
    image.fileType = static_cast<std::uint8_t>(Int(0, 2));
    image.fileName = Int(0, 1) ? Text(300) : "";
    image.once = static_cast<std::uint8_t>(Int(0, 1));
    image.mapType = static_cast<std::uint8_t>(Int(0, 5));
    image.interpolate = static_cast<std::uint8_t>(Int(0, 4));
    image.bumpSize = Float();
}

void TextureFactory::Fill(Turbulence& turbulence) {
    turbulence.amount = Byte();
    turbulence.octaves = Byte();
    turbulence.omega = Byte();
    turbulence.lambda = Float();
}

void TextureFactory::Fill(Transformations& transformations) {
    for (auto* triple :
         {&transformations.translate, &transformations.scale, &transformations.rotate})
        for (float& v : *triple)
            v = Float();
}

void TextureFactory::Fill(Pigment& pigment) {
    pigment.pattern = static_cast<std::uint8_t>(Int(0, 12));
    pigment.gradientX = static_cast<std::uint8_t>(Int(0, 1));
    pigment.gradientY = static_cast<std::uint8_t>(Int(0, 1));
    pigment.gradientZ = static_cast<std::uint8_t>(Int(0, 1));
    pigment.color = {Byte(), Byte(), Byte(), Byte()};
    Fill(pigment.colorMap);
    Fill(pigment.image);
    pigment.phase = Byte();
    pigment.frequency = Int(-32768, 32767);
    Fill(pigment.turbulence);
    Fill(pigment.transformations);
}

void TextureFactory::Fill(Normal& normal) {
    normal.amount = Byte();
    normal.kind = static_cast<std::uint8_t>(Int(0, 7));
    normal.reserved = {Byte(), Byte(), Byte()};
    normal.color = {Byte(), Byte(), Byte(), Byte()};
    Fill(normal.colorMap);
    Fill(normal.image);
    normal.phase = Byte();
    normal.frequency = Int(-32768, 32767);
    Fill(normal.turbulence);
    Fill(normal.transformations);
}

void TextureFactory::Fill(Finish& finish) {
    for (int* field : {&finish.ambient, &finish.diffuse, &finish.specular, &finish.roughness,
                       &finish.phong, &finish.phongSize, &finish.reflection})
        *field = Int(0, 65535);
    finish.metallic = static_cast<std::uint8_t>(Int(0, 1));
    finish.refraction = static_cast<std::uint8_t>(Int(0, 1));
    finish.brilliance = Float();
    finish.ior = Float();
    finish.crand = Float();
}

SimpleTexture TextureFactory::Simple(int maxThumbnail) {
    SimpleTexture texture;
    texture.SetName(Text(400));
    texture.SetDescription(Text(600));
    texture.SetPreviewShape(Byte());
    Thumbnail(texture.Thumbnail(), maxThumbnail);
    Fill(texture.pigment);
    Fill(texture.finish);
    Fill(texture.normal);
    Fill(texture.transformations);
    return texture;
}

LayeredTexture TextureFactory::Layered(int maxLayers, int maxThumbnail) {
    LayeredTexture texture;
    texture.SetName(Text(300));
    texture.SetDescription(Text(300));
    texture.SetMode(Int(0, 2));
    texture.SetPreviewShape(Byte());
    Thumbnail(texture.Thumbnail(), maxThumbnail);
    const int layers = Int(0, maxLayers);
    for (int i = 0; i < layers; ++i)
        texture.AddLayer(Simple(maxThumbnail));
    return texture;
}

Catalog TextureFactory::MakeCatalog(int count, int maxThumbnail) {
    Catalog catalog;
    for (int i = 0; i < count; ++i) {
        if (Int(0, 3) == 0)
            catalog.AddTexture(Layered(4, maxThumbnail));
        else
            catalog.AddTexture(Simple(maxThumbnail));
    }
    return catalog;
}

SimpleTexture MakeTexture(const std::string& name, std::uint8_t pattern) {
    SimpleTexture texture;
    texture.SetName(name);
    texture.pigment.pattern = pattern;
    return texture;
}
