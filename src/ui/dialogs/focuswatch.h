#pragma once

#include <QObject>
#include <functional>

class QWidget;

/// Runs a handler whenever the user moves the keyboard focus from a control to another control
/// of the program: with Tab or Shift+Tab, a click or an access key. Focus that goes to another
/// window, a popup menu or a message box, or that the program moves, does not count.
class FocusWatch : public QObject {
public:
    FocusWatch(QWidget* control, std::function<void()> handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_handler;
};

/// Watches `control` for the user leaving it (the watch belongs to the control).
void OnUserLeaving(QWidget* control, std::function<void()> handler);
