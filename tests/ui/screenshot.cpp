#include "screenshot.h"

#include <QDir>
#include <QPixmap>
#include <QWidget>
#include <gtest/gtest.h>

void SaveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = QStringLiteral(VELVANE_TEST_OUTPUT_DIR "/screenshots");
    if (!QDir().mkpath(folder)) {
        ADD_FAILURE() << "cannot make " << folder.toStdString();
        return;
    }
    QString file = name.endsWith(QLatin1String(".png")) ? name.chopped(4) : name;
    if (qEnvironmentVariableIsSet("QT_SCALE_FACTOR"))
        file += QStringLiteral("-x") + qEnvironmentVariable("QT_SCALE_FACTOR");
    const QString path = QDir(folder).filePath(file + QStringLiteral(".png"));
    QFile::remove(path);
    const QPixmap picture = widget->grab();
    if (picture.isNull() || picture.width() < 8 || picture.height() < 8)
        ADD_FAILURE() << "an empty picture of " << path.toStdString();
    else if (!picture.save(path, "PNG"))
        ADD_FAILURE() << "cannot write " << path.toStdString();
}
