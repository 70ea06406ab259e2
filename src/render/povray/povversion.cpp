#include "render/povray/povversion.h"

#include <QDir>
#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTemporaryDir>
#include <QTimer>

QString PovVersionOutput(const QString& executable, int timeoutMs) {
    if (executable.isEmpty())
        return {};
    // The user's program runs in an empty folder of its own, so whatever it may write there
    // lands nowhere that matters (not in the folder the program was started from).
    const QTemporaryDir scratch(QDir::tempPath() + QStringLiteral("/velvane-version-XXXXXX"));
    if (!scratch.isValid())
        return {};
    QProcess process;
    process.setWorkingDirectory(scratch.path());
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(executable, {QStringLiteral("--version")});
    if (!process.waitForStarted(timeoutMs))
        return {};
    QEventLoop loop;
    QTimer timeout;
    timeout.setSingleShot(true);
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QObject::connect(&timeout, &QTimer::timeout, &loop, &QEventLoop::quit);
    timeout.start(timeoutMs);
    if (process.state() != QProcess::NotRunning)
        loop.exec();
    if (process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished(1000);
        return {};
    }
    return QString::fromLocal8Bit(process.readAll());
}

QString PovVersionLine(const QString& output) {
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const char* name : {"POV-Ray", "Persistence of Vision"})
        for (const QString& line : lines)
            if (line.contains(QLatin1String(name)))
                return line.trimmed();
    return {};
}
