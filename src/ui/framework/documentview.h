#pragma once

#include <QList>
#include <QString>
#include <functional>

class Document;
class QAction;
class QWidget;

/// Commands that the main window declares once, with their menu items, toolbar buttons and
/// keys, and that the active view carries out when it supports them. Undo and Redo are not
/// among them: they work through the active document's steps.
enum class StandardCommand { Print, PrintPreview, Cut, Copy, Paste, ZoomIn, ZoomOut, ActualSize };

/// A menu a view brings along: a menu of its own ("&Texture"), or, when the title is one of the
/// main window's menus ("&Edit", "&Options"), items added at the end of that menu.
struct ViewMenu {
    QString title;
    QList<QAction*> actions; ///< null stands for a separator
};

/// What the window of a document kind gives the main window: its document, the standard
/// commands it supports, its own commands as actions it owns and keeps enabled and checked as
/// they should be, and how they go into the menus. The main window builds its menu bar and
/// toolbar from this alone, so a new kind of document needs no change there.
class DocumentView {
public:
    virtual ~DocumentView() = default;

    virtual QWidget* Widget() = 0;
    virtual Document& ViewedDocument() const = 0;
    /// The view's menus, in menu-bar order.
    virtual QList<ViewMenu> Menus() const = 0;
    /// Whether the view carries out a standard command; its menu item shows only then.
    virtual bool Supports(StandardCommand) const { return false; }
    /// Whether a supported command can run now; its menu item is greyed otherwise.
    virtual bool CanRun(StandardCommand command) const { return Supports(command); }
    /// Carries out a standard command the view supports.
    virtual void Run(StandardCommand) {}
    /// Screen pixels per pixel of the contents (1.5 shows them at 150 percent), for a view that
    /// supports the zoom commands.
    virtual double ZoomFactor() const { return 1.0; }
    /// Brings the enabled state and check marks of the view's actions up to date (the state of
    /// some commands depends on things outside the view, such as the copy buffer).
    virtual void UpdateCommands() = 0;
    /// What the status line shows for the view while it is active ("17 of 1,989 textures"),
    /// empty when nothing.
    virtual QString StatusText() const { return QString(); }

    /// Called by the view whenever its commands or status text may have changed, so that the
    /// frame can show them.
    void SetStateChangedHandler(std::function<void()> handler) {
        m_stateChanged = std::move(handler);
    }

protected:
    void NotifyStateChanged() const {
        if (m_stateChanged)
            m_stateChanged();
    }

private:
    std::function<void()> m_stateChanged;
};
