#pragma once

#include "ui/framework/documentview.h"

#include <QObject>
#include <map>

class CatalogCommands;
class QPoint;
class QWidget;

/// The commands that only a catalog window has: the Texture menu, the Edit items Select All,
/// Select None and Find, and the Options items, each kept enabled and checked as the window's
/// state allows. Printing, the clipboard, the zoom and Undo and Redo are the main window's
/// commands, which the window carries out. The context menu of the grid holds the Texture
/// menu's commands.
class CatalogActions : public QObject {
    Q_OBJECT
public:
    explicit CatalogActions(CatalogCommands& commands);

    QList<ViewMenu> Menus() const;
    /// The action of a command by its name ("New Simple"), or null.
    QAction* Action(const QString& name) const;
    void Update();
    /// The context menu at a point of the screen, until the user chooses or leaves it.
    void PopUp(QWidget& parent, const QPoint& globalPosition);

private:
    QAction* Add(const QString& name, const QString& menuText, const QString& prompt,
                 void (CatalogCommands::*slot)(), const QList<QKeySequence>& keys = {});
    QList<QAction*> Actions(std::initializer_list<const char*> names) const;

    CatalogCommands& m_commands;
    std::map<QString, QAction*> m_actions;
};
