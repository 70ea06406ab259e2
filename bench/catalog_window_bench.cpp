// The catalog window on a catalog of 70,002 textures (more than the 65,535 a short count holds):
// how long opening it, scrolling to the end, Select All and a Find take until the window has
// painted the result, and how much memory the window adds to the catalog itself. Every
// sixteenth texture has a 120 x 120 thumbnail, the others are not rendered yet (as after an
// import). Run it from a Release build; each step should stay within half a second.
//
//     build-release/bench/catalog_window_bench

#include "benchsupport.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogkind.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/document.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/documentview.h"

#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <malloc.h>

namespace {

constexpr int kTextures = 70002;
constexpr int kRenderedEvery = 16;

double ResidentMegabytes() {
    QFile statm(QStringLiteral("/proc/self/statm"));
    if (!statm.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = statm.readAll().split(' ');
    return fields.size() > 1 ? fields[1].toDouble() * 4096.0 / (1024.0 * 1024.0) : 0.0;
}

QString WriteCatalog(const QTemporaryDir& folder) {
    Catalog catalog;
    std::vector<std::uint8_t> pixels(120 * 120 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 13);
    for (int i = 0; i < kTextures; ++i) {
        auto texture = std::make_unique<SimpleTexture>();
        texture->SetName("Texture " + std::to_string(i));
        texture->SetDescription("Number " + std::to_string(i) + " of the large catalog");
        if (i % kRenderedEvery == 0)
            texture->Thumbnail().SetBits(120, 120, pixels, false);
        catalog.AddTexture(std::move(texture));
    }
    const QString path = folder.filePath(QStringLiteral("large.vlv"));
    SaveCatalogOrExit(catalog, path);
    return path;
}

/// Lets the window finish what the step started and paints it.
void Settle(QAbstractScrollArea* window) {
    QApplication::processEvents();
    window->viewport()->repaint();
}

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

constexpr int kScrollFrames = 600;

/// Frames a second while the grid scrolls by one wheel notch a frame, `direction` 1 down and
/// -1 up, each frame painted before the next.
double ScrollFramesPerSecond(QAbstractScrollArea* window, int direction) {
    QScrollBar* bar = window->verticalScrollBar();
    const int notch = bar->singleStep() * QApplication::wheelScrollLines();
    QElapsedTimer timer;
    timer.start();
    for (int frame = 0; frame < kScrollFrames; ++frame) {
        bar->setValue(bar->value() + direction * notch);
        Settle(window);
    }
    return kScrollFrames / (Milliseconds(timer) / 1000.0);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = WriteCatalog(folder);
    BenchServices services;
    services.settings.programDirectory = folder.path();
    std::unique_ptr<DocumentTemplate> kind = MakeCatalogKind(services);
    malloc_trim(0);
    const double heapBefore = HeapMegabytes();
    const double residentBefore = ResidentMegabytes();

    QElapsedTimer timer;
    timer.start();
    std::unique_ptr<Document> document = kind->CreateDocument();
    if (!document->Load(path)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    const double load = Milliseconds(timer);
    const double heapCatalog = HeapMegabytes();
    DocumentView* view = kind->CreateView(*document);
    auto* window = qobject_cast<QAbstractScrollArea*>(view->Widget());
    window->resize(1000, 700);
    window->show();
    if (!QTest::qWaitForWindowExposed(window)) {
        std::fprintf(stderr, "the window did not show\n");
        return 1;
    }
    Settle(window);
    const double open = Milliseconds(timer);
    const double heapOpen = HeapMegabytes();

    timer.restart();
    window->verticalScrollBar()->setValue(window->verticalScrollBar()->maximum());
    Settle(window);
    const double scroll = Milliseconds(timer);

    timer.restart();
    auto* catalogView = qobject_cast<CatalogView*>(window);
    catalogView->Action(QStringLiteral("Select All"))->trigger();
    Settle(window);
    const double selectAll = Milliseconds(timer);
    if (catalogView->Document().Contents().GetSelectedCount() != kTextures) {
        std::fprintf(stderr, "Select All did not select every texture\n");
        return 1;
    }

    auto* find = window->findChild<QLineEdit*>();
    timer.restart();
    find->setText(QStringLiteral("6999"));
    Settle(window);
    const double found = Milliseconds(timer);
    timer.restart();
    find->setText(QString());
    Settle(window);
    const double unfound = Milliseconds(timer);
    // About half the names hold a "7", scattered all over the catalog.
    timer.restart();
    find->setText(QStringLiteral("7"));
    Settle(window);
    const double scattered = Milliseconds(timer);
    timer.restart();
    find->setText(QString());
    Settle(window);
    const double unscattered = Milliseconds(timer);

    malloc_trim(0);
    const double heapAfter = HeapMegabytes();
    const double residentAfter = ResidentMegabytes();

    // At 200 %, from the top: new rows every frame going down, the same rows again going up.
    qobject_cast<CatalogView*>(window)->SetZoom(200);
    window->verticalScrollBar()->setValue(0);
    Settle(window);
    const double down = ScrollFramesPerSecond(window, 1);
    const double up = ScrollFramesPerSecond(window, -1);
    std::printf("catalog of %d textures, every %dth with a thumbnail\n", kTextures, kRenderedEvery);
    std::printf("  open (read the file, show the window)  %8.1f ms (reading alone %.1f ms)\n", open,
                load);
    std::printf("  scroll to the end                      %8.1f ms\n", scroll);
    std::printf("  Select All                             %8.1f ms\n", selectAll);
    std::printf("  Find \"6999\" / clear the Find           %8.1f ms / %.1f ms\n", found, unfound);
    std::printf("  Find \"7\" / clear the Find              %8.1f ms / %.1f ms\n", scattered,
                unscattered);
    std::printf("  heap: catalog %.1f MB; the window %.1f MB when opened, %.1f MB after the steps; "
                "resident %.1f MB more in all\n",
                heapCatalog - heapBefore, heapOpen - heapCatalog, heapAfter - heapCatalog,
                residentAfter - residentBefore);
    std::printf("  scroll at 200 %%, %d notches down / up   %8.0f / %.0f frames a second "
                "(target: at least 60)\n",
                kScrollFrames, down, up);
    const double slowest =
        std::max({open, scroll, selectAll, found, unfound, scattered, unscattered});
    std::printf("slowest step %.1f ms; target: each within 500 ms\n", slowest);
    delete window;
    return 0;
}
