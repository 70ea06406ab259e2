#include "render/files/colormapfileio.h"

#include "core/catalog/documentmessages.h"
#include "core/model/colormapfile.h"

#include <span>

namespace {

constexpr const char* kPastEnd = "An attempt was made to access %1 past its end.";
constexpr const char* kBadCount =
    "%1 is not a valid color map file: a color map holds 1 to 20 colors.";
constexpr const char* kNotAscending =
    "%1 is not a valid color map file: its positions are not in ascending order.";
constexpr const char* kOutOfRange =
    "%1 is not a valid color map file: its positions lie outside 0 to 1.";
constexpr const char* kTrailing =
    "%1 is not a valid color map file: it goes on after its last color.";
constexpr const char* kWriteFailed = "Failed to save %1.";
constexpr qint64 kReadLimit = 64 * 1024;

QString FaultMessage(ColorMapFile::Fault fault, const QString& path) {
    switch (fault) {
    case ColorMapFile::Fault::BadCount:
        return QString::fromUtf8(kBadCount).arg(path);
    case ColorMapFile::Fault::NotAscending:
        return QString::fromUtf8(kNotAscending).arg(path);
    case ColorMapFile::Fault::TrailingData:
        return QString::fromUtf8(kTrailing).arg(path);
    case ColorMapFile::Fault::OutOfRange:
        return QString::fromUtf8(kOutOfRange).arg(path);
    default:
        return QString::fromUtf8(kPastEnd).arg(path);
    }
}

} // namespace

FileResult LoadColorMapFile(const QString& path, ColorMap& map) {
    FileResult result;
    // A colour map file is 161 bytes at most; anything much larger is no colour map.
    const auto bytes =
        ReadWholeFile(path, &result, QString::fromUtf8(DocumentMessages::FailedToOpen), kReadLimit);
    if (!bytes)
        return result;
    ColorMapFile::Fault fault = ColorMapFile::Fault::None;
    const auto read =
        ColorMapFile::Read(std::span(reinterpret_cast<const std::uint8_t*>(bytes->constData()),
                                     static_cast<std::size_t>(bytes->size())),
                           &fault);
    if (!read)
        return FileResult{false, FaultMessage(fault, path)};
    map = *read;
    return result;
}

FileResult SaveColorMapFile(const QString& path, const ColorMap& map) {
    const std::vector<std::uint8_t> bytes = ColorMapFile::Write(map);
    return WriteFileAtomically(path,
                               QByteArray(reinterpret_cast<const char*>(bytes.data()),
                                          static_cast<qsizetype>(bytes.size())),
                               QString::fromUtf8(kWriteFailed));
}
