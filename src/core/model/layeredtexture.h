#pragma once

#include "core/model/simpletexture.h"
#include "core/model/texture.h"

#include <memory>
#include <vector>

/// A layered texture: simple textures drawn over one another (mode 0), or two textures as a
/// tiles pattern (mode 1). It owns its layers, bottom first.
class LayeredTexture : public Texture {
    DECLARE_SERIAL(LayeredTexture)
public:
    enum Mode { Layers = 0, Tiles = 1 };

    LayeredTexture() : Texture(TextureKind::Layered) {}
    LayeredTexture(const LayeredTexture& other);
    LayeredTexture& operator=(const LayeredTexture& other);

    /// Every layer does: an opaque one hides what lies under it.
    bool LetsLightThrough() const override;
    std::unique_ptr<Texture> Clone() const override;
    bool ScaleThumbnail(int width, int height, bool layersToo) override;
    void ClearThumbnails() override;
    /// "#declare NAME =" (with SourceFlag::Declare) and the layers as texture blocks; for a
    /// refused texture the refusal as a comment.
    std::string GetSource(SourceFlags flags) const override;
    /// Set when POV-Ray could not take the texture: it has no layers, tiles with other than two
    /// layers, or a mode this program does not know.
    std::string GetRefusal() const override;
    /// Stored form: name, description, dword mode, thumbnail, preview shape, dword layer count,
    /// then each layer in the simple texture's stored form without a tag.
    void Serialize(Archive& ar, std::uint16_t schema) override;

    /// Appends a copy of `layer`. False, with the list unchanged, when memory runs out.
    bool AddLayer(const SimpleTexture& layer);
    void RemoveLayer(int index);
    SimpleTexture* GetLayer(int index);
    const SimpleTexture* GetLayer(int index) const;
    /// Puts `layer` at `index` and hands back the layer that was there (null when the index
    /// lies outside the list, in which case `layer` is handed back).
    std::unique_ptr<SimpleTexture> SetLayer(int index, std::unique_ptr<SimpleTexture> layer);
    /// Exchanges two layers; nothing when either index lies outside the list.
    void SwapLayers(int first, int second);
    int GetLayerCount() const { return static_cast<int>(m_layers.size()); }
    void RemoveAllLayers() { m_layers.clear(); }

    int GetMode() const { return m_mode; }
    void SetMode(int mode) { m_mode = mode; }

private:
    std::vector<std::unique_ptr<SimpleTexture>> m_layers;
    int m_mode = Layers;
};
