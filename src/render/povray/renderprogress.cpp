#include "render/povray/renderprogress.h"

#include <QLocale>
#include <algorithm>

namespace {
/// The failed textures a summary names; the rest it counts.
constexpr int kNamedFailures = 5;
} // namespace

QString CountText(qint64 value) {
    // The program's texts are English; so are its numbers, with a comma between thousands.
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(value);
}

QString DurationText(qint64 milliseconds) {
    const qint64 seconds = (std::max<qint64>(milliseconds, 0) + 500) / 1000;
    if (seconds < 60)
        return QStringLiteral("%1 s").arg(seconds);
    if (seconds < 3600)
        return seconds % 60 == 0
                   ? QStringLiteral("%1 min").arg(seconds / 60)
                   : QStringLiteral("%1 min %2 s").arg(seconds / 60).arg(seconds % 60);
    const qint64 minutes = seconds / 60;
    return QStringLiteral("%1 h %2 min").arg(minutes / 60).arg(minutes % 60);
}

QString SummaryText(const BatchSummary& summary) {
    QString text = QStringLiteral("%1 rendered").arg(CountText(summary.rendered));
    if (!summary.failed.isEmpty()) {
        QStringList names = summary.failed.mid(0, kNamedFailures);
        if (summary.failed.size() > kNamedFailures)
            names << QStringLiteral("and %1 more")
                         .arg(CountText(summary.failed.size() - kNamedFailures));
        text += QStringLiteral(", %1 failed: %2")
                    .arg(CountText(summary.failed.size()), names.join(QStringLiteral(", ")));
    }
    if (summary.dropped > 0)
        text += QStringLiteral(", %1 deleted meanwhile").arg(CountText(summary.dropped));
    text += QStringLiteral(".");
    if (summary.stopped) {
        text += QStringLiteral(" Stopped after %1").arg(DurationText(summary.milliseconds));
        const qint64 left =
            summary.total - summary.rendered - summary.failed.size() - summary.dropped;
        if (left > 0)
            text += QStringLiteral("; %1 not rendered").arg(CountText(left));
        text += QStringLiteral(".");
    } else {
        text += QStringLiteral(" Finished in %1.").arg(DurationText(summary.milliseconds));
    }
    return text;
}
