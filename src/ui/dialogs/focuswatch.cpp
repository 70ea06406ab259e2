#include "ui/dialogs/focuswatch.h"

#include <QFocusEvent>
#include <QWidget>

FocusWatch::FocusWatch(QWidget* control, std::function<void()> handler)
    : QObject(control), m_handler(std::move(handler)) {
    control->installEventFilter(this);
}

bool FocusWatch::eventFilter(QObject* watched, QEvent* event) {
    // A hidden control loses the focus only because its window closed or is being destroyed
    // (a page's edit after OK): nothing is finished then, and its page may be half gone.
    if (event->type() == QEvent::FocusOut && static_cast<QWidget*>(watched)->isVisible()) {
        const auto reason = static_cast<QFocusEvent*>(event)->reason();
        if ((reason == Qt::MouseFocusReason || reason == Qt::TabFocusReason ||
             reason == Qt::BacktabFocusReason || reason == Qt::ShortcutFocusReason) &&
            m_handler)
            m_handler();
    }
    return QObject::eventFilter(watched, event);
}

void OnUserLeaving(QWidget* control, std::function<void()> handler) {
    new FocusWatch(control, std::move(handler));
}
