#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <optional>

class ArchiveSink;

/// Whole-file reads and writes with the program's file-system messages ("%1 was not found.",
/// "Access to %1 was denied.") filled in with the file name.
struct FileResult {
    bool ok = true;
    QString message; ///< what to tell the user when !ok
    explicit operator bool() const { return ok; }
};

/// Which file a path named when it was looked at, and how it was then: a file replaced or
/// written since has another stamp.
struct FileStamp {
    bool exists = false;
    quint64 device = 0;
    quint64 inode = 0;
    qint64 size = 0;
    qint64 modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};
/// The stamp of the file `path` names now (following symbolic links).
FileStamp StampOf(const QString& path);

/// How a file is written.
struct WriteOptions {
    /// Wait until the new bytes are on the disk before they replace the old file. Scratch
    /// files that nobody needs after a crash can do without.
    bool sync = true;
    /// Refuse to replace the file when it is no longer the one with this stamp (another
    /// program saved over it since it was read).
    std::optional<FileStamp> unchangedSince;
};

/// Reads the whole file; only regular files are read (a pipe would never end). On failure
/// `error` receives the message; `otherwise` is the message for failures that are neither a
/// missing file nor a refused access.
std::optional<QByteArray> ReadWholeFile(const QString& path, FileResult* error,
                                        const QString& otherwise = QString());

/// The one road by which the program writes files. The new contents go to a temporary file
/// beside `path`; every write, the sync and the close are checked, and only when all succeeded
/// does the temporary file replace `path` (keeping its permissions). On any failure the old file
/// is left byte for byte and the result names the file and the reason. Pipes, devices and
/// folders are refused, never replaced by a regular file. A symbolic link is followed, so the
/// file it points to is replaced and the link stays.
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

/// "%1 was not found." / "Access to %1 was denied." for a path that could not be opened,
/// or `otherwise` (with %1 filled in) when neither applies.
QString FileErrorMessage(const QString& path, bool forWriting, const QString& otherwise);
/// "The folder %1 cannot be written: REASON." when no file can be created in `folder` (it is
/// missing and cannot be made, read-only or refused); an empty string when it can.
QString FolderWriteProblem(const QString& folder);
