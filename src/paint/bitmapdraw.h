#pragma once

class Bitmap;
class QImage;
class QPainter;
class QRect;

/// How bitmaps reach the screen, chosen by the stored setting "Use Video For Windows": through a
/// display-ready pixmap (1, the default), or by drawing the bitmap's pixels directly (0). Both
/// draw the bitmap 1:1 with its top-left corner at the given point.
enum class BitmapDrawRoute { Direct = 0, Pixmap = 1 };

/// Draws the bitmap at (x, y). Returns false, drawing nothing, for an empty bitmap, which tells
/// the caller to show something else ("Not Rendered").
bool DrawBitmap(QPainter& painter, const Bitmap& dib, int x, int y, BitmapDrawRoute route);

/// Draws `image` filling `target`, smoothly scaled when the sizes differ. Returns false, drawing
/// nothing, for a null image.
bool DrawImage(QPainter& painter, const QImage& image, const QRect& target, BitmapDrawRoute route);

/// The route a stored "Use Video For Windows" value stands for.
inline BitmapDrawRoute RouteFor(bool drawThroughPixmap) {
    return drawThroughPixmap ? BitmapDrawRoute::Pixmap : BitmapDrawRoute::Direct;
}
