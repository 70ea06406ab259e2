#pragma once

#include <QDialog>

class QCheckBox;

/// What Velvane is, in a few sentences: the welcome of the start-up notice and of the first
/// start's Preferences.
QString WelcomeText();
/// The text of the check box that keeps the welcome coming at each start.
inline constexpr const char* kDisplayAgainText = "&Display this message again.";

/// The notice shown at start-up while the POV-Ray named cannot be run, as long as the user asks
/// for it: what Velvane is and where to tell it about POV-Ray. Its box starts clear; after OK
/// the caller stores DisplayAgain(). (At a first start the welcome is part of the Preferences.)
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
