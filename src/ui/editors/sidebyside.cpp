#include "ui/editors/sidebyside.h"

#include "ui/framework/screenfit.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QEvent>
#include <QScreen>
#include <QStyle>
#include <QTimer>
#include <QWidget>
#include <algorithm>
#include <array>
#include <limits>

namespace {

constexpr int kSpare = 20;      ///< room kept right of the Preview window
constexpr int kGap = 10;        ///< between the editor and the Preview window
constexpr int kFrameBorder = 4; ///< a window frame's border when none is known
constexpr int kTitleBar = 24;   ///< and its title bar
constexpr int kSettleMs = 1000; ///< how long after showing a window manager may still move it

/// `position` moved as little as needed to keep a span of `length` inside [low, high); a span
/// longer than the room starts at `low`.
int KeepInside(int position, int length, int low, int high) {
    return std::max(low, std::min(position, high - length));
}

long long OverlapArea(const QRect& a, const QRect& b) {
    const QRect common = a.intersected(b);
    return common.isEmpty() ? 0 : static_cast<long long>(common.width()) * common.height();
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
        if (framed->isVisible() && outer != inner)
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

void PlaceSideBySide(QWidget* owner, QWidget* preview) {
    if (!owner || !preview)
        return;
    QScreen* screen = owner->screen();
    const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    // Windows not framed yet are counted with the frame they will get.
    const auto frameOf = [](const QWidget* window) {
        return window->frameGeometry() == window->geometry()
                   ? window->frameGeometry() + FrameMargins(window)
                   : window->frameGeometry();
    };
    const QRect ownerFrame = frameOf(owner);
    const QRect previewFrame = frameOf(preview);
    QRect buttons;
    for (const QDialogButtonBox* box : owner->findChildren<QDialogButtonBox*>())
        for (const QAbstractButton* button : box->buttons())
            if (button->isVisible())
                buttons |= QRect(button->mapToGlobal(QPoint(0, 0)), button->size());
    const SideBySide place = ComputeSideBySide(desktop, ownerFrame, previewFrame, buttons);
    // Moved by the difference: a window's position counts its frame only once it has one.
    if (place.owner != ownerFrame.topLeft())
        owner->move(owner->pos() + (place.owner - ownerFrame.topLeft()));
    if (place.preview != previewFrame.topLeft())
        preview->move(preview->pos() + (place.preview - previewFrame.topLeft()));
}

SideBySideKeeper* SideBySideKeeper::For(QWidget* preview) {
    if (auto* keeper = preview->findChild<SideBySideKeeper*>(QString(), Qt::FindDirectChildrenOnly))
        return keeper;
    return new SideBySideKeeper(preview);
}

SideBySideKeeper::SideBySideKeeper(QWidget* preview)
    : QObject(preview), m_preview(preview),
      m_home(preview->parentWidget() ? preview->parentWidget()->window() : nullptr) {
    m_preview->installEventFilter(this);
    Serve(nullptr);
}

void SideBySideKeeper::Serve(QWidget* dialog) {
    if (!dialog)
        dialog = m_home;
    if (m_served == dialog)
        return;
    if (m_served)
        m_served->removeEventFilter(this);
    m_served = dialog;
    if (m_served)
        m_served->installEventFilter(this);
    Place();
}

void SideBySideKeeper::Place() {
    if (!m_served) // the dialog it served is gone
        Serve(nullptr);
    if (m_placing || !m_served || !m_served->isVisible() || !m_preview->isVisible())
        return;
    m_placing = true;
    PlaceSideBySide(m_served, m_preview);
    m_placing = false;
}

void SideBySideKeeper::PlaceSoon() {
    // Layouts settle and window managers frame windows after the event that tells of them.
    if (m_pending)
        return;
    m_pending = true;
    QTimer::singleShot(0, this, [this] {
        m_pending = false;
        Place();
    });
}

bool SideBySideKeeper::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    const bool moved = type == QEvent::Move || type == QEvent::Resize;
    if (watched == m_preview && type == QEvent::Show) {
        // Placed before the window appears, so it appears in its place, and again once the
        // window manager has framed it.
        Place();
        PlaceSoon();
        // A window manager that places new windows itself is given the last word back; later
        // moves are the user's, and stay.
        m_settling = true;
        QTimer::singleShot(kSettleMs, this, [this] { m_settling = false; });
    } else if (!m_placing && ((watched == m_preview && m_settling && moved) ||
                              (watched == m_served && (moved || type == QEvent::Show)))) {
        PlaceSoon();
    }
    return QObject::eventFilter(watched, event);
}
