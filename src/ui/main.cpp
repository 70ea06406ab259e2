// Velvane: the desktop editor for catalogs of POV-Ray textures.

#include "render/settings/runtimedirnote.h"
#include "ui/app/application.h"
#include "ui/app/mainwindow.h"
#include "ui/framework/document.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>
#include <cstdio>
#include <cstring>

namespace {

/// "--screenshot FILE": start without asking anything, open the files, save a picture of the
/// main window and quit. Lets scripts and machines without a screen show the program.
QString TakeScreenshotOption(QStringList& arguments) {
    const qsizetype at = arguments.indexOf(QStringLiteral("--screenshot"));
    if (at < 0 || at + 1 >= arguments.size())
        return {};
    QString path = arguments[at + 1];
    arguments.remove(at, 2);
    return path;
}

const char* const kUsage =
    "usage: velvane [CATALOG.vlv | MAP.bmp]...\n"
    "       velvane --screenshot FILE [CATALOG.vlv | MAP.bmp]...\n"
    "Opens each file in a window of its own. --screenshot saves a picture of the main window to\n"
    "FILE and quits. --version prints the version.\n";

/// --help and --version are answered before the window system is needed, so they work in a
/// terminal without a display.
bool AnsweredWithoutWindows(int argc, char* argv[]) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0 || std::strcmp(argv[i], "-v") == 0) {
            std::puts("velvane " VELVANE_VERSION);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kUsage, stdout);
            return true;
        }
    }
    return false;
}

} // namespace

int main(int argc, char* argv[]) {
    QuietenRuntimeDirNote();
    if (AnsweredWithoutWindows(argc, argv))
        return 0;
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Velvane"));
    QApplication::setApplicationVersion(QStringLiteral(VELVANE_VERSION));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/velvane.png")));
    Q_INIT_RESOURCE(velvane);

    QStringList files = QApplication::arguments().mid(1);
    const QString screenshot = TakeScreenshotOption(files);
    Application app;
    StartupOptions options;
    if (!screenshot.isEmpty()) {
        // Nobody is there to answer: messages go to stderr and nothing waits for a click.
        Prompts::SetMessageResponder([](Prompts::Icon, const QString& title, const QString& text,
                                        QMessageBox::StandardButtons) {
            std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(),
                         text.toLocal8Bit().constData());
            return QMessageBox::Ok;
        });
        options.interactive = false;
    }
    if (!app.Startup(files, options))
        return 1;
    if (!screenshot.isEmpty()) {
        QTimer::singleShot(1500, &app, [&] {
            const bool saved = app.Frame().grab().save(screenshot);
            std::fprintf(stderr, saved ? "Saved %s\n" : "Cannot write %s\n",
                         screenshot.toLocal8Bit().constData());
            for (const auto& document : app.Documents())
                document->SetModifiedFlag(false);
            app.Frame().close();
        });
    }
    return application.exec();
}
