#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class QAction;
class QObject;

/// Makes the action of a command: `name` identifies it ("New Simple"), `menuText` is its menu
/// label with access key and shown keys ("&New Simple...\tN"), and `prompt` is the status-bar
/// text, optionally followed by "\n" and the tool tip.
QAction* MakeCommand(QObject* owner, const QString& name, const QString& menuText,
                     const QString& prompt, const QList<QKeySequence>& keys = {});
