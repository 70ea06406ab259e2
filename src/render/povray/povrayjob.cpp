#include "render/povray/povrayjob.h"

#include <QDir>
#include <QFileInfo>
#include <QStringList>
#include <algorithm>
#include <csignal>
#include <set>
#include <sys/prctl.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {
constexpr int kPollMilliseconds = 50;
constexpr int kKillAfterMilliseconds = 1000;
/// POV-Ray runs behind the program: however many renders run side by side, the window (and the
/// Preview's POV-Ray) gets the processor first when the user works in it.
constexpr int kPovRayNiceness = 10;

/// The processes of jobs destroyed while POV-Ray ran: killed, and deleted once reaped.
std::set<QProcess*>& Abandoned() {
    static std::set<QProcess*> processes;
    return processes;
}
} // namespace

long long PovRayMemoryLimit() {
    const long long pages = ::sysconf(_SC_PHYS_PAGES);
    const long long pageSize = ::sysconf(_SC_PAGESIZE);
    constexpr long long kGiB = 1024LL * 1024 * 1024;
    if (pages <= 0 || pageSize <= 0)
        return 4 * kGiB;
    return std::max(pages * pageSize / 2, kGiB);
}

qint64 StartInOwnGroup(QProcess& process, QIODevice::OpenMode mode, bool urgent,
                       long long memoryLimit, int deathSignal) {
    const rlim_t memory = memoryLimit > 0 ? static_cast<rlim_t>(memoryLimit) : RLIM_INFINITY;
    process.setChildProcessModifier([niceness = urgent ? 0 : kPovRayNiceness, memory, deathSignal] {
        // A process group of its own, which a stop ends whole: a wrapper script's children
        // go with it.
        ::setpgid(0, 0);
        // The kernel ends POV-Ray when the program ends, even when it is killed or crashes.
        ::prctl(PR_SET_PDEATHSIG, deathSignal);
        ::setpriority(PRIO_PROCESS, 0, niceness);
        // What a texture makes POV-Ray allocate ends as a failed render, not as the desktop's
        // out-of-memory kill.
        if (memory != RLIM_INFINITY) {
            const rlimit bound{memory, memory};
            ::setrlimit(RLIMIT_AS, &bound);
        }
    });
    process.start(mode);
    // Made from here too, so the group stands before POV-Ray has run a line of its own.
    const qint64 pid = process.processId();
    if (pid <= 0)
        return 0;
    ::setpgid(static_cast<pid_t>(pid), static_cast<pid_t>(pid));
    return pid;
}

void SignalProcessGroup(const QProcess& process, qint64 group, int signal) {
    if (group > 0)
        ::kill(-static_cast<pid_t>(group), signal);
    else if (const qint64 pid = process.processId(); pid > 0)
        ::kill(static_cast<pid_t>(pid), signal);
}

PovRayJob::PovRayJob(QString folder, PovCommand command, const QString& outputFile, int width,
                     int height, QObject* parent)
    : RenderRun(parent), m_folder(std::move(folder)), m_command(std::move(command)),
      m_outputPath(QDir(m_folder).filePath(outputFile)),
      m_expectedBytes(static_cast<double>(width) * static_cast<double>(height) * 3.0),
      m_process(new QProcess(this)) {
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &PovRayJob::PollOutputFile);
    m_killTimer.setSingleShot(true);
    m_killTimer.setInterval(kKillAfterMilliseconds);
    connect(&m_killTimer, &QTimer::timeout, this, [this] { SignalGroup(SIGKILL); });
    m_timeLimitTimer.setSingleShot(true);
    connect(&m_timeLimitTimer, &QTimer::timeout, this, [this] { TimeOut(m_timeLimit); });
    connect(m_process, &QProcess::readyReadStandardError, this, &PovRayJob::ReadOutput);
    connect(m_process, &QProcess::readyReadStandardOutput, this, &PovRayJob::ReadOutput);
    connect(m_process, &QProcess::finished, this, &PovRayJob::OnFinished);
    connect(m_process, &QProcess::errorOccurred, this, &PovRayJob::OnError);
    connect(m_process, &QProcess::started, this, [this] {
        if (m_stopRequested) // stopped while it was still starting
            Terminate();
    });
}

PovRayJob::~PovRayJob() {
    if (m_process->state() == QProcess::NotRunning)
        return;
    // Killed, and let go: the window's thread does not wait for it to end. It is reaped from
    // the event loop when it has.
    m_process->disconnect(this);
    SignalGroup(SIGKILL);
    QProcess* process = m_process;
    process->setParent(nullptr);
    Abandoned().insert(process);
    connect(process, &QProcess::finished, process, [process] {
        Abandoned().erase(process);
        process->deleteLater();
    });
}

void PovRayJob::ReapAbandoned() {
    for (QProcess* process : std::exchange(Abandoned(), {})) {
        process->disconnect();
        process->waitForFinished(kKillAfterMilliseconds); // killed: it ends at once
        delete process;
    }
}

void PovRayJob::Start() {
    QFile::remove(m_outputPath); // a stale picture must not pass for this render's
    QStringList arguments;
    for (const std::string& argument : m_command.arguments)
        arguments << QString::fromStdString(argument);
    m_process->setWorkingDirectory(m_folder);
    m_process->setProgram(QString::fromStdString(m_command.executable));
    m_process->setArguments(arguments);
    m_process->setStandardInputFile(QProcess::nullDevice());
    m_group =
        StartInOwnGroup(*m_process, QIODevice::ReadOnly, m_urgent,
                        m_debug ? 0 : PovRayMemoryLimit(), m_killedWithProgram ? SIGKILL : SIGTERM);
    if (m_debug)
        return;
    m_poll.start();
    if (m_timeLimit > 0)
        m_timeLimitTimer.start(m_timeLimit * 1000);
}

void PovRayJob::TimeOut(int seconds) {
    if (m_finished || m_stopRequested)
        return;
    m_timeLimit = seconds;
    m_timedOut = true;
    m_stopRequested = true;
    if (m_process->state() == QProcess::Running)
        Terminate();
}

void PovRayJob::Stop() {
    if (m_finished || m_stopRequested)
        return;
    m_stopRequested = true;
    if (m_process->state() == QProcess::Running)
        Terminate();
}

void PovRayJob::Terminate() {
    SignalGroup(SIGTERM); // POV-Ray 3.7 cleans up on SIGTERM and exits with its user-abort status
    m_killTimer.start();
}

void PovRayJob::SignalGroup(int signal) {
    SignalProcessGroup(*m_process, m_group, signal);
}

void PovRayJob::ReadOutput() {
    if (m_debug) { // the terminal shows POV-Ray's lines itself
        m_process->readAllStandardError();
        m_process->readAllStandardOutput();
        return;
    }
    m_parser.Feed(m_process->readAllStandardError().toStdString());
    m_process->readAllStandardOutput(); // statistics only; keep the pipe drained
    SetPercent(m_parser.Percent());
    if (m_parser.Frame() != m_frame) {
        m_frame = m_parser.Frame();
        emit frameStarted(m_frame);
    }
}

void PovRayJob::PollOutputFile() {
    const qint64 size = QFileInfo(m_outputPath).size();
    if (size != m_lastSize && m_expectedBytes > 0) {
        m_lastSize = size;
        SetPercent(static_cast<int>(static_cast<double>(size) / m_expectedBytes * 100.0));
    }
}

void PovRayJob::SetPercent(int percent) {
    percent = std::clamp(percent, 0, 100);
    if (percent > m_percent) {
        m_percent = percent;
        emit progressChanged(m_percent);
    }
}

void PovRayJob::OnFinished(int exitCode, QProcess::ExitStatus status) {
    ReadOutput();
    m_parser.Finish();
    // Whatever of its group outlived a stop (a child that ignores SIGTERM) goes now.
    if (m_stopRequested)
        SignalGroup(SIGKILL);
    if (m_timedOut) {
        const QString message =
            m_subject.isEmpty()
                ? QString::fromUtf8(RenderMessages::TimedOut).arg(m_timeLimit)
                : QString::fromUtf8(RenderMessages::TimedOutNamed).arg(m_timeLimit).arg(m_subject);
        Finish({RenderResult::TimedOut, QString::fromUtf8(RenderMessages::AppTitle), message});
    } else if (m_stopRequested) {
        Finish({RenderResult::Stopped, {}, {}});
    } else if (m_debug || (status == QProcess::NormalExit && exitCode == 0)) {
        if (!m_debug)
            SetPercent(100);
        Finish({});
    } else {
        QString message = m_subject.isEmpty()
                              ? QString::fromUtf8(RenderMessages::PovRayFailed)
                              : QString::fromUtf8(RenderMessages::PovRayFailedNamed).arg(m_subject);
        const auto lines = m_parser.ErrorLines();
        if (!lines.empty())
            message += QStringLiteral("\n");
        for (const std::string& line : lines)
            message += QStringLiteral("\n") + QString::fromStdString(line);
        if (lines.empty() && status == QProcess::CrashExit)
            message += QStringLiteral("\n\nPOV-Ray crashed.");
        Finish({RenderResult::PovRayFailed, QString::fromUtf8(RenderMessages::AppTitle), message});
    }
}

void PovRayJob::OnError(QProcess::ProcessError error) {
    if (error != QProcess::FailedToStart || m_finished)
        return;
    Finish({RenderResult::StartFailed, QString::fromUtf8(RenderMessages::ExecutionErrorTitle),
            QString::fromUtf8(m_debug ? RenderMessages::CannotStartDebug
                                      : RenderMessages::CannotStart)});
}

void PovRayJob::Finish(RenderResult result) {
    if (m_finished)
        return;
    m_poll.stop();
    m_killTimer.stop();
    m_timeLimitTimer.stop();
    m_result = std::move(result);
    m_finished = true;
    emit finished();
}
