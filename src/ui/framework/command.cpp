#include "ui/framework/command.h"

#include <QAction>

QAction* MakeCommand(QObject* owner, const QString& name, const QString& menuText,
                     const QString& prompt, const QList<QKeySequence>& keys) {
    auto* action = new QAction(menuText, owner);
    action->setObjectName(name);
    action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
    const QString tip =
        prompt.contains(QLatin1Char('\n')) ? prompt.section(QLatin1Char('\n'), 1) : QString();
    action->setToolTip(
        tip.isEmpty() ? QString(menuText).remove(QLatin1Char('&')).section(QLatin1Char('\t'), 0, 0)
                      : tip);
    if (!keys.isEmpty())
        action->setShortcuts(keys);
    return action;
}
