#include "render/files/sidefiles.h"

#include "core/archive/objectarray.h"
#include "core/model/iorpreset.h"
#include "core/shapes/builtinshapes.h"
#include "core/storedclasses.h"
#include "render/files/catalogfile.h"
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

/// Reads one object array of T from `bytes` into `into`; the fault when the data is damaged
/// (what was read before the damage stays in `into`).
template <class T>
std::optional<ArchiveFault> ReadList(const QByteArray& bytes,
                                     std::vector<std::unique_ptr<T>>& into) {
    try {
        Archive ar(Bytes(bytes), StoredClasses());
        ReadObjectArray(ar, into);
        return std::nullopt;
    } catch (const ArchiveException& fault) {
        return fault.Fault();
    }
}

/// The first name beside `path` for keeping a damaged copy that holds no other bytes than
/// `bytes`: "NAME.damaged", then "NAME.damaged-2" and so on, so no earlier copy is lost.
QString DamagedCopyName(const QString& path, const QByteArray& bytes) {
    for (int number = 1;; ++number) {
        QString name = path + QStringLiteral(".damaged") +
                       (number == 1 ? QString() : QStringLiteral("-%1").arg(number));
        if (!QFileInfo::exists(name) && !QFileInfo(name).isSymLink())
            return name;
        if (const auto kept = ReadWholeFile(name, nullptr); kept && *kept == bytes)
            return name;
    }
}

/// Before a side file is replaced by a list of T: a file there that cannot be read is never
/// replaced (the result says why), and one that does not hold a whole list is first kept
/// beside it as "NAME.damaged", so nothing the user had is lost.
template <class T> std::optional<QString> MakeRoomFor(const QString& path) {
    if (!QFileInfo::exists(path))
        return std::nullopt;
    FileResult error;
    const auto bytes = ReadWholeFile(path, &error);
    if (!bytes)
        return error.message + QLatin1Char('\n') +
               QStringLiteral("It could not be read, so it is left as it is.");
    std::vector<std::unique_ptr<T>> whole;
    if (!ReadList(*bytes, whole))
        return std::nullopt;
    const FileResult kept = WriteFileAtomically(DamagedCopyName(path, *bytes), *bytes);
    if (!kept)
        return kept.message;
    return std::nullopt;
}

template <class T> QByteArray StoredList(const std::vector<std::unique_ptr<T>>& items) {
    Archive ar;
    WriteObjectArray(ar, items);
    return ToByteArray(ar.Bytes());
}

/// "the file ends in the middle of a value (it is cut short)", or the reader's own message.
QString ReadProblem(const FileResult& read, const std::optional<ArchiveFault>& fault) {
    return fault ? ArchiveErrorReason(*fault) : read.message;
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
        // As at every first start: written without a word.
        QDir().mkpath(programDirectory);
        if (const FileResult written = WriteFileAtomically(path, ToByteArray(BuiltinShapeFile()));
            !written) {
            // The shapes are built in: the program goes on with them, and tries again when a
            // shape is changed or at the next start.
            const QString problem = FolderWriteProblem(programDirectory);
            notice = SideFileNotice{
                QStringLiteral("Shape file not written"),
                QStringLiteral("The preview shape file %1 could not be written.").arg(path) +
                    QLatin1Char('\n') + (problem.isEmpty() ? written.message : problem) +
                    QLatin1Char('\n') +
                    QStringLiteral("The built-in shapes are used; the file is written when you "
                                   "change a shape, or at the next start."),
                SideFileNotice::Warning};
            return BuiltinShapes();
        }
    }
    FileResult read;
    const auto bytes = ReadWholeFile(path, &read);
    ShapeList shapes;
    std::optional<ArchiveFault> fault;
    if (bytes && !(fault = ReadList(*bytes, shapes))) {
        BringShapesUpToDate(shapes);
        return shapes;
    }
    // A damaged or unreadable file is the user's to repair or delete; it is left as it is.
    const QString detail =
        bytes ? QStringLiteral("The preview shape file %1 cannot be read completely: %2.")
                    .arg(path, ReadProblem(read, fault))
              : QStringLiteral("The preview shape file cannot be read: %1").arg(read.message);
    const QString after =
        bytes ? QStringLiteral("The built-in shapes are used. If you change a shape, the file is "
                               "first kept as shapes.dat.damaged.")
              : QStringLiteral("The built-in shapes are used, and the file is never replaced.");
    notice = SideFileNotice{QStringLiteral("Shape file error"), detail + QLatin1Char('\n') + after,
                            SideFileNotice::Warning};
    return BuiltinShapes();
}

std::optional<SideFileNotice> SaveShapeFile(const QString& programDirectory,
                                            const ShapeList& shapes) {
    QDir().mkpath(programDirectory);
    const QString path = ShapeFilePath(programDirectory);
    const QFileInfo existing(path);
    const QString cannotRemove = QStringLiteral("Unable to remove shape file!");
    if (existing.isDir())
        return SideFileNotice{QStringLiteral("Fatal Error"), cannotRemove, SideFileNotice::Error};
    if (const auto problem = MakeRoomFor<PreviewShape>(path))
        return SideFileNotice{QStringLiteral("Fatal Error"),
                              cannotRemove + QLatin1Char('\n') + *problem, SideFileNotice::Error};
    // What stands there must be a file that a new one can replace.
    if (existing.exists() && !QFileInfo(existing.absolutePath()).isWritable())
        return SideFileNotice{QStringLiteral("Fatal Error"), cannotRemove, SideFileNotice::Error};
    if (WriteFileAtomically(path, StoredList(shapes)))
        return std::nullopt;
    return SideFileNotice{QStringLiteral("Fatal Error"),
                          QStringLiteral("Unable to open the file %1").arg(path),
                          SideFileNotice::Error};
}

NamedColorList LoadColorFile(const QString& programDirectory,
                             std::optional<SideFileNotice>& notice) {
    notice.reset();
    const QString path = ColorFilePath(programDirectory);
    NamedColorList colors;
    if (!QFileInfo::exists(path))
        return colors;
    FileResult read;
    const auto bytes = ReadWholeFile(path, &read);
    if (!bytes) {
        notice = SideFileNotice{
            QStringLiteral("Color file error"),
            QStringLiteral("The named color file cannot be read: %1\nNo named colors are used, "
                           "and the file is never replaced.")
                .arg(read.message),
            SideFileNotice::Warning};
        return colors;
    }
    if (const auto fault = ReadList(*bytes, colors))
        notice = SideFileNotice{
            QStringLiteral("Color file error"),
            QStringLiteral("The named color file %1 cannot be read completely: %2.\nThe named "
                           "colors read before the damage (%3) are used. If you change the named "
                           "colors, the file is first kept as colors.dat.damaged.")
                .arg(path, ArchiveErrorReason(*fault))
                .arg(colors.size()),
            SideFileNotice::Warning};
    return colors;
}

QByteArray StoredColors(const NamedColorList& colors) {
    return StoredList(colors);
}

std::optional<SideFileNotice> SaveColorFile(const QString& programDirectory,
                                            const NamedColorList& colors) {
    QDir().mkpath(programDirectory);
    const QString path = ColorFilePath(programDirectory);
    const QString title = QStringLiteral("File open error");
    const QString cannotOpen = QStringLiteral("Cannot open the file %1/%2")
                                   .arg(programDirectory, QStringLiteral("colors.dat"));
    if (const auto problem = MakeRoomFor<NamedColor>(path))
        return SideFileNotice{title, cannotOpen + QLatin1Char('\n') + *problem,
                              SideFileNotice::Error};
    const FileResult written = WriteFileAtomically(path, StoredList(colors));
    if (written)
        return std::nullopt;
    return SideFileNotice{title, cannotOpen + QLatin1Char('\n') + written.message,
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
        if (bytes && !ReadList(*bytes, presets))
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
