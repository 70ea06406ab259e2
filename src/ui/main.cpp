// Velvane: the desktop editor for catalogs of POV-Ray textures.

#include "app/ulvorapp.h"

#include <QApplication>
#include <QIcon>

int main(int argc, char* argv[]) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velvane"));
    QApplication::setApplicationVersion(QStringLiteral(VELVANE_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velvane.png")));
    Q_INIT_RESOURCE(velvane);

    CUlvorApp app;
    if (!app.Startup(QApplication::arguments().mid(1)))
        return 1;
    return application.exec();
}
