#include "ui/texmap/texturemapdocument.h"

#include "core/bitmap/pngimage.h"
#include "core/catalog/documentmessages.h"
#include "core/texmap/tiling.h"
#include "core/text/portablefilename.h"
#include "paint/bitmapimage.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <algorithm>

TextureMapDocument::TextureMapDocument(DocumentTemplate& kind, QObject* parent)
    : Document(kind, parent) {}

namespace {

/// The largest file opened as a texture map. A BMP file's header tells its picture's size, so
/// only the rows of a picture that may be opened are ever read; PNG files are read whole, up to
/// the whole-read limit.
constexpr qint64 kMaxMapFileBytes = qint64{2} << 30;
constexpr std::size_t kPngSignatureSize = 8;

} // namespace

bool TextureMapDocument::SetImage(std::span<const std::uint8_t> pixels, int width, int height) {
    Bitmap image;
    if (!image.SetBits(width, height, pixels, false))
        return false;
    TakeSourceImage(std::move(image));
    emit contentsChanged();
    return true;
}

void TextureMapDocument::TakeSourceImage(Bitmap image) {
    // The source is the shown picture itself until a tile method makes another one from it.
    m_source.clear();
    m_source.shrink_to_fit();
    m_width = image.Width();
    m_height = image.Height();
    m_image = std::move(image);
    m_tileMethod = TileMethod::None;
}

std::vector<std::uint8_t> TextureMapDocument::SourcePixels() const {
    if (m_tileMethod != TileMethod::None || !m_source.empty())
        return m_source;
    std::vector<std::uint8_t> packed(static_cast<std::size_t>(m_width) *
                                     static_cast<std::size_t>(m_height) * 3);
    m_image.CopyBitsTo(packed);
    return packed;
}

bool TextureMapDocument::ApplyTileMethod(TileMethod method) {
    if (m_source.empty())
        m_source = SourcePixels();
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
    if (method == TileMethod::None) {
        m_source.clear();
        m_source.shrink_to_fit();
    }
    SetModifiedFlag(true);
    emit contentsChanged();
    return true;
}

FileResult TextureMapDocument::Load(const QString& path) {
    // Only through the checked road: a pipe or a device is refused before it can hang the
    // program, and a file larger than any picture that can be opened is not read.
    FileResult opened;
    const auto file = ReadableFile::Open(path, kMaxMapFileBytes, opened);
    if (!file) {
        m_loadErrorCaption =
            QString::fromStdString(BmpReadResult{BmpReadResult::CannotOpen}.Caption());
        return {false, QString::fromStdString(BmpReadResult{BmpReadResult::CannotOpen}.Message()) +
                           QLatin1Char('\n') + opened.message};
    }
    std::vector<std::uint8_t> signature(kPngSignatureSize);
    const bool png =
        file->ReadExactly(signature.data(), signature.size()) && HasPngSignature(signature);
    if (!file->Rewind())
        return Refused(QStringLiteral("IO Error"), file->FailureMessage());
    if (png)
        return LoadPng(*file);

    Bitmap image;
    const BmpReadResult read = image.ReadBMP(*file);
    if (file->Failed())
        return Refused(QStringLiteral("IO Error"), file->FailureMessage());
    if (!read) {
        const QString message = QString::fromStdString(read.Message());
        return Refused(QString::fromStdString(read.Caption()),
                       read.status == BmpReadResult::TooLarge
                           ? QStringLiteral("%1: %2").arg(path, message)
                           : message);
    }
    m_loadErrorCaption.clear();
    TakeSourceImage(std::move(image));
    SetModifiedFlag(false);
    emit contentsChanged();
    return {true, {}, file->Finish()};
}

FileResult TextureMapDocument::Refused(const QString& caption, const QString& message) {
    m_loadErrorCaption = caption;
    return {false, message};
}

FileResult TextureMapDocument::LoadPng(ReadableFile& file) {
    const QString name = QFileInfo(file.Path()).fileName();
    if (static_cast<qint64>(file.Size()) > kWholeReadLimit)
        return Refused(QStringLiteral("File Format Error"),
                       QStringLiteral("%1 is too large to open as a texture map.").arg(name));
    std::vector<std::uint8_t> data(file.Size());
    if (!file.ReadExactly(data.data(), data.size()))
        return Refused(QStringLiteral("IO Error"), file.FailureMessage());
    DecodedImage decoded;
    if (DecodePngImage(data, decoded) != ImageDecodeStatus::Ok)
        return Refused(
            QStringLiteral("File Format Error"),
            QStringLiteral("%1 is not a PNG picture that can be opened as a texture map.")
                .arg(name));
    data = {};
    Bitmap image;
    if (!image.SetBits(decoded.width, decoded.height, decoded.rows, false))
        return Refused(QStringLiteral("File Format Error"),
                       QStringLiteral("%1 is too large to open as a texture map.").arg(name));
    m_loadErrorCaption.clear();
    TakeSourceImage(std::move(image));
    SetModifiedFlag(false);
    emit contentsChanged();
    return {true, {}, file.Finish()};
}

QString TextureMapDocument::ProposedFileName() const {
    return QString::fromStdString(PortableFileName(Title().toStdString(), "Texture_Map"));
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
