#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

class QProcess;

/// What a finished run of a command-line program said and how it ended.
struct CliRun {
    int status = -1; ///< the exit code; -1 when the program crashed or did not end in time
    QByteArray out;
    QByteArray err;
};

/// Runs a command-line program to its end, in an environment of the test's choosing (the
/// system's by default), and gives what it printed.
class CliRunner {
public:
    explicit CliRunner(QString program,
                       QProcessEnvironment environment = QProcessEnvironment::systemEnvironment());

    /// Sets one variable of the environment runs get.
    CliRunner& Set(const QString& name, const QString& value);
    const QProcessEnvironment& Environment() const { return m_environment; }
    /// The folder runs start in (the test's own by default).
    CliRunner& SetWorkingDirectory(const QString& folder);

    /// Runs the program with `arguments` and waits for it; a run that takes longer than
    /// `timeoutMs` is killed and counts as failed.
    CliRun Run(const QStringList& arguments, int timeoutMs = 120000) const;
    /// Starts the program in `process` with `arguments`, for tests that run several at once.
    void Start(QProcess& process, const QStringList& arguments) const;
    /// Waits for a run `process` started and gives its outcome, as Run() does.
    static CliRun Finish(QProcess& process, int timeoutMs = 120000);

private:
    QString m_program;
    QProcessEnvironment m_environment;
    QString m_workingDirectory;
};
