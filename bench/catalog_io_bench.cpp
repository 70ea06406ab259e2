// Saving and loading a large catalog, measured against copying the same bytes file to file.
// Prints the best of several runs of each and the ratios; the targets: a save (checked, synced
// and renamed into place) within 1.5x a synced copy, a load within 2x a copy.

#include "besttime.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "render/files/catalogfile.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <unistd.h>
#include <vector>

namespace {

Catalog MakeCatalog(int count) {
    Catalog catalog;
    std::vector<std::uint8_t> pixels(120 * 120 * 3);
    for (int i = 0; i < count; ++i) {
        SimpleTexture texture;
        texture.SetName("Texture " + std::to_string(i));
        texture.SetDescription("A benchmark texture with a description of moderate length.");
        texture.pigment.pattern = static_cast<std::uint8_t>(i % 10);
        for (std::size_t p = 0; p < pixels.size(); ++p)
            pixels[p] = static_cast<std::uint8_t>(p * 7 + static_cast<std::size_t>(i));
        texture.Thumbnail().SetBits(120, 120, pixels, false);
        catalog.AddTexture(std::make_unique<SimpleTexture>(std::move(texture)));
    }
    return catalog;
}

bool CopyFile(const QString& from, const QString& to, bool durable = false) {
    std::FILE* in = std::fopen(from.toLocal8Bit().constData(), "rb");
    std::FILE* out = std::fopen(to.toLocal8Bit().constData(), "wb");
    if (!in || !out)
        return false;
    std::vector<char> buffer(1 << 20);
    std::size_t n;
    while ((n = std::fread(buffer.data(), 1, buffer.size(), in)) > 0)
        std::fwrite(buffer.data(), 1, n, out);
    std::fclose(in);
    if (durable && (std::fflush(out) != 0 || fdatasync(fileno(out)) != 0))
        return false;
    return std::fclose(out) == 0;
}

} // namespace

int main() {
    QTemporaryDir dir;
    const QString catalogPath = dir.filePath(QStringLiteral("bench.vlv"));
    const QString copyPath = dir.filePath(QStringLiteral("copy.vlv"));
    Catalog catalog = MakeCatalog(2000);

    const int runs = 5;
    const double save = BestSeconds(runs, [&] {
        if (!SaveCatalogFile(catalogPath, catalog))
            std::abort();
    });
    const double load = BestSeconds(runs, [&] {
        Catalog loaded;
        if (!OpenCatalogFile(catalogPath, loaded) || loaded.GetCount() != 2000)
            std::abort();
    });
    const double copy = BestSeconds(runs, [&] {
        if (!CopyFile(catalogPath, copyPath))
            std::abort();
    });

    // A save must reach the disk before it replaces the old file, so it also pays for a
    // data sync; the durable copy shows what that costs on this machine.
    const double durableCopy = BestSeconds(runs, [&] {
        if (!CopyFile(catalogPath, copyPath, true))
            std::abort();
    });

    const double megabytes = static_cast<double>(QFileInfo(catalogPath).size()) / 1e6;
    std::printf("catalog of 2000 textures with 120x120 thumbnails: %.1f MB\n", megabytes);
    std::printf("copy file to file:          %8.1f ms\n", copy * 1000);
    std::printf("copy file to file + sync:   %8.1f ms\n", durableCopy * 1000);
    std::printf("save catalog (atomic, sync): %7.1f ms  (%.2fx the copy, %.2fx the synced copy)\n",
                save * 1000, save / copy, save / durableCopy);
    std::printf("load catalog:               %8.1f ms  (%.2fx the copy)\n", load * 1000,
                load / copy);
    std::printf("target: save within 1.5x the synced copy, load within 2x the copy\n");
    return 0;
}
