#pragma once

#include <QDialog>

class QCheckBox;

/// The notice shown at start-up until the user turns it off: what Velvane is and where to tell
/// it about POV-Ray. After OK the caller stores DisplayAgain().
class StartupNoticeDialog : public QDialog {
    Q_OBJECT
public:
    explicit StartupNoticeDialog(QWidget* parent = nullptr);

    bool DisplayAgain() const;
    void SetDisplayAgain(bool display);
    QCheckBox* DisplayAgainCheck() const { return m_again; }

private:
    QCheckBox* m_again = nullptr;
};
