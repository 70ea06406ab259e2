#include "clirunner.h"

#include <QProcess>
#include <utility>

CliRunner::CliRunner(QString program, QProcessEnvironment environment)
    : m_program(std::move(program)), m_environment(std::move(environment)) {}

CliRunner& CliRunner::Set(const QString& name, const QString& value) {
    m_environment.insert(name, value);
    return *this;
}

CliRunner& CliRunner::SetWorkingDirectory(const QString& folder) {
    m_workingDirectory = folder;
    return *this;
}

CliRun CliRunner::Run(const QStringList& arguments, int timeoutMs) const {
    QProcess process;
    Start(process, arguments);
    return Finish(process, timeoutMs);
}

void CliRunner::Start(QProcess& process, const QStringList& arguments) const {
    process.setProcessEnvironment(m_environment);
    if (!m_workingDirectory.isEmpty())
        process.setWorkingDirectory(m_workingDirectory);
    process.start(m_program, arguments);
}

CliRun CliRunner::Finish(QProcess& process, int timeoutMs) {
    if (!process.waitForFinished(timeoutMs) && process.state() != QProcess::NotRunning) {
        process.kill();
        process.waitForFinished();
        return {-1, process.readAllStandardOutput(), process.readAllStandardError()};
    }
    return {process.exitStatus() == QProcess::NormalExit &&
                    process.error() != QProcess::FailedToStart
                ? process.exitCode()
                : -1,
            process.readAllStandardOutput(), process.readAllStandardError()};
}
