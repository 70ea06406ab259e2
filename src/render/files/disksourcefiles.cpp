#include "render/files/disksourcefiles.h"

#include "render/files/fileio.h"

#include <QFileInfo>

namespace {

QString FromPath(const std::string& path) {
    return QString::fromStdString(path);
}

} // namespace

std::optional<std::string> DiskSourceFiles::Read(const std::string& path, std::string& error) {
    const QFileInfo info(FromPath(path));
    if (info.isFile() && static_cast<std::size_t>(info.size()) > kMaxSourceFileBytes) {
        error = path + " is larger than 64 MB, too large for a texture source file.";
        return std::nullopt;
    }
    FileResult result;
    const auto bytes = ReadWholeFile(FromPath(path), &result);
    if (!bytes) {
        error = result.message.toStdString();
        return std::nullopt;
    }
    if (static_cast<std::size_t>(bytes->size()) > kMaxSourceFileBytes) {
        error = path + " is larger than 64 MB, too large for a texture source file.";
        return std::nullopt;
    }
    return bytes->toStdString();
}

bool DiskSourceFiles::Exists(const std::string& path) {
    return QFileInfo(FromPath(path)).isFile();
}
