#pragma once

#include <QMetaObject>
#include <QWidget>
#include <functional>

/// Calls `act` with the first visible top-level widget that is a `type` (and with `modalOnly` a
/// modal one), once one shows: modal dialogs and popup menus run their own loops, so tests
/// answer them from the event loop. With `giveUpMs` above 0 it stops looking after that long,
/// recording a failure and cancelling the modal dialog that is open, so a test cannot hang.
void WhenShownWidget(const QMetaObject& type, std::function<void(QWidget*)> act, bool modalOnly,
                     int giveUpMs);

template <class T> void WhenShown(std::function<void(T*)> act) {
    WhenShownWidget(
        T::staticMetaObject,
        [act = std::move(act)](QWidget* widget) { act(static_cast<T*>(widget)); }, false, 0);
}

/// The same for a modal T, failing the test when none shows within 15 seconds.
template <class T> void WhenShownOrFail(std::function<void(T*)> act) {
    WhenShownWidget(
        T::staticMetaObject,
        [act = std::move(act)](QWidget* widget) { act(static_cast<T*>(widget)); }, true, 15000);
}
