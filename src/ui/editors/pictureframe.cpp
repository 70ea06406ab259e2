#include "ui/editors/pictureframe.h"

#include "paint/bitmapdraw.h"
#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"

#include <QPainter>
#include <algorithm>

PictureFrame::PictureFrame(AppServices& services, QWidget* parent)
    : QGroupBox(parent), m_services(services) {
    setAccessibleName(QStringLiteral("Picture"));
}

void PictureFrame::SetPictureSize(QSize picture) {
    setFixedSize(picture.width() + kExtraWidth, picture.height() + kExtraHeight);
}

QSize PictureFrame::PictureSize() const {
    return {std::max(0, width() - kExtraWidth), std::max(0, height() - kExtraHeight)};
}

void PictureFrame::SetPicture(Bitmap picture) {
    m_picture = std::move(picture);
    m_newPicture = true;
    // The picture's area, erased first.
    update(QRect(kLeft, kTop, width() - kExtraWidth, height() - kTop - (kExtraHeight - kTop)));
}

void PictureFrame::paintEvent(QPaintEvent* event) {
    QGroupBox::paintEvent(event);
    QPainter painter(this);
    DrawBitmap(painter, m_picture, kLeft, kTop, RouteFor(m_services.Settings().useVideoForWindows));
    painter.end();
    if (m_newPicture) {
        m_newPicture = false;
        ++m_shownPictures;
        emit pictureShown();
    }
}
