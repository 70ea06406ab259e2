#include "ui/app/application.h"

#include "core/model/texture.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "ui/app/mainwindow.h"
#include "ui/app/renderstatus.h"
#include "ui/catalog/catalogkind.h"
#include "ui/dialogs/aboutdialog.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/dialogs/startupnoticedialog.h"
#include "ui/editors/textureeditorset.h"
#include "ui/framework/document.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"
#include "ui/help/helpbrowser.h"
#include "ui/texmap/texturemapkind.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>

Application::Application() : m_textureEditors(std::make_unique<TextureEditorSet>(*this)) {
    SetEditors(m_textureEditors.get());
}

Application::~Application() {
    // Windows go before the documents they show; the lists before the settings they used.
    // The documents' renders end with them (no POV-Ray is left running); the scratch area goes
    // with the runner.
    m_frame.reset();
    m_documents.clear();
    m_renders.reset();
    CloseHelpWindow();
}

bool Application::Startup(const QStringList& files, StartupOptions options) {
    auto store = OpenSettingsStore();
    m_frame = std::make_unique<MainWindow>();
    ConnectFrame();
    m_runner = std::make_unique<PovRayRunner>(m_settings, m_shapes);
    // One queue for every window, with as many places as "Parallel Renders" says at the time.
    m_renders =
        std::make_unique<RenderQueue>(*m_runner, [this] { return m_settings.parallelRenders; });
    m_renderStatus = new RenderStatus(*m_renders, m_frame.get());
    m_frame->statusBar()->insertPermanentWidget(0, m_renderStatus);
    // Told once the render has started, not from inside its preparations.
    m_runner->SetNoticeHandler([this](const QString& title, const QString& text) {
        QTimer::singleShot(0, m_frame.get(), [this, title, text] {
            Prompts::Message(m_frame.get(), Prompts::Icon::Warning, title, text);
        });
    });

    m_settings.Load(*store);
    // At a first start, or without a POV-Ray to run, ask at once, in one dialog that offers the
    // per-user data folder and the POV-Ray found on the PATH and welcomes the user.
    const bool asked = options.interactive && NeedsPreferences(m_settings);
    if (asked)
        RunPreferences(*this, nullptr, PreferencesOccasion::FirstStart);

    m_catalogTemplate = MakeCatalogKind(*this);
    m_textureMapTemplate = MakeTextureMapKind(*this);

    m_frame->SetTextureMapTest(
        [this](const QString& path) { return m_textureMapTemplate->Matches(path); });
    m_frame->LoadRecentFiles(*store);

    m_frame->SetTabbedWindows(m_settings.tabbedWindows);
    m_frame->RestoreWindowState(*store);
    m_frame->show();

    // The notice returns only while the POV-Ray named cannot be run.
    const QFileInfo povray(m_settings.EffectivePovExecutable());
    if (options.interactive && m_settings.displayMailingListDialog && !asked &&
        !(povray.isFile() && povray.isExecutable()))
        ShowStartupNotice();

    std::optional<SideFileNotice> notice;
    m_shapes = LoadShapeFile(m_settings.EffectiveProgramDirectory(), notice);
    if (notice)
        ShowNotice(*notice);
    m_namedColors = LoadColorFile(m_settings.EffectiveProgramDirectory(), notice);
    m_colorsAsLoaded = StoredColors(m_namedColors);
    if (notice)
        ShowNotice(*notice);

    // Documents named on the command line (how the desktop hands over files) are opened.
    for (const QString& file : files)
        OpenDocumentFile(file);
    return true;
}

void Application::ConnectFrame() {
    MainWindow* frame = m_frame.get();
    connect(frame, &MainWindow::newRequested, this, &Application::OnFileNew);
    connect(frame, &MainWindow::openRequested, this, &Application::OnFileOpen);
    connect(frame, &MainWindow::openFileRequested, this, &Application::OpenDocumentFile);
    connect(frame, &MainWindow::newWindowRequested, this,
            [this](Document* document) { OpenAnotherWindow(*document); });
    connect(frame, &MainWindow::closeDocumentRequested, this,
            [this](Document* document) { CloseDocument(*document); });
    connect(frame, &MainWindow::preferencesRequested, this, &Application::OnPreferences);
    connect(frame, &MainWindow::aboutRequested, this, &Application::OnAbout);
    connect(frame, &MainWindow::helpRequested, this, &Application::ShowHelp);
    connect(frame, &MainWindow::tabbedWindowsChanged, this,
            [this](bool tabbed) { m_settings.tabbedWindows = tabbed; });
    frame->SetCloseHandler([this] {
        if (!StopRendersFirst(nullptr) || !CloseAllDocuments())
            return false;
        OnFrameClosing();
        return true;
    });
}

void Application::ShowStartupNotice() {
    StartupNoticeDialog notice(m_frame.get());
    if (notice.exec() == QDialog::Accepted)
        m_settings.displayMailingListDialog = notice.DisplayAgain();
}

void Application::ShowNotice(const SideFileNotice& notice) {
    const Prompts::Icon icon = notice.icon == SideFileNotice::Error ? Prompts::Icon::Error
                               : notice.icon == SideFileNotice::Warning
                                   ? Prompts::Icon::Warning
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

void Application::ShowProgress(QueuedRender& render) {
    if (m_renderStatus)
        m_renderStatus->Show(render);
}

void Application::ShowStatus(const QString& text) {
    if (m_frame)
        m_frame->ShowStatus(text);
}

bool Application::StopRendersFirst(const Document* document) {
    if (!m_renders)
        return true;
    if ((document ? m_renders->LeftFor(document) : m_renders->Left()) == 0)
        return true;
    // Counted as the status line counts them.
    const RenderQueue::Tally tally = m_renders->TallyFor(document);
    const int left = tally.running + tally.waiting;
    const QString them = left == 1 ? QStringLiteral("it") : QStringLiteral("them");
    const QString where = document ? QStringLiteral(" for ") + document->Title() : QString();
    const QString ending = document ? QStringLiteral("Stop %1 and close the window?").arg(them)
                                    : QStringLiteral("Stop %1 and quit?").arg(them);
    const QString text =
        tally.running > 0 && tally.waiting > 0
            ? QStringLiteral("Renders are still going%1: %2 running, %3 waiting. %4")
                  .arg(where, QString::number(tally.running), QString::number(tally.waiting),
                       ending)
            : QStringLiteral("%1 still running%2. %3")
                  .arg(left == 1 ? QStringLiteral("1 render is")
                                 : QStringLiteral("%1 renders are").arg(left),
                       where, ending);
    if (Prompts::Message(m_frame.get(), Prompts::Icon::Question, QStringLiteral("Velvane"), text,
                         QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes)
        return false;
    if (document)
        m_renders->StopFor(document);
    else
        m_renders->StopAll();
    return true;
}

void Application::ShowHelp(int context) {
    ShowHelpTopic(context, QApplication::activeWindow());
}

void Application::OpenDroppedFiles(const QMimeData& data) {
    m_frame->OpenDroppedFiles(&data);
}

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

void Application::OnFileNew() {
    NewDocument(*m_catalogTemplate);
}

void Application::OnFileOpen() {
    // Catalogs first; the texture maps' bitmaps can be chosen too.
    const QString path =
        Prompts::OpenFileName(m_frame.get(), QStringLiteral("Open"), QString(), OpenFilters());
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

QString Application::OpenFilters() const {
    return QStringList{m_catalogTemplate->Filters(), m_textureMapTemplate->Filters(),
                       QStringLiteral("All Files (*)")}
        .join(QStringLiteral(";;"));
}

Document* Application::OpenDocumentFile(const QString& path) {
    const QString full = QFileInfo(path).absoluteFilePath();
    for (const auto& document : m_documents) {
        if (QFileInfo(document->Path()).absoluteFilePath() == full && !document->Path().isEmpty()) {
            const QList<DocumentView*> views = m_frame->ViewsOf(*document);
            if (!views.isEmpty())
                m_frame->MdiArea()->setActiveSubWindow(
                    qobject_cast<QMdiSubWindow*>(views.first()->Widget()->parentWidget()));
            return document.get();
        }
    }
    DocumentTemplate& kind =
        m_textureMapTemplate->Matches(full) ? *m_textureMapTemplate : *m_catalogTemplate;
    std::unique_ptr<Document> document = kind.CreateDocument();
    const FileResult result = document->Open(full);
    if (!result) {
        Prompts::Error(m_frame.get(), document->LoadErrorTitle(), result.message);
        return nullptr;
    }
    m_frame->AddRecentFile(full);
    return AddDocument(std::move(document));
}

bool Application::eventFilter(QObject* watched, QEvent* event) {
    // A window closing: the document's last window offers to save first and closes it.
    if (event->type() == QEvent::Close && !m_closing) {
        auto* window = qobject_cast<QMdiSubWindow*>(watched);
        DocumentView* view = MainWindow::ViewOf(window);
        Document* document = view ? &view->ViewedDocument() : nullptr;
        if (document && m_frame->ViewsOf(*document).size() == 1) {
            if (!StopRendersFirst(document) || !document->SaveModified(m_frame.get())) {
                event->ignore();
                return true;
            }
            if (!document->Path().isEmpty())
                m_frame->AddRecentFile(document->Path());
            // The document goes once its last window is gone.
            connect(window, &QObject::destroyed, this,
                    [this, document] { ForgetDocument(document); });
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
    if (!StopRendersFirst(&document) || !document.SaveModified(m_frame.get()))
        return false;
    if (!document.Path().isEmpty())
        m_frame->AddRecentFile(document.Path());
    CloseWindowsOf(document);
    return true;
}

void Application::CloseWindowsOf(Document& document) {
    m_closing = true;
    for (DocumentView* view : m_frame->ViewsOf(document))
        if (auto* window = qobject_cast<QMdiSubWindow*>(view->Widget()->parentWidget())) {
            window->setAttribute(Qt::WA_DeleteOnClose, false);
            window->close();
            delete window;
        }
    m_closing = false;
    ForgetDocument(&document);
}

bool Application::SaveAllModified() {
    std::vector<Document*> modified;
    for (const auto& document : m_documents)
        if (document->IsModified())
            modified.push_back(document.get());
    if (modified.size() < 2)
        return modified.empty() || modified.front()->SaveModified(m_frame.get());
    // One question for them all.
    QStringList titles;
    for (const Document* document : modified)
        titles << document->Title();
    const auto answer = Prompts::Message(
        m_frame.get(), Prompts::Icon::Warning, QStringLiteral("Velvane"),
        QStringLiteral("Save the changes to these %1 documents?\n\n%2")
            .arg(modified.size())
            .arg(titles.join(QLatin1Char('\n'))),
        QMessageBox::SaveAll | QMessageBox::Discard | QMessageBox::Cancel, QMessageBox::SaveAll);
    if (answer == QMessageBox::Discard)
        return true;
    if (answer != QMessageBox::SaveAll)
        return false;
    for (Document* document : modified)
        if (!document->Save(m_frame.get()))
            return false;
    return true;
}

bool Application::CloseAllDocuments() {
    if (!SaveAllModified())
        return false;
    // Closing at the end is no use of a file: the recent list keeps its order.
    while (!m_documents.empty())
        CloseWindowsOf(*m_documents.back());
    return true;
}

void Application::OnFrameClosing() {
    auto store = OpenSettingsStore();
    m_frame->SaveWindowState(*store);
    m_frame->SaveRecentFiles(*store);
    m_settings.Save(*store);
    store->sync();
    // Only a list changed during the session is written: a file that was read only in part
    // must not be replaced by that part when nobody changed anything.
    if (StoredColors(m_namedColors) != m_colorsAsLoaded)
        if (const auto notice =
                SaveColorFile(m_settings.EffectiveProgramDirectory(), m_namedColors))
            ShowNotice(*notice);
    m_copyList.clear();
    CloseHelpWindow();
}

// ---- commands -----------------------------------------------------------------------------

void Application::OnPreferences() {
    RunPreferences(*this, m_frame.get());
}

void Application::OnAbout() {
    AboutDialog about(m_frame.get());
    about.exec();
}
