#pragma once

#include <QObject>
#include <QProcess>
#include <QString>
#include <QTimer>
#include <memory>

class ScratchArea;

/// The most of a version answer that is kept.
constexpr qint64 kMaxVersionOutput = 64 * 1024;

/// Asks a program for its version (`executable --version`) while the program goes on: it
/// reports what the program printed (standard output and errors together) by `finished`, or an
/// empty text when it cannot be run or does not answer within the time given. Only the first
/// kMaxVersionOutput bytes are kept; a program that prints more is ended there. It runs in an
/// empty scratch folder, removed afterwards.
class PovVersionProbe : public QObject {
    Q_OBJECT
public:
    explicit PovVersionProbe(QObject* parent = nullptr);
    ~PovVersionProbe() override;

    /// Starts asking; `finished` comes from the event loop, also when it cannot start.
    void Start(const QString& executable, int timeoutMs = 10000);
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
    bool m_complete = true;
    bool m_running = false;
};

/// The line of that output that names POV-Ray ("POV-Ray 3.7.0.10.unofficial"; older versions
/// call themselves "Persistence of Vision"), or an empty string.
QString PovVersionLine(const QString& output);
