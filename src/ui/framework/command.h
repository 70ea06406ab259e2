#pragma once

#include <QKeySequence>
#include <QList>
#include <QString>

class QAction;
class QObject;

/// Makes the action of a command: `name` identifies it ("New Simple"), `menuText` is its menu
/// label with its access key ("&New Simple..."; menus show the keys beside it themselves), `keys`
/// are its keys, the platform's standard ones where the command has them, and `prompt` is the
/// status-bar text, optionally followed by "\n" and the tool tip.
QAction* MakeCommand(QObject* owner, const QString& name, const QString& menuText,
                     const QString& prompt, const QList<QKeySequence>& keys = {});
/// The same for an action made elsewhere (Undo and Redo, which name the step they would take).
void DescribeCommand(QAction* action, const QString& name, const QString& prompt,
                     const QList<QKeySequence>& keys);

/// The platform's standard keys for `standard`, then those of `more` it lacks: each key once (a
/// key given twice would make both its shortcuts ambiguous, and neither would act).
QList<QKeySequence> KeysOf(QKeySequence::StandardKey standard, const QList<QKeySequence>& more);
