#pragma once

#include <QString>
#include <QStringList>
#include <string>

/// The largest file a texture may name (an image map, a density file).
inline constexpr qint64 kMaxNamedFileBytes = 256LL * 1024 * 1024;

/// The folders POV-Ray looks in for a file named without a folder, after the folder it runs
/// in: `programFolder` (given as +L) and the library paths of POV-Ray's own povray.ini.
QStringList PovRaySearchFolders(const QString& programFolder);

/// Why the texture named `textureName`, whose text is `source`, may not be rendered for a file
/// it names, or empty when it may. Each name is looked up as POV-Ray would, in `folders` (the
/// folder POV-Ray runs in holds only the program's own files), as written and with the
/// extensions POV-Ray adds; every file found must be a regular file of at most
/// kMaxNamedFileBytes, not a device, a pipe or a folder.
QString NamedFileProblem(const std::string& source, const std::string& textureName,
                         const QStringList& folders);
