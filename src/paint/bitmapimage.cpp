#include "paint/bitmapimage.h"

#include "core/bitmap/bitmap.h"

#include <cstring>

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
        std::memcpy(image.scanLine(row), bits.data() + stride * static_cast<std::size_t>(row),
                    rowBytes);
    return image;
}
