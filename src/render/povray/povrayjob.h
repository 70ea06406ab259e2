#pragma once

#include "core/povray/povcommand.h"
#include "core/povray/povprogress.h"
#include "render/povray/renderrun.h"

#include <QProcess>
#include <QString>
#include <QTimer>
#include <csignal>

/// The address space a POV-Ray run may take: half of the machine's memory, 1 GiB at least.
long long PovRayMemoryLimit();

/// Starts `process`, its program and arguments set, as every run of POV-Ray starts: leading a
/// process group of its own (so what a wrapper script starts can be ended with it), ended by
/// the kernel when the program ends, behind the program's own work unless `urgent`, and with
/// its address space bounded to `memoryLimit` bytes (0: unbounded). Returns the process group,
/// 0 when the process did not start. The kernel sends it `deathSignal` when the program ends.
qint64 StartInOwnGroup(QProcess& process, QIODevice::OpenMode mode, bool urgent,
                       long long memoryLimit = 0, int deathSignal = SIGTERM);
/// Sends `signal` to process group `group` (to `process` alone while it has none yet).
void SignalProcessGroup(const QProcess& process, qint64 group, int signal);

/// One run of POV-Ray in a folder: starts the process there, watches the growing output file
/// and POV-Ray's progress lines, stops it on request or when it runs past its time limit
/// (SIGTERM, then a kill after a second) and tells how it ended. The output file is deleted
/// before the run.
///
/// POV-Ray runs in a process group of its own, with its address space bounded by
/// PovRayMemoryLimit(), and stopping it ends the whole group, so what a
/// wrapper script started goes too. POV-Ray itself is ended with the program, however the
/// program ends; its group when the program ends by its own hand or through a signal it
/// handles (the CLI's), not when it is killed.
class PovRayJob : public RenderRun {
    Q_OBJECT
public:
    PovRayJob(QString folder, PovCommand command, const QString& outputFile, int width, int height,
              QObject* parent = nullptr);
    /// Kills what still runs without waiting for it: the process is reaped from the event
    /// loop once it has ended (by ReapAbandoned at the latest).
    ~PovRayJob() override;
    PovRayJob(const PovRayJob&) = delete;
    PovRayJob& operator=(const PovRayJob&) = delete;

    /// Waits for the processes of jobs destroyed while POV-Ray ran, which were killed, and
    /// reaps them (at the end of the program, before the scratch area goes).
    static void ReapAbandoned();

    /// Names the texture in the messages of a failed render.
    void SetSubject(const QString& subject) { m_subject = subject; }
    /// Ends POV-Ray when it has not finished within `seconds` (0: no limit). Call before Start().
    void SetTimeLimit(int seconds) { m_timeLimit = seconds; }
    int TimeLimit() const { return m_timeLimit; }
    /// Debug mode: the command runs POV-Ray visibly in a terminal that waits for a key, so the
    /// run has no progress and no time limit, and it ends well however the terminal ends.
    /// Call before Start().
    void SetDebugMode(bool debug) { m_debug = debug; }
    /// A render the user waits for runs ahead of batch work: at the program's own priority
    /// rather than behind it.
    void SetUrgent(bool urgent) override { m_urgent = urgent; }
    /// Killed outright when the program ends, for a POV-Ray that may wait where SIGTERM does
    /// not reach it. Call before Start().
    void SetKilledWithProgram(bool killed) { m_killedWithProgram = killed; }

    void Start() override;
    /// Ends POV-Ray as if it had run past a time limit of `seconds`, which its message names.
    void TimeOut(int seconds);
    /// Ends POV-Ray early; the run then counts as stopped.
    void Stop() override;

    bool IsFinished() const { return m_finished; }
    int Percent() const { return m_percent; }
    /// The frame of an animation POV-Ray last said it began, from 1; 0 before any.
    int Frame() const { return m_frame; }
    const RenderResult& Result() const override { return m_result; }
    const QString& Folder() const { return m_folder; }

signals:
    /// POV-Ray began frame `frame` (from 1) of an animation.
    void frameStarted(int frame);

private:
    /// Asks POV-Ray to end, and kills it when it has not within a second.
    void Terminate();
    /// Sends `signal` to POV-Ray's process group (to POV-Ray alone while it has none yet).
    void SignalGroup(int signal);
    void ReadOutput();
    void PollOutputFile();
    void OnFinished(int exitCode, QProcess::ExitStatus status);
    void OnError(QProcess::ProcessError error);
    void SetPercent(int percent);
    void Finish(RenderResult result);

    QString m_folder;
    PovCommand m_command;
    QString m_outputPath;
    double m_expectedBytes;
    QProcess* m_process; ///< a child of the job's, let go at its end while it still runs
    qint64 m_group = 0;  ///< the process group POV-Ray leads
    QTimer m_poll;
    QTimer m_killTimer;
    QTimer m_timeLimitTimer;
    QString m_subject;
    int m_timeLimit = 0;
    bool m_debug = false;
    bool m_urgent = false;
    bool m_killedWithProgram = false;
    bool m_timedOut = false;
    PovProgressParser m_parser;
    qint64 m_lastSize = 0;
    int m_percent = 0;
    int m_frame = 0;
    bool m_stopRequested = false;
    bool m_finished = false;
    RenderResult m_result;
};
