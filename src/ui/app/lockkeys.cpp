#include "ui/app/lockkeys.h"

#include <QGuiApplication>
#include <array>
#include <utility>

// Last: X11's headers define names (None, Bool, Status) that Qt's use too.
#include <X11/XKBlib.h>

std::optional<LockKeys::State> LockKeys::Query() {
    const auto* x11 =
        qGuiApp ? qGuiApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display)
        return std::nullopt;
    // The program has one display: its indicators' names are asked for once.
    static const std::array<Atom, 3> indicators = {XInternAtom(display, "Caps Lock", True),
                                                   XInternAtom(display, "Num Lock", True),
                                                   XInternAtom(display, "Scroll Lock", True)};
    State state;
    for (auto [indicator, lit] :
         {std::pair{indicators[0], &state.caps}, std::pair{indicators[1], &state.num},
          std::pair{indicators[2], &state.scroll}}) {
        Bool on = False;
        if (indicator != None &&
            XkbGetNamedIndicator(display, indicator, nullptr, &on, nullptr, nullptr))
            *lit = on;
    }
    return state;
}
