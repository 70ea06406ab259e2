#pragma once

#include <QDialog>
#include <QStringList>

class QCheckBox;
class QLabel;
class QPlainTextEdit;
class QPushButton;

/// What one import of POV-Ray source brought into a catalog.
struct ImportSummary {
    QString source;  ///< what was read: the file names, or the name of a text at hand
    QString folder;  ///< the folder of the files, which the lines leave out; empty for none
    QString catalog; ///< the catalog's title
    int imported = 0;
    int asSource = 0; ///< kept as their POV-Ray text
    int approximated = 0;
    int skipped = 0;
    QStringList lines; ///< one report line per declaration, in file order
    /// "FILE: counts" for each file declarations came from, when they came from several or
    /// from a file that was not given (one that a given file includes).
    QStringList files;
    bool approximate = false;
};

/// The summary of an import, shown beside the catalog without holding it up: the counts of what
/// came in exactly, as POV-Ray text, approximated and skipped, and the line of every declaration
/// with its place and reason, to read, select and copy. Its check box chooses whether what the
/// texture model cannot hold is approximated; changing it asks for the import to be made again that
/// way.
class ImportSummaryDialog : public QDialog {
    Q_OBJECT
public:
    explicit ImportSummaryDialog(QWidget* parent = nullptr);

    /// Shows `summary` in place of what the dialog showed before.
    void ShowSummary(const ImportSummary& summary);
    /// Whether changing the check box makes the import again in place of the textures it
    /// added; otherwise the choice holds for the next import only.
    void SetRedoable(bool redoable);

    /// The count lines and the declarations' lines, as shown.
    QString CountText() const;
    QString ListText() const;
    QCheckBox* ApproximateBox() const { return m_approximate; }

signals:
    /// The user changed the check box.
    void approximateChosen(bool approximate);

private:
    void CopyToClipboard();

    QLabel* m_counts;
    QPlainTextEdit* m_list;
    QCheckBox* m_approximate;
    QLabel* m_note;
    QPushButton* m_close;
    QPushButton* m_copy;
};
