#pragma once

#include <QMargins>
#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QRect>
#include <optional>
#include <vector>

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

/// The frame a window has or, before the window manager has framed it (or while it is framing
/// it), the one it will most likely get: that of the window it belongs to.
QMargins FrameMargins(const QWidget* window);

/// Makes a window no larger than the free part of its screen, frame included, and moves it
/// onto it (a dialog taller than a small screen would hide its OK and Cancel).
void FitOnScreen(QWidget* window);

/// The place nearest to where `window` (a frame) is where it stays on `desktop` clear of every
/// one of `obstacles`, 10 pixels apart where it can be; nothing when there is no such place.
std::optional<QPoint> NearestClearPlace(const QRect& desktop, const QRect& window,
                                        const std::vector<QRect>& obstacles);

/// Looks after a Preview window beside the editor it belongs to. The first time it shows it is
/// placed beside the editor (ComputeSideBySide), again whenever the window manager tells where
/// either window really is or how large its frame is, until it has put both where they were
/// asked to go; then the Preview is raised above the editor. After that it stays where it is,
/// and where the user puts it, moving only when it would be covered: by the editor grown over it
/// (unless the user put it there), or by a dialog opened from the editor while it shows. Such a
/// dialog opens where it leaves the Preview free; where the screen has no such place the
/// Preview moves aside instead, and back once the dialog has closed.
class SideBySideKeeper : public QObject {
    Q_OBJECT
public:
    /// The keeper of a Preview window, made on first use; it ends with the window.
    static SideBySideKeeper* For(QWidget* preview);

    /// True once the user has moved the Preview.
    bool MovedByUser() const { return m_movedByUser; }
    /// True while the Preview is first placed, and while the window manager has still to answer
    /// a move of the keeper's: what it tells of the two windows until then is no move of the
    /// user's.
    bool IsSettling() const { return m_firstShowing || Awaiting(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    /// A dialog opened from the editor, and where the Preview was before it moved aside for it.
    struct Opened {
        QPointer<QWidget> dialog;
        std::optional<QPoint> previewWas;
        QPoint previewMovedTo;
    };

    explicit SideBySideKeeper(QWidget* preview);
    bool Awaiting() const { return m_homeAnswer || m_previewAnswer; }
    bool OpenedFromEditor(const QWidget* window) const;
    void PreviewShown();
    /// Beside the editor while it first shows, else clear of what would cover it.
    void Arrange();
    void ArrangeSoon();
    /// The window manager telling where `window` (the editor or the Preview) is.
    void Reported(QWidget* window, const QPoint& at);
    void PreviewMoved(bool spontaneous);
    /// Moves the frame of the editor or the Preview to `place`, awaiting the answer.
    void Request(QWidget* window, const QPoint& place);
    /// Moves the Preview's frame to `place`; returns where it was.
    QPoint MovePreview(const QPoint& place);
    /// Moves the Preview off the editor's and the open dialogs' frames if it is on them.
    void KeepClear();
    void DialogShowing(QWidget* dialog);
    void DialogHidden(QWidget* dialog);
    void DialogResized(Opened& opened);

    QWidget* m_preview;
    QPointer<QWidget> m_home; ///< the editor the Preview belongs to
    std::vector<Opened> m_dialogs;
    QPoint m_wanted; ///< where the keeper last put the Preview's frame
    /// The windows' (not the frames') top-left corners asked for that the window manager has
    /// still to tell of.
    std::optional<QPoint> m_homeAnswer;
    std::optional<QPoint> m_previewAnswer;
    int m_refusals = 0; ///< other places told since the Preview showed
    bool m_placed = false;
    bool m_movedByUser = false;
    bool m_moving = false;
    bool m_pending = false;
    bool m_firstShowing = false; ///< until the window manager has placed both as asked
    bool m_adopt = false;        ///< the window manager's place for the Preview stands
};
