#pragma once

#include "render/files/sidefiles.h"
#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"

#include <QObject>
#include <QStringList>
#include <memory>
#include <vector>

class MainWindow;
class PovRayRunner;
class DocumentView;
class RenderQueue;
class RenderStatus;
class QSettings;
class TextureEditorSet;

/// How the program starts.
struct StartupOptions {
    /// False when nobody can answer: no Preferences at first start, no start-up notice.
    bool interactive = true;
};

/// The application: its settings, the shared lists (preview shapes, named colours, copied
/// textures), the two document kinds and the main window, with the start-up and shut-down
/// sequences and the application commands New, Open, Preferences and About.
class Application : public QObject, public AppServices {
    Q_OBJECT
public:
    Application();
    ~Application() override;

    /// Starts the program: settings (and, at a first start or without a POV-Ray to run, the
    /// Preferences with a welcome), recent files, document kinds, the main window where it was
    /// left, the optional start-up notice, the preview shapes (a missing shape file is written
    /// quietly) and named colours; then opens `files`.
    bool Startup(const QStringList& files, StartupOptions options = {});

    MainWindow& Frame() { return *m_frame; }
    ShapeList& Shapes() override { return m_shapes; }
    NamedColorList& NamedColors() override { return m_namedColors; }
    const std::vector<std::unique_ptr<Document>>& Documents() const { return m_documents; }
    /// Installs the texture editors (the edit sheet and the layered texture dialog).
    void SetEditors(TextureEditors* editors);

    // Application commands.
    void OnFileNew();
    void OnFileOpen();
    void OnPreferences();
    void OnAbout();
    /// The filters of the Open dialog: catalogs, then texture maps (BMP and PNG), then all files.
    QString OpenFilters() const;
    /// Opens a catalog or texture map (by extension), or brings it forward when it is open.
    Document* OpenDocumentFile(const QString& path);
    /// Opens one more window on a document (Window > New Window).
    void OpenAnotherWindow(Document& document);
    /// Closes a document with all its windows, offering to stop its renders and to save it
    /// first. False when it stays.
    bool CloseDocument(Document& document);
    /// Offers to save every modified document and closes them all; false when the user cancels
    /// or a save fails. Several modified documents are asked about together.
    bool CloseAllDocuments();
    /// When renders of `document` (of any, for null) are still running, says how many and asks
    /// whether to stop them; on Yes they are stopped. False when the user wants them to go on.
    bool StopRendersFirst(const Document* document);
    /// The frame is closing: placement, settings and named colours are written.
    void OnFrameClosing();

    // AppServices.
    ProgramSettings& Settings() override { return m_settings; }
    void SaveSettings() override;
    RenderQueue& Renders() override { return *m_renders; }
    void ShowProgress(QueuedRender& render) override;
    void ShowStatus(const QString& text) override;
    TextureCopyList& CopyList() override { return m_copyList; }
    DocumentTemplate& TextureMapTemplate() { return *m_textureMapTemplate; }
    /// Creates a new, empty document of `kind` in a window of its own; null when it fails.
    Document* NewDocument(DocumentTemplate& kind);
    Document* NewTextureMap() override { return NewDocument(*m_textureMapTemplate); }
    void ShowHelp(int context) override;
    TextureEditors* Editors() override { return m_editors; }
    void OpenDroppedFiles(const QMimeData& data) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// Closes the document's windows and lets it go, without asking.
    void CloseWindowsOf(Document& document);
    /// Offers to save the modified documents; false when the program must stay.
    bool SaveAllModified();
    void ConnectFrame();
    void ShowNotice(const SideFileNotice& notice);
    void ShowStartupNotice();
    Document* AddDocument(std::unique_ptr<Document> document);
    void ForgetDocument(Document* document);

    ProgramSettings m_settings;
    ShapeList m_shapes;
    NamedColorList m_namedColors;
    QByteArray m_colorsAsLoaded; ///< the named colours as stored when they were loaded
    TextureCopyList m_copyList;
    std::unique_ptr<PovRayRunner> m_runner;
    /// After the runner, before the documents: renders go first, the runner last.
    std::unique_ptr<RenderQueue> m_renders;
    std::unique_ptr<DocumentTemplate> m_catalogTemplate;
    std::unique_ptr<DocumentTemplate> m_textureMapTemplate;
    std::vector<std::unique_ptr<Document>> m_documents;
    std::unique_ptr<MainWindow> m_frame;
    RenderStatus* m_renderStatus = nullptr;
    std::unique_ptr<TextureEditorSet> m_textureEditors;
    TextureEditors* m_editors = nullptr;
    bool m_closing = false;
};
