#pragma once

#include "core/model/finish.h"
#include "core/model/normal.h"
#include "core/model/pigment.h"
#include "core/model/texture.h"
#include "core/model/transformations.h"

/// A simple texture: one pigment, normal, finish and a set of transformations.
class SimpleTexture : public Texture {
    DECLARE_SERIAL(SimpleTexture)
public:
    SimpleTexture() : Texture(TextureKind::Simple) {}
    SimpleTexture(const SimpleTexture&) = default;
    SimpleTexture& operator=(const SimpleTexture&) = default;

    bool LetsLightThrough() const override;
    std::unique_ptr<Texture> Clone() const override;
    bool ScaleThumbnail(int width, int height, bool layersToo) override;
    /// Never refused: POV-Ray takes every simple texture.
    std::string GetRefusal() const override { return {}; }
    /// The "#declare NAME = texture { ... }" text (with SourceFlag::Declare) or just the blocks.
    std::string GetSource(SourceFlags flags) const override;
    /// Stored form: name, description, thumbnail, preview shape, pigment, finish, normal,
    /// transformations.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    Pigment pigment;
    Finish finish;
    Normal normal;
    Transformations transformations;
};
