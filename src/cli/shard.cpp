#include "cli/shard.h"

#include "cli/commandline.h"

Shard Shard::Parse(const QString& option, const QString& text) {
    const qsizetype slash = text.indexOf(QLatin1Char('/'));
    bool numberOk = false;
    bool countOk = false;
    const int number = text.left(slash).toInt(&numberOk);
    const int count = text.mid(slash + 1).toInt(&countOk);
    if (slash < 0 || !numberOk || !countOk || count < 1 || count > kMaxCount || number < 1 ||
        number > count)
        throw UsageError(QStringLiteral("option %1 needs K/N, N from 1 to %2 and K from 1 to N, "
                                        "not '%3'")
                             .arg(option)
                             .arg(kMaxCount)
                             .arg(text)
                             .toStdString());
    return {number, count};
}

QString Shard::Text() const {
    return QStringLiteral("shard %1 of %2").arg(m_number).arg(m_count);
}
