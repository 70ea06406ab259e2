#include "core/model/simpletexture.h"

#include "core/archive/archive.h"

#include <algorithm>

IMPLEMENT_SERIAL(SimpleTexture, 1, 1)

std::unique_ptr<Texture> SimpleTexture::Clone() const {
    return std::make_unique<SimpleTexture>(*this);
}

bool SimpleTexture::LetsLightThrough() const {
    if (finish.refraction != 0)
        return true;
    switch (pigment.pattern) {
    case Pigment::SolidColor:
        return pigment.color.filter > 0;
    case Pigment::ImageMap:
        return false;
    default:
        const ColorMap& map = pigment.colorMap;
        return std::any_of(map.colors.begin(),
                           map.colors.begin() + std::clamp(map.count, 0, ColorMap::kMaxEntries),
                           [](const ColorRGBF& color) { return color.filter > 0; });
    }
}

bool SimpleTexture::ScaleThumbnail(int width, int height, bool /*layersToo*/) {
    return m_thumbnail.Resize(width, height);
}

std::string SimpleTexture::GetSource(SourceFlags flags) const {
    std::string text;
    if (flags.Has(SourceFlag::Declare))
        text +=
            DeclarationComment() + "#declare " + DeclaredIdentifier(m_name) + " = texture\r\n{\r\n";
    text += pigment.GetSource();
    if (!flags.Has(SourceFlag::NoNormal))
        text += normal.GetSource();
    if (!flags.Has(SourceFlag::NoFinish))
        text += finish.GetSource();
    // A plain solid colour without a normal has nothing for texture-level transformations to move.
    if (pigment.pattern != Pigment::SolidColor || normal.kind != Normal::None)
        text += transformations.GetSource(2);
    if (flags.Has(SourceFlag::Declare))
        text += "}";
    return text;
}

void SimpleTexture::Serialize(Archive& ar, std::uint16_t /*schema*/) {
    ar.String(m_name);
    ar.String(m_description);
    m_thumbnail.Serialize(ar);
    ar.Byte(m_previewShape);
    pigment.Serialize(ar);
    finish.Serialize(ar);
    normal.Serialize(ar);
    transformations.Serialize(ar);
}
