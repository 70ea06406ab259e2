#include "ui/catalog/thumbnaildiskcache.h"

#include "core/model/texture.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <algorithm>
#include <utility>

namespace {

QString FolderName(int size) {
    return size > ThumbnailDiskCache::kLarge ? QStringLiteral("x-large") : QStringLiteral("large");
}

QFileInfoList Pictures(const QString& folder) {
    QFileInfoList pictures;
    for (int size : {ThumbnailDiskCache::kLarge, ThumbnailDiskCache::kExtraLarge})
        pictures += QDir(folder + QStringLiteral("/thumbnails/") + FolderName(size))
                        .entryInfoList({QStringLiteral("*.png")}, QDir::Files);
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
    QFile file(PathOf(key, size));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    file.setFileTime(QDateTime::currentDateTime(), QFileDevice::FileModificationTime);
    return QImage::fromData(bytes, "PNG");
}

bool ThumbnailDiskCache::Store(const QString& key, int size, const QImage& picture) {
    const QString path = PathOf(key, size);
    if (picture.isNull() || !QDir().mkpath(QFileInfo(path).path()))
        return false;
    if (!m_stored)
        m_stored = Bytes();
    const qint64 replaced = QFileInfo(path).size(); // 0 when there was none
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
    for (const QFileInfo& picture : Pictures(m_folder))
        bytes += picture.size();
    return bytes;
}

void ThumbnailDiskCache::Trim() {
    QFileInfoList pictures = Pictures(m_folder);
    qint64 bytes = 0;
    for (const QFileInfo& picture : pictures)
        bytes += picture.size();
    m_stored = bytes;
    if (bytes <= m_limit)
        return;
    std::sort(pictures.begin(), pictures.end(), [](const QFileInfo& a, const QFileInfo& b) {
        return a.lastModified() < b.lastModified();
    });
    for (const QFileInfo& picture : pictures) {
        if (bytes <= m_limit)
            break;
        if (QFile::remove(picture.filePath()))
            bytes -= picture.size();
    }
    m_stored = bytes;
}
