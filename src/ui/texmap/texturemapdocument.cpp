#include "ui/texmap/texturemapdocument.h"

#include "core/bitmap/pngimage.h"
#include "core/catalog/documentmessages.h"
#include "core/texmap/tiling.h"
#include "paint/bitmapimage.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <algorithm>

TextureMapDocument::TextureMapDocument(DocumentTemplate& kind, QObject* parent)
    : Document(kind, parent) {}

bool TextureMapDocument::SetImage(std::span<const std::uint8_t> pixels, int width, int height) {
    Bitmap image;
    if (!image.SetBits(width, height, pixels, false))
        return false;
    const std::size_t bytes =
        static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3;
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
    FileResult error;
    const auto bytes = ReadWholeFile(path, &error);
    if (bytes) {
        const auto data = std::span(reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                                    static_cast<std::size_t>(bytes->size()));
        if (HasPngSignature(data))
            return LoadPng(path, data);
    }
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

FileResult TextureMapDocument::LoadPng(const QString& path, std::span<const std::uint8_t> data) {
    DecodedImage decoded;
    if (DecodePngImage(data, decoded) != ImageDecodeStatus::Ok) {
        m_loadErrorCaption = QStringLiteral("File Format Error");
        return {false,
                QStringLiteral("%1 is not a PNG picture that can be opened as a texture map.")
                    .arg(QFileInfo(path).fileName())};
    }
    Bitmap image;
    if (!image.SetBits(decoded.width, decoded.height, decoded.rows, false)) {
        m_loadErrorCaption = QStringLiteral("File Format Error");
        return {false, QStringLiteral("%1 is too large to open as a texture map.")
                           .arg(QFileInfo(path).fileName())};
    }
    m_loadErrorCaption.clear();
    m_source = std::move(decoded.rows);
    m_width = decoded.width;
    m_height = decoded.height;
    m_image = std::move(image);
    m_tileMethod = TileMethod::None;
    SetModifiedFlag(false);
    emit contentsChanged();
    return {};
}

bool TextureMapDocument::IsPngName(const QString& path) {
    return path.endsWith(QStringLiteral(".png"), Qt::CaseInsensitive);
}

FileResult TextureMapDocument::Store(const QString& path) {
    if (IsPngName(path)) {
        // A 24-bit PNG of the picture as shown, written the same atomic way as a BMP.
        QByteArray png;
        QBuffer buffer(&png);
        buffer.open(QIODevice::WriteOnly);
        if (!BitmapToImage(m_image).convertToFormat(QImage::Format_RGB888).save(&buffer, "PNG"))
            return {false, QString::fromUtf8(DocumentMessages::FailedToSave)};
        return WriteFileAtomically(path, png);
    }
    const std::vector<std::uint8_t> bmp = m_image.ToBMP();
    return WriteFileAtomically(path, QByteArray(reinterpret_cast<const char*>(bmp.data()),
                                                static_cast<qsizetype>(bmp.size())));
}
