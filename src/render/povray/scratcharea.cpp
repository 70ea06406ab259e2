#include "render/povray/scratcharea.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace {

constexpr const char* kAreaPrefix = "render-";
constexpr const char* kRefusedBase = "The scratch folder %1 is not used: %2.";
constexpr const char* kUsedInstead = "Renders keep their files in %1 instead.";
constexpr const char* kNoBase = "No scratch folder can be used for renders.";
constexpr const char* kCannotMake = "The folder %1 cannot be made: %2.";

QByteArray Native(const QString& path) {
    return QFile::encodeName(path);
}

QString Reason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

/// Makes a folder with a name of its own from `pattern` (ending in XXXXXX), readable only by
/// the user; nobody else can have made it first.
bool MakeExclusiveFolder(const QString& pattern, QString& made, int& error) {
    QByteArray name = Native(pattern);
    if (::mkdtemp(name.data()) == nullptr) {
        error = errno;
        return false;
    }
    made = QFile::decodeName(name);
    return true;
}

/// Removes everything in the open folder `folderFd` (which this takes over), through the
/// descriptor, so a name swapped for a link meanwhile is never followed.
bool RemoveContents(int folderFd) {
    DIR* folder = ::fdopendir(folderFd);
    if (!folder) {
        ::close(folderFd);
        return false;
    }
    std::vector<std::string> names;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name != "." && name != "..")
            names.push_back(name);
    }
    const int fd = ::dirfd(folder);
    bool removed = true;
    for (const std::string& name : names) {
        struct stat info {};
        if (::fstatat(fd, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) != 0) {
            removed = false;
            continue;
        }
        if (S_ISDIR(info.st_mode)) {
            const int child =
                ::openat(fd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
            if (child < 0 || !RemoveContents(child))
                removed = false;
            if (::unlinkat(fd, name.c_str(), AT_REMOVEDIR) != 0)
                removed = false;
        } else if (::unlinkat(fd, name.c_str(), 0) != 0) {
            removed = false;
        }
    }
    ::closedir(folder);
    return removed;
}

/// The process that made an area of this name, or 0 when the name is not an area's.
qint64 AreaOwner(const QString& name) {
    static const QRegularExpression pattern(
        QStringLiteral("^%1([0-9]+)-[A-Za-z0-9]{6}$").arg(QString::fromLatin1(kAreaPrefix)));
    const QRegularExpressionMatch match = pattern.match(name);
    return match.hasMatch() ? match.captured(1).toLongLong() : 0;
}

bool ProcessEnded(qint64 pid) {
    return ::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH;
}

} // namespace

ScratchArea::ScratchArea(QStringList bases) : m_bases(std::move(bases)) {}

ScratchArea::~ScratchArea() {
    if (!m_path.isEmpty())
        RemoveTree(m_path);
}

QStringList ScratchArea::DefaultBases(const QString& programDirectory) {
    QStringList bases{
        QDir(QDir::tempPath()).filePath(QStringLiteral("velvane-%1").arg(::geteuid()))};
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty())
        bases << QDir(runtime).filePath(QStringLiteral("velvane"));
    if (!programDirectory.isEmpty())
        bases << QDir(programDirectory).filePath(QStringLiteral("scratch"));
    return bases;
}

QString ScratchArea::CheckBase(const QString& base) {
    QDir().mkpath(QFileInfo(base).absolutePath());
    if (::mkdir(Native(base).constData(), 0700) != 0 && errno != EEXIST)
        return QStringLiteral("it cannot be made (%1)").arg(Reason(errno));
    struct stat info {};
    if (::lstat(Native(base).constData(), &info) != 0)
        return QStringLiteral("it cannot be examined (%1)").arg(Reason(errno));
    if (S_ISLNK(info.st_mode))
        return QStringLiteral("it is a symbolic link");
    if (!S_ISDIR(info.st_mode))
        return QStringLiteral("it is not a folder");
    if (info.st_uid != ::geteuid())
        return QStringLiteral("it belongs to another user");
    if ((info.st_mode & 077) != 0)
        return QStringLiteral("other users may use it (its mode is %1, not 0700)")
            .arg(info.st_mode & 07777, 4, 8, QLatin1Char('0'));
    if (::access(Native(base).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("it cannot be written (%1)").arg(Reason(errno));
    return {};
}

void ScratchArea::RemoveAbandonedAreas(const QString& base) {
    const QStringList names =
        QDir(base).entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& name : names) {
        const qint64 owner = AreaOwner(name);
        if (owner <= 0 || owner == ::getpid() || !ProcessEnded(owner))
            continue;
        const QString path = QDir(base).filePath(name);
        struct stat info {};
        if (::lstat(Native(path).constData(), &info) == 0 && S_ISDIR(info.st_mode) &&
            info.st_uid == ::geteuid())
            RemoveTree(path);
    }
}

bool ScratchArea::RemoveTree(const QString& folder) {
    if (folder.isEmpty())
        return false;
    const int fd =
        ::open(Native(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0)
        return false; // a link, or nothing there
    const bool emptied = RemoveContents(fd);
    return ::rmdir(Native(folder).constData()) == 0 && emptied;
}

QString ScratchArea::TakeNotice() {
    return std::exchange(m_notice, QString());
}

bool ScratchArea::MakeArea(QString& problem) {
    QStringList refusals;
    for (const QString& base : m_bases) {
        const QString why = CheckBase(base);
        if (!why.isEmpty()) {
            refusals << QString::fromUtf8(kRefusedBase).arg(base, why);
            continue;
        }
        RemoveAbandonedAreas(base);
        const QString pattern = QDir(base).filePath(
            QStringLiteral("%1%2-XXXXXX").arg(QString::fromLatin1(kAreaPrefix)).arg(::getpid()));
        int error = 0;
        if (!MakeExclusiveFolder(pattern, m_path, error)) {
            refusals << QString::fromUtf8(kCannotMake).arg(pattern, Reason(error));
            continue;
        }
        if (!refusals.isEmpty())
            m_notice = refusals.join(QLatin1Char('\n')) + QLatin1Char('\n') +
                       QString::fromUtf8(kUsedInstead).arg(base);
        return true;
    }
    problem = QString::fromUtf8(kNoBase);
    if (!refusals.isEmpty())
        problem += QLatin1Char('\n') + refusals.join(QLatin1Char('\n'));
    return false;
}

bool ScratchArea::NewJobFolder(QString& folder, QString& problem) {
    struct stat info {};
    const bool areaStands = !m_path.isEmpty() && ::lstat(Native(m_path).constData(), &info) == 0 &&
                            S_ISDIR(info.st_mode) && info.st_uid == ::geteuid();
    if (!areaStands) {
        m_path.clear();
        if (!MakeArea(problem))
            return false;
    }
    int error = 0;
    const QString pattern = QDir(m_path).filePath(QStringLiteral("job-XXXXXX"));
    if (!MakeExclusiveFolder(pattern, folder, error)) {
        problem = QString::fromUtf8(kCannotMake).arg(pattern, Reason(error));
        return false;
    }
    return true;
}
