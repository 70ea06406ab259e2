#include "ui/framework/prompts.h"

#include <QFileDialog>

namespace Prompts {
namespace {

// Test seams: empty in the program, so the real windows are shown.
MessageResponder& Responder() {
    static MessageResponder responder;
    return responder;
}

FileResponder& FileAnswer() {
    static FileResponder responder;
    return responder;
}

QMessageBox::Icon BoxIcon(Icon icon) {
    switch (icon) {
    case Icon::Information:
        return QMessageBox::Information;
    case Icon::Warning:
        return QMessageBox::Warning;
    case Icon::Error:
    case Icon::Stop:
        return QMessageBox::Critical;
    case Icon::Question:
        return QMessageBox::Question;
    case Icon::None:
        break;
    }
    return QMessageBox::NoIcon;
}

} // namespace

QMessageBox::StandardButton Message(QWidget* parent, Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton) {
    if (Responder())
        return Responder()(icon, title, text, buttons);
    // Texts keep the program's CR LF line breaks; a message box wants plain line feeds.
    QString shown = text;
    shown.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    QMessageBox box(BoxIcon(icon), title, shown, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void Error(QWidget* parent, const QString& title, const QString& text) {
    Message(parent, Icon::Error, title, text);
}

QString OpenFileName(QWidget* parent, const QString& caption, const QString& start,
                     const QString& filter) {
    if (FileAnswer())
        return FileAnswer()(caption, start);
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QString SaveFileName(QWidget* parent, const QString& caption, const QString& start,
                     const QString& filter, QString* chosenFilter) {
    if (FileAnswer())
        return FileAnswer()(caption, start);
    return QFileDialog::getSaveFileName(parent, caption, start, filter, chosenFilter);
}

void SetMessageResponder(MessageResponder responder) {
    Responder() = std::move(responder);
}
void SetFileResponder(FileResponder responder) {
    FileAnswer() = std::move(responder);
}

} // namespace Prompts
