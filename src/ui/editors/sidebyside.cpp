#include "ui/editors/sidebyside.h"

#include <QScreen>
#include <QWidget>
#include <algorithm>

namespace {

constexpr int kSpare = 20; ///< room kept right of the Preview window
constexpr int kGap = 10;   ///< between the editor and the Preview window

} // namespace

SideBySide ComputeSideBySide(const QRect& desktop, const QRect& owner, const QRect& preview) {
    // Right edges exclusive, as window rectangles count them.
    const int desktopRight = desktop.x() + desktop.width();
    int ownerLeft = owner.x();
    if (desktopRight < owner.x() + owner.width() + preview.width() + kSpare)
        ownerLeft = desktopRight - owner.width() - preview.width() - kSpare;
    // On a desktop too narrow for both, the editor stays on it rather than leave by the left.
    ownerLeft = std::max(ownerLeft, std::min(owner.x(), desktop.x()));
    return {QPoint(ownerLeft, owner.y()), QPoint(ownerLeft + owner.width() + kGap, owner.y())};
}

void PlaceSideBySide(QWidget* owner, QWidget* preview) {
    if (!owner || !preview)
        return;
    QScreen* screen = owner->screen();
    const QRect desktop = screen ? screen->availableGeometry() : QRect(0, 0, 1024, 768);
    const SideBySide place =
        ComputeSideBySide(desktop, owner->frameGeometry(), preview->frameGeometry());
    if (place.owner != owner->frameGeometry().topLeft())
        owner->move(place.owner);
    preview->move(place.preview);
    preview->show();
}
