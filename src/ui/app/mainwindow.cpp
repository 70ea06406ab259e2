#include "ui/app/mainwindow.h"

#include "ui/app/lockindicators.h"
#include "ui/app/startpage.h"
#include "ui/framework/command.h"
#include "ui/framework/document.h"
#include "ui/framework/screenfit.h"

#include <QActionGroup>
#include <QCloseEvent>
#include <QCommandLinkButton>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QScreen>
#include <QSettings>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolBar>
#include <QUrl>
#include <QWhatsThis>
#include <algorithm>

namespace {

constexpr const char* kStateSection = "Application State";
/// The inside of the window when it is neither maximized nor minimized, beside the outer edges.
constexpr const char* kNormalGeometryKey = "Normal Geometry";
/// 1 when the document windows were left maximized: the next ones open so.
constexpr const char* kMaximizedWindowsKey = "Maximized Windows";

/// A zoom factor as a percentage: "150%", "66.7%", "1.6%" (one decimal, left out when 0).
QString PercentText(double zoom) {
    QString text = QString::number(zoom * 100.0, 'f', 1);
    if (text.endsWith(QLatin1String(".0")))
        text.chop(2);
    return text + QLatin1Char('%');
}

} // namespace

MainWindow::MainWindow(QWidget* parent)
    : QMainWindow(parent), m_mdi(new QMdiArea(this)), m_recent(new ::RecentFiles(this)),
      m_startPage(new ::StartPage(m_mdi->viewport())) {
    setWindowTitle(QStringLiteral("Velvane"));
    setWindowIcon(QIcon(QStringLiteral(":/icons/velvane.png")));
    m_mdi->setActivationOrder(QMdiArea::ActivationHistoryOrder);
    setAcceptDrops(true);
    setCentralWidget(m_mdi);
    // Until a placement of its own is stored, the window takes most of the screen.
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QSize room = screen->availableSize();
        resize(std::min(1100, room.width() * 9 / 10), std::min(800, room.height() * 9 / 10));
    }
    CreateActions();
    CreateMenus();
    CreateToolBar();
    CreateStatusBar();
    connect(m_mdi, &QMdiArea::subWindowActivated, this, &MainWindow::OnActiveViewChanged);
    connect(m_recent, &::RecentFiles::openRequested, this, &MainWindow::openFileRequested);
    connect(m_recent, &::RecentFiles::changed, this,
            [this] { m_startPage->SetRecentFiles(m_recent->Catalogs()); });
    connect(m_startPage, &::StartPage::newRequested, Action("New"), &QAction::trigger);
    connect(m_startPage, &::StartPage::openRequested, Action("Open"), &QAction::trigger);
    connect(m_startPage, &::StartPage::importRequested, this, &MainWindow::ImportIntoNewCatalog);
    connect(m_startPage, &::StartPage::openFileRequested, this, &MainWindow::openFileRequested);
    m_startPage->SetRecentFiles(m_recent->Catalogs());
    m_startPage->NewButton()->setFocus();
    RebuildMenus();
    OnActiveViewChanged();
}

MainWindow::~MainWindow() {
    m_mdi->disconnect(this);
}

// ---- actions ------------------------------------------------------------------------------

QAction* MainWindow::AddAction(const QString& name, const QString& menuText, const QString& prompt,
                               std::function<void()> trigger, const QList<QKeySequence>& keys) {
    QAction* action = MakeCommand(this, name, menuText, prompt, keys);
    if (!keys.isEmpty())
        addAction(action); // keys work even while the action's menu is not in the menu bar
    connect(action, &QAction::triggered, this, [trigger = std::move(trigger)] { trigger(); });
    m_actions[name] = action;
    return action;
}

QAction* MainWindow::AddStandard(StandardCommand command, const QString& name,
                                 const QString& menuText, const QString& prompt,
                                 const QList<QKeySequence>& keys) {
    // Declared here once; the active view carries it out when it supports it.
    QAction* action = AddAction(
        name, menuText, prompt,
        [this, command] {
            if (DocumentView* view = ActiveView();
                view && view->Supports(command) && view->CanRun(command))
                view->Run(command);
        },
        keys);
    m_standard[command] = action;
    return action;
}

QAction* MainWindow::AddStep(QAction* action, const QString& name, const QString& prompt,
                             const QList<QKeySequence>& keys) {
    DescribeCommand(action, name, prompt, keys);
    addAction(action);
    m_actions[name] = action;
    return action;
}

QAction* MainWindow::Action(const QString& name) const {
    if (const auto found = m_actions.find(name); found != m_actions.end())
        return found->second;
    if (DocumentView* view = ActiveView())
        for (const ViewMenu& menu : view->Menus())
            for (QAction* action : menu.actions) {
                if (action && action->objectName() == name)
                    return action;
                if (action && action->menu())
                    for (QAction* item : action->menu()->actions())
                        if (item->objectName() == name)
                            return item;
            }
    return nullptr;
}

void MainWindow::CreateActions() {
    using K = QKeySequence;
    // Application and document commands.
    AddAction(
        "New", "&New", "Create a new document\nNew", [this] { emit newRequested(); },
        K::keyBindings(K::New));
    AddAction(
        "Open", "&Open...", "Open an existing document\nOpen", [this] { emit openRequested(); },
        K::keyBindings(K::Open));
    AddAction(
        "Close", "&Close", "Close the active document\nClose",
        [this] {
            if (Document* document = ActiveDocument())
                emit closeDocumentRequested(document);
        },
        K::keyBindings(K::Close));
    AddAction(
        "Save", "&Save", "Save the active document\nSave",
        [this] {
            if (Document* document = ActiveDocument()) {
                document->Save(this);
                AddRecentFile(document->Path());
            }
        },
        K::keyBindings(K::Save));
    AddAction("Save As", "Save &As...", "Save the active document with a new name\nSave As",
              [this] {
                  if (Document* document = ActiveDocument(); document && document->SaveAs(this))
                      AddRecentFile(document->Path());
              });
    AddStandard(StandardCommand::Print, "Print", "&Print...", "Print the active document\nPrint",
                K::keyBindings(K::Print));
    AddStandard(StandardCommand::PrintPreview, "Print Preview", "Print Pre&view",
                "Display full pages\nPrint Preview", {});
    AddAction(
        "Exit", "E&xit", "Quit the application; prompts to save documents\nExit",
        [this] { close(); }, KeysOf(K::Quit, {K(Qt::CTRL | Qt::Key_Q)}));

    // Edit commands: Undo and Redo through the active document's steps, the clipboard through
    // the active view.
    AddStep(m_steps.createUndoAction(this, QStringLiteral("&Undo")), QStringLiteral("Undo"),
            QStringLiteral("Undo the last action\nUndo"),
            KeysOf(K::Undo, {K(Qt::ALT | Qt::Key_Backspace)}));
    AddStep(m_steps.createRedoAction(this, QStringLiteral("&Redo")), QStringLiteral("Redo"),
            QStringLiteral("Redo the previously undone action\nRedo"),
            KeysOf(K::Redo, {K(Qt::CTRL | Qt::Key_Y), K(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)}));
    AddStandard(StandardCommand::Cut, "Cut", "Cu&t",
                "Cut the selection and put it on the Clipboard\nCut", K::keyBindings(K::Cut));
    AddStandard(StandardCommand::Copy, "Copy", "&Copy",
                "Copy the selection and put it on the Clipboard\nCopy", K::keyBindings(K::Copy));
    AddStandard(StandardCommand::Paste, "Paste", "&Paste", "Insert Clipboard contents\nPaste",
                K::keyBindings(K::Paste));

    // The printing key belongs to Print alone.
    AddAction("Preferences", "&Preferences", "Change the program's settings\nPreferences",
              [this] { emit preferencesRequested(); });

    // The zoom of the active window, shown in the View menu of the windows that have one.
    AddStandard(StandardCommand::ZoomIn, "Zoom In", "Zoom &In",
                "Show the window's contents larger\nZoom In",
                KeysOf(K::ZoomIn, {K(Qt::CTRL | Qt::Key_Equal)}));
    AddStandard(StandardCommand::ZoomOut, "Zoom Out", "Zoom &Out",
                "Show the window's contents smaller\nZoom Out", K::keyBindings(K::ZoomOut));
    AddStandard(StandardCommand::ActualSize, "Actual Size", "&Actual Size",
                "Show the pictures at their own size\nActual Size", {K(Qt::CTRL | Qt::Key_1)});
    // Tells the zoom in the View menu; it does nothing itself.
    AddAction("Zoom Level", "Zoom: 100%", "The zoom of the active window\nZoom", [] {
    })->setEnabled(false);

    // View, Window and Help.
    AddAction("Toolbar", "&Toolbar", "Show or hide the toolbar\nToggle ToolBar", [this] {
        m_toolBar->setVisible(!m_toolBar->isVisible());
    })->setCheckable(true);
    AddAction("Status Bar", "&Status Bar", "Show or hide the status bar\nToggle StatusBar", [this] {
        statusBar()->setVisible(!statusBar()->isVisible());
    })->setCheckable(true);
    AddAction("Tabbed Windows", "Ta&bbed Windows",
              "Show the document windows as tabs\nTabbed Windows",
              [this] {
                  SetTabbedWindows(!TabbedWindows());
                  emit tabbedWindowsChanged(TabbedWindows());
              })
        ->setCheckable(true);
    AddAction("New Window", "&New Window",
              "Open another window for the active document\nNew Window", [this] {
                  if (Document* document = ActiveDocument())
                      emit newWindowRequested(document);
              });
    AddAction("Cascade", "&Cascade", "Arrange windows so they overlap\nCascade Windows",
              [this] { m_mdi->cascadeSubWindows(); });
    AddAction("Tile", "&Tile", "Arrange windows as non-overlapping tiles\nTile Windows",
              [this] { m_mdi->tileSubWindows(); });
    AddAction("Arrange Icons", "&Arrange Icons",
              "Arrange icons at the bottom of the window\nArrange Icons", [this] {
                  int x = 0;
                  for (QMdiSubWindow* window : m_mdi->subWindowList())
                      if (window->isMinimized()) {
                          window->move(x, m_mdi->viewport()->height() - window->height());
                          x += window->width();
                      }
              });
    AddAction("Next Pane", "Next Pane", "Switch to the next window pane\nNext Pane",
              [this] { m_mdi->activateNextSubWindow(); }, {K(Qt::Key_F6)});
    AddAction("Previous Pane", "Previous Pane",
              "Switch back to the previous window pane\nPrevious Pane",
              [this] { m_mdi->activatePreviousSubWindow(); }, {K(Qt::SHIFT | Qt::Key_F6)});
    AddAction("Index", "&Index", "List Help topics\nHelp Topics",
              [this] { emit helpRequested(0); });
    AddAction("Using Help", "&Using Help", "Display instructions about how to use help\nHelp",
              [this] { emit helpRequested(1); });
    AddAction(
        "Help", "Help", "Display help for the current task or command\nHelp",
        [this] { emit helpRequested(0); }, K::keyBindings(K::HelpContents));
    AddAction(
        "Context Help", "Context Help", "Display help for clicked buttons, menus and windows\nHelp",
        [] { QWhatsThis::enterWhatsThisMode(); }, K::keyBindings(K::WhatsThis));
    AddAction("About", "&About Velvane...",
              "Display program information, version number and copyright\nAbout",
              [this] { emit aboutRequested(); });

    const std::pair<const char*, const char*> icons[] = {
        {"New", "new"},     {"Open", "open"},   {"Save", "save"},
        {"Cut", "cut"},     {"Copy", "copy"},   {"Paste", "paste"},
        {"Print", "print"}, {"About", "about"}, {"Context Help", "context-help"}};
    for (const auto& [name, icon] : icons)
        Action(QString::fromLatin1(name))
            ->setIcon(QIcon(QStringLiteral(":/icons/%1.png").arg(QLatin1String(icon))));
}

void MainWindow::FillMenu(QMenu* menu, const QStringList& items, const QList<ViewMenu>& additions) {
    menu->clear();
    for (const QString& item : items) {
        if (item.isEmpty())
            menu->addSeparator();
        else if (QAction* action = Action(item); action && action->isVisible())
            menu->addAction(action);
    }
    for (const ViewMenu& addition : additions) {
        if (addition.title != menu->title())
            continue;
        if (!menu->isEmpty())
            menu->addSeparator();
        for (QAction* action : addition.actions) {
            if (action)
                menu->addAction(action);
            else
                menu->addSeparator();
        }
    }
}

void MainWindow::CreateMenus() {
    auto menu = [this](const QString& title) {
        auto* result = new QMenu(title, this);
        connect(result, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
        return result;
    };
    auto fileMenu = [this, &menu](const QStringList& items) {
        QMenu* file = menu(QStringLiteral("&File"));
        FillMenu(file, items, {});
        m_recent->AddMenu(file->addMenu(QStringLiteral("Recent &File")));
        file->addSeparator();
        file->addAction(Action("Exit"));
        return file;
    };
    m_fileMenuEmpty = fileMenu({"New", "Open", ""});
    m_fileMenu =
        fileMenu({"New", "Open", "Close", "Save", "Save As", "", "Print", "Print Preview", ""});
    m_editMenu = menu(QStringLiteral("&Edit"));
    m_viewMenu = menu(QStringLiteral("&View"));
    m_optionsMenu = menu(QStringLiteral("&Options"));
    m_windowMenu = menu(QStringLiteral("&Window"));
    connect(m_windowMenu, &QMenu::aboutToShow, this, [this] {
        // The open windows, as numbered entries after the fixed items.
        FillMenu(m_windowMenu, {"New Window", "Cascade", "Tile", "Arrange Icons", ""}, {});
        int number = 0;
        for (QMdiSubWindow* window : m_mdi->subWindowList()) {
            QAction* entry = m_windowMenu->addAction(
                QStringLiteral("&%1 %2").arg(++number).arg(window->windowTitle()));
            entry->setCheckable(true);
            entry->setChecked(window == m_mdi->activeSubWindow());
            connect(entry, &QAction::triggered, this,
                    [this, window] { m_mdi->setActiveSubWindow(window); });
        }
    });
    m_helpMenu = menu(QStringLiteral("&Help"));
    FillMenu(m_helpMenu, {"Index", "Using Help", "", "About"}, {});
}

void MainWindow::CreateToolBar() {
    m_toolBar = addToolBar(QStringLiteral("Toolbar"));
    m_toolBar->setObjectName(QStringLiteral("Toolbar"));
    m_toolBar->setMovable(true);
    m_toolBar->setAllowedAreas(Qt::AllToolBarAreas);
    for (const char* name : {"New", "Open", "Save", "", "Cut", "Copy", "Paste", "", "Print",
                             "About", "Context Help"}) {
        if (*name)
            m_toolBar->addAction(Action(QString::fromLatin1(name)));
        else
            m_toolBar->addSeparator();
    }
}

void MainWindow::CreateStatusBar() {
    statusBar()->showMessage(QStringLiteral("Ready"));
    // What the active window reports ("17 of 1,989 textures"), left of the lock indicators.
    m_viewStatus = new QLabel(this);
    m_viewStatus->setObjectName(QStringLiteral("ViewStatus"));
    m_viewStatus->hide();
    statusBar()->addPermanentWidget(m_viewStatus);
    // The zoom of the active window, for the windows that zoom.
    m_zoomStatus = new QLabel(this);
    m_zoomStatus->setObjectName(QStringLiteral("ZoomStatus"));
    m_zoomStatus->setAccessibleName(QStringLiteral("Zoom"));
    m_zoomStatus->setToolTip(QStringLiteral("The zoom of the active window"));
    m_zoomStatus->hide();
    statusBar()->addPermanentWidget(m_zoomStatus);
    new LockIndicators(*statusBar());
}

void MainWindow::ShowStatus(const QString& text) {
    statusBar()->showMessage(text, 10000);
}

// ---- windows and menus --------------------------------------------------------------------

QMdiSubWindow* MainWindow::AddView(Document& document, DocumentView* view) {
    QWidget* widget = view->Widget();
    QMdiSubWindow* window = m_mdi->addSubWindow(widget);
    m_startPage->hide();
    // Once the window is gone, and the workspace knows it.
    connect(window, &QObject::destroyed, this,
            [this] { QTimer::singleShot(0, this, &MainWindow::UpdateStartPage); });
    // A view that goes away takes its actions and menus with it.
    connect(widget, &QObject::destroyed, this, [this, view] {
        if (m_shownView == view) {
            m_shownView = nullptr;
            m_viewActions.clear();
            RebuildMenus();
        }
    });
    window->setAttribute(Qt::WA_DeleteOnClose);
    window->setWindowIcon(QIcon(QStringLiteral(":/icons/velvane-32.png")));
    // The Close keys are File > Close's, which closes the document with all its windows.
    if (QMenu* menu = window->systemMenu())
        for (QAction* action : menu->actions())
            if (action->shortcuts() == QKeySequence::keyBindings(QKeySequence::Close))
                action->setShortcuts({});
    auto retitle = [this, window, &document] {
        const QList<DocumentView*> views = ViewsOf(document);
        QString title = document.Title();
        if (views.size() > 1)
            title += QStringLiteral(":%1").arg(views.indexOf(ViewOf(window)) + 1);
        window->setWindowTitle(title + (document.IsModified() ? QStringLiteral("*") : QString()));
    };
    connect(&document, &Document::titleChanged, window, retitle);
    connect(&document, &Document::modifiedChanged, window, retitle);
    connect(&document, &Document::titleChanged, this, &MainWindow::UpdateTitle);
    connect(&document, &Document::modifiedChanged, this, &MainWindow::UpdateCommands);
    if (QUndoStack* steps = document.UndoSteps())
        m_steps.addStack(steps);
    view->SetStateChangedHandler([this, view] {
        if (view == m_shownView)
            UpdateCommands();
    });
    retitle();
    PlaceNewWindow(window);
    // The user's last choice between maximized and normal windows holds for the next ones,
    // also once every window has closed, and across sessions.
    connect(window, &QMdiSubWindow::windowStateChanged, this,
            [this](Qt::WindowStates, Qt::WindowStates now) {
                if (!(now & Qt::WindowMinimized))
                    m_maximizedWindows = (now & Qt::WindowMaximized) != 0;
            });
    if (m_maximizedWindows && !TabbedWindows())
        window->showMaximized();
    else
        window->show();
    m_mdi->setActiveSubWindow(window);
    emit document.titleChanged(); // every window of the document renumbers itself
    return window;
}

void MainWindow::UpdateStartPage() {
    const bool show = m_mdi->subWindowList().isEmpty();
    if (show == !m_startPage->isHidden())
        return;
    m_startPage->setVisible(show);
    if (show)
        m_startPage->NewButton()->setFocus();
}

void MainWindow::ImportIntoNewCatalog() {
    const QMdiSubWindow* before = m_mdi->activeSubWindow();
    Action("New")->trigger();
    if (m_mdi->activeSubWindow() == before)
        return; // no catalog was made
    UpdateCommands();
    if (QAction* import = Action("Import Source"); import && import->isEnabled())
        import->trigger();
}

void MainWindow::PlaceNewWindow(QMdiSubWindow* window) {
    const QRect area = m_mdi->viewport()->rect();
    if (area.width() < 100 || area.height() < 100) {
        window->resize(420, 320); // no workspace to speak of yet
        return;
    }
    const QSize size(std::min(area.width(), std::max(420, area.width() * 3 / 4)),
                     std::min(area.height(), std::max(320, area.height() * 3 / 4)));
    window->resize(size);
    // One title bar down and right of the last window placed; back to the corner when the new
    // window would not lie fully inside.
    const int step = std::max(16, style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, window));
    QPoint position(0, 0);
    if (m_lastPlaced && m_lastPlaced != window &&
        m_mdi->subWindowList().contains(m_lastPlaced.data()))
        position = m_lastPlaced->pos() + QPoint(step, step);
    if (!area.contains(QRect(position, window->size())))
        position = QPoint(0, 0);
    window->move(position);
    m_lastPlaced = window;
}

DocumentView* MainWindow::ViewOf(QMdiSubWindow* window) {
    return window ? dynamic_cast<DocumentView*>(window->widget()) : nullptr;
}

DocumentView* MainWindow::ActiveView() const {
    QMdiSubWindow* window = m_mdi->activeSubWindow();
    if (!window && !m_mdi->subWindowList().isEmpty())
        window = m_mdi->currentSubWindow();
    return ViewOf(window);
}

Document* MainWindow::ActiveDocument() const {
    DocumentView* view = ActiveView();
    return view ? &view->ViewedDocument() : nullptr;
}

QList<DocumentView*> MainWindow::ViewsOf(const Document& document) const {
    QList<DocumentView*> views;
    for (QMdiSubWindow* window : m_mdi->subWindowList())
        if (DocumentView* view = ViewOf(window); view && &view->ViewedDocument() == &document)
            views << view;
    return views;
}

void MainWindow::OnActiveViewChanged() {
    DocumentView* view = ActiveView();
    if (view != m_shownView) {
        // The keys of the view that was active go with its menus.
        for (QAction* action : m_viewActions)
            removeAction(action);
        m_viewActions.clear();
        m_shownView = view;
        if (view)
            for (const ViewMenu& menu : view->Menus())
                for (QAction* action : menu.actions)
                    if (action && !action->shortcuts().isEmpty()) {
                        addAction(action);
                        m_viewActions << action;
                    }
        m_steps.setActiveStack(view ? view->ViewedDocument().UndoSteps() : nullptr);
        RebuildMenus();
    }
    UpdateCommands();
    UpdateTitle();
}

void MainWindow::UpdateTitle() {
    Document* document = ActiveDocument();
    setWindowTitle(document ? QStringLiteral("Velvane - %1").arg(document->Title())
                            : QStringLiteral("Velvane"));
}

void MainWindow::RebuildMenus() {
    DocumentView* view = m_shownView;
    const QList<ViewMenu> additions = view ? view->Menus() : QList<ViewMenu>();
    const QStringList shared = {m_editMenu->title(), m_viewMenu->title(), m_optionsMenu->title()};
    auto supports = [view](StandardCommand command) { return view && view->Supports(command); };
    const bool hasEdit = (view && view->ViewedDocument().UndoSteps()) ||
                         supports(StandardCommand::Cut) || supports(StandardCommand::Copy) ||
                         supports(StandardCommand::Paste);
    const bool zooms = supports(StandardCommand::ZoomIn);

    FillMenu(m_editMenu, {"Undo", "Redo", "", "Cut", "Copy", "Paste"}, additions);
    FillMenu(m_viewMenu,
             zooms ? QStringList{"Toolbar", "Status Bar", "Tabbed Windows", "", "Zoom In",
                                 "Zoom Out", "Actual Size", "Zoom Level"}
                   : QStringList{"Toolbar", "Status Bar", "Tabbed Windows"},
             additions);
    FillMenu(m_optionsMenu, {"Preferences"}, additions);

    QMenuBar* bar = menuBar();
    bar->clear();
    qDeleteAll(m_viewMenus);
    m_viewMenus.clear();
    bar->addMenu(view ? m_fileMenu : m_fileMenuEmpty);
    if (hasEdit)
        bar->addMenu(m_editMenu);
    bar->addMenu(m_viewMenu);
    for (const ViewMenu& own : additions) {
        if (shared.contains(own.title))
            continue;
        auto* menu = new QMenu(own.title, this);
        connect(menu, &QMenu::aboutToShow, this, &MainWindow::UpdateCommands);
        for (QAction* action : own.actions) {
            if (action)
                menu->addAction(action);
            else
                menu->addSeparator();
        }
        m_viewMenus << menu;
        bar->addMenu(menu);
    }
    bar->addMenu(m_optionsMenu);
    if (view)
        bar->addMenu(m_windowMenu);
    bar->addMenu(m_helpMenu);
}

QStringList MainWindow::MenuTitles() const {
    QStringList titles;
    for (QAction* action : menuBar()->actions())
        titles << action->text();
    return titles;
}

void MainWindow::UpdateStandard() {
    DocumentView* view = m_shownView;
    for (const auto& [command, action] : m_standard)
        action->setEnabled(view && view->Supports(command) && view->CanRun(command));
}

void MainWindow::UpdateCommands() {
    DocumentView* view = ActiveView();
    if (view != m_shownView) {
        OnActiveViewChanged();
        return;
    }
    if (view)
        view->UpdateCommands();
    const bool document = view != nullptr;
    for (const char* name : {"Close", "Save", "Save As", "New Window", "Cascade", "Tile",
                             "Arrange Icons", "Next Pane", "Previous Pane"})
        Action(QString::fromLatin1(name))->setEnabled(document);
    Action("Toolbar")->setChecked(m_toolBar && m_toolBar->isVisible());
    Action("Status Bar")->setChecked(statusBar()->isVisible());
    Action("Tabbed Windows")->setChecked(TabbedWindows());
    for (const char* name : {"Cascade", "Tile", "Arrange Icons"})
        Action(QString::fromLatin1(name))->setEnabled(document && !TabbedWindows());
    const QString status = view ? view->StatusText() : QString();
    m_viewStatus->setText(status);
    m_viewStatus->setVisible(!status.isEmpty());
    const bool zooms = view && view->Supports(StandardCommand::ZoomIn);
    const QString zoom = zooms ? PercentText(view->ZoomFactor()) : QString();
    m_zoomStatus->setText(zoom);
    m_zoomStatus->setVisible(zooms);
    Action("Zoom Level")->setText(QStringLiteral("Zoom: %1").arg(zoom));
    UpdateStandard();
}

// ---- placement ----------------------------------------------------------------------------

void MainWindow::RestoreWindowState(QSettings& store) {
    store.beginGroup(QLatin1String(kStateSection));
    const int zoomed = store.value(QStringLiteral("Zoomed"), 0).toInt();
    const int left = store.value(QStringLiteral("Left"), -1).toInt();
    const int top = store.value(QStringLiteral("Top"), -1).toInt();
    const int right = store.value(QStringLiteral("Right"), -1).toInt();
    const int bottom = store.value(QStringLiteral("Bottom"), -1).toInt();
    const QRect normal = store.value(QLatin1String(kNormalGeometryKey)).toRect();
    m_maximizedWindows = store.value(QLatin1String(kMaximizedWindowsKey), 0).toInt() != 0;
    store.endGroup();
    const bool edgesKnown = left != -1 && top != -1 && right != -1 && bottom != -1;
    const QRect outer(QPoint(left, top), QPoint(right - 1, bottom - 1));
    // The inside is trusted while the edges still frame it (edges written alone, by hand or
    // by an older version, win).
    if (normal.isValid() && (zoomed || !edgesKnown || outer.contains(normal))) {
        // The inside of the window as it was left, with the frame it had around it, goes back
        // exactly; only a screen that has become smaller moves it in and shrinks it.
        QMargins frame;
        if (!zoomed && edgesKnown)
            frame = QMargins(normal.left() - outer.left(), normal.top() - outer.top(),
                             outer.right() - normal.right(), outer.bottom() - normal.bottom());
        const QScreen* room = QGuiApplication::screenAt(normal.center());
        if (!room)
            room = screen();
        setGeometry(room ? FitInside(normal + frame, room->availableGeometry()) - frame : normal);
        m_pendingPlacement = QRect();
        if (zoomed)
            setWindowState(windowState() | Qt::WindowMaximized);
        return;
    }
    // The outer edges alone (settings of an older version, or edited by hand).
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
    m_pendingPlacement =
        QRect(QPoint(left, top), QSize(std::max(200, right - left), std::max(150, bottom - top)));
    if (isVisible())
        ApplyPendingPlacement();
}

void MainWindow::ApplyPendingPlacement() {
    if (m_pendingPlacement.isNull())
        return;
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QSize frame(outer.width() - inner.width(), outer.height() - inner.height());
    // A placement from a larger screen is fitted to the room the screen has now: no larger than
    // it, and moved in so that the title bar and the edges can be reached.
    QRect placement = m_pendingPlacement;
    const QScreen* room = QGuiApplication::screenAt(placement.center());
    if (!room)
        room = screen();
    if (room)
        placement = FitInside(placement, room->availableGeometry());
    move(placement.topLeft());
    resize(placement.size() - frame);
    m_pendingPlacement = QRect();
}

void MainWindow::SetTabbedWindows(bool tabbed) {
    m_mdi->setViewMode(tabbed ? QMdiArea::TabbedView : QMdiArea::SubWindowView);
    if (tabbed) {
        m_mdi->setTabsClosable(true);
        m_mdi->setTabsMovable(true);
        m_mdi->setDocumentMode(true);
    }
    UpdateCommands();
}

bool MainWindow::TabbedWindows() const {
    return m_mdi->viewMode() == QMdiArea::TabbedView;
}

QStringList MainWindow::OpenableFiles(const QMimeData* data) {
    QStringList files;
    if (!data->hasUrls())
        return files;
    for (const QUrl& url : data->urls()) {
        const QString path = url.toLocalFile();
        if (path.endsWith(QLatin1String(".vlv"), Qt::CaseInsensitive) ||
            path.endsWith(QLatin1String(".bmp"), Qt::CaseInsensitive))
            files << path;
    }
    return files;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
    // Catalogs and bitmaps dropped from a file manager are opened.
    if (!OpenableFiles(event->mimeData()).isEmpty())
        event->acceptProposedAction();
    else
        event->ignore();
}

void MainWindow::dropEvent(QDropEvent* event) {
    if (OpenDroppedFiles(event->mimeData()))
        event->acceptProposedAction();
    else
        event->ignore();
}

bool MainWindow::OpenDroppedFiles(const QMimeData* data) {
    const QStringList files = OpenableFiles(data);
    for (const QString& file : files)
        emit openFileRequested(file);
    return !files.isEmpty();
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
    store.setValue(QLatin1String(kNormalGeometryKey), normalGeometry());
    store.setValue(QLatin1String(kMaximizedWindowsKey), m_maximizedWindows ? 1 : 0);
    store.endGroup();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    if (m_closeHandler && !m_closeHandler()) {
        event->ignore();
        return;
    }
    event->accept();
}
