#pragma once

#include "render/povray/renderprogress.h"
#include "render/povray/renderresult.h"

#include <cstdint>
#include <vector>

class Texture;
class PovRayRunner;

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

/// Renders `texture` on the texture-map plane. On success `pixels` holds the picture as packed
/// rows, top row first, 3 bytes per pixel blue, green, red. The texture itself is never changed.
RenderResult RenderTextureMap(PovRayRunner& runner, const Texture& texture,
                              const TextureMapRequest& request, std::vector<std::uint8_t>& pixels,
                              RenderProgressSink& sink);
