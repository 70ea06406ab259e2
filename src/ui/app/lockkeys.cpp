#include "ui/app/lockkeys.h"

#include <QGuiApplication>
#include <utility>

// Last: X11's headers define names (None, Bool, Status) that Qt's use too.
#include <X11/XKBlib.h>

std::optional<LockKeys::State> LockKeys::Query() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    State state;
    for (auto [name, lit] : {std::pair{"Caps Lock", &state.caps}, std::pair{"Num Lock", &state.num},
                             std::pair{"Scroll Lock", &state.scroll}}) {
        const Atom indicator = XInternAtom(display, name, True);
        Bool on = False;
        if (indicator != None &&
            XkbGetNamedIndicator(display, indicator, nullptr, &on, nullptr, nullptr))
            *lit = on;
    }
    return state;
}
