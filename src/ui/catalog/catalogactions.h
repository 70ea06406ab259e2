#pragma once

#include "ui/framework/documentview.h"

#include <QObject>
#include <map>

class CatalogView;

/// The commands of a catalog window: the Texture menu, the Edit items (Select All, Select None,
/// Find), the Options items, and the standard Print, Undo, Redo, Cut, Copy and Paste commands,
/// each kept enabled as the window's state allows.
class CatalogActions : public QObject {
    Q_OBJECT
public:
    explicit CatalogActions(CatalogView& view);

    QList<ViewMenu> Menus() const;
    QAction* Standard(StandardCommand command) const;
    /// The action of a command by its name ("New Simple"), or null.
    QAction* Action(const QString& name) const;
    void Update();

private:
    QAction* Add(const QString& name, const QString& menuText, const QString& prompt,
                 void (CatalogView::*slot)(), const QList<QKeySequence>& keys = {});
    QList<QAction*> Actions(std::initializer_list<const char*> names) const;

    CatalogView& m_view;
    std::map<QString, QAction*> m_actions;
    std::map<StandardCommand, QAction*> m_standard;
};
