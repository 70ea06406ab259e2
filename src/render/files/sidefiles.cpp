#include "render/files/sidefiles.h"

#include "core/archive/objectarray.h"
#include "core/model/iorpreset.h"
#include "core/shapes/builtinshapes.h"
#include "core/storedclasses.h"
#include "render/files/fileio.h"

#include <QDir>
#include <QFileInfo>
#include <span>

namespace {

std::span<const std::uint8_t> Bytes(const QByteArray& bytes) {
    return {reinterpret_cast<const std::uint8_t*>(bytes.constData()),
            static_cast<std::size_t>(bytes.size())};
}

QByteArray ToByteArray(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

/// Reads one object array of T from `bytes` into `into`; false when the data is damaged
/// (what was read before the damage stays in `into`).
template <class T> bool ReadList(const QByteArray& bytes, std::vector<std::unique_ptr<T>>& into) {
    try {
        Archive ar(Bytes(bytes), StoredClasses());
        ReadObjectArray(ar, into);
        return true;
    } catch (const ArchiveException&) {
        return false;
    }
}

template <class T> QByteArray StoredList(const std::vector<std::unique_ptr<T>>& items) {
    Archive ar;
    WriteObjectArray(ar, items);
    return ToByteArray(ar.Bytes());
}

ShapeList BuiltinShapeList() {
    ShapeList shapes;
    const auto file = BuiltinShapeFile();
    Archive ar(file, StoredClasses());
    ReadObjectArray(ar, shapes);
    return shapes;
}

} // namespace

QString ShapeFilePath(const QString& programDirectory) {
    return QDir(programDirectory).filePath(QStringLiteral("shapes.dat"));
}
QString ColorFilePath(const QString& programDirectory) {
    return QDir(programDirectory).filePath(QStringLiteral("colors.dat"));
}
QString IorFilePath(const QString& programDirectory) {
    return QDir(programDirectory).filePath(QStringLiteral("iorvalue.dat"));
}

ShapeList LoadShapeFile(const QString& programDirectory, std::optional<SideFileNotice>& notice) {
    const QString path = ShapeFilePath(programDirectory);
    notice.reset();
    if (!QFileInfo::exists(path)) {
        notice = SideFileNotice{QStringLiteral("Shape file not found!"),
                                QStringLiteral("Generating shape file...."),
                                SideFileNotice::Information};
        QDir().mkpath(programDirectory);
        const auto builtin = BuiltinShapeFile();
        const QByteArray bytes(reinterpret_cast<const char*>(builtin.data()),
                               static_cast<qsizetype>(builtin.size()));
        if (const FileResult written = WriteFileAtomically(path, bytes); !written) {
            const QString problem = FolderWriteProblem(programDirectory);
            notice = SideFileNotice{QStringLiteral("Fatal Error"),
                                    QStringLiteral("Unable to open the file %1").arg(path) +
                                        QLatin1Char('\n') +
                                        (problem.isEmpty() ? written.message : problem),
                                    SideFileNotice::Error};
            return {};
        }
    }
    FileResult error;
    const auto bytes = ReadWholeFile(path, &error);
    ShapeList shapes;
    if (bytes && ReadList(*bytes, shapes))
        return shapes;
    // A damaged or unreadable file is the user's to repair or delete; it is left as it is.
    notice = SideFileNotice{
        QStringLiteral("Shape file error"),
        QStringLiteral("The preview shape file %1 cannot be read. The built-in shapes are used "
                       "until it is repaired or deleted.")
            .arg(path),
        SideFileNotice::Warning};
    return BuiltinShapeList();
}

std::optional<SideFileNotice> SaveShapeFile(const QString& programDirectory,
                                            const ShapeList& shapes) {
    QDir().mkpath(programDirectory);
    const QString path = ShapeFilePath(programDirectory);
    const QFileInfo existing(path);
    // What stands there must be a file that a new one can replace.
    const bool replaceable = !existing.exists() ||
                             (existing.isFile() && QFileInfo(existing.absolutePath()).isWritable());
    if (replaceable && WriteFileAtomically(path, StoredList(shapes)))
        return std::nullopt;
    if (!replaceable)
        return SideFileNotice{QStringLiteral("Fatal Error"),
                              QStringLiteral("Unable to remove shape file!"),
                              SideFileNotice::Error};
    return SideFileNotice{QStringLiteral("Fatal Error"),
                          QStringLiteral("Unable to open the file %1").arg(path),
                          SideFileNotice::Error};
}

NamedColorList LoadColorFile(const QString& programDirectory) {
    NamedColorList colors;
    if (const auto bytes = ReadWholeFile(ColorFilePath(programDirectory), nullptr))
        ReadList(*bytes, colors);
    return colors;
}

std::optional<SideFileNotice> SaveColorFile(const QString& programDirectory,
                                            const NamedColorList& colors) {
    QDir().mkpath(programDirectory);
    const FileResult written =
        WriteFileAtomically(ColorFilePath(programDirectory), StoredList(colors));
    if (written)
        return std::nullopt;
    return SideFileNotice{QStringLiteral("File open error"),
                          QStringLiteral("Cannot open the file %1/%2")
                                  .arg(programDirectory, QStringLiteral("colors.dat")) +
                              QLatin1Char('\n') + written.message,
                          SideFileNotice::Error};
}

IorPresetList LoadIorPresets(const QString& programDirectory,
                             std::optional<SideFileNotice>& notice) {
    notice.reset();
    const QString path = IorFilePath(programDirectory);
    IorPresetList presets;
    if (QFileInfo::exists(path)) {
        FileResult error;
        const auto bytes = ReadWholeFile(path, &error);
        if (bytes && ReadList(*bytes, presets))
            return presets;
        // Half a list would be written back over the user's file at the next OK; start afresh
        // instead and leave the file as it is until the user saves a new list.
        presets.clear();
        notice = SideFileNotice{
            QStringLiteral("IO Error"),
            QStringLiteral("The refraction presets file %1 cannot be read. The list starts with "
                           "the common presets; the file is replaced only when you press OK.")
                .arg(path),
            SideFileNotice::Warning};
    }
    for (const IorPreset& preset : DefaultIorPresets())
        presets.push_back(std::make_unique<IorPreset>(preset));
    return presets;
}

std::optional<SideFileNotice> SaveIorPresets(const QString& programDirectory,
                                             const IorPresetList& presets) {
    QDir().mkpath(programDirectory);
    const FileResult written =
        WriteFileAtomically(IorFilePath(programDirectory), StoredList(presets));
    if (written)
        return std::nullopt;
    return SideFileNotice{QStringLiteral("IO Error"),
                          QStringLiteral("Error opening iorvalue.dat") + QLatin1Char('\n') +
                              written.message,
                          SideFileNotice::Error};
}
