#include "render/povray/namedfiles.h"

#include "core/povtext/reading/strictsource.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace {

/// The extensions POV-Ray tries after a name as written, for the files textures name.
constexpr const char* kAddedExtensions[] = {".png", ".tga", ".jpg", ".jpeg", ".gif",
                                            ".iff", ".ppm", ".pgm", ".tif",  ".tiff",
                                            ".bmp", ".exr", ".hdr", ".sys",  ".df3"};

/// POV-Ray's settings file, as it chooses it: POVINI, then the user's, then the system's.
QString PovRayIni() {
    QStringList candidates;
    if (const QString chosen = qEnvironmentVariable("POVINI"); !chosen.isEmpty())
        candidates << chosen;
    candidates << QDir::home().filePath(QStringLiteral(".povray/3.7/povray.ini"))
               << QStringLiteral("/etc/povray/3.7/povray.ini");
    for (const QString& candidate : candidates)
        if (QFileInfo(candidate).isFile())
            return candidate;
    return {};
}

QStringList WithAddedExtensions(const QString& file) {
    QStringList files{file};
    for (const char* extension : kAddedExtensions)
        files << file + QLatin1String(extension);
    return files;
}

QString Problem(const QString& file, const std::string& textureName) {
    const QFileInfo info(file);
    const QString texture = QString::fromStdString(textureName);
    if (!info.isFile())
        return QStringLiteral("\"%1\" names the file \"%2\", which is no regular file (a device, "
                              "a pipe or a folder), so it is not rendered.")
            .arg(texture, file);
    if (info.size() > kMaxNamedFileBytes)
        return QStringLiteral("\"%1\" names the file \"%2\", which is larger than %3 MB, so it is "
                              "not rendered.")
            .arg(texture, file)
            .arg(kMaxNamedFileBytes / (1024 * 1024));
    return {};
}

} // namespace

QStringList PovRaySearchFolders(const QString& programFolder) {
    QStringList folders;
    if (!programFolder.isEmpty())
        folders << programFolder;
    QFile ini(PovRayIni());
    if (ini.fileName().isEmpty() || !ini.open(QIODevice::ReadOnly | QIODevice::Text))
        return folders;
    static const QRegularExpression path(
        QStringLiteral(R"re(^\s*Library_Path\s*=\s*"?([^"]*)"?\s*$)re"),
        QRegularExpression::CaseInsensitiveOption);
    // A settings file is small; one that is not is read no further than this.
    for (int line = 0; line < 10000 && !ini.atEnd(); ++line)
        if (const auto match = path.match(QString::fromLocal8Bit(ini.readLine(4096)).trimmed());
            match.hasMatch())
            folders << match.captured(1);
    return folders;
}

QString NamedFileProblem(const std::string& source, const std::string& textureName,
                         const QStringList& folders) {
    for (const std::string& name : NamedFiles(source)) {
        const QString written = QString::fromStdString(name);
        QStringList places;
        if (QDir::isAbsolutePath(written))
            places << written;
        else
            for (const QString& folder : folders)
                places << QDir(folder).filePath(written);
        for (const QString& place : places)
            for (const QString& file : WithAddedExtensions(place))
                if (QFileInfo(file).exists() || QFileInfo(file).isSymLink())
                    if (QString problem = Problem(file, textureName); !problem.isEmpty())
                        return problem;
    }
    return {};
}
