#pragma once

#include <QImage>

class Bitmap;

/// The bitmap as an image (rows top first), or a null image for an empty bitmap.
QImage BitmapToImage(const Bitmap& dib);
