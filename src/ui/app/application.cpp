#include "ui/app/application.h"

#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogview.h"
#include "ui/dialogs/aboutdialog.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/dialogs/renderprogressdialog.h"
#include "ui/dialogs/startupnoticedialog.h"
#include "ui/editors/textureeditorset.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"
#include "ui/help/helpbrowser.h"
#include "ui/app/mainwindow.h"
#include "render/povray/povrayrunner.h"
#include "ui/texmap/texturemapdocument.h"
#include "ui/texmap/texturemapview.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>

Application::Application() : m_textureEditors(std::make_unique<TextureEditorSet>(*this)) {
    SetEditors(m_textureEditors.get());
}

Application::~Application() {
    // Windows go before the documents they show; the lists before the settings they used.
    m_frame.reset();
    m_documents.clear();
    CloseHelpWindow();
}

bool Application::Startup(const QStringList& files, StartupOptions options) {
    auto store = OpenSettingsStore();
    m_frame = std::make_unique<MainWindow>(*this);
    m_runner = std::make_unique<PovRayRunner>(m_settings, m_shapes);

    m_settings.Load(*store);
    // Without a program directory or POV-Ray the program cannot render: ask at once, offering
    // the per-user data folder and the POV-Ray found on the PATH.
    if (options.interactive && (m_settings.programDirectory.isEmpty() || m_settings.povExecutable.isEmpty()))
        RunPreferences(*this, nullptr);

    m_palette = CreateAppPalette();
    m_frame->LoadRecentFiles(*store);

    m_catalogTemplate = std::make_unique<DocumentTemplate>(
        129,
        DocumentTemplate::Strings{QStringLiteral("Catalog"), QStringLiteral("Velvane (*.vlv)"), QStringLiteral(".VLV"),
                                  QStringLiteral("Ulvor.Document"), QStringLiteral("Ulvor Document")},
        [](DocumentTemplate& kind) { return std::make_unique<CatalogDocument>(kind); },
        [this](Document& document) {
            return static_cast<QWidget*>(new CatalogView(static_cast<CatalogDocument&>(document), *this));
        });
    m_textureMapTemplate = std::make_unique<DocumentTemplate>(
        154,
        DocumentTemplate::Strings{QStringLiteral("Texture Map"), QStringLiteral("Bitmap (*.bmp)"), QStringLiteral(".BMP"),
                                  QStringLiteral("TexMap.Document"), QStringLiteral("TexMap Document")},
        [](DocumentTemplate& kind) { return std::make_unique<TextureMapDocument>(kind); },
        [this](Document& document) {
            auto* view = new TextureMapView(static_cast<TextureMapDocument&>(document));
            view->SetDrawRoute(RouteFor(m_settings.useVideoForWindows));
            return static_cast<QWidget*>(view);
        });

    m_frame->RestoreWindowState(*store);
    m_frame->show();

    if (options.interactive && m_settings.displayMailingListDialog)
        ShowStartupNotice();

    std::optional<SideFileNotice> notice;
    m_shapes = LoadShapeFile(m_settings.EffectiveProgramDirectory(), notice);
    if (notice)
        ShowNotice(*notice);
    m_namedColors = LoadColorFile(m_settings.EffectiveProgramDirectory());

    // Documents named on the command line (how the desktop hands over files) are opened.
    for (const QString& file : files)
        OpenDocumentFile(file);
    return true;
}

void Application::ShowStartupNotice() {
    StartupNoticeDialog notice(m_frame.get());
    if (notice.exec() == QDialog::Accepted)
        m_settings.displayMailingListDialog = notice.DisplayAgain() ? 1 : 0;
}

void Application::ShowNotice(const SideFileNotice& notice) {
    const Prompts::Icon icon = notice.icon == SideFileNotice::Error     ? Prompts::Icon::Error
                               : notice.icon == SideFileNotice::Warning ? Prompts::Icon::Warning
                                                                        : Prompts::Icon::Information;
    Prompts::Message(m_frame.get(), icon, notice.title, notice.text);
}

void Application::SetEditors(TextureEditors* editors) {
    m_editors = editors;
    if (m_frame)
        m_frame->UpdateCommands();
}

void Application::SaveSettings() {
    auto store = OpenSettingsStore();
    m_settings.Save(*store);
    store->sync();
}

std::unique_ptr<RenderProgressSink> Application::MakeProgress(QWidget* parent) {
    auto dialog = std::make_unique<RenderProgressDialog>(parent ? parent->window() : m_frame.get());
    dialog->SetStatusHandler([this](const QString& text) {
        if (m_frame)
            m_frame->ShowStatus(text);
    });
    return dialog;
}

void Application::ShowHelp(int context) { ShowHelpTopic(context, QApplication::activeWindow()); }

// ---- documents ----------------------------------------------------------------------------

Document* Application::AddDocument(std::unique_ptr<Document> document) {
    Document* added = document.get();
    m_documents.push_back(std::move(document));
    OpenAnotherWindow(*added);
    return added;
}

void Application::OpenAnotherWindow(Document& document) {
    QMdiSubWindow* window = m_frame->AddView(document, document.Kind().CreateView(document));
    window->installEventFilter(this);
}

Document* Application::NewDocument(DocumentTemplate& kind) {
    std::unique_ptr<Document> document = kind.CreateDocument();
    document->SetUntitledTitle(kind.NextUntitledTitle());
    return AddDocument(std::move(document));
}

void Application::OnFileNew() { NewDocument(*m_catalogTemplate); }

void Application::OnFileOpen() {
    // Open offers catalogs; texture maps come back through the recent-file list.
    const QString path = Prompts::OpenFileName(m_frame.get(), QStringLiteral("Open"), QString(),
                                               QStringLiteral("Velvane (*.vlv)"));
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

Document* Application::OpenDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (const auto& document : m_documents) {
        if (QFileInfo(document->Path()).absoluteFilePath() == full && !document->Path().isEmpty()) {
            const QList<QWidget*> views = m_frame->ViewsOf(*document);
            if (!views.isEmpty())
                m_frame->MdiArea()->setActiveSubWindow(qobject_cast<QMdiSubWindow*>(views.first()->parentWidget()));
            return document.get();
        }
    }
    DocumentTemplate& kind = m_textureMapTemplate->Matches(full) ? *m_textureMapTemplate : *m_catalogTemplate;
    std::unique_ptr<Document> document = kind.CreateDocument();
    const FileResult result = document->Load(full);
    if (!result) {
        Prompts::Error(m_frame.get(), document->LoadErrorTitle(), result.message);
        return nullptr;
    }
    document->SetPath(full);
    m_frame->AddRecentFile(full);
    return AddDocument(std::move(document));
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    // A window closing: the document's last window offers to save first and closes it.
    if (event->type() == QEvent::Close && !m_closing) {
        auto* window = qobject_cast<QMdiSubWindow*>(watched);
        Document* document = nullptr;
        if (window) {
            if (auto* catalog = qobject_cast<CatalogView*>(window->widget()))
                document = &catalog->Document();
            else if (auto* map = qobject_cast<TextureMapView*>(window->widget()))
                document = &map->Document();
        }
        if (document && m_frame->ViewsOf(*document).size() == 1) {
            if (!document->SaveModified(m_frame.get())) {
                event->ignore();
                return true;
            }
            if (!document->Path().isEmpty())
                m_frame->AddRecentFile(document->Path());
            // The document goes once its last window is gone.
            connect(window, &QObject::destroyed, this, [this, document] { ForgetDocument(document); });
        }
    }
    return QObject::eventFilter(watched, event);
}

void Application::ForgetDocument(Document* document) {
    std::erase_if(m_documents, [document](const auto& owned) { return owned.get() == document; });
    if (m_frame)
        m_frame->UpdateCommands();
}

bool Application::CloseDocument(Document& document) {
    if (!document.SaveModified(m_frame.get()))
        return false;
    if (!document.Path().isEmpty())
        m_frame->AddRecentFile(document.Path());
    m_closing = true;
    for (QWidget* view : m_frame->ViewsOf(document))
        if (auto* window = qobject_cast<QMdiSubWindow*>(view->parentWidget())) {
            window->setAttribute(Qt::WA_DeleteOnClose, false);
            window->close();
            delete window;
        }
    m_closing = false;
    ForgetDocument(&document);
    return true;
}

bool Application::CloseAllDocuments() {
    for (const auto& document : m_documents)
        if (!document->SaveModified(m_frame.get()))
            return false;
    while (!m_documents.empty()) {
        Document& document = *m_documents.back();
        document.SetModifiedFlag(false); // already offered for saving
        CloseDocument(document);
    }
    return true;
}

void Application::OnFrameClosing() {
    auto store = OpenSettingsStore();
    m_frame->SaveWindowState(*store);
    m_frame->SaveRecentFiles(*store);
    m_settings.Save(*store);
    store->sync();
    if (const auto notice = SaveColorFile(m_settings.EffectiveProgramDirectory(), m_namedColors))
        ShowNotice(*notice);
    m_copyList.clear();
    CloseHelpWindow();
}

// ---- commands -----------------------------------------------------------------------------

void Application::OnPreferences() { RunPreferences(*this, m_frame.get()); }

void Application::OnAbout() {
    AboutDialog about(m_frame.get());
    about.exec();
}
