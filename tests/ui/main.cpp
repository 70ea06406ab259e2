// Widget tests run in a GUI application on the offscreen platform, so they need no display.

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velvane"));
    Q_INIT_RESOURCE(velvane);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
