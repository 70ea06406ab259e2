#pragma once

#include <QImage>

class Bitmap;

/// The bitmap as an image (rows top first), or a null image for an empty bitmap.
QImage BitmapToImage(const Bitmap& dib);
/// The image as a bitmap (24 bits, rows bottom first).
Bitmap ImageToBitmap(const QImage& image);
