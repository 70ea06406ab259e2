#include "ui/texmap/texturemapdocument.h"

#include "core/texmap/tiling.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>

TextureMapDocument::TextureMapDocument(DocumentTemplate& kind, QObject* parent) : Document(kind, parent) {}

bool TextureMapDocument::SetImage(std::span<const std::uint8_t> pixels, int width, int height) {
    Bitmap image;
    if (!image.SetBits(width, height, pixels, false))
        return false;
    const std::size_t bytes = static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
    m_source.assign(pixels.begin(), pixels.begin() + static_cast<std::ptrdiff_t>(bytes));
    m_width = width;
    m_height = height;
    m_image = std::move(image);
    m_tileMethod = TileMethod::None;
    emit contentsChanged();
    return true;
}

bool TextureMapDocument::ApplyTileMethod(TileMethod method) {
    Bitmap image;
    switch (method) {
    case TileMethod::None:
        if (!image.SetBits(m_width, m_height, m_source, false))
            return false;
        break;
    case TileMethod::EdgeFade:
        if (!image.SetBits(m_width, m_height, EdgeFade(m_source, m_width, m_height), false))
            return false;
        break;
    case TileMethod::Mirror:
        // Refused (image left as it was) only when twice the size is too large to hold.
        if (!image.SetBits(2 * m_width, 2 * m_height, Mirror(m_source, m_width, m_height), false))
            return false;
        break;
    }
    m_image = std::move(image);
    m_tileMethod = method;
    SetModifiedFlag(true);
    emit contentsChanged();
    return true;
}

FileResult TextureMapDocument::Load(const QString& path) {
    Bitmap image;
    const BmpReadResult read = image.ReadBMP(QFile::encodeName(path).toStdString());
    if (!read) {
        m_loadErrorCaption = QString::fromStdString(read.Caption());
        return {false, QString::fromStdString(read.Message())};
    }
    m_loadErrorCaption.clear();

    const int width = image.Width();
    const int height = image.Height();
    m_source.assign(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3, 0);
    image.CopyBitsTo(m_source);
    m_width = width;
    m_height = height;
    m_image = std::move(image);
    m_tileMethod = TileMethod::None;
    SetModifiedFlag(false);
    emit contentsChanged();
    return {};
}

FileResult TextureMapDocument::Store(const QString& path) {
    const std::vector<std::uint8_t> bmp = m_image.ToBMP();
    return WriteFileAtomically(path, QByteArray(reinterpret_cast<const char*>(bmp.data()),
                                                static_cast<qsizetype>(bmp.size())));
}
