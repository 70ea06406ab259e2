#include "ui/app/mainwindow.h"

#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/document.h"
#include "ui/framework/documenttemplate.h"
#include "ui/texmap/texturemapdocument.h"
#include "ui/texmap/texturemapview.h"
#include "ui/app/application.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QGuiApplication>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>
#include <QWhatsThis>

namespace {

constexpr int kRecentFileCount = 4;
constexpr const char* kStateSection = "Application State";
constexpr const char* kRecentSection = "Recent File List";

enum MenuKind { NoWindow = 0, CatalogWindow = 1, TextureMapWindow = 2 };

/// The view a window shows: catalog and texture-map views are the window's widget.
QWidget* ViewOf(QMdiSubWindow* window) { return window ? window->widget() : nullptr; }

/// Whether a lock key's light is on, read from the kernel's keyboard LEDs (any keyboard).
bool LockLightOn(const char* name) {
    const QDir leds(QStringLiteral("/sys/class/leds"));
    for (const QString& led : leds.entryList({QStringLiteral("*::") + QLatin1String(name)}, QDir::Dirs)) {
        QFile brightness(leds.filePath(led + QStringLiteral("/brightness")));
        if (brightness.open(QIODevice::ReadOnly) && brightness.readAll().trimmed() != "0")
            return true;
    }
    return false;
}

/// The part of a command's prompt shown in the status bar, and the short tip after "\n".
QString StatusPart(const QString& prompt) { return prompt.section(QLatin1Char('\n'), 0, 0); }
QString TipPart(const QString& prompt) {
    return prompt.contains(QLatin1Char('\n')) ? prompt.section(QLatin1Char('\n'), 1) : QString();
}

} // namespace

MainWindow::MainWindow(Application& app) : m_app(app), m_mdi(new QMdiArea(this)) {
    setWindowTitle(QStringLiteral("Velvane"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velvane.png")));
    m_mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setCentralWidget(m_mdi);
    // Until a placement of its own is stored, the frame takes most of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableSize();
        resize(std::min(1100, room.width() * 9 / 10), std::min(800, room.height() * 9 / 10));
    }
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, [this] {
        SwitchMenus();
        UpdateCommands();
        Document* document = ActiveDocument();
        setWindowTitle(document ? QStringLiteral("Velvane - %1").arg(document->Title()) : QStringLiteral("Velvane"));
    });
    SwitchMenus();
    UpdateCommands();
}

// ---- actions ------------------------------------------------------------------------------

QAction* MainWindow::AddAction(const QString& name, const QString& menuText, const QString& prompt,
                               std::function<void()> trigger, const QList<QKeySequence>& keys) {
    auto* action = new QAction(menuText, this);
    action->setObjectName(name);
    action->setStatusTip(StatusPart(prompt));
    const QString tip = TipPart(prompt);
    action->setToolTip(tip.isEmpty() ? QString(menuText).remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0) : tip);
    if (!keys.isEmpty()) {
        action->setShortcuts(keys);
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action); // keys work even while the action's menu is not in the menu bar
    }
    connect(action, &QAction::triggered, this, [trigger = std::move(trigger)] { trigger(); });
    m_actions[name] = action;
    return action;
}

template <class View>
QAction* MainWindow::AddViewAction(const QString& name, const QString& menuText, const QString& prompt,
                                   void (View::*slot)(), const QList<QKeySequence>& keys) {
    return AddAction(
        name, menuText, prompt,
        [this, slot] {
            if (auto* view = qobject_cast<View*>(ActiveView()))
                (view->*slot)();
        },
        keys);
}

QAction* MainWindow::Action(const QString& name) const {
    const auto found = m_actions.find(name);
    return found == m_actions.end() ? nullptr : found->second;
}

void MainWindow::CreateActions() {
    using K = QKeySequence;
    // Application and document commands.
    AddAction("New", "&New\tCtrl+N", "Create a new document\nNew", [this] { m_app.OnFileNew(); }, {K(Qt::CTRL | Qt::Key_N)});
    AddAction("Open", "&Open...\tCtrl+O", "Open an existing document\nOpen", [this] { m_app.OnFileOpen(); },
              {K(Qt::CTRL | Qt::Key_O)});
    AddAction("Close", "&Close", "Close the active document\nClose", [this] { CloseActiveWindow(); });
    AddAction("Save", "&Save\tCtrl+S", "Save the active document\nSave",
              [this] { if (Document* d = ActiveDocument()) { d->Save(this); AddRecentFile(d->Path()); } },
              {K(Qt::CTRL | Qt::Key_S)});
    AddAction("Save As", "Save &As...", "Save the active document with a new name\nSave As",
              [this] { if (Document* d = ActiveDocument(); d && d->SaveAs(this)) AddRecentFile(d->Path()); });
    AddViewAction<CatalogView>("Print", "&Print...\tCtrl+P", "Print the active document\nPrint", &CatalogView::OnPrint,
                              {K(Qt::CTRL | Qt::Key_P)});
    AddViewAction<CatalogView>("Print Preview", "Print Pre&view", "Display full pages\nPrint Preview",
                              &CatalogView::OnPrintPreview);
    AddAction("Exit", "E&xit", "Quit the application; prompts to save documents\nExit", [this] { close(); });

    // Edit menu: Undo has no handler anywhere and stays grey.
    AddAction("Undo", "&Undo\tCtrl+Z", "Undo the last action\nUndo", [] {},
              {K(Qt::CTRL | Qt::Key_Z), K(Qt::ALT | Qt::Key_Backspace)});
    AddViewAction<CatalogView>("Cut", "Cu&t\tCtrl+X", "Cut the selection and put it on the Clipboard\nCut", &CatalogView::OnCut,
                              {K(Qt::CTRL | Qt::Key_X), K(Qt::SHIFT | Qt::Key_Delete)});
    AddViewAction<CatalogView>("Copy", "&Copy\tCtrl+C", "Copy the selection and put it on the Clipboard\nCopy",
                              &CatalogView::OnCopy, {K(Qt::CTRL | Qt::Key_C), K(Qt::CTRL | Qt::Key_Insert)});
    AddViewAction<CatalogView>("Paste", "&Paste\tCtrl+V", "Insert Clipboard contents\nPaste", &CatalogView::OnPaste,
                              {K(Qt::CTRL | Qt::Key_V), K(Qt::SHIFT | Qt::Key_Insert)});

    // Texture menu (catalog windows).
    AddViewAction<CatalogView>("New Simple", "&New Simple...\tN", "Create a new texture with a single layer",
                              &CatalogView::OnNewSimple, {K(Qt::Key_N)});
    AddViewAction<CatalogView>("New Layered", "New &Layered...\tL", "Create a multiple layered texture",
                              &CatalogView::OnNewLayered, {K(Qt::Key_L)});
    AddViewAction<CatalogView>("Delete", "&Delete\tDel", "Delete the selected texture(s)", &CatalogView::OnDelete,
                              {K(Qt::Key_Delete)});
    AddViewAction<CatalogView>("Modify", "&Modify...\tM", "Modify the settings for the selected texture",
                              &CatalogView::OnModify, {K(Qt::Key_M)});
    AddViewAction<CatalogView>("View Source", "&View Source\tV", "View the POVRay source for the selected texture(s)",
                              &CatalogView::OnViewSource, {K(Qt::Key_V)});
    AddViewAction<CatalogView>("Export Source", "&Export Source...\tCtrl+E",
                              "Export the POVRay source for the selected texture(s)", &CatalogView::OnExportSource,
                              {K(Qt::CTRL | Qt::Key_E)});
    AddViewAction<CatalogView>("Create Texture Map", "&Create &Texture Map...\tCtrl+T",
                              "Create a texture map using the selected texture", &CatalogView::OnCreateTextureMap,
                              {K(Qt::CTRL | Qt::Key_T)});
    AddViewAction<CatalogView>("Clear Thumbnail(s)", "&Clear Thumbnail(s)",
                              "Clear the thumbnail(s) for the selected texture(s)", &CatalogView::OnClearThumbnails);
    AddViewAction<CatalogView>("Render Thumbnail(s)", "&Render Thumbnail(s)",
                              "Render the thumbnail(s) for the selected texture(s)", &CatalogView::OnRenderThumbnails);

    // Options.
    AddAction("Preferences", "&Preferences\tCtrl+P", "Change the program's settings\nPreferences",
              [this] { m_app.OnPreferences(); });
    AddViewAction<CatalogView>("Antialiasing", "&Antialiasing",
                              "Use antialiasing on the rendered thumbnails and texture maps", &CatalogView::OnAntialiasing)
        ->setCheckable(true);
    AddViewAction<CatalogView>("Update Thumbnail", "Update &Thumbnail",
                              "Update a texture's thumbnail after it has been modified", &CatalogView::OnUpdateThumbnail)
        ->setCheckable(true);

    // Image Tiling (texture-map windows).
    AddViewAction<TextureMapView>("Show Tiling", "Show &Tiling", "Show the texture map repeated over the window\nShow Tiling",
                               &TextureMapView::OnShowTiling)
        ->setCheckable(true);
    auto* methods = new QActionGroup(this);
    for (auto [name, text, prompt, slot] :
         {std::tuple{"None", "&None", "Show the texture map as it was rendered\nNone", &TextureMapView::OnTileNone},
          std::tuple{"Edge Fade", "&Edge Fade", "Blend the edges so the map tiles without seams\nEdge Fade",
                     &TextureMapView::OnTileEdgeFade},
          std::tuple{"Mirror", "&Mirror", "Mirror the map so that its edges meet\nMirror", &TextureMapView::OnTileMirror}}) {
        QAction* action = AddViewAction<TextureMapView>(name, text, prompt, slot);
        action->setCheckable(true);
        methods->addAction(action);
    }

    // View, Window and Help.
    AddAction("Toolbar", "&Toolbar", "Show or hide the toolbar\nToggle ToolBar",
              [this] { m_toolBar->setVisible(!m_toolBar->isVisible()); })->setCheckable(true);
    AddAction("Status Bar", "&Status Bar", "Show or hide the status bar\nToggle StatusBar",
              [this] { statusBar()->setVisible(!statusBar()->isVisible()); })->setCheckable(true);
    AddAction("New Window", "&New Window", "Open another window for the active document\nNew Window",
              [this] { if (Document* d = ActiveDocument()) m_app.OpenAnotherWindow(*d); });
    AddAction("Cascade", "&Cascade", "Arrange windows so they overlap\nCascade Windows", [this] { m_mdi->cascadeSubWindows(); });
    AddAction("Tile", "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows", [this] { m_mdi->tileSubWindows(); });
    AddAction("Arrange Icons", "&Arrange Icons", "Arrange icons at the bottom of the window\nArrange Icons", [this] {
        int x = 0;
        for (QMdiSubWindow* window : m_mdi->subWindowList())
            if (window->isMinimized()) {
                window->move(x, m_mdi->viewport()->height() - window->height());
                x += window->width();
            }
    });
    AddAction("Next Pane", "Next Pane", "Switch to the next window pane\nNext Pane", [this] { m_mdi->activateNextSubWindow(); },
              {K(Qt::Key_F6)});
    AddAction("Previous Pane", "Previous Pane", "Switch back to the previous window pane\nPrevious Pane",
              [this] { m_mdi->activatePreviousSubWindow(); }, {K(Qt::SHIFT | Qt::Key_F6)});
    AddAction("Index", "&Index", "List Help topics\nHelp Topics", [this] { m_app.ShowHelp(0); });
    AddAction("Using Help", "&Using Help", "Display instructions about how to use help\nHelp", [this] { m_app.ShowHelp(1); });
    AddAction("Help", "Help", "Display help for the current task or command\nHelp", [this] { m_app.ShowHelp(0); },
              {K(Qt::Key_F1)});
    AddAction("Context Help", "Context Help", "Display help for clicked buttons, menus and windows\nHelp",
              [] { QWhatsThis::enterWhatsThisMode(); }, {K(Qt::SHIFT | Qt::Key_F1)});
    AddAction("About", "&About Velvane...", "Display program information, version number and copyright\nAbout",
              [this] { m_app.OnAbout(); });

    const std::pair<const char*, const char*> icons[] = {{"New", "new"},     {"Open", "open"},   {"Save", "save"},
                                                         {"Cut", "cut"},     {"Copy", "copy"},   {"Paste", "paste"},
                                                         {"Print", "print"}, {"About", "about"}, {"Context Help", "context-help"}};
    for (const auto& [name, icon] : icons)
        Action(QString::fromLatin1(name))->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(icon))));
}

void MainWindow::CreateMenus() {
    auto menu = [this](const QString& title, const QStringList& items) {
        auto* result = new QMenu(title, this);
        for (const QString& item : items) {
            if (item.isEmpty())
                result->addSeparator();
            else
                result->addAction(Action(item));
        }
        connect(result, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
        return result;
    };
    auto addRecent = [this](QMenu* file) {
        QMenu* recent = file->addMenu(QStringLiteral("Recent &File"));
        m_recentMenus << recent;
        file->addSeparator();
        file->addAction(Action("Exit"));
    };
    m_fileMenuEmpty = menu("&File", {"New", "Open", ""});
    addRecent(m_fileMenuEmpty);
    m_fileMenu = menu("&File", {"New", "Open", "Close", "Save", "Save As", "", "Print", "Print Preview", ""});
    addRecent(m_fileMenu);
    m_editMenu = menu("&Edit", {"Undo", "", "Cut", "Copy", "Paste"});
    m_viewMenu = menu("&View", {"Toolbar", "Status Bar"});
    m_textureMenu = menu("&Texture", {"New Simple", "New Layered", "Delete", "Modify", "", "View Source", "Export Source",
                                      "", "Create Texture Map", "", "Clear Thumbnail(s)", "Render Thumbnail(s)"});
    m_imageTilingMenu = menu("&Image Tiling", {"Show Tiling"});
    QMenu* method = m_imageTilingMenu->addMenu(QStringLiteral("Tile M&ethod"));
    method->addActions({Action("None"), Action("Edge Fade"), Action("Mirror")});
    m_optionsMenuEmpty = menu("&Options", {"Preferences"});
    m_optionsMenuCatalog = menu("&Options", {"Preferences", "", "Antialiasing", "Update Thumbnail"});
    m_windowMenu = menu("&Window", {"New Window", "Cascade", "Tile", "Arrange Icons"});
    m_windowMenu->addSeparator();
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] {
        // The open windows, as numbered entries after the fixed items.
        const QList<QAction*> actions = m_windowMenu->actions();
        for (int i = 5; i < actions.size(); ++i)
            m_windowMenu->removeAction(actions[i]), actions[i]->deleteLater();
        int number = 0;
        for (QMdiSubWindow* window : m_mdi->subWindowList()) {
            QAction* entry = m_windowMenu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(window->windowTitle()));
            entry->setCheckable(true);
            entry->setChecked(window == m_mdi->activeSubWindow());
            connect(entry, &QAction::triggered, this, [this, window] { m_mdi->setActiveSubWindow(window); });
        }
    });
    m_helpMenu = menu("&Help", {"Index", "Using Help", "", "About"});
    UpdateRecentFileMenu();
}

void MainWindow::CreateToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("Toolbar"));
    m_toolBar->setMovable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (const char* name : {"New", "Open", "Save", "", "Cut", "Copy", "Paste", "", "Print", "About", "Context Help"}) {
        if (*name)
            m_toolBar->addAction(Action(QString::fromLatin1(name)));
        else
            m_toolBar->addSeparator();
    }
}

void MainWindow::CreateStatusBar() {
    statusBar()->showMessage(QStringLiteral("Ready"));
    auto indicator = [this](const QString& text) {
        auto* label = new QLabel(text, this);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setMinimumWidth(label->fontMetrics().horizontalAdvance(QStringLiteral("SCRL")) + 8);
        label->setAlignment(Qt::AlignCenter);
        statusBar()->addPermanentWidget(label);
        return label;
    };
    m_capsLock = indicator(QStringLiteral("CAP"));
    m_numLock = indicator(QStringLiteral("NUM"));
    m_scrollLock = indicator(QStringLiteral("SCRL"));
    auto* poll = new QTimer(this);
    connect(poll, &QTimer::timeout, this, &MainWindow::UpdateLockIndicators);
    poll->start(500);
    UpdateLockIndicators();
}

void MainWindow::UpdateLockIndicators() {
    // An indicator shows its text while its lock is on, as keyboards light theirs.
    for (auto [label, led, text] : {std::tuple{m_capsLock, "capslock", "CAP"}, std::tuple{m_numLock, "numlock", "NUM"},
                                    std::tuple{m_scrollLock, "scrolllock", "SCRL"}})
        label->setText(LockLightOn(led) ? QString::fromLatin1(text) : QString());
}

void MainWindow::ShowStatus(const QString& text) { statusBar()->showMessage(text, 10000); }

// ---- windows and menus --------------------------------------------------------------------

QMdiSubWindow* MainWindow::AddView(Document& document, QWidget* view) {
    QMdiSubWindow* window = m_mdi->addSubWindow(view);
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(QIcon(QStringLiteral(":/icons/velvane-32.png")));
    auto retitle = [this, window, &document] {
        const QList<QWidget*> views = ViewsOf(document);
        QString title = document.Title();
        if (views.size() > 1)
            title += QStringLiteral(":%1").arg(views.indexOf(window->widget()) + 1);
        window->setWindowTitle(title + (document.IsModified() ? QStringLiteral("*") : QString()));
    };
    connect(&document, &Document::titleChanged, window, retitle);
    connect(&document, &Document::modifiedChanged, window, retitle);
    connect(&document, &Document::modifiedChanged, this, &MainWindow::UpdateCommands);
    if (auto* catalog = qobject_cast<CatalogView*>(view)) {
        connect(catalog, &CatalogView::commandStateChanged, this, &MainWindow::UpdateCommands);
        catalog->UpdateScrollSize();
    }
    if (auto* map = qobject_cast<TextureMapView*>(view))
        connect(map, &TextureMapView::commandStateChanged, this, &MainWindow::UpdateCommands);
    retitle();
    window->resize(std::max(420, m_mdi->width() * 3 / 4), std::max(320, m_mdi->height() * 3 / 4));
    window->show();
    m_mdi->setActiveSubWindow(window);
    emit document.titleChanged(); // every window of the document renumbers itself
    return window;
}

QWidget* MainWindow::ActiveView() const {
    QMdiSubWindow* window = m_mdi->activeSubWindow();
    if (!window && !m_mdi->subWindowList().isEmpty())
        window = m_mdi->currentSubWindow();
    return ViewOf(window);
}

Document* MainWindow::ActiveDocument() const {
    QWidget* view = ActiveView();
    if (auto* catalog = qobject_cast<CatalogView*>(view))
        return &catalog->Document();
    if (auto* map = qobject_cast<TextureMapView*>(view))
        return &map->Document();
    return nullptr;
}

CatalogView* MainWindow::ActiveCatalogView() const { return qobject_cast<CatalogView*>(ActiveView()); }
TextureMapView* MainWindow::ActiveTextureMapView() const { return qobject_cast<TextureMapView*>(ActiveView()); }

QList<QWidget*> MainWindow::ViewsOf(const Document& document) const {
    QList<QWidget*> views;
    for (QMdiSubWindow* window : m_mdi->subWindowList()) {
        QWidget* view = window->widget();
        if (auto* catalog = qobject_cast<CatalogView*>(view); catalog && &catalog->Document() == &document)
            views << view;
        if (auto* map = qobject_cast<TextureMapView*>(view); map && &map->Document() == &document)
            views << view;
    }
    return views;
}

void MainWindow::CloseActiveWindow() {
    // Close closes the document with all its windows.
    Document* document = ActiveDocument();
    if (!document)
        return;
    m_app.CloseDocument(*document);
}

void MainWindow::SwitchMenus() {
    const int kind = ActiveCatalogView() ? CatalogWindow : ActiveTextureMapView() ? TextureMapWindow : NoWindow;
    if (kind == m_menuKind)
        return;
    m_menuKind = kind;
    QMenuBar* bar = menuBar();
    bar->clear();
    switch (kind) {
    case NoWindow:
        for (QMenu* m : {m_fileMenuEmpty, m_viewMenu, m_optionsMenuEmpty, m_helpMenu})
            bar->addMenu(m);
        break;
    case CatalogWindow:
        for (QMenu* m : {m_fileMenu, m_editMenu, m_viewMenu, m_textureMenu, m_optionsMenuCatalog, m_windowMenu, m_helpMenu})
            bar->addMenu(m);
        break;
    case TextureMapWindow:
        for (QMenu* m : {m_fileMenu, m_viewMenu, m_imageTilingMenu, m_optionsMenuEmpty, m_windowMenu, m_helpMenu})
            bar->addMenu(m);
        break;
    }
}

QStringList MainWindow::MenuTitles() const {
    QStringList titles;
    for (QAction* action : menuBar()->actions())
        titles << action->text();
    return titles;
}

void MainWindow::UpdateCommands() {
    CatalogView* catalog = ActiveCatalogView();
    TextureMapView* map = ActiveTextureMapView();
    Document* document = ActiveDocument();
    auto set = [this](const char* name, bool enabled) { Action(QString::fromLatin1(name))->setEnabled(enabled); };
    set("Close", document);
    set("Save", document);
    set("Save As", document);
    set("Print", catalog);
    set("Print Preview", catalog);
    set("Undo", false);
    set("Cut", catalog && catalog->CanCut());
    set("Copy", catalog && catalog->CanCopy());
    set("Paste", catalog && catalog->CanPaste());
    set("New Simple", catalog && catalog->CanNewTexture());
    set("New Layered", catalog && catalog->CanNewTexture());
    set("Delete", catalog && catalog->CanDelete());
    set("Modify", catalog && catalog->CanModify());
    set("View Source", catalog && catalog->CanViewSource());
    set("Export Source", catalog && catalog->CanExportSource());
    set("Create Texture Map", catalog && catalog->CanCreateTextureMap());
    set("Clear Thumbnail(s)", catalog && catalog->CanClearThumbnails());
    set("Render Thumbnail(s)", catalog && catalog->CanRenderThumbnails());
    set("Antialiasing", catalog);
    set("Update Thumbnail", catalog);
    set("New Window", document);
    for (const char* name : {"Cascade", "Tile", "Arrange Icons", "Next Pane", "Previous Pane"})
        set(name, document);
    Action("Antialiasing")->setChecked(catalog && catalog->IsAntialiasing());
    Action("Update Thumbnail")->setChecked(catalog && catalog->IsUpdateThumbnail());
    set("Show Tiling", map);
    for (const char* name : {"None", "Edge Fade", "Mirror"})
        set(name, map);
    Action("Show Tiling")->setChecked(map && map->IsShowTiling());
    if (map)
        Action(map->TileMethod() == 1 ? "Edge Fade" : map->TileMethod() == 2 ? "Mirror" : "None")->setChecked(true);
    Action("Toolbar")->setChecked(m_toolBar && m_toolBar->isVisible());
    Action("Status Bar")->setChecked(statusBar()->isVisible());
    // Ctrl+P prints a catalog; with nothing to print it opens the Preferences its label names.
    const bool printing = catalog != nullptr;
    Action("Print")->setShortcut(printing ? QKeySequence(Qt::CTRL | Qt::Key_P) : QKeySequence());
    Action("Preferences")->setShortcut(printing ? QKeySequence() : QKeySequence(Qt::CTRL | Qt::Key_P));
    Action("Preferences")->setText(QStringLiteral("&Preferences\tCtrl+P"));
}

// ---- recent files -------------------------------------------------------------------------

void MainWindow::AddRecentFile(const QString& path) {
    if (path.isEmpty())
        return;
    const QString full = QFileInfo(path).absoluteFilePath();
    m_recentFiles.removeAll(full);
    m_recentFiles.prepend(full);
    while (m_recentFiles.size() > kRecentFileCount)
        m_recentFiles.removeLast();
    UpdateRecentFileMenu();
}

void MainWindow::UpdateRecentFileMenu() {
    for (QMenu* menu : m_recentMenus) {
        menu->clear();
        menu->setEnabled(!m_recentFiles.isEmpty());
        int number = 0;
        for (const QString& path : m_recentFiles) {
            QAction* entry = menu->addAction(QStringLiteral("&%1 %2").arg(++number).arg(QDir::toNativeSeparators(path)));
            connect(entry, &QAction::triggered, this, [this, path] { m_app.OpenDocumentFile(path); });
        }
    }
}

void MainWindow::LoadRecentFiles(QSettings& store) {
    store.beginGroup(QLatin1String(kRecentSection));
    m_recentFiles.clear();
    for (int i = 1; i <= kRecentFileCount; ++i) {
        const QString path = store.value(QStringLiteral("File%1").arg(i)).toString();
        if (!path.isEmpty())
            m_recentFiles << path;
    }
    store.endGroup();
    UpdateRecentFileMenu();
}

void MainWindow::SaveRecentFiles(QSettings& store) const {
    store.beginGroup(QLatin1String(kRecentSection));
    for (int i = 1; i <= kRecentFileCount; ++i) {
        if (i <= m_recentFiles.size())
            store.setValue(QStringLiteral("File%1").arg(i), m_recentFiles[i - 1]);
        else
            store.remove(QStringLiteral("File%1").arg(i));
    }
    store.endGroup();
}

// ---- placement ----------------------------------------------------------------------------

void MainWindow::RestoreWindowState(QSettings& store) {
    store.beginGroup(QLatin1String(kStateSection));
    const int zoomed = store.value(QStringLiteral("Zoomed"), 0).toInt();
    const int left = store.value(QStringLiteral("Left"), -1).toInt();
    const int top = store.value(QStringLiteral("Top"), -1).toInt();
    const int right = store.value(QStringLiteral("Right"), -1).toInt();
    const int bottom = store.value(QStringLiteral("Bottom"), -1).toInt();
    store.endGroup();
    if (zoomed) {
        setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    const QRect desktop = screen() ? screen()->virtualGeometry() : QRect();
    if (left == -1 || top == -1 || right == -1 || bottom == -1 || left >= desktop.right() + 1 ||
        top >= desktop.bottom() + 1)
        return;
    // The frame's outer rectangle was stored; it is applied once the window is shown and the
    // size of its frame is known.
    m_pendingPlacement = QRect(QPoint(left, top), QSize(std::max(200, right - left), std::max(150, bottom - top)));
    if (isVisible())
        ApplyPendingPlacement();
}

void MainWindow::ApplyPendingPlacement() {
    if (m_pendingPlacement.isNull())
        return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QSize frame(outer.width() - inner.width(), outer.height() - inner.height());
    move(m_pendingPlacement.topLeft());
    resize(m_pendingPlacement.size() - frame);
    m_pendingPlacement = QRect();
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    ApplyPendingPlacement();
}

void MainWindow::SaveWindowState(QSettings& store) const {
    const QRect outer = frameGeometry();
    store.beginGroup(QLatin1String(kStateSection));
    store.setValue(QStringLiteral("Left"), outer.left());
    store.setValue(QStringLiteral("Top"), outer.top());
    store.setValue(QStringLiteral("Right"), outer.left() + outer.width());
    store.setValue(QStringLiteral("Bottom"), outer.top() + outer.height());
    store.setValue(QStringLiteral("Zoomed"), isMaximized() ? 1 : 0);
    store.endGroup();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (!m_app.CloseAllDocuments()) {
        event->ignore();
        return;
    }
    m_app.OnFrameClosing();
    event->accept();
}
