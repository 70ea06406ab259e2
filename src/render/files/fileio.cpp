#include "render/files/fileio.h"

#include "core/archive/archive.h"
#include "core/catalog/documentmessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace {

QString WithFileName(const QString& message, const QString& path) {
    return message.contains(QLatin1String("%1")) ? QString(message).arg(path) : message;
}

} // namespace

QString FileErrorMessage(const QString& path, bool forWriting, const QString& otherwise) {
    const QFileInfo info(path);
    if (!forWriting && !info.exists())
        return QString::fromUtf8(DocumentMessages::FileNotFound).arg(path);
    if (forWriting && !info.absoluteDir().exists())
        return QString::fromUtf8(DocumentMessages::FileNotFound).arg(path);
    const bool refused = info.exists() ? (forWriting ? !info.isWritable() : !info.isReadable())
                                       : !QFileInfo(info.absolutePath()).isWritable();
    if (refused)
        return QString::fromUtf8(DocumentMessages::AccessDenied).arg(path);
    return WithFileName(otherwise, path);
}

std::optional<QByteArray> ReadWholeFile(const QString& path, FileResult* error, const QString& otherwise) {
    QFile file(path);
    if (!QFileInfo(path).isDir() && file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return bytes;
    }
    if (error) {
        error->ok = false;
        error->message = FileErrorMessage(path, false, otherwise);
        if (error->message.isEmpty())
            error->message = file.errorString();
    }
    return std::nullopt;
}

namespace {

struct WriteFailed {};

class SaveFileSink : public ArchiveSink {
public:
    explicit SaveFileSink(QSaveFile& file) : m_file(file) {}
    void Write(const std::uint8_t* data, std::size_t size) override {
        const auto length = static_cast<qint64>(size);
        if (m_file.write(reinterpret_cast<const char*>(data), length) != length)
            throw WriteFailed();
    }

private:
    QSaveFile& m_file;
};

} // namespace

FileResult WriteFileAtomically(const QString& path, const std::function<void(ArchiveSink&)>& write,
                               const QString& otherwise) {
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly)) {
        try {
            SaveFileSink sink(file);
            write(sink);
            if (file.commit())
                return {};
        } catch (const WriteFailed&) {
        } catch (const ArchiveException&) {
            file.cancelWriting();
            return {false, WithFileName(otherwise, path)};
        }
    }
    file.cancelWriting();
    QString message = FileErrorMessage(path, true, otherwise);
    return {false, message.isEmpty() ? file.errorString() : message};
}

FileResult WriteFileAtomically(const QString& path, const QByteArray& bytes, const QString& otherwise) {
    return WriteFileAtomically(
        path,
        [&](ArchiveSink& sink) {
            sink.Write(reinterpret_cast<const std::uint8_t*>(bytes.constData()), static_cast<std::size_t>(bytes.size()));
        },
        otherwise);
}

FileResult AppendToFile(const QString& path, const QByteArray& bytes, const QString& otherwise) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append) && file.write(bytes) == bytes.size() &&
        file.flush())
        return {};
    QString message = FileErrorMessage(path, true, otherwise);
    return {false, message.isEmpty() ? file.errorString() : message};
}
