#pragma once

#include <QString>

class QWidget;

/// Grabs the widget as it shows and writes it to screenshots/NAME.png under the build folder
/// (NAME-xS.png at QT_SCALE_FACTOR S), for people to look at. A picture that is empty or cannot
/// be written is a test failure.
void SaveScreenshot(QWidget* widget, const QString& name);
