#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <memory>

class ScratchArea;

/// The most of a version answer that is kept.
constexpr qint64 kMaxVersionOutput = 64 * 1024;
/// How long a program has to answer: POV-Ray tells its version at once, and renders wait for it.
constexpr int kVersionProbeTimeoutMs = 2000;

/// Asks a program for its version (`executable --version`) while the program goes on: it
/// reports what the program printed (standard output and errors together) by `finished`, or an
/// empty text when it cannot be run or does not answer within the time given. Only the first
/// kMaxVersionOutput bytes are kept; a program that prints more is ended there. It runs in an
/// empty scratch folder, removed afterwards, and is started as POV-Ray runs are: in a process
/// group of its own, which is ended whole when the program does not answer in time.
class PovVersionProbe : public QObject {
    Q_OBJECT
public:
    explicit PovVersionProbe(QObject* parent = nullptr);
    ~PovVersionProbe() override;

    /// Starts asking; `finished` comes from the event loop, also when it cannot start.
    void Start(const QString& executable, int timeoutMs = kVersionProbeTimeoutMs);
    bool IsRunning() const { return m_running; }
    const QString& Executable() const { return m_executable; }

signals:
    void finished(const QString& output);

private:
    void Read();
    void End(bool answered);

    QString m_executable;
    std::unique_ptr<ScratchArea> m_scratch;
    QProcess m_process;
    QTimer m_timeout;
    QByteArray m_output;
    qint64 m_group = 0; ///< the process group the program leads
    bool m_complete = true;
    bool m_running = false;
};

/// The line of that output that names POV-Ray ("POV-Ray 3.7.0.10.unofficial"; older versions
/// call themselves "Persistence of Vision"), or an empty string.
QString PovVersionLine(const QString& output);
