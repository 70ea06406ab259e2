#pragma once

#include <QDialog>
#include <QString>

class QButtonGroup;
class QLabel;
class QRadioButton;

/// Asks which thumbnails Render Thumbnail(s) or Clear Thumbnail(s) works on: the composite
/// ones shown in the catalog (0), the layers' (1) or both (2).
class ThumbnailOptionsDialog : public QDialog {
    Q_OBJECT
public:
    enum Option { Composite = 0, Layers = 1, Both = 2 };

    static constexpr const char* kDefaultPrompt =
        "Which thumbnails of the layered textures would you like to render?";

    explicit ThumbnailOptionsDialog(QWidget* parent = nullptr);

    /// The text above the choices; Clear Thumbnail(s) puts its own question here.
    void SetPrompt(const QString& prompt);
    QString Prompt() const { return m_prompt; }
    void SetOption(int option);
    /// The chosen option, 0-2.
    int GetOption() const;

    QRadioButton* OptionButton(int option) const;

private:
    QString m_prompt;
    QLabel* m_promptLabel = nullptr;
    QButtonGroup* m_options = nullptr;
};
