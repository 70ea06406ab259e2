#include "paint/bitmapdraw.h"

#include "core/bitmap/bitmap.h"
#include "paint/bitmapimage.h"

#include <QPainter>
#include <QPixmap>

bool DrawBitmap(QPainter& painter, const Bitmap& dib, int x, int y, BitmapDrawRoute route) {
    if (dib.Width() == 0 && dib.Height() == 0)
        return false;
    const QImage image = BitmapToImage(dib);
    return DrawImage(painter, image, QRect(QPoint(x, y), image.size()), route);
}

bool DrawImage(QPainter& painter, const QImage& image, const QRect& target, BitmapDrawRoute route) {
    if (image.isNull() || target.isEmpty())
        return false;
    // Averaging when shrinking and interpolating when growing keeps thumbnails smooth at any
    // zoom; at their own size they are drawn pixel for pixel.
    const QImage shown =
        image.size() == target.size()
            ? image
            : image.scaled(target.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (route == BitmapDrawRoute::Pixmap)
        painter.drawPixmap(target.topLeft(), QPixmap::fromImage(shown, Qt::NoFormatConversion));
    else
        painter.drawImage(target.topLeft(), shown);
    return true;
}
