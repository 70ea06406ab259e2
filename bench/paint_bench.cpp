// Painting the visible part of the catalog window for a small and a huge catalog. Only the
// cells that meet the painted area are drawn, so the time must not grow with the catalog.

#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "paint/catalogpainter.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cstdio>

namespace {

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

/// Best time of several paints of an 800 x 600 window scrolled to `fraction` of the grid,
/// showing every texture or only those of `shown`.
double PaintMilliseconds(const Catalog& catalog, double fraction,
                         const std::vector<int>* shown = nullptr) {
    QImage window(800, 600, QImage::Format_RGB32);
    const CatalogPainter painter(catalog, BitmapDrawRoute::Direct, shown);
    const int top = static_cast<int>(painter.Layout(800).ContentHeight() * fraction);
    double best = 1e9;
    for (int run = 0; run < 50; ++run) {
        QElapsedTimer timer;
        timer.start();
        QPainter canvas(&window);
        canvas.translate(0, -top);
        painter.Paint(canvas, QRect(0, top, 800, 600), 800);
        canvas.end();
        best = std::min(best, static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
    return best;
}

} // namespace

int main(int argc, char* argv[]) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const Catalog small = MakeCatalog(100);
    const Catalog huge = MakeCatalog(20000);
    const double smallTime = PaintMilliseconds(small, 0.0);
    const double hugeTop = PaintMilliseconds(huge, 0.0);
    const double hugeMiddle = PaintMilliseconds(huge, 0.5);
    std::printf("paint 800x600 of a catalog of    100 textures: %7.3f ms\n", smallTime);
    std::printf(
        "paint 800x600 of a catalog of 20,000 textures: %7.3f ms (top), %7.3f ms (middle)\n",
        hugeTop, hugeMiddle);
    std::printf("ratio: %.2f (top), %.2f (middle); target: at most 1.5\n", hugeTop / smallTime,
                hugeMiddle / smallTime);

    // Find: the grid shows the textures whose name holds "7" (about a third of them).
    std::vector<int> shown;
    for (int i = 0; i < huge.GetCount(); ++i)
        if (huge.GetTexture(i).GetName().find('7') != std::string::npos)
            shown.push_back(i);
    const double filteredTop = PaintMilliseconds(huge, 0.0, &shown);
    const double filteredMiddle = PaintMilliseconds(huge, 0.5, &shown);
    std::printf(
        "paint 800x600 of %zu found among 20,000 textures: %7.3f ms (top), %7.3f ms (middle)\n",
        shown.size(), filteredTop, filteredMiddle);
    std::printf("ratio: %.2f (top), %.2f (middle); target: at most 1.5\n", filteredTop / smallTime,
                filteredMiddle / smallTime);
    return 0;
}
