#include "render/files/catalogfile.h"

#include "core/catalog/documentmessages.h"
#include "core/archive/archive.h"
#include "core/catalog/catalog.h"

#include <QFile>
#include <QFileInfo>

namespace {

/// Feeds a loading archive from an open file, so a catalog is read straight into its textures.
class FileSource : public ArchiveSource {
public:
    explicit FileSource(QFile& file) : m_file(file), m_size(static_cast<std::size_t>(file.size())) {}
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

FileResult OpenCatalogFile(const QString& path, Catalog& catalog) {
    const QString failed = QString::fromUtf8(DocumentMessages::FailedToOpen);
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return {false, FileErrorMessage(path, false, failed)};
    FileSource source(file);
    const auto error = catalog.Load(source);
    if (source.Failed())
        return {false, failed}; // a read error is not the file's format
    if (error)
        return {false, QString::fromUtf8(DocumentMessages::UnexpectedFileFormat)};
    return {};
}

FileResult SaveCatalogFile(const QString& path, Catalog& catalog) {
    const QString failed = QString::fromUtf8(DocumentMessages::FailedToSave);
    FileResult result = WriteFileAtomically(path, [&](ArchiveSink& sink) { catalog.Save(sink); }, failed);
    if (result)
        catalog.SetModifiedFlag(false);
    return result;
}
