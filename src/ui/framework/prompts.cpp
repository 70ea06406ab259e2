#include "ui/framework/prompts.h"

#include <QAbstractButton>
#include <QFileDialog>
#include <QFileInfo>
#include <QRegularExpression>

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

FilesResponder& FilesAnswer() {
    static FilesResponder responder;
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

/// A save dialog that adds the ending of the file type chosen (or the default one) to a name
/// typed without one before it checks whether the file exists.
class SaveDialog : public QFileDialog {
public:
    SaveDialog(QWidget* parent, const QString& caption, const QString& start, const QString& filter,
               const QString& defaultSuffix)
        : QFileDialog(parent, caption, start, filter), m_defaultSuffix(defaultSuffix) {
        setAcceptMode(QFileDialog::AcceptSave);
        setDefaultSuffix(defaultSuffix);
    }

    void accept() override {
        static const QRegularExpression ending(QStringLiteral("\\*\\.(\\w+)"));
        const QRegularExpressionMatch chosen = ending.match(selectedNameFilter());
        setDefaultSuffix(chosen.hasMatch() ? chosen.captured(1) : m_defaultSuffix);
        QFileDialog::accept();
    }

private:
    QString m_defaultSuffix;
};

} // namespace

QMessageBox::StandardButton Message(QWidget* parent, Icon icon, const QString& title,
                                    const QString& text, QMessageBox::StandardButtons buttons,
                                    QMessageBox::StandardButton defaultButton,
                                    const ButtonLabels& labels) {
    if (Responder())
        return Responder()(icon, title, text, buttons);
    QMessageBox box(BoxIcon(icon), title, text, buttons, parent);
    if (defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(defaultButton);
    for (const auto& [button, label] : labels)
        if (QAbstractButton* shown = box.button(button))
            shown->setText(label);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

void Error(QWidget* parent, const QString& title, const QString& text) {
    Message(parent, Icon::Error, title, text);
}

void Notify(QWidget* parent, Icon icon, const QString& title, const QString& text) {
    if (Responder()) {
        Responder()(icon, title, text, QMessageBox::Ok);
        return;
    }
    auto* box = new QMessageBox(BoxIcon(icon), title, text, QMessageBox::Ok, parent);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

QString OpenFileName(QWidget* parent, const QString& caption, const QString& start,
                     const QString& filter) {
    if (FileAnswer())
        return FileAnswer()(caption, start);
    return QFileDialog::getOpenFileName(parent, caption, start, filter);
}

QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& start,
                          const QString& filter) {
    if (FilesAnswer())
        return FilesAnswer()(caption, start);
    return QFileDialog::getOpenFileNames(parent, caption, start, filter);
}

QString SaveFileName(QWidget* parent, const QString& caption, const QString& start,
                     const QString& filter, const QString& defaultSuffix) {
    if (FileAnswer()) {
        // As the dialog would: a name typed without a suffix gets the default one.
        QString path = FileAnswer()(caption, start);
        if (!path.isEmpty() && !defaultSuffix.isEmpty() && QFileInfo(path).suffix().isEmpty())
            path += QLatin1Char('.') + defaultSuffix;
        return path;
    }
    SaveDialog dialog(parent, caption, start, filter, defaultSuffix);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return {};
    return dialog.selectedFiles().first();
}

void SetMessageResponder(MessageResponder responder) {
    Responder() = std::move(responder);
}
void SetFileResponder(FileResponder responder) {
    FileAnswer() = std::move(responder);
}
void SetFilesResponder(FilesResponder responder) {
    FilesAnswer() = std::move(responder);
}

} // namespace Prompts
