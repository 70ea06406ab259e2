#include "render/files/fileio.h"

#include "core/archive/archive.h"
#include "core/catalog/documentmessages.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kNotRegular =
    "%1 is not a regular file (it is a pipe or a device); it was left as it is.";
constexpr const char* kIsFolder = "%1 is a folder, not a file.";
constexpr const char* kChangedOnDisk =
    "%1 was changed on disk by another program since it was read; it was not overwritten.";
constexpr const char* kCouldNotWrite = "%1 could not be written: %2.";
constexpr const char* kCouldNotRead = "%1 could not be read: %2.";
constexpr const char* kFolderNotWritable = "The folder %1 cannot be written: %2.";

QString WithFileName(const QString& message, const QString& path) {
    return message.contains(QLatin1String("%1")) ? QString(message).arg(path) : message;
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

/// Why a write of `path` failed, naming the file: the standard messages for a missing folder
/// and a refused access, otherwise `otherwise` followed by the file and the system's reason.
QString WriteFailure(const QString& path, int error, const QString& otherwise) {
    if (error == EACCES || error == EPERM)
        return QString::fromUtf8(DocumentMessages::AccessDenied).arg(path);
    if (error == ENOENT || error == ENOTDIR)
        return QString::fromUtf8(DocumentMessages::FileNotFound).arg(path);
    const QString detail = QString::fromUtf8(kCouldNotWrite).arg(path, Reason(error));
    if (otherwise.isEmpty())
        return detail;
    if (otherwise.contains(QLatin1String("%1")))
        return QString(otherwise).arg(path) + QLatin1Char('\n') + Reason(error) + QLatin1Char('.');
    return otherwise + QLatin1Char('\n') + detail;
}

/// A failure while the new contents were produced or written.
struct WriteFailed {
    int error;
};
struct ReadFailed {
    QString path;
    int error;
};

bool WriteAll(int fd, const char* data, std::size_t size, int& error) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, size);
        if (written < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        if (written == 0) {
            error = ENOSPC;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

/// Hands the archive's blocks straight to the temporary file, each write checked.
class DescriptorSink : public ArchiveSink {
public:
    explicit DescriptorSink(int fd) : m_fd(fd) {}
    void Write(const std::uint8_t* data, std::size_t size) override {
        int error = 0;
        if (!WriteAll(m_fd, reinterpret_cast<const char*>(data), size, error))
            throw WriteFailed{error};
    }

private:
    int m_fd;
};

mode_t CurrentUmask() {
    static const mode_t mask = [] {
        const mode_t current = ::umask(022);
        ::umask(current);
        return current;
    }();
    return mask;
}

/// Creates a new, empty file with a name of its own beside `target`.
int CreateTemporaryBeside(const QString& target, QString& temporary, int& error) {
    const QFileInfo info(target);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary =
            info.absoluteDir().filePath(QStringLiteral(".%1.%2.tmp")
                                            .arg(info.fileName())
                                            .arg(QRandomGenerator::global()->generate64(), 0, 36));
        const int fd =
            ::open(Native(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd >= 0)
            return fd;
        if (errno != EEXIST) {
            error = errno;
            return -1;
        }
    }
    error = EEXIST;
    return -1;
}

bool CloseChecked(int fd, int& error) {
    if (::close(fd) != 0 && errno != EINTR) {
        error = errno;
        return false;
    }
    return true;
}

void SyncFolder(const QString& folder) {
    const int fd = ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd); // best effort: the file itself is already on the disk
    ::close(fd);
}

/// Where the contents really go: the file a symbolic link points to, so the link stays.
QString ResolvedTarget(const QString& path) {
    const QFileInfo info(path);
    if (info.isSymLink()) {
        const QString target = info.canonicalFilePath();
        if (!target.isEmpty())
            return target;
    }
    return info.absoluteFilePath();
}

FileResult WriteThrough(const QString& path, const std::function<void(ArchiveSink&)>& write,
                        const QString& otherwise, const WriteOptions& options) {
    const QString target = ResolvedTarget(path);
    struct stat existing {};
    const bool exists = ::stat(Native(target).constData(), &existing) == 0;
    if (exists && S_ISDIR(existing.st_mode))
        return {false, QString::fromUtf8(kIsFolder).arg(path)};
    if (exists && !S_ISREG(existing.st_mode))
        return {false, QString::fromUtf8(kNotRegular).arg(path)};

    QString temporary;
    int error = 0;
    const int fd = CreateTemporaryBeside(target, temporary, error);
    if (fd < 0)
        return {false, WriteFailure(path, error, otherwise)};

    const auto fail = [&](const QString& message) {
        ::unlink(Native(temporary).constData());
        return FileResult{false, message};
    };
    // The new file takes the old one's permissions (and owner, where allowed), or those a
    // newly created file would get.
    if (exists) {
        ::fchmod(fd, existing.st_mode & 07777);
        if (::fchown(fd, existing.st_uid, existing.st_gid) != 0) {
            // Only the owner's own files can be given away; the file then becomes the writer's.
        }
    } else {
        ::fchmod(fd, 0666 & ~CurrentUmask());
    }

    try {
        DescriptorSink sink(fd);
        write(sink);
    } catch (const WriteFailed& failed) {
        ::close(fd);
        return fail(WriteFailure(path, failed.error, otherwise));
    } catch (const ReadFailed& failed) {
        ::close(fd);
        return fail(QString::fromUtf8(kCouldNotRead).arg(failed.path, Reason(failed.error)));
    } catch (const ArchiveException& failed) {
        ::close(fd);
        const QString detail =
            QString::fromUtf8(kCouldNotWrite).arg(path, QString::fromUtf8(failed.what()));
        return fail(otherwise.isEmpty()
                        ? detail
                        : WithFileName(otherwise, path) + QLatin1Char('\n') + detail);
    }
    // A full disk often shows only here, when the last blocks reach it.
    if (options.sync && ::fdatasync(fd) != 0) {
        error = errno;
        ::close(fd);
        return fail(WriteFailure(path, error, otherwise));
    }
    if (!CloseChecked(fd, error))
        return fail(WriteFailure(path, error, otherwise));
    if (options.unchangedSince && StampOf(target) != *options.unchangedSince)
        return fail(QString::fromUtf8(kChangedOnDisk).arg(path));
    if (::rename(Native(temporary).constData(), Native(target).constData()) != 0)
        return fail(WriteFailure(path, errno, otherwise));
    if (options.sync)
        SyncFolder(QFileInfo(target).absolutePath());
    return {};
}

} // namespace

FileStamp StampOf(const QString& path) {
    struct stat info {};
    if (::stat(Native(path).constData(), &info) != 0)
        return {};
    return {true, static_cast<quint64>(info.st_dev), static_cast<quint64>(info.st_ino),
            static_cast<qint64>(info.st_size),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 +
                static_cast<qint64>(info.st_mtim.tv_nsec)};
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
                                        const QString& otherwise) {
    QFile file(path);
    struct stat info {};
    const bool regular = ::stat(Native(path).constData(), &info) == 0 && S_ISREG(info.st_mode);
    if (regular && file.open(QIODevice::ReadOnly)) {
        QByteArray bytes = file.readAll();
        if (file.error() == QFileDevice::NoError)
            return bytes;
    }
    if (error) {
        error->ok = false;
        if (QFileInfo::exists(path) && !QFileInfo(path).isDir() && !regular)
            error->message = QString::fromUtf8(kNotRegular).arg(path);
        else
            error->message = FileErrorMessage(path, false, otherwise);
        if (error->message.isEmpty())
            error->message = QString::fromUtf8(kCouldNotRead).arg(path, file.errorString());
    }
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

FileResult AppendToFile(const QString& path, const QByteArray& bytes, const QString& otherwise,
                        const WriteOptions& options) {
    const QString source = ResolvedTarget(path);
    return WriteThrough(
        path,
        [&](ArchiveSink& sink) {
            const int fd = ::open(Native(source).constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
            if (fd < 0 && errno != ENOENT)
                throw ReadFailed{path, errno};
            if (fd >= 0) {
                std::vector<std::uint8_t> block(1 << 20);
                for (;;) {
                    const ssize_t read = ::read(fd, block.data(), block.size());
                    if (read < 0 && errno == EINTR)
                        continue;
                    if (read < 0) {
                        const int error = errno;
                        ::close(fd);
                        throw ReadFailed{path, error};
                    }
                    if (read == 0)
                        break;
                    try {
                        sink.Write(block.data(), static_cast<std::size_t>(read));
                    } catch (...) {
                        ::close(fd);
                        throw;
                    }
                }
                ::close(fd);
            }
            sink.Write(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                       static_cast<std::size_t>(bytes.size()));
        },
        otherwise, options);
}
