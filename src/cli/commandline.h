#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

/// Exit statuses of velvane-cli.
enum ExitStatus { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

/// A mistake in the command's words; main prints it with the usage text and exits with 2.
class UsageError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// A failure to print on stderr before exiting with 1 (a file that cannot be read or is refused).
class CommandFailure : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

/// The arguments after the command name, taken apart as a command reads them.
class CommandLine {
public:
    explicit CommandLine(QStringList arguments) : m_arguments(std::move(arguments)) {}

    /// Removes a flag such as "--no-finish"; true when it was present.
    bool TakeFlag(const QString& flag);
    /// Removes every "OPTION VALUE" pair and returns the values in order.
    QStringList TakeValues(const QString& option);
    /// Removes one "OPTION VALUE" pair; `fallback` when absent, a usage error when repeated.
    QString TakeValue(const QString& option, const QString& fallback = QString());
    /// Every "-i N" as an index, in the order given.
    std::vector<int> TakeIndices();
    /// Parses an integer option value within [minimum, maximum].
    static int ToInt(const QString& option, const QString& value, int minimum, int maximum);
    /// The remaining words must be exactly `names` (positional arguments); returns them.
    QStringList TakePositionals(const QStringList& names);
    /// The same for a command whose last positional argument repeats ("CATALOG FILE..."):
    /// at least `names.size()` words.
    QStringList TakePositionalsWithMore(const QStringList& names);

private:
    /// A usage error for any remaining word that looks like an option.
    void RefuseOptions() const;

    QStringList m_arguments;
};
