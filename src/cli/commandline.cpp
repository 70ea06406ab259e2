#include "cli/commandline.h"

#include <climits>

bool CommandLine::TakeFlag(const QString& flag) {
    return m_arguments.removeAll(flag) > 0;
}

QStringList CommandLine::TakeValues(const QString& option) {
    QStringList values;
    for (qsizetype i = 0; i < m_arguments.size();) {
        if (m_arguments[i] != option) {
            ++i;
            continue;
        }
        if (i + 1 >= m_arguments.size())
            throw UsageError(QStringLiteral("option %1 needs a value").arg(option).toStdString());
        values << m_arguments[i + 1];
        m_arguments.remove(i, 2);
    }
    return values;
}

QString CommandLine::TakeValue(const QString& option, const QString& fallback) {
    const QStringList values = TakeValues(option);
    if (values.size() > 1)
        throw UsageError(
            QStringLiteral("option %1 given more than once").arg(option).toStdString());
    return values.isEmpty() ? fallback : values.first();
}

int CommandLine::ToInt(const QString& option, const QString& value, int minimum, int maximum) {
    bool ok = false;
    const long long number = value.toLongLong(&ok);
    if (!ok || number < minimum || number > maximum)
        throw UsageError(QStringLiteral("option %1 needs a whole number from %2 to %3, not '%4'")
                             .arg(option)
                             .arg(minimum)
                             .arg(maximum)
                             .arg(value)
                             .toStdString());
    return static_cast<int>(number);
}

std::vector<int> CommandLine::TakeIndices() {
    std::vector<int> indices;
    for (const QString& value : TakeValues(QStringLiteral("-i")))
        indices.push_back(ToInt(QStringLiteral("-i"), value, 0, INT_MAX));
    return indices;
}

void CommandLine::RefuseOptions() const {
    for (const QString& argument : m_arguments)
        if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1)
            throw UsageError(QStringLiteral("unknown option %1").arg(argument).toStdString());
}

QStringList CommandLine::TakePositionals(const QStringList& names) {
    RefuseOptions();
    if (m_arguments.size() != names.size())
        throw UsageError(
            QStringLiteral("expected %1").arg(names.join(QLatin1Char(' '))).toStdString());
    return m_arguments;
}

QStringList CommandLine::TakePositionalsWithMore(const QStringList& names) {
    RefuseOptions();
    if (m_arguments.size() < names.size())
        throw UsageError(
            QStringLiteral("expected %1...").arg(names.join(QLatin1Char(' '))).toStdString());
    return m_arguments;
}
