#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>

class QWidget;

/// Where an editor window and its Preview window go when they are shown side by side.
struct SideBySide {
    QPoint owner;   ///< new top-left corner of the editor's window frame
    QPoint preview; ///< new top-left corner of the Preview window's frame
};

/// Where the Preview goes so that it never covers the editor, in this order of preference:
/// 1. Beside: 10 pixels right of the editor, top edges level, with 20 pixels to spare at the
///    desktop's right; the editor moves left just enough when the Preview would not fit,
///    though never past the desktop's left edge.
/// 2. Below, when the desktop is too narrow for both side by side: 10 pixels under the editor,
///    left edges level; the editor moves up just enough.
/// 3. When there is room for neither, in a corner of the desktop (the editor at either side of
///    it) where it leaves `buttons` free and covers as little of the editor as it can.
/// The editor stays on the desktop, and so does the Preview as far as it fits. All rectangles
/// are window frames in screen coordinates; `buttons` is where the editor's buttons (OK, Cancel)
/// are, in the editor's own position.
SideBySide ComputeSideBySide(const QRect& desktop, const QRect& owner, const QRect& preview,
                             const QRect& buttons = QRect());

/// Moves `owner` (if needed) and `preview` as ComputeSideBySide says, on the screen `owner` is
/// on, keeping the buttons of the owner's dialog button boxes free.
void PlaceSideBySide(QWidget* owner, QWidget* preview);

/// The frame a window has or, before the window manager has framed it, the one it will most
/// likely get: that of the window it belongs to.
QMargins FrameMargins(const QWidget* window);

/// Makes a window no larger than the free part of its screen, frame included, and moves it
/// onto it (a dialog taller than a small screen would hide its OK and Cancel).
void FitOnScreen(QWidget* window);

/// Keeps a Preview window beside the dialog it serves: placed each time it shows, and again
/// whenever that dialog shows, grows, shrinks or moves, so the two never cover each other's
/// buttons. It serves the window it belongs to unless another dialog asks for it for a while.
class SideBySideKeeper : public QObject {
    Q_OBJECT
public:
    /// The keeper of a Preview window, made on first use; it ends with the window.
    static SideBySideKeeper* For(QWidget* preview);

    /// The Preview stands beside `dialog` from now on; null gives it back to its own window.
    void Serve(QWidget* dialog);
    /// Places the Preview beside the dialog it serves now, if it is shown.
    void Place();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    explicit SideBySideKeeper(QWidget* preview);
    void PlaceSoon();

    QWidget* m_preview;
    QPointer<QWidget> m_home; ///< the window the Preview belongs to
    QPointer<QWidget> m_served;
    bool m_placing = false;
    bool m_pending = false;
    /// Shortly after it shows, the window manager may still place the Preview where it likes.
    bool m_settling = false;
};
