#pragma once

#include <QString>
#include <memory>
#include <vector>

class Texture;
class Document;
class DocumentTemplate;
class PovRayRunner;
class QMimeData;
class QWidget;
class RenderProgressSink;
class TextureEditors;
struct ProgramSettings;

#include "core/shapes/shapelist.h"
#include "render/files/sidefiles.h"

/// The textures put aside by Copy and Cut, owned by the application.
using TextureCopyList = std::vector<std::unique_ptr<Texture>>;

/// What windows and dialogs need of the application: its settings, the POV-Ray runner, the
/// shared lists, new texture maps, help and the editors. The application object provides it; tests
/// provide their own.
class AppServices {
public:
    virtual ~AppServices() = default;

    virtual ProgramSettings& Settings() = 0;
    /// Writes the settings to the settings store at once.
    virtual void SaveSettings() = 0;
    virtual PovRayRunner& Runner() = 0;
    /// A progress report for a render started from `parent`'s window (the progress dialog).
    virtual std::unique_ptr<RenderProgressSink> MakeProgress(QWidget* parent) = 0;
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
