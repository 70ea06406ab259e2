#pragma once

#include "ui/app/recentfiles.h"
#include "ui/framework/documentview.h"

#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QUndoGroup>
#include <functional>
#include <map>

class Document;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QMimeData;
class QSettings;
class StartPage;

/// The program's one top-level window: document windows inside, a menu bar and toolbar built
/// from the active window's view, the status bar with the command prompts and the lock-key
/// indicators, and the list of recent files. It declares the commands every kind of window
/// may carry out once (printing, the clipboard, the zoom) and asks the active view whether it
/// supports them; Undo and Redo work through the active document's steps. It knows documents
/// and views only through Document and DocumentView, and asks for application commands by its
/// signals.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(QWidget* parent = nullptr);
    /// Document windows still open go without the menus following them.
    ~MainWindow() override;

    QMdiArea* MdiArea() const { return m_mdi; }
    /// Shown in the workspace while no document window is open.
    ::StartPage* StartPage() const { return m_startPage; }
    /// Puts `view` (of `document`) in a window of its own and shows it.
    QMdiSubWindow* AddView(Document& document, DocumentView* view);
    /// The view of a document window, or null.
    static DocumentView* ViewOf(QMdiSubWindow* window);
    /// The view of the active window, and its document (null when no window is open).
    DocumentView* ActiveView() const;
    Document* ActiveDocument() const;
    /// The views showing `document`.
    QList<DocumentView*> ViewsOf(const Document& document) const;

    /// Asked before the window closes; returns false to keep it open.
    void SetCloseHandler(std::function<bool()> handler) { m_closeHandler = std::move(handler); }

    /// Puts the window where it was last left ("Application State"), fitted to the screen, and
    /// opens document windows maximized when they were left so.
    void RestoreWindowState(QSettings& store);
    void SaveWindowState(QSettings& store) const;

    void AddRecentFile(const QString& path) { m_recent->Add(path); }
    /// The recent catalogs and texture maps, each newest first.
    const QStringList& RecentFiles() const { return m_recent->Catalogs(); }
    const QStringList& RecentTextureMaps() const { return m_recent->TextureMaps(); }
    /// Tells the recent texture maps from the catalogs; set before the list is loaded.
    void SetTextureMapTest(std::function<bool(const QString&)> isTextureMap) {
        m_recent->SetTextureMapTest(std::move(isTextureMap));
    }
    void LoadRecentFiles(QSettings& store) { m_recent->Load(store); }
    void SaveRecentFiles(QSettings& store) const { m_recent->Save(store); }

    /// The action of a command by its name without "&" and keys ("New Simple"): the main
    /// window's own, else the active view's. Null when neither has it.
    QAction* Action(const QString& name) const;
    /// Brings every command's enabled state and check mark up to date.
    void UpdateCommands();
    /// The menu bar's titles for the active window's kind.
    QStringList MenuTitles() const;

    void ShowStatus(const QString& text);
    /// Opens the catalogs and bitmaps among dropped files; false when there are none.
    bool OpenDroppedFiles(const QMimeData* data);

    /// Shows the document windows as tabs instead of overlapping windows.
    void SetTabbedWindows(bool tabbed);
    bool TabbedWindows() const;

signals:
    void newRequested();
    void openRequested();
    void openFileRequested(const QString& path);
    void newWindowRequested(Document* document);
    void closeDocumentRequested(Document* document);
    void preferencesRequested();
    void aboutRequested();
    void helpRequested(int context);
    /// The user switched between tabs and windows (View > Tabbed Windows).
    void tabbedWindowsChanged(bool tabbed);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void OnActiveViewChanged();
    void RebuildMenus();
    void UpdateTitle();
    /// Shows the start page when no document window is open, and hides it when one is.
    void UpdateStartPage();
    /// A new catalog, then its import of POV-Ray source files.
    void ImportIntoNewCatalog();
    void ApplyPendingPlacement();
    /// Places a new document window fully inside the workspace, cascading from the last one.
    void PlaceNewWindow(QMdiSubWindow* window);
    /// The catalogs and bitmaps among dropped files.
    static QStringList OpenableFiles(const QMimeData* data);
    QAction* AddAction(const QString& name, const QString& menuText, const QString& prompt,
                       std::function<void()> trigger, const QList<QKeySequence>& keys = {});
    QAction* AddStandard(StandardCommand command, const QString& name, const QString& menuText,
                         const QString& prompt, const QList<QKeySequence>& keys);
    /// Undo or Redo, named after the step they would take back or put again.
    QAction* AddStep(QAction* action, const QString& name, const QString& prompt,
                     const QList<QKeySequence>& keys);
    void UpdateStandard();
    void FillMenu(QMenu* menu, const QStringList& items, const QList<ViewMenu>& additions);

    QMdiArea* m_mdi;
    ::RecentFiles* m_recent;
    ::StartPage* m_startPage;
    std::map<QString, QAction*> m_actions;
    std::map<StandardCommand, QAction*> m_standard;
    QUndoGroup m_steps; ///< the steps of every open document; the active one's are undone
    DocumentView* m_shownView = nullptr;
    QList<QAction*> m_viewActions;
    QMenu* m_fileMenuEmpty = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_optionsMenu = nullptr;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QList<QMenu*> m_viewMenus;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_viewStatus = nullptr;
    QLabel* m_zoomStatus = nullptr;
    QPointer<QMdiSubWindow> m_lastPlaced;
    bool m_maximizedWindows = false; ///< whether document windows open maximized
    QRect m_pendingPlacement;
    std::function<bool()> m_closeHandler;
};
