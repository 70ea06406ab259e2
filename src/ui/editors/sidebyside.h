#pragma once

#include <QPoint>
#include <QRect>

class QWidget;

/// Where an editor window and its Preview window go when they are shown side by side.
struct SideBySide {
    QPoint owner;   ///< new top-left corner of the editor's window frame
    QPoint preview; ///< new top-left corner of the Preview window's frame
};

/// The editor keeps its place unless the Preview would not fit right of it with 20 pixels to
/// spare; then it moves left just enough, though never past the desktop's left edge. The Preview
/// stands 10 pixels right of the editor, top edges level. All rectangles are window frames in
/// screen coordinates.
SideBySide ComputeSideBySide(const QRect& desktop, const QRect& owner, const QRect& preview);

/// Moves `owner` (if needed) and `preview` as ComputeSideBySide says, on the screen `owner` is
/// on, and shows `preview`.
void PlaceSideBySide(QWidget* owner, QWidget* preview);
