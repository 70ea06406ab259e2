#include "ui/editors/sidebyside.h"

#include "ui/framework/screenfit.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <QWindow>
#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr int kSpare = 20;      ///< room kept right of the Preview window
constexpr int kGap = 10;        ///< between the editor and the Preview window
constexpr int kFrameBorder = 4; ///< a window frame's border when none is known
constexpr int kTitleBar = 24;   ///< and its title bar
constexpr int kRefusals = 6;    ///< places told instead of those asked for, before they stand

/// `position` moved as little as needed to keep a span of `length` inside [low, high); a span
/// longer than the room starts at `low`.
int KeepInside(int position, int length, int low, int high) {
    return std::max(low, std::min(position, high - length));
}

long long OverlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
}

/// A frame that holds the window: while a window manager frames a window it may tell of a frame
/// still in the making, smaller than the window.
bool Framed(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return outer != inner && outer.contains(inner);
}

/// A window's frame; one not framed yet is counted with the frame it will get.
QRect FrameOf(const QWidget* window) {
    return Framed(window) ? window->frameGeometry() : window->geometry() + FrameMargins(window);
}

/// Moves a window's frame to `place`, by the difference: a window's position counts its frame
/// only once it has one.
void MoveFrame(QWidget* window, const QPoint& place) {
    const QPoint at = FrameOf(window).topLeft();
    if (place != at)
        window->move(window->pos() + (place - at));
}

QRect DesktopOf(const QWidget* window) {
    QScreen* screen = window ? window->screen() : nullptr;
    return screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
}

/// Where the buttons of a window's dialog button boxes are on the screen.
QRect ButtonsOf(const QWidget* window) {
    QRect buttons;
    for (const QDialogButtonBox* box : window->findChildren<QDialogButtonBox*>())
        for (const QAbstractButton* button : box->buttons())
            if (button->isVisible())
                buttons |= QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    return buttons;
}

} // namespace

SideBySide ComputeSideBySide(const QRect& desktop, const QRect& owner, const QRect& preview,
                             const QRect& buttons) {
    // Right and bottom edges exclusive, as window rectangles count them.
    const int desktopRight = desktop.x() + desktop.width();
    const int desktopBottom = desktop.y() + desktop.height();
    const int ownerTop = KeepInside(owner.y(), owner.height(), desktop.y(), desktopBottom);

    // 1. Beside, the editor moving left as far as needed.
    if (owner.width() + preview.width() + kSpare <= desktop.width()) {
        int ownerLeft = owner.x();
        if (desktopRight < owner.x() + owner.width() + preview.width() + kSpare)
            ownerLeft = desktopRight - owner.width() - preview.width() - kSpare;
        ownerLeft = std::max(ownerLeft, desktop.x());
        const int previewTop = KeepInside(ownerTop, preview.height(), desktop.y(), desktopBottom);
        return {QPoint(ownerLeft, ownerTop), QPoint(ownerLeft + owner.width() + kGap, previewTop)};
    }
    const int ownerLeft = KeepInside(owner.x(), owner.width(), desktop.x(), desktopRight);

    // 2. Below, the editor moving up as far as needed.
    if (owner.height() + kGap + preview.height() <= desktop.height()) {
        const int top =
            std::min(ownerTop, desktopBottom - owner.height() - kGap - preview.height());
        const int previewLeft = KeepInside(ownerLeft, preview.width(), desktop.x(), desktopRight);
        return {QPoint(ownerLeft, top), QPoint(previewLeft, top + owner.height() + kGap)};
    }

    // 3. Neither: the corner that keeps the buttons free and covers least, the editor where it
    // is or at either edge of the desktop.
    const std::array<int, 3> ownerLefts = {
        ownerLeft, desktop.x(), KeepInside(desktopRight, owner.width(), desktop.x(), desktopRight)};
    const std::array<int, 2> previewLefts = {
        desktop.x(), KeepInside(desktopRight, preview.width(), desktop.x(), desktopRight)};
    const std::array<int, 2> previewTops = {
        desktop.y(), KeepInside(desktopBottom, preview.height(), desktop.y(), desktopBottom)};
    SideBySide best{QPoint(ownerLeft, ownerTop), QPoint(previewLefts[1], previewTops[0])};
    auto bestCost = std::numeric_limits<long long>::max();
    for (const int left : ownerLefts) {
        const QPoint shift(left - owner.x(), ownerTop - owner.y());
        const QRect editor(QPoint(left, ownerTop), owner.size());
        const QRect editorButtons = buttons.translated(shift);
        for (const int previewLeft : previewLefts)
            for (const int previewTop : previewTops) {
                const QRect candidate(QPoint(previewLeft, previewTop), preview.size());
                // Covered buttons cost more than any covered part of the editor can.
                const long long cost = (editorButtons.intersects(candidate) ? 1LL << 40 : 0) +
                                       OverlapArea(candidate, editor) * 4 +
                                       std::abs(left - ownerLeft);
                if (cost < bestCost) {
                    bestCost = cost;
                    best = {editor.topLeft(), candidate.topLeft()};
                }
            }
    }
    return best;
}

QMargins FrameMargins(const QWidget* window) {
    for (const QWidget* framed = window; framed; framed = framed->parentWidget()) {
        framed = framed->window();
        const QRect outer = framed->frameGeometry();
        const QRect inner = framed->geometry();
        if (framed->isVisible() && Framed(framed))
            return QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                            outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    // No window framed yet: a border of a few pixels and a title bar, as most window managers
    // draw them.
    const QStyle* style = window ? window->style() : nullptr;
    const int border = kFrameBorder;
    const int title = style ? style->pixelMetric(QStyle::PM_TitleBarHeight) : kTitleBar;
    return QMargins(border, title + border, border, border);
}

void FitOnScreen(QWidget* window) {
    QScreen* screen = window ? window->screen() : nullptr;
    if (!screen)
        return;
    const QMargins frame =
        window->frameGeometry() == window->geometry() ? FrameMargins(window) : QMargins();
    const QRect outer = window->frameGeometry() + frame;
    const QRect fitted = FitInside(outer, screen->availableGeometry());
    if (fitted.size() != outer.size())
        window->resize(window->size() - (outer.size() - fitted.size()));
    // By the difference: a window's position counts its frame only once it has one.
    if (fitted.topLeft() != outer.topLeft())
        window->move(window->pos() + (fitted.topLeft() - outer.topLeft()));
}

std::optional<QPoint> NearestClearPlace(const QRect& desktop, const QRect& window,
                                        const std::vector<QRect>& obstacles) {
    const int width = window.width();
    const int height = window.height();
    if (width > desktop.width() || height > desktop.height())
        return std::nullopt;
    const int desktopRight = desktop.x() + desktop.width();
    const int desktopBottom = desktop.y() + desktop.height();
    // Every place worth trying has each edge where it is, at the desktop's edge, or against an
    // obstacle's edge, at the gap or flush with it.
    std::vector<int> lefts = {window.x(), desktop.x(), desktopRight - width};
    std::vector<int> tops = {window.y(), desktop.y(), desktopBottom - height};
    for (const QRect& obstacle : obstacles) {
        const int right = obstacle.x() + obstacle.width();
        const int bottom = obstacle.y() + obstacle.height();
        lefts.insert(lefts.end(),
                     {obstacle.x() - kGap - width, obstacle.x() - width, right + kGap, right});
        tops.insert(tops.end(),
                    {obstacle.y() - kGap - height, obstacle.y() - height, bottom + kGap, bottom});
    }
    constexpr long long kTooClose = 1LL << 40; // any place at the gap is better
    std::optional<QPoint> best;
    long long bestCost = std::numeric_limits<long long>::max();
    for (const int left : lefts)
        for (const int top : tops) {
            const QRect candidate(QPoint(KeepInside(left, width, desktop.x(), desktopRight),
                                         KeepInside(top, height, desktop.y(), desktopBottom)),
                                  window.size());
            const QRect spaced = candidate.adjusted(-kGap, -kGap, kGap, kGap);
            long long cost =
                std::abs(candidate.x() - window.x()) + std::abs(candidate.y() - window.y());
            bool clear = true;
            for (const QRect& obstacle : obstacles) {
                clear = clear && !candidate.intersects(obstacle);
                if (spaced.intersects(obstacle))
                    cost += kTooClose;
            }
            if (clear && cost < bestCost) {
                bestCost = cost;
                best = candidate.topLeft();
            }
        }
    return best;
}

SideBySideKeeper* SideBySideKeeper::For(QWidget* preview) {
    if (auto* keeper = preview->findChild<SideBySideKeeper*>(QString(), Qt::FindDirectChildrenOnly))
        return keeper;
    return new SideBySideKeeper(preview);
}

SideBySideKeeper::SideBySideKeeper(QWidget* preview)
    : QObject(preview), m_preview(preview),
      m_home(preview->parentWidget() ? preview->parentWidget()->window() : nullptr) {
    // Dialogs opened from the editor are seen as they show, wherever they come from.
    QCoreApplication::instance()->installEventFilter(this);
}

bool SideBySideKeeper::OpenedFromEditor(const QWidget* window) const {
    if (!m_home || window == m_preview || window == m_home ||
        (window->windowType() != Qt::Dialog && window->windowType() != Qt::Sheet))
        return false;
    for (const QWidget* up = window->parentWidget(); up; up = up->parentWidget()) {
        if (up == m_preview)
            return false;
        if (up == m_home)
            return true;
    }
    return false;
}

bool SideBySideKeeper::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    // Where the window manager has put a window, and with what frame, its windows tell first.
    if ((type == QEvent::Move || type == QEvent::Resize) && event->spontaneous() &&
        watched->isWindowType()) {
        const auto* window = static_cast<QWindow*>(watched);
        for (QWidget* keptWindow : {static_cast<QWidget*>(m_home), m_preview})
            if (keptWindow && window == keptWindow->windowHandle()) {
                if (type == QEvent::Move)
                    Reported(keptWindow, window->geometry().topLeft());
                else if (m_firstShowing)
                    ArrangeSoon();
            }
        return false;
    }
    if ((type != QEvent::Show && type != QEvent::Hide && type != QEvent::Move &&
         type != QEvent::Resize) ||
        !watched->isWidgetType())
        return false;
    auto* widget = static_cast<QWidget*>(watched);
    if (widget == m_preview) {
        if (type == QEvent::Show)
            PreviewShown();
        else if (type == QEvent::Move)
            PreviewMoved(event->spontaneous());
        return false;
    }
    if (!widget->isWindow() || m_moving)
        return false;
    if (widget == m_home) {
        // The editor may grow over the Preview; where the user moves it, the Preview stays.
        if (type == QEvent::Resize)
            ArrangeSoon();
        return false;
    }
    if (type == QEvent::Show && OpenedFromEditor(widget)) {
        DialogShowing(widget);
        return false;
    }
    for (auto opened = m_dialogs.begin(); opened != m_dialogs.end(); ++opened)
        if (opened->dialog == widget) {
            if (type == QEvent::Hide)
                DialogHidden(widget);
            else if (type == QEvent::Resize)
                DialogResized(*opened);
            break;
        }
    return false;
}

void SideBySideKeeper::PreviewShown() {
    m_firstShowing = !m_placed;
    m_homeAnswer.reset();
    m_previewAnswer.reset();
    m_refusals = 0;
    // Placed before the window appears, so it appears in its place, and again once layouts have
    // settled and as the window manager tells where it has put the windows, with what frames.
    Arrange();
    ArrangeSoon();
}

void SideBySideKeeper::ArrangeSoon() {
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        Arrange();
        if (!m_firstShowing || !m_preview->isVisible())
            return;
        // Some window managers stack a window that shows without taking the keyboard under the
        // active one.
        m_preview->raise();
        m_firstShowing = Awaiting();
    });
}

void SideBySideKeeper::Reported(QWidget* window, const QPoint& at) {
    std::optional<QPoint>& answer = window == m_preview ? m_previewAnswer : m_homeAnswer;
    if (answer) {
        if (*answer == at) {
            answer.reset();
        } else if (++m_refusals > kRefusals) {
            // The window manager will have the windows where it puts them.
            m_homeAnswer.reset();
            m_previewAnswer.reset();
            m_firstShowing = false;
            m_adopt = true;
        }
    } else if (!m_firstShowing) {
        return; // a move of the user's, or of the program's
    }
    // The place asked for once more, the one told being an answer to an earlier move; or, while
    // first showing, beside the editor's frame as it now is.
    ArrangeSoon();
}

void SideBySideKeeper::Arrange() {
    if (m_moving || !m_preview->isVisible() || !m_home || !m_home->isVisible())
        return;
    if (m_firstShowing) {
        const SideBySide place = ComputeSideBySide(DesktopOf(m_home), FrameOf(m_home),
                                                   FrameOf(m_preview), ButtonsOf(m_home));
        Request(m_home, place.owner);
        Request(m_preview, place.preview);
        m_wanted = place.preview;
        m_placed = true;
        return;
    }
    if (m_adopt) {
        m_adopt = false;
        m_wanted = FrameOf(m_preview).topLeft();
    }
    if (m_previewAnswer && FrameOf(m_preview).topLeft() != m_wanted)
        Request(m_preview, m_wanted);
    else
        KeepClear();
}

void SideBySideKeeper::Request(QWidget* window, const QPoint& place) {
    const QPoint by = place - FrameOf(window).topLeft();
    if (by.isNull())
        return;
    // Asked for before the move: a window system may tell of it at once.
    (window == m_preview ? m_previewAnswer : m_homeAnswer) = window->geometry().topLeft() + by;
    m_moving = true;
    MoveFrame(window, place);
    m_moving = false;
}

void SideBySideKeeper::PreviewMoved(bool spontaneous) {
    if (m_moving || !m_placed || !m_preview->isVisible())
        return;
    const QPoint at = FrameOf(m_preview).topLeft();
    if (at == m_wanted)
        return;
    if (spontaneous && (m_previewAnswer || m_adopt)) {
        // The window manager's answer to an earlier move: the keeper's place stands, or its own
        // once it has refused that often.
        if (m_adopt) {
            m_adopt = false;
            m_wanted = at;
        }
        return;
    }
    m_movedByUser = true;
    m_wanted = at;
    m_previewAnswer.reset();
}

QPoint SideBySideKeeper::MovePreview(const QPoint& place) {
    const QPoint was = FrameOf(m_preview).topLeft();
    Request(m_preview, place); // the window manager's answer to it is no move of the user's
    m_wanted = place;
    return was;
}

void SideBySideKeeper::KeepClear() {
    std::vector<QRect> dialogs;
    for (const Opened& opened : m_dialogs)
        if (opened.dialog && opened.dialog->isVisible())
            dialogs.push_back(FrameOf(opened.dialog));
    std::vector<QRect> obstacles = dialogs;
    // Where the user put it over the editor, it stays: it is above the editor.
    if (!m_movedByUser)
        obstacles.push_back(FrameOf(m_home));
    const QRect frame = FrameOf(m_preview);
    if (std::none_of(obstacles.begin(), obstacles.end(),
                     [&frame](const QRect& obstacle) { return obstacle.intersects(frame); }))
        return;
    const QRect desktop = DesktopOf(m_preview);
    std::optional<QPoint> place = NearestClearPlace(desktop, frame, obstacles);
    // Under an open dialog the editor waits; the dialog must not cover the Preview.
    if (!place && !dialogs.empty())
        place = NearestClearPlace(desktop, frame, dialogs);
    if (place)
        MovePreview(*place);
}

void SideBySideKeeper::DialogShowing(QWidget* dialog) {
    m_dialogs.erase(std::remove_if(m_dialogs.begin(), m_dialogs.end(),
                                   [](const Opened& opened) { return !opened.dialog; }),
                    m_dialogs.end());
    Opened opened{dialog, std::nullopt, QPoint()};
    if (m_placed && m_preview->isVisible()) {
        const QRect desktop = DesktopOf(dialog);
        QRect frame = FrameOf(dialog);
        if (!dialog->testAttribute(Qt::WA_Moved)) {
            // Where it would open: over the middle of the window it belongs to.
            const QRect over = FrameOf(dialog->parentWidget()->window());
            frame.moveTopLeft(over.center() - QPoint(frame.width() / 2, frame.height() / 2));
            frame.moveTopLeft(QPoint(
                KeepInside(frame.x(), frame.width(), desktop.x(), desktop.x() + desktop.width()),
                KeepInside(frame.y(), frame.height(), desktop.y(),
                           desktop.y() + desktop.height())));
        }
        const QRect preview = FrameOf(m_preview);
        if (frame.intersects(preview)) {
            if (const std::optional<QPoint> aside = NearestClearPlace(desktop, frame, {preview})) {
                frame.moveTopLeft(*aside);
            } else {
                // No room for the dialog beside the Preview: the Preview moves for a while.
                std::optional<QPoint> place = NearestClearPlace(desktop, preview, {frame});
                if (!place) {
                    const QRect buttons =
                        ButtonsOf(dialog).translated(frame.topLeft() - FrameOf(dialog).topLeft());
                    const SideBySide both = ComputeSideBySide(desktop, frame, preview, buttons);
                    frame.moveTopLeft(both.owner);
                    place = both.preview;
                }
                opened.previewWas = MovePreview(*place);
                opened.previewMovedTo = *place;
            }
        }
        m_moving = true;
        MoveFrame(dialog, frame.topLeft()); // before it appears, so it appears there
        m_moving = false;
    }
    m_dialogs.push_back(opened);
}

void SideBySideKeeper::DialogResized(Opened& opened) {
    if (!m_placed || !m_preview->isVisible() || !opened.dialog->isVisible())
        return;
    const QRect dialog = FrameOf(opened.dialog);
    const QRect preview = FrameOf(m_preview);
    if (!dialog.intersects(preview))
        return;
    if (const std::optional<QPoint> place =
            NearestClearPlace(DesktopOf(m_preview), preview, {dialog})) {
        const QPoint was = MovePreview(*place);
        if (!opened.previewWas)
            opened.previewWas = was;
        opened.previewMovedTo = *place;
    }
}

void SideBySideKeeper::DialogHidden(QWidget* dialog) {
    const auto found =
        std::find_if(m_dialogs.begin(), m_dialogs.end(),
                     [dialog](const Opened& opened) { return opened.dialog == dialog; });
    if (found == m_dialogs.end())
        return;
    const Opened closed = *found;
    m_dialogs.erase(found);
    // Back where it was, unless the user has moved it since or a dialog still open is there.
    if (!closed.previewWas || !m_preview->isVisible() ||
        FrameOf(m_preview).topLeft() != closed.previewMovedTo)
        return;
    const QRect back(*closed.previewWas, FrameOf(m_preview).size());
    for (const Opened& open : m_dialogs)
        if (open.dialog && open.dialog->isVisible() && FrameOf(open.dialog).intersects(back))
            return;
    MovePreview(*closed.previewWas);
}
