#pragma once

#include <QByteArray>
#include <QString>

// Files the tests set up and read back. A failure to write is a test failure (recorded where it
// happens), so callers need not check.

/// The file's bytes, or "<missing>" when it cannot be read: a missing file never equals an
/// empty one.
QByteArray FileBytes(const QString& path);
/// Writes the bytes to a new or emptied file; false (and a recorded failure) when that fails.
bool PutFile(const QString& path, const QByteArray& bytes);
/// A shell script at `path`, executable by its owner: "#!/bin/sh", then the body.
QString PutScript(const QString& path, const QByteArray& body);
