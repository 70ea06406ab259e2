#pragma once

#include <QString>

class AppServices;
class Texture;
class QWidget;

/// The window title of a new texture map: the texture's name and the size ("Marble 256×256").
QString TextureMapTitle(const Texture& texture, int width, int height);

/// The Create Texture Map command for one texture: the dialog, the render on the texture-map
/// plane, and a new texture-map window holding the picture. The texture is never changed.
/// Returns true when a texture map was created.
bool RunCreateTextureMap(AppServices& app, const Texture& texture, QWidget* parent);
