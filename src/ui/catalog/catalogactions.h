#pragma once

#include "ui/framework/documentview.h"

#include <QObject>
#include <map>

class CatalogView;

/// The commands that only a catalog window has: the Texture menu, the Edit items Select All,
/// Select None and Find, and the Options items, each kept enabled and checked as the window's
/// state allows. Printing, the clipboard, the zoom and Undo and Redo are the main window's
/// commands, which the window carries out.
class CatalogActions : public QObject {
    Q_OBJECT
public:
    explicit CatalogActions(CatalogView& view);

    QList<ViewMenu> Menus() const;
    /// The action of a command by its name ("New Simple"), or null.
    QAction* Action(const QString& name) const;
    void Update();

private:
    QAction* Add(const QString& name, const QString& menuText, const QString& prompt,
                 void (CatalogView::*slot)(), const QList<QKeySequence>& keys = {});
    QList<QAction*> Actions(std::initializer_list<const char*> names) const;

    CatalogView& m_view;
    std::map<QString, QAction*> m_actions;
};
