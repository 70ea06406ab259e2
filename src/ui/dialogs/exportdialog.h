#pragma once

#include "core/model/texture.h"

#include <QDialog>
#include <QString>
#include <string>

class Catalog;
class QCheckBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QRadioButton;

/// Export Texture(s): writes the POV-Ray source of the selected or of all textures of a
/// catalog into an include file, creating, overwriting or appending to it, with a preview of
/// exactly the text that will be written.
class ExportDialog : public QDialog {
    Q_OBJECT
public:
    enum Scope { Selected = 0, All = 1 };

    /// `title` is the catalog's document title ("Wood.vlv", or "Catalog1" while unsaved); the
    /// file name starts as `fileName`, or the proposal for the title when that is empty.
    ExportDialog(Catalog& catalog, const QString& title, QWidget* parent = nullptr,
                 const QString& fileName = QString());

    /// The file name proposed for a catalog title: the title up to its first "." followed by
    /// ".inc", or the whole title + ".inc" when it has no ".".
    static QString ProposedFileName(const QString& title);

    QString FileName() const;
    Scope ExportScope() const;
    bool ExcludeFinish() const;
    bool ExcludeNormal() const;
    /// The source-writing flags for GetSource that the choices stand for.
    ::SourceFlags SourceFlags() const;
    /// The text the preview shows and OK writes, CR LF line ends and all.
    const std::string& SourceText() const { return m_source; }

    QLineEdit* FileNameEdit() const { return m_fileName; }
    QPushButton* BrowseButton() const { return m_browse; }
    QRadioButton* SelectedRadio() const { return m_selected; }
    QRadioButton* AllRadio() const { return m_all; }
    QCheckBox* FinishCheck() const { return m_noFinish; }
    QCheckBox* NormalCheck() const { return m_noNormal; }
    QPlainTextEdit* Preview() const { return m_preview; }

    /// Rebuilds the text from the current choices and shows it.
    void UpdatePreview();
    /// OK: asks what to do with an existing file, writes the text and closes; stays open when
    /// the user cancels or the file cannot be written.
    void accept() override;

private:
    void Browse();

    Catalog& m_catalog;
    std::string m_source;
    QLineEdit* m_fileName = nullptr;
    QPushButton* m_browse = nullptr;
    QRadioButton* m_selected = nullptr;
    QRadioButton* m_all = nullptr;
    QCheckBox* m_noFinish = nullptr;
    QCheckBox* m_noNormal = nullptr;
    QPlainTextEdit* m_preview = nullptr;
};

/// Asks what to do with an export file that exists already: Cancel (the default), Overwrite
/// or Append. exec() returns one of the Choice values.
class ExportSourceDialog : public QDialog {
    Q_OBJECT
public:
    enum Choice { Cancel = QDialog::Rejected, Overwrite = QDialog::Accepted, Append = 2 };

    explicit ExportSourceDialog(const QString& fileName, QWidget* parent = nullptr);

    /// "File already exists:\n" followed by the file name.
    const QString& Text() const { return m_text; }

    QPushButton* CancelButton() const { return m_cancel; }
    QPushButton* OverwriteButton() const { return m_overwrite; }
    QPushButton* AppendButton() const { return m_append; }

private:
    QString m_text;
    QPushButton* m_cancel = nullptr;
    QPushButton* m_overwrite = nullptr;
    QPushButton* m_append = nullptr;
};
