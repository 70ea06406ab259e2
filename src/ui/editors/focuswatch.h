#pragma once

#include <QObject>
#include <functional>

class QWidget;

/// Runs a handler whenever a control loses the keyboard focus to another control of the
/// program, the way the editors take what was typed into an edit. Focus that goes to another
/// application or to a popup menu does not count: nothing is finished then.
class FocusWatch : public QObject {
public:
    FocusWatch(QWidget* control, std::function<void()> handler);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_handler;
};

/// Watches `control` (the watch belongs to the control).
void OnFocusLost(QWidget* control, std::function<void()> handler);
