#include "render/files/fileio.h"

#include "core/archive/archive.h"
#include "core/catalog/documentmessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <limits>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr const char* kNotRegular =
    "%1 is not a regular file (it is a pipe or a device); it was left as it is.";
constexpr const char* kNotRegularToRead = "%1 is not a regular file (it is a pipe or a device).";
constexpr const char* kTooLarge =
    "%1 is too large to read: it holds %2, and files of its kind are read up to %3.";
constexpr const char* kIsFolder = "%1 is a folder, not a file.";
constexpr const char* kChangedOnDisk =
    "%1 was changed on disk by another program since it was read; it was not overwritten.";
constexpr const char* kCouldNotWrite = "%1 could not be written: %2.";
constexpr const char* kCouldNotRead = "%1 could not be read: %2.";
constexpr const char* kFolderNotWritable = "The folder %1 cannot be written: %2.";
constexpr const char* kCannotSaveInFolder =
    "%1 cannot be saved: the folder %2 cannot be written (%3).";
constexpr int kMaxLinkHops = 40;
constexpr std::size_t kReadBlock = std::size_t{1} << 20;

QString WithFileName(const QString& message, const QString& path) {
    return message.contains(QLatin1String("%1")) ? QString(message).arg(path) : message;
}

/// A size in words: "972 MB", "40 KB", "17 bytes".
QString SizeText(qint64 bytes) {
    if (bytes >= (qint64{1} << 20))
        return QStringLiteral("%1 MB").arg((bytes + (1 << 20) - 1) >> 20);
    if (bytes >= 1024)
        return QStringLiteral("%1 KB").arg((bytes + 1023) >> 10);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString TooLarge(const QString& path, qint64 size, qint64 limit) {
    return QString::fromUtf8(kTooLarge).arg(path, SizeText(size), SizeText(limit));
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

/// The standard message for a refused access or a missing file, or nothing for other errors.
std::optional<QString> StandardMessage(const QString& path, int error) {
    if (error == EACCES || error == EPERM)
        return QString::fromUtf8(DocumentMessages::AccessDenied).arg(path);
    if (error == ENOENT || error == ENOTDIR)
        return QString::fromUtf8(DocumentMessages::FileNotFound).arg(path);
    return std::nullopt;
}

/// Why a write of `path` failed, naming the file and the reason: `otherwise` (with %1 filled in)
/// first when given.
QString WriteFailure(const QString& path, const QString& reason, const QString& otherwise) {
    QString detail = QString::fromUtf8(kCouldNotWrite).arg(path, reason);
    if (otherwise.isEmpty())
        return detail;
    if (otherwise.contains(QLatin1String("%1")))
        return QString(otherwise).arg(path) + QLatin1Char('\n') + reason + QLatin1Char('.');
    return otherwise + QLatin1Char('\n') + detail;
}

/// The same for a system error: the standard messages for a missing folder and a refused access.
QString WriteFailure(const QString& path, int error, const QString& otherwise) {
    if (auto standard = StandardMessage(path, error))
        return *standard;
    return WriteFailure(path, Reason(error), otherwise);
}

/// Why `path` could not be opened for reading, naming it.
QString ReadFailure(const QString& path, int error, const QString& otherwise) {
    if (auto standard = StandardMessage(path, error))
        return *standard;
    const QString detail = QString::fromUtf8(kCouldNotRead).arg(path, Reason(error));
    return otherwise.isEmpty() ? detail
                               : WithFileName(otherwise, path) + QLatin1Char('\n') + detail;
}

/// A failure while the new contents were produced or written.
struct WriteFailed {
    QString reason;
};
struct ReadFailed {
    QString message;
};

/// Hands the archive's blocks straight to the new file, each write checked, and checksums them
/// for the stamp of the new file.
class SaveFileSink : public ArchiveSink {
public:
    explicit SaveFileSink(QSaveFile& file) : m_file(file) {}
    void Write(const std::uint8_t* data, std::size_t size) override {
        const auto length = static_cast<qint64>(size);
        if (m_file.write(reinterpret_cast<const char*>(data), length) != length)
            // A short write without an error is a disk that took what it had room for.
            throw WriteFailed{m_file.error() == QFileDevice::NoError ? Reason(ENOSPC)
                                                                     : m_file.errorString()};
        m_hash.Add(data, size);
    }
    QByteArray Hash() const { return m_hash.Result(); }

private:
    QSaveFile& m_file;
    ContentChecksum m_hash;
};

/// Why no new file could be made beside `target`: a folder that takes no new file is named as
/// such, since the file itself may well be writable.
QString NewFileFailure(const QString& path, const QString& target, const QSaveFile& file,
                       const QString& otherwise) {
    const QString folder = QFileInfo(target).absolutePath();
    if (::access(Native(folder).constData(), W_OK | X_OK) != 0) {
        const int error = errno;
        if (error == EACCES || error == EPERM || error == EROFS)
            return QString::fromUtf8(kCannotSaveInFolder).arg(path, folder, Reason(error));
        return WriteFailure(path, error, otherwise);
    }
    return WriteFailure(path, file.errorString(), otherwise);
}

void SyncFolder(const QString& folder) {
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: the file itself is already on the disk
    ::close(fd);
}

/// Where the contents really go: the file at the end of a chain of symbolic links, also when
/// it does not exist yet, so the links stay. Empty for a loop of links.
QString ResolvedTarget(const QString& path) {
    QString current = QFileInfo(path).absoluteFilePath();
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        const QFileInfo info(current);
        if (!info.isSymLink())
            return current;
        const QString target = info.symLinkTarget();
        if (target.isEmpty())
            return current;
        current = target;
    }
    return {};
}

/// What the write road refuses to replace, checked before anything is written. `existing`
/// receives the file's state when there is one.
std::optional<FileResult> Refusal(const QString& path, const QString& target, bool& exists,
                                  struct stat& existing) {
    if (target.isEmpty())
        return FileResult{false, QString::fromUtf8(kCouldNotWrite).arg(path, Reason(ELOOP))};
    exists = ::stat(Native(target).constData(), &existing) == 0;
    if (!exists)
        return std::nullopt;
    if (S_ISDIR(existing.st_mode))
        return FileResult{false, QString::fromUtf8(kIsFolder).arg(path)};
    if (!S_ISREG(existing.st_mode))
        return FileResult{false, QString::fromUtf8(kNotRegular).arg(path)};
    // The bits say whether the file may be changed, also to a user (root) the system would let
    // through; a renamed-in copy would otherwise replace it all the same.
    if ((existing.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0)
        return FileResult{false, QString::fromUtf8(DocumentMessages::ReadOnly).arg(path)};
    if (::access(Native(target).constData(), W_OK) != 0 && (errno == EACCES || errno == EPERM))
        return FileResult{false, QString::fromUtf8(DocumentMessages::AccessDenied).arg(path)};
    return std::nullopt;
}

/// The stamp of a file in the state `info` describes, holding contents with this hash.
FileStamp StampFrom(const struct stat& info, const QByteArray& hash) {
    return {true,
            static_cast<quint64>(info.st_dev),
            static_cast<quint64>(info.st_ino),
            static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 +
                static_cast<qint64>(info.st_mtim.tv_nsec),
            hash};
}

FileStamp StampOfWritten(const QString& target, const QByteArray& hash) {
    struct stat info {};
    if (::stat(Native(target).constData(), &info) != 0)
        return {};
    return StampFrom(info, hash);
}

/// The file a write replaces and the new file that takes its contents: QSaveFile keeps it apart
/// (unnamed where the system allows) until commit() puts it in the old one's place, with the old
/// one's permissions, and discards it otherwise.
struct Replacement {
    QString target;
    bool exists = false;
    struct stat existing {};
    QSaveFile file;
};

/// Passes the refusals and opens the new file, or says why the file cannot be written.
FileResult BeginReplacement(const QString& path, const QString& otherwise, Replacement& into) {
    into.target = ResolvedTarget(path);
    if (auto refused = Refusal(path, into.target, into.exists, into.existing))
        return *refused;
    into.file.setFileName(into.target);
    if (!into.file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return {false, NewFileFailure(path, into.target, into.file, otherwise)};
    return {};
}

FileResult WriteThrough(const QString& path, const std::function<void(ArchiveSink&)>& write,
                        const QString& otherwise, const WriteOptions& options) {
    Replacement replacement;
    if (FileResult begun = BeginReplacement(path, otherwise, replacement); !begun)
        return begun;
    QSaveFile& file = replacement.file;
    // A shared file stays its owner's and in its group, where the system allows it.
    if (replacement.exists &&
        ::fchown(file.handle(), replacement.existing.st_uid, replacement.existing.st_gid) != 0) {
        // Only the owner's own files can be given away; the file then becomes the writer's.
    }

    SaveFileSink sink(file);
    try {
        write(sink);
    } catch (const WriteFailed& failed) {
        return {false, WriteFailure(path, failed.reason, otherwise)};
    } catch (const ReadFailed& failed) {
        return {false, failed.message};
    } catch (const ArchiveException& failed) {
        const QString detail =
            QString::fromUtf8(kCouldNotWrite).arg(path, QString::fromUtf8(failed.what()));
        return {false, otherwise.isEmpty()
                           ? detail
                           : WithFileName(otherwise, path) + QLatin1Char('\n') + detail};
    }
    // A full disk often shows only here, when the last blocks reach it. commit() waits for the
    // disk as well, but does not tell when that fails.
    if (options.sync && ::fdatasync(file.handle()) != 0)
        return {false, WriteFailure(path, errno, otherwise)};
    if (options.unchangedSince && ChangedSince(replacement.target, *options.unchangedSince))
        return {false, QString::fromUtf8(kChangedOnDisk).arg(path)};
    if (!file.commit())
        return {false, WriteFailure(path, file.errorString(), otherwise)};
    // The rename itself reaches the disk with the folder.
    if (options.sync)
        SyncFolder(QFileInfo(replacement.target).absolutePath());
    return {true, {}, StampOfWritten(replacement.target, sink.Hash())};
}

} // namespace

// ---- reading ---------------------------------------------------------------------------------

ReadableFile::ReadableFile(QString path, int fd, qint64 size)
    : m_path(std::move(path)), m_fd(fd), m_size(size) {}

ReadableFile::~ReadableFile() {
    ::close(m_fd);
}

std::unique_ptr<ReadableFile> ReadableFile::Open(const QString& path, qint64 limit,
                                                 FileResult& error, const QString& otherwise) {
    // Not blocking: opening a pipe would otherwise wait for a writer that may never come.
    const int fd = ::open(Native(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = {false, ReadFailure(path, errno, otherwise)};
        return nullptr;
    }
    struct stat info {};
    QString refusal;
    if (::fstat(fd, &info) != 0)
        refusal = ReadFailure(path, errno, otherwise);
    else if (S_ISDIR(info.st_mode))
        refusal = QString::fromUtf8(kIsFolder).arg(path);
    else if (!S_ISREG(info.st_mode))
        refusal = QString::fromUtf8(kNotRegularToRead).arg(path);
    else if (info.st_size > limit)
        refusal = TooLarge(path, info.st_size, limit);
    if (!refusal.isEmpty()) {
        ::close(fd);
        error = {false, refusal};
        return nullptr;
    }
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    auto file = std::unique_ptr<ReadableFile>(new ReadableFile(path, fd, info.st_size));
    file->m_stamp = StampFrom(info, {});
    file->m_stamp.size = 0; // counted as the bytes are read
    return file;
}

std::size_t ReadableFile::Read(std::uint8_t* data, std::size_t size) {
    if (m_error != 0)
        return 0;
    for (;;) {
        const ssize_t read = ::read(m_fd, data, size);
        if (read < 0 && errno == EINTR)
            continue;
        if (read < 0) {
            m_error = errno;
            return 0;
        }
        m_hash.Add(data, static_cast<std::size_t>(read));
        m_stamp.size += read;
        return static_cast<std::size_t>(read);
    }
}

bool ReadableFile::ReadExactly(std::uint8_t* data, std::size_t size) {
    while (size > 0) {
        const std::size_t read = Read(data, size);
        if (read == 0)
            return false;
        data += read;
        size -= read;
    }
    return true;
}

bool ReadableFile::Rewind() {
    if (::lseek(m_fd, 0, SEEK_SET) != 0) {
        m_error = errno;
        return false;
    }
    m_hash.Reset();
    m_stamp.size = 0;
    return true;
}

QString ReadableFile::FailureMessage() const {
    return QString::fromUtf8(kCouldNotRead).arg(m_path, Reason(m_error));
}

FileStamp ReadableFile::Finish() {
    std::vector<std::uint8_t> block(kReadBlock);
    while (Read(block.data(), block.size()) > 0) {
    }
    m_stamp.hash = m_hash.Result();
    return m_stamp;
}

FileStamp StampOf(const QString& path) {
    FileResult error;
    if (auto file = ReadableFile::Open(path, std::numeric_limits<qint64>::max(), error))
        return file->Finish();
    // Something stands there that cannot be read: it exists, but matches no stamp of a read.
    struct stat info {};
    if (::stat(Native(path).constData(), &info) != 0)
        return {};
    return StampFrom(info, {});
}

bool ChangedSince(const QString& path, const FileStamp& stamp) {
    struct stat info {};
    const bool exists = ::stat(Native(path).constData(), &info) == 0;
    if (exists != stamp.exists)
        return true;
    if (!exists)
        return false;
    if (static_cast<qint64>(info.st_size) != stamp.size)
        return true; // no need to read it
    const FileStamp now = StampOf(path);
    return now.size != stamp.size || now.hash.isEmpty() || now.hash != stamp.hash;
}

bool LooksUnchangedSince(const QString& path, const FileStamp& stamp) {
    struct stat info {};
    if (::stat(Native(path).constData(), &info) != 0)
        return !stamp.exists;
    const FileStamp now = StampFrom(info, stamp.hash);
    return now == stamp;
}

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

QString FolderWriteProblem(const QString& folder) {
    if (!QDir().mkpath(folder)) {
        // mkpath gives no reason; the deepest existing folder tells it.
        QString existing = QFileInfo(folder).absoluteFilePath();
        while (!QFileInfo::exists(existing) && existing != QFileInfo(existing).absolutePath())
            existing = QFileInfo(existing).absolutePath();
        const int error = ::access(Native(existing).constData(), W_OK) == 0 ? ENOTDIR : errno;
        return QString::fromUtf8(kFolderNotWritable).arg(folder, Reason(error));
    }
    if (::access(Native(folder).constData(), W_OK | X_OK) != 0)
        return QString::fromUtf8(kFolderNotWritable).arg(folder, Reason(errno));
    return {};
}

std::optional<QByteArray> ReadWholeFile(const QString& path, FileResult* error,
                                        const QString& otherwise, qint64 limit) {
    FileResult result;
    const auto file = ReadableFile::Open(path, limit, result, otherwise);
    if (file) {
        QByteArray bytes;
        bytes.reserve(static_cast<qsizetype>(file->Size()));
        std::vector<std::uint8_t> block(kReadBlock);
        for (std::size_t read; (read = file->Read(block.data(), block.size())) > 0;) {
            bytes.append(reinterpret_cast<const char*>(block.data()), static_cast<qsizetype>(read));
            if (bytes.size() > limit) { // it grew while being read
                result = {false, TooLarge(path, bytes.size(), limit)};
                break;
            }
        }
        if (file->Failed())
            result = {false, file->FailureMessage()};
        if (result) {
            if (error)
                error->stamp = file->Finish();
            return bytes;
        }
    }
    if (error)
        *error = result;
    return std::nullopt;
}

FileResult WriteFileAtomically(const QString& path, const std::function<void(ArchiveSink&)>& write,
                               const QString& otherwise, const WriteOptions& options) {
    return WriteThrough(path, write, otherwise, options);
}

FileResult WriteFileAtomically(const QString& path, const QByteArray& bytes,
                               const QString& otherwise, const WriteOptions& options) {
    return WriteThrough(
        path,
        [&](ArchiveSink& sink) {
            sink.Write(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()));
        },
        otherwise, options);
}

FileResult CheckWritable(const QString& path) {
    // The new file is discarded unwritten when the replacement goes.
    Replacement replacement;
    return BeginReplacement(path, QString(), replacement);
}

FileResult AppendToFile(const QString& path, const QByteArray& bytes, const QString& otherwise,
                        const WriteOptions& options) {
    const QString source = ResolvedTarget(path);
    return WriteThrough(
        path,
        [&](ArchiveSink& sink) {
            FileResult failure;
            const auto file =
                ReadableFile::Open(source, std::numeric_limits<qint64>::max(), failure);
            if (!file && QFileInfo::exists(source))
                throw ReadFailed{failure.message};
            if (file) {
                std::vector<std::uint8_t> block(kReadBlock);
                for (std::size_t read; (read = file->Read(block.data(), block.size())) > 0;)
                    sink.Write(block.data(), read);
                if (file->Failed())
                    throw ReadFailed{file->FailureMessage()};
            }
            sink.Write(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()));
        },
        otherwise, options);
}
