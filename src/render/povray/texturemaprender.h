#pragma once

#include "render/povray/queuedrender.h"

#include <cstdint>
#include <string>
#include <vector>

class Texture;

/// The sides a texture map may have, in pixels.
inline constexpr int kMinimumTextureMapSide = 10;
inline constexpr int kMaximumTextureMapSide = 8192;

/// What a texture map is rendered with.
struct TextureMapRequest {
    int width = 120;
    int height = 120;
    bool overrideFinish = true; ///< render a copy with a flat, lighting-free finish
    int brightness = 100;       ///< ambient light of that finish, in hundredths
};

/// A render of a texture on the texture-map plane. The texture itself is never changed.
class TextureMapRender : public QueuedRender {
    Q_OBJECT
public:
    TextureMapRender(const Texture& texture, const TextureMapRequest& request,
                     QObject* parent = nullptr);

    const TextureMapRequest& Request() const { return m_request; }
    /// Once the render has succeeded: the picture as packed rows, top row first, 3 bytes per
    /// pixel blue, green, red.
    std::vector<std::uint8_t>& Pixels() { return m_pixels; }

protected:
    RenderResult Prepare(const PovRayRunner& runner, const QString& folder,
                         RenderRemarks& remarks) override;
    RenderResult Collect(const QString& folder) override;

private:
    TextureMapRequest m_request;
    std::string m_source;
    std::string m_refusal;
    bool m_material;
    std::vector<std::uint8_t> m_pixels;
};
