#pragma once

#include "core/model/sourcetexture.h"
#include "core/povtext/import/sourceentry.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFutureWatcher>
#include <QTextCursor>
#include <QTimer>
#include <memory>
#include <optional>

class AppServices;
class NameFields;
class PreviewWindow;
class QDialogButtonBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QToolButton;
class SourceInspector;

/// "Modify Source Texture": a source texture's name, description and POV-Ray text, with the
/// inspector (the text's outline and the chosen part's properties as controls) beside the text
/// and the Preview beside the dialog. A change made in the inspector goes into the text as an
/// edit of its own, undone with the text's Undo; drags of one control join into one step. The text
/// is read shortly after each change, off the window's thread; the line under it says where the
/// first error is ("Line L, column C: message"), and the Preview renders the last text that was
/// taken without one. OK stores the taken text (identifiers from the library resolved) and is
/// refused while the text has an error.
class SourceTextureDialog : public QDialog {
    Q_OBJECT
public:
    /// How long the dialog waits after a keystroke before it reads the text.
    static constexpr int kCheckDelayMs = 300;

    SourceTextureDialog(AppServices& services, const SourceTexture& texture,
                        QWidget* parent = nullptr);
    ~SourceTextureDialog() override;

    /// The edited texture; its text is the taken one after OK.
    const SourceTexture& Working() const { return m_working; }
    /// What the Preview renders: the text last taken without an error.
    const SourceTexture& Shown() const { return m_shown; }

    QLineEdit* NameEdit() const;
    QPlainTextEdit* DescriptionEdit() const;
    QPlainTextEdit* TextEdit() const { return m_text; }
    QLabel* KindLabel() const { return m_kind; }
    QLabel* ErrorLabel() const { return m_error; }
    QDialogButtonBox* Buttons() const { return m_buttons; }
    PreviewWindow* Preview() const { return m_preview; }
    SourceInspector* Inspector() const { return m_inspector; }
    QToolButton* UndoButton() const { return m_undo; }
    QToolButton* RedoButton() const { return m_redo; }

    /// Changes of one property made in the inspector this close together are undone as one.
    static constexpr int kJoinChangesMs = 600;

    /// True while the text typed has not been read yet (a read is due or running).
    bool IsChecking() const;
    /// The error of the text as last read, if it had one.
    const std::optional<SourceEntryError>& Error() const { return m_lastError; }

    /// OK: the text as it stands is read; an error keeps the dialog open, says where it is and
    /// puts the cursor there.
    void accept() override;
    void done(int result) override;

signals:
    /// The text has been read (the error line shows the outcome).
    void checked();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void TextEdited();
    /// Puts the text the inspector made into the editor, replacing only what differs.
    void TakeInspectorText(const QString& text, const QString& property);
    void StartCheck();
    void CheckDone();
    /// Takes in the outcome of reading `text`.
    void Taken(const QString& text, const TakenSource& taken);
    void GoTo(const SourceEntryError& error);
    /// Where an error is in the text, as a cursor.
    QTextCursor ErrorPlace(const SourceEntryError& error) const;
    /// Underlines the place of `error` in the text (nothing when there is none).
    void MarkError(const std::optional<SourceEntryError>& error);

    SourceTexture m_working;
    /// What the Preview renders: the working texture with the last text that was taken.
    SourceTexture m_shown;
    NameFields* m_names;
    QLabel* m_kind;
    QPlainTextEdit* m_text;
    QLabel* m_error;
    QDialogButtonBox* m_buttons;
    PreviewWindow* m_preview;
    SourceInspector* m_inspector;
    QToolButton* m_undo;
    QToolButton* m_redo;
    QElapsedTimer m_sinceInspectorChange;
    bool m_typedSinceInspectorChange = true;
    QString m_lastInspectorProperty;
    bool m_takingInspectorText = false;

    QTimer m_checkTimer;
    QFutureWatcher<TakenSource> m_check;
    bool m_checkRunning = false; ///< until its outcome is taken in
    QString m_opened;            ///< the text as the dialog showed it first
    QString m_reading;           ///< the text the running read reads
    QString m_checkedText;       ///< the text last read, whose outcome is shown
    std::optional<TakenSource> m_lastTaken;
    std::optional<SourceEntryError> m_lastError;
};

/// The first character capitalised and the position put in front: "Line 3, column 7: It ...".
QString SourceErrorText(const SourceEntryError& error);
