#pragma once

#include <QMessageBox>
#include <QString>
#include <QStringList>
#include <functional>

class QWidget;

/// Every message box and file dialog of the program goes through here, so that they look the
/// same everywhere and tests can answer them without windows.
namespace Prompts {

enum class Icon { None, Information, Warning, Error, Question, Stop };

/// Captions for standard buttons that say what they do ("Save Anyway" on Save).
using ButtonLabels = QList<QPair<QMessageBox::StandardButton, QString>>;

/// Shows a message box and returns the button pressed.
QMessageBox::StandardButton
Message(QWidget* parent, Icon icon, const QString& title, const QString& text,
        QMessageBox::StandardButtons buttons = QMessageBox::Ok,
        QMessageBox::StandardButton defaultButton = QMessageBox::NoButton,
        const ButtonLabels& labels = {});

/// An error with only an OK button.
void Error(QWidget* parent, const QString& title, const QString& text);
/// A message box with only an OK button that returns at once, while the box stays open (it
/// keeps the input from the parent's window only): for what is told while work goes on, which
/// must not wait inside an event loop of its own until the user has read it.
void Notify(QWidget* parent, Icon icon, const QString& title, const QString& text);

QString OpenFileName(QWidget* parent, const QString& caption, const QString& start,
                     const QString& filter);
/// One or more existing files to open; empty when the user cancels.
QStringList OpenFileNames(QWidget* parent, const QString& caption, const QString& start,
                          const QString& filter);
/// A file name to save to. `defaultSuffix` ("txc", no dot) is added by the dialog itself to a
/// name typed without one, before it asks whether an existing file may be replaced, so the
/// question is asked about the file that will really be written. When the user chooses a file
/// type whose pattern names an ending ("PNG (*.png)"), that ending is added instead.
QString SaveFileName(QWidget* parent, const QString& caption, const QString& start,
                     const QString& filter, const QString& defaultSuffix = QString());

/// Answers prompts in place of the user (for tests). A responder gets the icon, title and text
/// and returns the button; a file responder gets the caption and proposal and returns a path, a
/// files responder the paths chosen to open.
using MessageResponder = std::function<QMessageBox::StandardButton(
    Icon, const QString& title, const QString& text, QMessageBox::StandardButtons)>;
using FileResponder = std::function<QString(const QString& caption, const QString& start)>;
using FilesResponder = std::function<QStringList(const QString& caption, const QString& start)>;
void SetMessageResponder(MessageResponder responder);
void SetFileResponder(FileResponder responder);
void SetFilesResponder(FilesResponder responder);

} // namespace Prompts
