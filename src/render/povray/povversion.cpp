#include "render/povray/povversion.h"

#include "render/povray/povrayjob.h"
#include "render/povray/scratcharea.h"

#include <QStringList>
#include <csignal>

PovVersionProbe::PovVersionProbe(QObject* parent) : QObject(parent) {
    m_timeout.setSingleShot(true);
    m_process.setStandardInputFile(QProcess::nullDevice());
    m_process.setProcessChannelMode(QProcess::MergedChannels);
    connect(&m_process, &QProcess::readyReadStandardOutput, this, &PovVersionProbe::Read);
    connect(&m_process, &QProcess::finished, this, [this] { End(true); });
    connect(&m_process, &QProcess::errorOccurred, this, [this](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart)
            End(false);
    });
    connect(&m_timeout, &QTimer::timeout, this, [this] { End(false); });
}

PovVersionProbe::~PovVersionProbe() {
    if (m_process.state() != QProcess::NotRunning) {
        m_process.disconnect(this);
        SignalProcessGroup(m_process, m_group, SIGKILL);
        m_process.waitForFinished(1000);
    }
}

void PovVersionProbe::Start(const QString& executable, int timeoutMs) {
    m_executable = executable;
    m_output.clear();
    m_group = 0;
    m_complete = true;
    m_running = true;
    // The user's program runs in an empty folder of its own, so whatever it may write there
    // lands nowhere that matters (not in the folder the program was started from).
    m_scratch = std::make_unique<ScratchArea>(ScratchArea::DefaultBases(QString()));
    QString folder;
    QString problem;
    if (executable.isEmpty() || !m_scratch->NewJobFolder(folder, problem)) {
        End(false);
        return;
    }
    m_process.setWorkingDirectory(folder);
    m_process.setProgram(executable);
    m_process.setArguments({QStringLiteral("--version")});
    m_timeout.start(timeoutMs);
    m_group = StartInOwnGroup(m_process, QIODevice::ReadOnly, true);
}

void PovVersionProbe::Read() {
    // The version is told in the first lines; a program that goes on printing is not kept in
    // memory but ended once the first part is in.
    m_output += m_process.read(kMaxVersionOutput - m_output.size());
    if (m_output.size() >= kMaxVersionOutput) {
        m_complete = false;
        SignalProcessGroup(m_process, m_group, SIGKILL);
    }
}

void PovVersionProbe::End(bool answered) {
    if (!m_running)
        return;
    m_running = false;
    m_timeout.stop();
    if (answered && m_complete)
        m_output += m_process.read(kMaxVersionOutput - m_output.size());
    if (m_process.state() != QProcess::NotRunning) {
        // No answer in time: the program is ended; its end is not waited for here.
        m_process.disconnect(this);
        SignalProcessGroup(m_process, m_group, SIGKILL);
        answered = false;
        connect(&m_process, &QProcess::finished, this, [this] { m_scratch.reset(); });
    } else {
        m_scratch.reset();
    }
    // Told from the event loop, so a receiver may destroy the probe.
    const QString output = answered ? QString::fromLocal8Bit(m_output) : QString();
    QTimer::singleShot(0, this, [this, output] { emit finished(output); });
}

QString PovVersionLine(const QString& output) {
    const QStringList lines = output.split(QLatin1Char('\n'));
    for (const char* name : {"POV-Ray", "Persistence of Vision"})
        for (const QString& line : lines)
            if (line.contains(QLatin1String(name)))
                return line.trimmed();
    return {};
}
