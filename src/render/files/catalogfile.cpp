#include "render/files/catalogfile.h"

#include "core/archive/archive.h"
#include "core/catalog/catalog.h"
#include "core/catalog/documentmessages.h"
#include "core/storedclasses.h"

namespace {
/// Catalogs are read a block at a time, so their size costs no memory; the limit only refuses
/// a file no catalog could grow to.
constexpr qint64 kCatalogReadLimit = qint64{16} << 30;
} // namespace

QString ArchiveErrorReason(const ArchiveFault& fault) {
    switch (fault.kind) {
    case ArchiveError::EndOfData:
        return QStringLiteral("the file ends in the middle of a value (it is cut short)");
    case ArchiveError::BadIndex:
        return QStringLiteral("it refers to an object that comes nowhere before");
    case ArchiveError::BadClass:
        return QStringLiteral("it names a kind of object this program does not know");
    case ArchiveError::BadSchema: {
        const QString name = QString::fromStdString(fault.className);
        const StoredClass* known = StoredClasses().Find(fault.className);
        if (name.isEmpty() || !known)
            return QStringLiteral("it holds an object in a version this program does not know");
        const QString read =
            known->oldestSchema == known->schema
                ? QStringLiteral("schema %1").arg(known->schema)
                : QStringLiteral("schemas %1 to %2").arg(known->oldestSchema).arg(known->schema);
        return QStringLiteral("it holds a %1 in a version this program does not know: schema %2, "
                              "where it reads %3")
            .arg(name)
            .arg(fault.schema)
            .arg(read);
    }
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
    FileResult result;
    const auto file = ReadableFile::Open(path, kCatalogReadLimit, result, failed);
    if (!file)
        return result;
    const auto error = catalog.Load(*file, unread);
    if (file->Failed())
        return {false, failed + QLatin1Char('\n') + file->FailureMessage()};
    if (error)
        return {false, QString::fromUtf8(DocumentMessages::UnexpectedFileFormat) +
                           QLatin1Char('\n') +
                           QStringLiteral("%1: %2.").arg(path, ArchiveErrorReason(*error))};
    result.stamp = file->Finish();
    return result;
}

FileResult SaveCatalogFile(const QString& path, Catalog& catalog, const WriteOptions& options) {
    const QString failed = QString::fromUtf8(DocumentMessages::FailedToSave);
    return WriteFileAtomically(
        path, [&](ArchiveSink& sink) { catalog.Save(sink); }, failed, options);
}
