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

/// Reads the whole file. On failure `error` receives the message; `otherwise` is the message
/// for failures that are neither a missing file nor a refused access.
std::optional<QByteArray> ReadWholeFile(const QString& path, FileResult* error,
                                        const QString& otherwise = QString());
/// Writes `bytes` to a temporary file beside `path` and renames it into place, so a failed
/// write never damages the file already there.
FileResult WriteFileAtomically(const QString& path, const QByteArray& bytes,
                               const QString& otherwise = QString());
/// Streams what `write` hands its sink into a temporary file beside `path` and renames it into
/// place. An exception from `write` (an archive that cannot be stored) fails the save cleanly.
FileResult WriteFileAtomically(const QString& path, const std::function<void(ArchiveSink&)>& write,
                               const QString& otherwise = QString());
/// Appends `bytes` at the end of the file, creating it when missing.
FileResult AppendToFile(const QString& path, const QByteArray& bytes, const QString& otherwise = QString());

/// "%1 was not found." / "Access to %1 was denied." for a path that could not be opened,
/// or `otherwise` (with %1 filled in) when neither applies.
QString FileErrorMessage(const QString& path, bool forWriting, const QString& otherwise);
