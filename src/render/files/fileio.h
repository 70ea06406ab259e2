#pragma once

#include "core/archive/archive.h"
#include "render/files/contentchecksum.h"

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>
#include <optional>

/// Which file a path named when it was read or written, and what it held: a file replaced or
/// written since has another stamp.
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;
    QByteArray hash; ///< of the whole contents

    bool operator==(const FileStamp&) const = default;
};

/// Whole-file reads and writes with the program's file-system messages ("%1 was not found.",
/// "Access to %1 was denied.") filled in with the file name.
struct FileResult {
    bool ok = true;
    QString message; ///< what to tell the user when !ok
    /// On success, the file as it was read or written.
    FileStamp stamp = {};
    explicit operator bool() const { return ok; }
};

/// The stamp of the file `path` names now (following symbolic links), its contents hashed.
FileStamp StampOf(const QString& path);
/// Whether the file at `path` no longer holds what `stamp` recorded: it appeared, went away,
/// or its size or contents differ. The modification time alone (a file only touched) is no
/// change; a file written over with other contents of the same size and its old time is one.
bool ChangedSince(const QString& path, const FileStamp& stamp);

/// Whether the file at `path` is still the very file `stamp` recorded, untouched since: the same
/// file (device and inode), size and modification time, found without reading it. A file that
/// passes may still have been rewritten in place with its old time put back; ChangedSince tells.
bool LooksUnchangedSince(const QString& path, const FileStamp& stamp);

/// Files larger than this are not read whole.
constexpr qint64 kWholeReadLimit = qint64{256} << 20;

/// The one road by which the program reads files. Only a regular file is opened (a pipe or a
/// device is refused before it can block the program or never end), and only up to a size
/// limit; every failure is told with the file's name and the reason. Reading hashes what it
/// reads, so the file's stamp can be taken at the end.
class ReadableFile : public ArchiveSource {
public:
    /// Opens `path`, or returns null with `error` saying why. `otherwise` is the message for
    /// failures that are neither a missing file nor a refused access.
    static std::unique_ptr<ReadableFile> Open(const QString& path, qint64 limit, FileResult& error,
                                              const QString& otherwise = QString());
    ~ReadableFile() override;
    ReadableFile(const ReadableFile&) = delete;
    ReadableFile& operator=(const ReadableFile&) = delete;

    const QString& Path() const { return m_path; }
    std::size_t Size() const override { return static_cast<std::size_t>(m_size); }
    /// Reads up to `size` bytes; 0 at the end or after a read error (see Failed()).
    std::size_t Read(std::uint8_t* data, std::size_t size) override;
    /// Reads exactly `size` bytes; false when the file ends first or fails.
    bool ReadExactly(std::uint8_t* data, std::size_t size);
    /// Goes back to the first byte (what was read is read again, and hashed again).
    bool Rewind();
    bool Failed() const { return m_error != 0; }
    /// "%1 could not be read: REASON." after a read error.
    QString FailureMessage() const;
    /// Reads what is left unread and returns the stamp of the whole file.
    FileStamp Finish();

private:
    ReadableFile(QString path, int fd, qint64 size);

    QString m_path;
    int m_fd;
    qint64 m_size;
    int m_error = 0;
    ContentChecksum m_hash;
    FileStamp m_stamp;
};

/// Reads the whole file through the checked road, at most `limit` bytes. On failure `error`
/// receives the message; `otherwise` is the message for failures that are neither a missing
/// file nor a refused access. On success `error` (when given) holds the file's stamp.
std::optional<QByteArray> ReadWholeFile(const QString& path, FileResult* error,
                                        const QString& otherwise = QString(),
                                        qint64 limit = kWholeReadLimit);

/// How a file is written.
struct WriteOptions {
    /// Check that the new bytes reached the disk before they replace the old file, and wait
    /// for the folder to hold the new name. Scratch files that nobody needs after a crash can
    /// do without (QSaveFile still asks the disk for the bytes, unchecked).
    bool sync = true;
    /// Refuse to replace the file when it no longer holds what this stamp recorded (another
    /// program saved over it since it was read).
    std::optional<FileStamp> unchangedSince;
};

/// The one road by which the program writes files, on QSaveFile: the new contents go to a new
/// file beside `path`; every write and the sync are checked, and only when all succeeded does
/// commit() put the new file in the place of `path` (keeping its permissions, owner and group).
/// On any failure the old file is left byte for byte and the result names the file and the
/// reason. Pipes, devices, folders and read-only files (no write permission bits, whoever
/// writes) are refused, never replaced, as is a file changed on disk since `unchangedSince`.
/// A symbolic link is followed, also one whose target does not exist yet: the file it points
/// to is written and the link stays.
FileResult WriteFileAtomically(const QString& path, const QByteArray& bytes,
                               const QString& otherwise = QString(),
                               const WriteOptions& options = {});
/// The same, with the contents streamed from what `write` hands its sink. An exception from
/// `write` (an archive that cannot be stored) fails the save cleanly.
FileResult WriteFileAtomically(const QString& path, const std::function<void(ArchiveSink&)>& write,
                               const QString& otherwise = QString(),
                               const WriteOptions& options = {});
/// Adds `bytes` at the end of the file, creating it when missing. The old contents and the new
/// bytes are written to a new file that then replaces the old one, so a failure (a full disk)
/// leaves the old file as it was, never half a declaration at its end.
FileResult AppendToFile(const QString& path, const QByteArray& bytes,
                        const QString& otherwise = QString(), const WriteOptions& options = {});
/// Whether the write road could replace (or create) `path` now, checked without writing it:
/// the same refusals as a write (a folder, a pipe, a read-only file, a folder that takes no new
/// file), so work whose result is to be saved there can be refused before it starts.
FileResult CheckWritable(const QString& path);

/// "%1 was not found." / "Access to %1 was denied." for a path that could not be opened,
/// or `otherwise` (with %1 filled in) when neither applies.
QString FileErrorMessage(const QString& path, bool forWriting, const QString& otherwise);
/// "The folder %1 cannot be written: REASON." when no file can be created in `folder` (it is
/// missing and cannot be made, read-only or refused); an empty string when it can.
QString FolderWriteProblem(const QString& folder);
