#pragma once

#include <QImage>

class CDIB;

/// The bitmap as an image (rows top first), or a null image for an empty bitmap.
QImage DibToImage(const CDIB& dib);
/// The image as a bitmap (24 bits, rows bottom first).
CDIB ImageToDib(const QImage& image);
