// Painting the visible part of the catalog window for a small and a huge catalog: the grid's
// painter alone, and the real window (its model, Find's filter model and its delegate). Only
// the cells that meet the painted area are drawn, so the time must not grow with the catalog.
// The cases take turns, paint after paint, so that a busy machine slows them all alike; each
// case's best time counts.

#include "benchsupport.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "paint/catalogpainter.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogkind.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/documenttemplate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

constexpr int kRuns = 200;

Catalog MakeCatalog(int count) {
    Catalog catalog;
    std::vector<std::uint8_t> pixels(120 * 120 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = static_cast<std::uint8_t>(i * 13);
    SimpleTexture texture;
    texture.Thumbnail().SetBits(120, 120, pixels, false);
    for (int i = 0; i < count; ++i) {
        texture.SetName("Texture " + std::to_string(i));
        catalog.AddTexture(texture);
    }
    for (int i = 0; i < count; i += 7)
        catalog.Select(i);
    return catalog;
}

/// One way of painting an 800 x 600 window, and its best time so far.
struct Case {
    const char* name;
    std::function<void()> paint;
    double best = 1e9;
};

/// The painter alone, on a window scrolled to `fraction` of the grid, showing every texture or
/// only those of `shown`.
std::function<void()> PainterCase(const Catalog& catalog, double fraction,
                                  const std::vector<int>* shown = nullptr) {
    auto window = std::make_shared<QImage>(800, 600, QImage::Format_RGB32);
    const CatalogPainter painter(catalog, BitmapDrawRoute::Direct, shown);
    const int top = static_cast<int>(painter.Layout(800).ContentHeight() * fraction);
    return [window, painter, top] {
        QPainter canvas(window.get());
        canvas.translate(0, -top);
        painter.Paint(canvas, QRect(0, top, 800, 600), 800);
    };
}

/// The catalog window on a copy of `catalog`, scrolled to `fraction` of its grid, showing every
/// texture or, with `find`, those whose name or description holds it, at `zoom` percent.
std::function<void()> WindowCase(DocumentTemplate& kind, const Catalog& catalog, double fraction,
                                 const QString& find = QString(), int zoom = 100) {
    std::shared_ptr<Document> document = kind.CreateDocument();
    Catalog copy;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        // Each its own texture, as in a real catalog, not copies of one.
        std::unique_ptr<Texture> texture = catalog.GetTexture(i).Clone();
        texture->TakeNewId();
        copy.AddTexture(std::move(texture));
    }
    for (int index : catalog.GetSelectedIndices())
        copy.Select(index);
    static_cast<CatalogDocument&>(*document).Model().ResetContents(std::move(copy));
    std::shared_ptr<CatalogView> window(static_cast<CatalogView*>(kind.CreateView(*document)));
    window->SetZoom(zoom);
    window->resize(800, 600);
    window->show();
    if (!QTest::qWaitForWindowExposed(window.get()))
        std::exit(1);
    window->FindField()->setText(find);
    QApplication::processEvents();
    QScrollBar* bar = window->verticalScrollBar();
    bar->setValue(static_cast<int>(bar->maximum() * fraction));
    QApplication::processEvents();
    // The window goes before its document.
    return [document, window] { window->viewport()->repaint(); };
}

void Report(const std::vector<Case>& cases, std::size_t first, std::size_t count) {
    const double small = cases[first].best;
    for (std::size_t k = first; k < first + count; ++k)
        std::printf("  %-44s %7.3f ms  ratio %.2f\n", cases[k].name, cases[k].best,
                    cases[k].best / small);
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const Catalog small = MakeCatalog(100);
    const Catalog huge = MakeCatalog(20000);
    // Find: the textures whose name holds "7" (about a third of them).
    std::vector<int> shown;
    for (int i = 0; i < huge.GetCount(); ++i)
        if (huge.GetTexture(i).GetName().find('7') != std::string::npos)
            shown.push_back(i);
    BenchServices services;
    std::unique_ptr<DocumentTemplate> kind = MakeCatalogKind(services);
    const QString seven = QStringLiteral("7");

    std::vector<Case> cases = {
        {"painter,    100 textures", PainterCase(small, 0.0)},
        {"painter, 20,000 textures, top", PainterCase(huge, 0.0)},
        {"painter, 20,000 textures, middle", PainterCase(huge, 0.5)},
        {"painter, 20,000 textures, found \"7\", top", PainterCase(huge, 0.0, &shown)},
        {"painter, 20,000 textures, found \"7\", middle", PainterCase(huge, 0.5, &shown)},
        {"window,     100 textures", WindowCase(*kind, small, 0.0)},
        {"window,  20,000 textures, top", WindowCase(*kind, huge, 0.0)},
        {"window,  20,000 textures, middle", WindowCase(*kind, huge, 0.5)},
        {"window,  20,000 textures, Find \"7\", top", WindowCase(*kind, huge, 0.0, seven)},
        {"window,  20,000 textures, Find \"7\", middle", WindowCase(*kind, huge, 0.5, seven)},
        {"window 200 %,     100 textures", WindowCase(*kind, small, 0.0, {}, 200)},
        {"window 200 %, 20,000 textures, top", WindowCase(*kind, huge, 0.0, {}, 200)},
        {"window 200 %, 20,000 textures, middle", WindowCase(*kind, huge, 0.5, {}, 200)},
        {"window 200 %, 20,000 textures, Find \"7\"", WindowCase(*kind, huge, 0.5, seven, 200)},
    };
    for (int run = 0; run < kRuns; ++run)
        for (Case& one : cases) {
            QElapsedTimer timer;
            timer.start();
            one.paint();
            one.best = std::min(one.best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
        }
    std::printf("best of %d paints of 800 x 600, ratio to 100 textures (target: at most 1.5)\n",
                kRuns);
    Report(cases, 0, 5);
    Report(cases, 5, 5);
    Report(cases, 10, 4);
    return 0;
}
