#include "dibdraw.h"

#include "bitmap/dib.h"
#include "dibimage.h"

#include <QPainter>
#include <QPixmap>

bool DrawDib(QPainter& painter, const CDIB& dib, int x, int y, DibDrawRoute route) {
    if (dib.Width() == 0 && dib.Height() == 0)
        return false;
    const QImage image = DibToImage(dib);
    if (image.isNull())
        return false;
    if (route == DibDrawRoute::Video)
        painter.drawPixmap(x, y, QPixmap::fromImage(image, Qt::NoFormatConversion));
    else
        painter.drawImage(x, y, image);
    return true;
}
