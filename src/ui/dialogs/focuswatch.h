#pragma once

#include <QObject>
#include <functional>

class QWidget;

/// Runs a handler whenever a control loses the keyboard focus to another control of the
/// program, the way the editors take what was typed into an edit. Focus that goes to another
/// application or to a popup menu does not count: nothing is finished then.
class FocusWatch : public QObject {
public:
    /// Which moves of the focus count.
    enum class Moves {
        Any,     ///< the user's and the program's (a message box giving it back, say)
        UserOnly ///< only the user's: Tab, Shift+Tab, a click, an access key
    };

    FocusWatch(QWidget* control, std::function<void()> handler, Moves moves = Moves::Any);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    std::function<void()> m_handler;
    Moves m_moves;
};

/// Watches `control` (the watch belongs to the control).
void OnFocusLost(QWidget* control, std::function<void()> handler);
/// Watches `control` for the user leaving it (the watch belongs to the control).
void OnUserLeaving(QWidget* control, std::function<void()> handler);
