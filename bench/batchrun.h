#pragma once

// What the batch benchmarks share: settings that find POV-Ray, a batch of thumbnails run to its
// end, and its pictures.

#include "core/catalog/catalog.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/renderqueue.h"
#include "render/povray/thumbnailbatchrender.h"
#include "render/settings/programsettings.h"

#include <QEventLoop>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

/// The program's settings with `programDirectory`; ends the benchmark when they find no POV-Ray.
inline ProgramSettings SettingsOrExit(const QString& programDirectory) {
    ProgramSettings settings;
    settings.programDirectory = programDirectory;
    if (settings.EffectivePovExecutable().isEmpty()) {
        std::fprintf(stderr, "povray is not installed\n");
        std::exit(1);
    }
    return settings;
}

/// Runs `batch` on `queue` until it has finished; ends the benchmark when it failed or left one
/// of `thumbnails` out.
inline void RunBatchOrExit(ThumbnailBatchRender& batch, RenderQueue& queue,
                           const CatalogTextures& textures, int thumbnails) {
    QEventLoop loop;
    QObject::connect(&batch, &ThumbnailBatchRender::finished, &loop, &QEventLoop::quit);
    batch.Start(queue);
    loop.exec();
    if (!batch.Result().Succeeded() || textures.Taken() != thumbnails) {
        std::fprintf(stderr, "render failed: %s\n",
                     batch.Result().message.toLocal8Bit().constData());
        std::exit(1);
    }
}

/// Every thumbnail's bits, in catalog order.
inline std::vector<std::uint8_t> ThumbnailBits(const Catalog& catalog) {
    std::vector<std::uint8_t> pictures;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const auto bits = catalog.GetTexture(i).Thumbnail().Bits();
        pictures.insert(pictures.end(), bits.begin(), bits.end());
    }
    return pictures;
}
