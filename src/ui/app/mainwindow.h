#pragma once

#include <QMainWindow>
#include <QStringList>

#include <functional>
#include <map>

class Application;
class CatalogView;
class TextureMapView;
class Document;
class QLabel;
class QMdiArea;
class QMdiSubWindow;
class QMenu;
class QSettings;

/// The program's one top-level window: catalog and texture-map windows inside, the menus of
/// the active window's kind, the toolbar, the status bar with the command prompts and the
/// lock-key indicators, and the list of recent files.
class MainWindow : public QMainWindow {
    Q_OBJECT
public:
    explicit MainWindow(Application& app);

    QMdiArea* MdiArea() const { return m_mdi; }
    /// Puts a view of `document` in a window of its own and shows it.
    QMdiSubWindow* AddView(Document& document, QWidget* view);
    /// The view of the active window, and its document (null when no window is open).
    QWidget* ActiveView() const;
    Document* ActiveDocument() const;
    CatalogView* ActiveCatalogView() const;
    TextureMapView* ActiveTextureMapView() const;
    /// The views showing `document`.
    QList<QWidget*> ViewsOf(const Document& document) const;

    /// Puts the frame where it was last left ("Application State").
    void RestoreWindowState(QSettings& store);
    void SaveWindowState(QSettings& store) const;

    void AddRecentFile(const QString& path);
    const QStringList& RecentFiles() const { return m_recentFiles; }
    void LoadRecentFiles(QSettings& store);
    void SaveRecentFiles(QSettings& store) const;

    /// The action of a command by its menu text without "&" and keys ("New Simple...").
    QAction* Action(const QString& name) const;
    /// Brings every command's enabled state and check mark up to date.
    void UpdateCommands();
    /// The menu bar's titles for the active window's kind.
    QStringList MenuTitles() const;

    void ShowStatus(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void CreateActions();
    void CreateMenus();
    void CreateToolBar();
    void CreateStatusBar();
    void SwitchMenus();
    void UpdateRecentFileMenu();
    void UpdateLockIndicators();
    void CloseActiveWindow();
    void ApplyPendingPlacement();
    QAction* AddAction(const QString& name, const QString& menuText, const QString& prompt,
                       std::function<void()> trigger, const QList<QKeySequence>& keys = {});
    template <class View>
    QAction* AddViewAction(const QString& name, const QString& menuText, const QString& prompt, void (View::*slot)(),
                           const QList<QKeySequence>& keys = {});

    Application& m_app;
    QMdiArea* m_mdi;
    std::map<QString, QAction*> m_actions;
    QMenu* m_fileMenuEmpty = nullptr;
    QMenu* m_fileMenu = nullptr;
    QMenu* m_editMenu = nullptr;
    QMenu* m_viewMenu = nullptr;
    QMenu* m_textureMenu = nullptr;
    QMenu* m_imageTilingMenu = nullptr;
    QMenu* m_optionsMenuEmpty = nullptr;
    QMenu* m_optionsMenuCatalog = nullptr;
    QMenu* m_windowMenu = nullptr;
    QMenu* m_helpMenu = nullptr;
    QList<QMenu*> m_recentMenus;
    QStringList m_recentFiles;
    QToolBar* m_toolBar = nullptr;
    QLabel* m_capsLock = nullptr;
    QLabel* m_numLock = nullptr;
    QLabel* m_scrollLock = nullptr;
    int m_menuKind = -1;
    QRect m_pendingPlacement;
};
