#include "ui/dialogs/focuswatch.h"

#include <QFocusEvent>
#include <QWidget>

namespace {

bool IsUserMove(Qt::FocusReason reason) {
    return reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
           reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason;
}

} // namespace

FocusWatch::FocusWatch(QWidget* control, std::function<void()> handler, Moves moves)
    : QObject(control), m_handler(std::move(handler)), m_moves(moves) {
    control->installEventFilter(this);
}

bool FocusWatch::eventFilter(QObject* watched, QEvent* event) {
    // A hidden control loses the focus only because its window closed or is being destroyed
    // (a page's edit after OK): nothing is finished then, and its page may be half gone.
    if (event->type() == QEvent::FocusOut && static_cast<QWidget*>(watched)->isVisible()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        const bool counts = m_moves == Moves::UserOnly ? IsUserMove(reason)
                                                       : reason != Qt::ActiveWindowFocusReason &&
                                                             reason != Qt::PopupFocusReason;
        if (counts && m_handler)
            m_handler();
    }
    return QObject::eventFilter(watched, event);
}

void OnFocusLost(QWidget* control, std::function<void()> handler) {
    new FocusWatch(control, std::move(handler));
}

void OnUserLeaving(QWidget* control, std::function<void()> handler) {
    new FocusWatch(control, std::move(handler), FocusWatch::Moves::UserOnly);
}
