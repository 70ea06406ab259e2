#include "ui/framework/command.h"

#include <QAction>

void DescribeCommand(QAction* action, const QString& name, const QString& prompt,
                     const QList<QKeySequence>& keys) {
    action->setObjectName(name);
    action->setStatusTip(prompt.section(QLatin1Char('\n'), 0, 0));
    const QString tip =
        prompt.contains(QLatin1Char('\n')) ? prompt.section(QLatin1Char('\n'), 1) : QString();
    action->setToolTip(tip.isEmpty() ? action->text().remove(QLatin1Char('&')) : tip);
    if (!keys.isEmpty())
        action->setShortcuts(keys);
}

QAction* MakeCommand(QObject* owner, const QString& name, const QString& menuText,
                     const QString& prompt, const QList<QKeySequence>& keys) {
    auto* action = new QAction(menuText, owner);
    DescribeCommand(action, name, prompt, keys);
    return action;
}

QList<QKeySequence> KeysOf(QKeySequence::StandardKey standard, const QList<QKeySequence>& more) {
    QList<QKeySequence> keys = QKeySequence::keyBindings(standard);
    for (const QKeySequence& key : more)
        if (!keys.contains(key))
            keys << key;
    return keys;
}
