#pragma once

#include <QString>
#include <memory>
#include <vector>

class Texture;
class Document;
class DocumentTemplate;
class QMimeData;
class QueuedRender;
class QWidget;
class RenderQueue;
class TextureEditors;
struct ProgramSettings;

#include "core/shapes/shapelist.h"
#include "render/files/sidefiles.h"

/// The textures put aside by Copy and Cut, owned by the application.
using TextureCopyList = std::vector<std::unique_ptr<Texture>>;

/// What windows and dialogs need of the application: its settings, the render queue, the
/// shared lists, new texture maps, the status line, help and the editors. The application
/// object provides it; tests provide their own.
class AppServices {
public:
    virtual ~AppServices() = default;

    virtual ProgramSettings& Settings() = 0;
    /// Writes the settings to the settings store at once.
    virtual void SaveSettings() = 0;
    /// The program's one render queue, shared by every window (and its POV-Ray runner).
    virtual RenderQueue& Renders() = 0;
    /// Shows `render`'s progress, with a Stop button, where the user sees it while it runs (the
    /// main window's status bar), for renders no window of their own shows.
    virtual void ShowProgress(QueuedRender& render) { static_cast<void>(render); }
    /// A passing remark in the status line.
    virtual void ShowStatus(const QString& text) { static_cast<void>(text); }
    virtual TextureCopyList& CopyList() = 0;
    /// The preview shapes ("shapes.dat") and the named colours ("colors.dat").
    virtual ShapeList& Shapes() = 0;
    virtual NamedColorList& NamedColors() = 0;

    /// Creates a new, empty texture map in a window of its own; null when it fails.
    virtual Document* NewTextureMap() = 0;
    /// Opens the help page for a context number (2 Preferences, 3-6 the edit sheet's pages).
    virtual void ShowHelp(int context) = 0;
    /// The texture editors, or null while none is installed.
    virtual TextureEditors* Editors() = 0;
    /// Opens the catalogs and texture maps among dropped files, as a drop on the main window
    /// does (for windows that take other files of the same drop themselves).
    virtual void OpenDroppedFiles(const QMimeData&) {}
};
