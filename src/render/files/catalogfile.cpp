#include "render/files/catalogfile.h"

#include "core/archive/archive.h"
#include "core/catalog/catalog.h"
#include "core/catalog/documentmessages.h"

#include <QFile>
#include <QFileInfo>
#include <sys/stat.h>

namespace {

/// Feeds a loading archive from an open file, so a catalog is read straight into its textures.
class FileSource : public ArchiveSource {
public:
    explicit FileSource(QFile& file)
        : m_file(file), m_size(static_cast<std::size_t>(file.size())) {}
    std::size_t Size() const override { return m_size; }
    std::size_t Read(std::uint8_t* data, std::size_t size) override {
        const qint64 read = m_file.read(reinterpret_cast<char*>(data), static_cast<qint64>(size));
        if (read < 0)
            m_failed = true;
        return read > 0 ? static_cast<std::size_t>(read) : 0;
    }
    bool Failed() const { return m_failed; }

private:
    QFile& m_file;
    std::size_t m_size;
    bool m_failed = false;
};

} // namespace

QString ArchiveErrorReason(ArchiveError error) {
    switch (error) {
    case ArchiveError::EndOfData:
        return QStringLiteral("the file ends in the middle of a value (it is cut short)");
    case ArchiveError::BadIndex:
        return QStringLiteral("it refers to an object that comes nowhere before");
    case ArchiveError::BadClass:
        return QStringLiteral("it names a kind of object this program does not know");
    case ArchiveError::BadSchema:
        return QStringLiteral("it holds an object in a version this program does not know");
    case ArchiveError::UnexpectedObject:
        return QStringLiteral("it holds something other than a texture in the list");
    case ArchiveError::BadValue:
        return QStringLiteral("it holds a value out of range");
    case ArchiveError::TooLarge:
        return QStringLiteral("it holds a value too large for the file");
    }
    return {};
}

FileResult OpenCatalogFile(const QString& path, Catalog& catalog, std::size_t* unread) {
    const QString failed = QString::fromUtf8(DocumentMessages::FailedToOpen);
    // Only a regular file is opened: a pipe or a device would block the program or never end.
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) == 0 && !S_ISREG(info.st_mode) &&
        !S_ISDIR(info.st_mode))
        return {false,
                QStringLiteral("%1 is not a regular file (it is a pipe or a device).").arg(path)};
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {false, FileErrorMessage(path, false, failed)};
    FileSource source(file);
    const auto error = catalog.Load(source, unread);
    if (source.Failed())
        return {false,
                failed + QLatin1Char('\n') +
                    QStringLiteral("%1 could not be read: %2.").arg(path, file.errorString())};
    if (error)
        return {false, QString::fromUtf8(DocumentMessages::UnexpectedFileFormat) +
                           QLatin1Char('\n') +
                           QStringLiteral("%1: %2.").arg(path, ArchiveErrorReason(*error))};
    return {};
}

FileResult SaveCatalogFile(const QString& path, Catalog& catalog, const WriteOptions& options) {
    const QString failed = QString::fromUtf8(DocumentMessages::FailedToSave);
    FileResult result = WriteFileAtomically(
        path, [&](ArchiveSink& sink) { catalog.Save(sink); }, failed, options);
    if (result)
        catalog.SetModifiedFlag(false);
    return result;
}
