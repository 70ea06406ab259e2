#pragma once

#include <QDialog>
#include <QRect>
#include <QString>

class QPlainTextEdit;
class QPushButton;

/// Shows POV-Ray source text (of catalog textures or of the texture being edited), read-only,
/// with a button that copies it to the clipboard. The window can be resized and maximised; the
/// text grows with it. Where the last one was placed is kept for the next one while the
/// program runs.
class ViewSourceDialog : public QDialog {
    Q_OBJECT
public:
    /// `text` with its CR LF line ends, as GetSource writes it.
    explicit ViewSourceDialog(const QString& text, QWidget* parent = nullptr);

    const QString& Text() const { return m_text; }

    /// The window rectangle the last View Source window had when it closed (null before any).
    static QRect LastGeometry() { return s_lastGeometry; }
    static void ForgetGeometry() { s_lastGeometry = QRect(); }

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void CopyToClipboard();

    QString m_text;
    QPlainTextEdit* m_edit = nullptr;
    QPushButton* m_close = nullptr;
    QPushButton* m_copy = nullptr;
    bool m_placed = false;

    static QRect s_lastGeometry;
};
