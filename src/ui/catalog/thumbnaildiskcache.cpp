#include "ui/catalog/thumbnaildiskcache.h"

#include "core/model/texture.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

/// A picture larger than this is none of the cache's: a 512-pixel PNG takes well under 1 MB.
constexpr qint64 kMaxPictureBytes = qint64(4) << 20;

QString FolderName(int size) {
    return size > ThumbnailDiskCache::kLarge ? QStringLiteral("x-large") : QStringLiteral("large");
}

/// Whether `name` is one the cache gives its pictures: an MD5 in hex, ".png".
bool IsOwnName(const QString& name) {
    static const QRegularExpression own(QStringLiteral("^[0-9a-f]{32}\\.png$"));
    return own.match(name).hasMatch();
}

/// A descriptor that is closed when it goes.
class Descriptor {
public:
    explicit Descriptor(int fd) : m_fd(fd) {}
    ~Descriptor() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return m_fd; }

private:
    int m_fd;
};

/// The folder of `size` pictures under `folder`, opened without following a link on the way
/// down from `folder`: a linked folder is none of the cache's. -1 when there is none.
int OpenOwnFolder(const QString& folder, int size) {
    int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (const QString& name : {QStringLiteral("thumbnails"), FolderName(size)}) {
        if (fd < 0)
            break;
        const int inner = ::openat(fd, QFile::encodeName(name).constData(),
                                   O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        ::close(fd);
        fd = inner;
    }
    return fd;
}

struct Picture {
    int size;
    QString name;
    qint64 bytes;
    qint64 usedNs; ///< the modification time
};

/// The pictures the cache wrote: regular files of its own names in its own folders.
std::vector<Picture> Pictures(const QString& folder) {
    std::vector<Picture> pictures;
    for (int size : {ThumbnailDiskCache::kLarge, ThumbnailDiskCache::kExtraLarge}) {
        const Descriptor own(OpenOwnFolder(folder, size));
        if (own.Get() < 0)
            continue;
        const QString path = folder + QStringLiteral("/thumbnails/") + FolderName(size);
        for (const QString& name : QDir(path).entryList(QDir::Files | QDir::System)) {
            struct stat info {};
            if (IsOwnName(name) &&
                ::fstatat(own.Get(), QFile::encodeName(name).constData(), &info,
                          AT_SYMLINK_NOFOLLOW) == 0 &&
                S_ISREG(info.st_mode))
                pictures.push_back(
                    {size, name, info.st_size,
                     qint64(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec});
        }
    }
    return pictures;
}

} // namespace

ThumbnailDiskCache::ThumbnailDiskCache(QString folder, qint64 limitBytes)
    : m_folder(std::move(folder)), m_limit(limitBytes) {}

QString ThumbnailDiskCache::DefaultFolder() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation) +
           QStringLiteral("/velvane");
}

int ThumbnailDiskCache::SizeFor(int pixels) {
    return pixels <= kLarge ? kLarge : kExtraLarge;
}

QString ThumbnailDiskCache::Key(const Texture& texture, QSize size) {
    QCryptographicHash hash(QCryptographicHash::Md5);
    hash.addData(QByteArray::fromStdString(texture.GetRenderSource()));
    hash.addData(QByteArrayLiteral("\nshape ") + QByteArray::number(texture.GetPreviewShape()));
    hash.addData(QByteArrayLiteral("\nsize ") + QByteArray::number(size.width()) + 'x' +
                 QByteArray::number(size.height()));
    return QString::fromLatin1(hash.result().toHex());
}

QString ThumbnailDiskCache::PathOf(const QString& key, int size) const {
    return m_folder + QStringLiteral("/thumbnails/") + FolderName(size) + QLatin1Char('/') + key +
           QStringLiteral(".png");
}

QImage ThumbnailDiskCache::Find(const QString& key, int size) const {
    const QString name = key + QStringLiteral(".png");
    if (!IsOwnName(name))
        return {};
    const Descriptor folder(OpenOwnFolder(m_folder, size));
    if (folder.Get() < 0)
        return {};
    // Never through a link, and without blocking: a pipe is opened at once and passed over.
    const Descriptor file(::openat(folder.Get(), QFile::encodeName(name).constData(),
                                   O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat info {};
    if (file.Get() < 0 || ::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode) ||
        info.st_size > kMaxPictureBytes)
        return {};
    QByteArray bytes(static_cast<qsizetype>(info.st_size) + 1, Qt::Uninitialized);
    qsizetype read = 0;
    while (read < bytes.size()) {
        const ssize_t got =
            ::read(file.Get(), bytes.data() + read, static_cast<std::size_t>(bytes.size() - read));
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            break;
        read += got;
    }
    if (read > info.st_size) // it grew since
        return {};
    bytes.truncate(read);
    const timespec times[2] = {{0, UTIME_OMIT}, {0, UTIME_NOW}};
    ::futimens(file.Get(), times);
    return QImage::fromData(bytes, "PNG");
}

bool ThumbnailDiskCache::Store(const QString& key, int size, const QImage& picture) {
    const QString path = PathOf(key, size);
    const QString name = key + QStringLiteral(".png");
    if (picture.isNull() || !IsOwnName(name) || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    // Nothing is written through a link, nor over what the cache did not write.
    const Descriptor folder(OpenOwnFolder(m_folder, size));
    struct stat info {};
    if (folder.Get() < 0)
        return false;
    const bool exists = ::fstatat(folder.Get(), QFile::encodeName(name).constData(), &info,
                                  AT_SYMLINK_NOFOLLOW) == 0;
    if (exists && !S_ISREG(info.st_mode))
        return false;
    if (!m_stored)
        m_stored = Bytes();
    const qint64 replaced = exists ? info.st_size : 0;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !picture.save(&file, "PNG") || !file.commit())
        return false;
    *m_stored += QFileInfo(path).size() - replaced;
    if (*m_stored > m_limit)
        Trim();
    return true;
}

qint64 ThumbnailDiskCache::Bytes() const {
    qint64 bytes = 0;
    for (const Picture& picture : Pictures(m_folder))
        bytes += picture.bytes;
    return bytes;
}

void ThumbnailDiskCache::Trim() {
    std::vector<Picture> pictures = Pictures(m_folder);
    qint64 bytes = 0;
    for (const Picture& picture : pictures)
        bytes += picture.bytes;
    m_stored = bytes;
    if (bytes <= m_limit)
        return;
    std::sort(pictures.begin(), pictures.end(),
              [](const Picture& a, const Picture& b) { return a.usedNs < b.usedNs; });
    const Descriptor large(OpenOwnFolder(m_folder, kLarge));
    const Descriptor extraLarge(OpenOwnFolder(m_folder, kExtraLarge));
    for (const Picture& picture : pictures) {
        if (bytes <= m_limit)
            break;
        const int folder = picture.size == kLarge ? large.Get() : extraLarge.Get();
        if (folder >= 0 && ::unlinkat(folder, QFile::encodeName(picture.name).constData(), 0) == 0)
            bytes -= picture.bytes;
    }
    m_stored = bytes;
}
