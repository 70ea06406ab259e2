#include "ui/editors/pictureframe.h"

#include "paint/bitmapdraw.h"
#include "paint/bitmapimage.h"
#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"

#include <QPainter>
#include <QResizeEvent>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kMarkWidth = 24; ///< the busy mark: three dots on a dark rounded box
constexpr int kMarkHeight = 12;
constexpr int kMarkInset = 4;

} // namespace

PictureFrame::PictureFrame(AppServices& services, QWidget* parent)
    : QGroupBox(parent), m_services(services) {
    setAccessibleName(QStringLiteral("Picture"));
}

void PictureFrame::SetPictureSize(QSize picture) {
    m_resizable = false;
    setFixedSize(picture.width() + kExtraWidth, picture.height() + kExtraHeight);
}

void PictureFrame::SetResizable(int side) {
    m_resizable = true;
    setMinimumSize(side + kExtraWidth, side + kExtraHeight);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    resize(minimumSize());
}

QSize PictureFrame::PictureSize() const {
    const int width = std::max(0, this->width() - kExtraWidth);
    const int height = std::max(0, this->height() - kExtraHeight);
    if (!m_resizable)
        return {width, height};
    const int side = std::min(width, height);
    return {side, side};
}

QSize PictureFrame::RenderSize() const {
    const QSize size = PictureSize();
    const qreal ratio = devicePixelRatioF();
    return {static_cast<int>(std::lround(size.width() * ratio)),
            static_cast<int>(std::lround(size.height() * ratio))};
}

QRect PictureFrame::PictureRect() const {
    const QSize size = PictureSize();
    const int room = std::max(0, width() - kExtraWidth);
    return {kLeft + (room - size.width()) / 2, kTop, size.width(), size.height()};
}

QRect PictureFrame::BusyMarkRect() const {
    const QRect picture = PictureRect();
    return {picture.right() + 1 - kMarkInset - kMarkWidth, picture.top() + kMarkInset, kMarkWidth,
            kMarkHeight};
}

void PictureFrame::SetPicture(Bitmap picture) {
    m_picture = std::move(picture);
    m_newPicture = true;
    update(PictureRect()); // the picture's area, erased first
}

void PictureFrame::SetBusy(bool busy) {
    if (busy == m_busy)
        return;
    m_busy = busy;
    setAccessibleDescription(busy ? QStringLiteral("Rendering") : QString());
    update(BusyMarkRect());
}

void PictureFrame::resizeEvent(QResizeEvent* event) {
    QGroupBox::resizeEvent(event);
    if (m_resizable && event->oldSize().isValid() && event->size() != event->oldSize())
        emit pictureSizeChanged();
}

void PictureFrame::paintEvent(QPaintEvent* event) {
    QGroupBox::paintEvent(event);
    QPainter painter(this);
    if (!m_resizable) {
        DrawBitmap(painter, m_picture, kLeft, kTop,
                   RouteFor(m_services.Settings().drawThroughPixmap));
    } else if (!m_picture.IsEmpty()) {
        // A picture of the frame's size in device pixels lands on them one to one; an older one
        // (the thumbnail, or one rendered before a resize) is stretched until the next comes.
        const QImage image = BitmapToImage(m_picture);
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(PictureRect(), image);
    }
    if (m_busy) {
        const QRect mark = BusyMarkRect();
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 160));
        painter.drawRoundedRect(mark, 4, 4);
        painter.setBrush(Qt::white);
        const int step = mark.width() / 4;
        for (int dot = 1; dot <= 3; ++dot)
            painter.drawEllipse(QPoint(mark.left() + dot * step, mark.center().y() + 1), 2, 2);
    }
    painter.end();
    if (m_newPicture) {
        m_newPicture = false;
        ++m_shownPictures;
        emit pictureShown();
    }
}
