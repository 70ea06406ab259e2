#pragma once

#include <string>
#include <string_view>

class Texture;

/// The scene id that selects the texture-map plane in place of a preview shape.
inline constexpr int kTextureMapSceneId = 1354;

/// The texture-map scene: a plane facing the camera squarely, with the texture's declared name
/// in place of the first "%%TEXTURE_NAME%%" (later ones, if any, stay).
std::string TextureMapScene(std::string_view textureName);

/// The flat finish a texture map is rendered with when the finish is overridden: no diffuse
/// light, reflection, highlights or refraction, and `brightness` hundredths of ambient light,
/// so the map shows the pattern's own colours.
void ApplyFlatFinish(Texture& texture, int brightness);
