#pragma once

#include <QRect>

/// `window` (a window's outer rectangle) moved, and made smaller where it is larger, so that it
/// lies wholly inside `area` (the free part of a screen). A rectangle already inside stays as it
/// is.
QRect FitInside(const QRect& window, const QRect& area);
