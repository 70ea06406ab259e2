#pragma once

#include <QImage>
#include <QSize>
#include <QString>
#include <optional>

class Texture;

/// Larger thumbnails kept on disk between sessions, as PNG files in "thumbnails/large" (256
/// pixels) and "thumbnails/x-large" (512 pixels) under the cache folder, each named after the
/// MD5 of what it shows. When a write takes the files past the limit, the ones used longest ago
/// go; a file's modification time is when it was last used. The cache reads, counts and removes
/// only the regular files it names so, in its own folders: whatever else is there (other
/// pictures, links to files or folders, pipes) it passes over and leaves alone.
class ThumbnailDiskCache {
public:
    static constexpr int kLarge = 256;
    static constexpr int kExtraLarge = 512;
    static constexpr qint64 kDefaultLimit = qint64(100) << 20;

    explicit ThumbnailDiskCache(QString folder = DefaultFolder(),
                                qint64 limitBytes = kDefaultLimit);

    /// "velvane" in the user's cache folder.
    static QString DefaultFolder();
    /// The size of picture to use for `pixels` drawn: the smallest that covers them, or the
    /// largest there is.
    static int SizeFor(int pixels);
    /// The name of `texture`'s picture of `size` pixels: the same for textures that render
    /// alike, another once the texture renders otherwise.
    static QString Key(const Texture& texture, QSize size);

    QString PathOf(const QString& key, int size) const;
    /// The picture stored under `key`, null when there is none; a picture found counts as used.
    /// It reads only a regular file of a picture's size, never through a link and never waiting
    /// (a pipe is passed over).
    QImage Find(const QString& key, int size) const;
    /// Writes `picture` under `key` (an MD5 in hex, as Key gives), then trims the cache to its
    /// limit. False when it cannot, or when a link or anything but a picture stands there.
    bool Store(const QString& key, int size, const QImage& picture);
    /// The bytes of every picture stored.
    qint64 Bytes() const;

private:
    /// Removes the pictures used longest ago until the rest fit the limit.
    void Trim();

    QString m_folder;
    qint64 m_limit;
    /// The bytes stored as counted by this cache: the folder is listed once, then each write
    /// is added, and listed again only when the count passes the limit.
    std::optional<qint64> m_stored;
};
