#pragma once

#include <QString>
#include <QStringList>

/// Where a batch of thumbnails stands.
struct BatchStatus {
    int texturesDone = 0; ///< textures through, rendered or failed
    int texturesTotal = 0;
    qint64 millisecondsLeft = -1; ///< estimated from the renders so far; -1 while unknown
};

/// How a batch of thumbnails went, for the summary at its end.
struct BatchSummary {
    int total = 0;          ///< textures in the batch
    int rendered = 0;       ///< textures whose thumbnails were all taken
    QStringList failed;     ///< textures POV-Ray could not render (they stay selected)
    QString firstFailure;   ///< why the first of them failed
    int dropped = 0;        ///< textures deleted before their thumbnails came
    bool stopped = false;   ///< the batch ended before its end (Stop, or POV-Ray could not run)
    QString stoppedBecause; ///< why POV-Ray could not go on, when that ended it (not a Stop)
    qint64 milliseconds = 0;
};

/// "1,989": whole numbers as the program writes them, whatever the locale.
QString CountText(qint64 value);
/// "45 s", "2 min 5 s", "1 h 20 min".
QString DurationText(qint64 milliseconds);
/// "1,987 rendered, 2 failed: Oak, Pine. Stopped after 1 min 5 s; 12 not rendered."
QString SummaryText(const BatchSummary& summary);
