#include "ui/dialogs/clipboard.h"

#include "ui/framework/prompts.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>

bool CopyTextToClipboard(const QString& text) {
    // Without an application object there is no clipboard to reach.
    QClipboard* clipboard = qobject_cast<QGuiApplication*>(QCoreApplication::instance())
                                ? QGuiApplication::clipboard()
                                : nullptr;
    if (clipboard) {
        clipboard->setText(text, QClipboard::Clipboard);
        // A platform that refuses the data leaves the clipboard as it was; reading it back is
        // the only way to know the text arrived.
        if (clipboard->text(QClipboard::Clipboard) == text)
            return true;
    }
    Prompts::Message(QApplication::activeWindow(), Prompts::Icon::None,
                     QStringLiteral("Clipboard Error"),
                     QStringLiteral("Error copying data to the Clipboard."));
    return false;
}
