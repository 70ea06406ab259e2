#include "render/povray/povversion.h"

#include "render/povray/scratcharea.h"

#include <QEventLoop>
#include <QProcess>
#include <QStringList>
#include <QTimer>

QString PovVersionOutput(const QString& executable, int timeoutMs) {
    if (executable.isEmpty())
        return {};
    // The user's program runs in an empty folder of its own, so whatever it may write there
    // lands nowhere that matters (not in the folder the program was started from).
    ScratchArea scratch(ScratchArea::DefaultBases(QString()));
    QString folder;
    QString problem;
    if (!scratch.NewJobFolder(folder, problem))
        return {};
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    process.setProcessChannelMode(QProcess::MergedChannels);
    QEventLoop loop;
    QByteArray output;
    bool complete = true;
    // The version is told in the first lines; a program that goes on printing is not kept in
    // memory but ended once the first part is in.
    QObject::connect(&process, &QProcess::readyReadStandardOutput, &loop, [&] {
        output += process.read(kMaxVersionOutput - output.size());
        if (output.size() >= kMaxVersionOutput) {
            complete = false;
            process.kill();
        }
    });
    process.start(executable, {QStringLiteral("--version")});
    if (!process.waitForStarted(timeoutMs))
        return {};
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
    if (complete)
        output += process.read(kMaxVersionOutput - output.size());
    return QString::fromLocal8Bit(output);
}

QString PovVersionLine(const QString& output) {
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const char* name : {"POV-Ray", "Persistence of Vision"})
        for (const QString& line : lines)
            if (line.contains(QLatin1String(name)))
                return line.trimmed();
    return {};
}
