#pragma once

#include <QString>
#include <vector>

class LayeredTexture;
class SimpleTexture;
class SourceTexture;
class QWidget;

/// The dialogs in which textures are created and changed. Each edits the caller's working
/// copy in place and returns true on OK; on Cancel the caller discards the copy.
class TextureEditors {
public:
    virtual ~TextureEditors() = default;

    /// The texture edit sheet, titled "New Simple Texture" or "Modify Simple Texture".
    virtual bool EditSimple(SimpleTexture& texture, const QString& title, QWidget* parent) = 0;
    /// The layered texture dialog.
    virtual bool EditLayered(LayeredTexture& texture, QWidget* parent) = 0;
    /// The source texture dialog, titled "Modify Source Texture"; editors without one change
    /// nothing.
    virtual bool EditSource(SourceTexture& /*texture*/, QWidget* /*parent*/) { return false; }
    /// The layers of the texture the last EditLayered took whose thumbnails were still on
    /// their way when the user pressed OK: the caller renders them.
    virtual std::vector<int> LayersLeftToRender() const { return {}; }
};
