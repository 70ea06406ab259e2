#include "paint/bitmapimage.h"

#include "core/bitmap/bitmap.h"

#include <cstring>
#include <vector>

QImage BitmapToImage(const Bitmap& dib) {
    if (dib.IsEmpty() || !dib.HasBits() || dib.Width() <= 0 || dib.Height() <= 0)
        return {};
    QImage image(dib.Width(), dib.Height(), QImage::Format_BGR888);
    const std::size_t stride = Bitmap::Stride(dib.Width());
    const std::size_t rowBytes = static_cast<std::size_t>(dib.Width()) * 3;
    const auto bits = dib.Bits();
    if (bits.size() < stride * static_cast<std::size_t>(dib.Height()))
        return {};
    for (int row = 0; row < dib.Height(); ++row)
        std::memcpy(image.scanLine(row), bits.data() + stride * static_cast<std::size_t>(row), rowBytes);
    return image;
}

Bitmap ImageToBitmap(const QImage& image) {
    Bitmap dib;
    if (image.isNull())
        return dib;
    const QImage converted = image.convertToFormat(QImage::Format_BGR888);
    const std::size_t rowBytes = static_cast<std::size_t>(converted.width()) * 3;
    std::vector<std::uint8_t> rows(rowBytes * static_cast<std::size_t>(converted.height()));
    for (int row = 0; row < converted.height(); ++row)
        std::memcpy(rows.data() + rowBytes * static_cast<std::size_t>(row), converted.constScanLine(row), rowBytes);
    dib.SetBits(converted.width(), converted.height(), rows, false);
    return dib;
}
