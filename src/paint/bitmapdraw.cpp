#include "paint/bitmapdraw.h"

#include "core/bitmap/bitmap.h"
#include "paint/bitmapimage.h"

#include <QPainter>
#include <QPixmap>

bool DrawBitmap(QPainter& painter, const Bitmap& dib, int x, int y, BitmapDrawRoute route) {
    if (dib.Width() == 0 && dib.Height() == 0)
        return false;
    const QImage image = BitmapToImage(dib);
    if (image.isNull())
        return false;
    if (route == BitmapDrawRoute::Video)
        painter.drawPixmap(x, y, QPixmap::fromImage(image, Qt::NoFormatConversion));
    else
        painter.drawImage(x, y, image);
    return true;
}
