#pragma once

#include <QString>

class AppServices;
class QObject;
class QWidget;
class Texture;
class TextureMapRender;

/// The window title of a new texture map: the texture's name and the size ("Marble 256×256").
QString TextureMapTitle(const Texture& texture, int width, int height);

/// The Create Texture Map command for one texture: the dialog, then the render on the
/// texture-map plane in the background (its progress, with Stop, in the status line), and a new
/// texture-map window holding the picture once it has come; a failure is told then. The
/// texture is never changed. The render belongs to `owner` (the catalog, which counts and stops
/// its renders; destroying it ends the render). Returns the render, or null when the user
/// cancelled the dialog.
TextureMapRender* RunCreateTextureMap(AppServices& app, const Texture& texture, QWidget* parent,
                                      QObject* owner);
