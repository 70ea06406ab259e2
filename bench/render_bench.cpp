// Sixteen thumbnails rendered by the real POV-Ray one at a time and eight at a time, in the
// same run. A thumbnail costs POV-Ray little CPU but most of a second of start-up and waiting,
// so renders side by side should finish several times sooner even on two cores.

#include "core/catalog/thumbnailbatch.h"
#include "core/catalog/catalog.h"
#include "render/povray/batchrender.h"
#include "render/povray/povrayrunner.h"
#include "render/settings/programsettings.h"
#include "core/shapes/builtinshapes.h"
#include "samplecatalog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>

#include <cstdio>

namespace {

Catalog SixteenTextures() {
    const Catalog sample = BuildSampleCatalog();
    Catalog catalog;
    for (int i = 0; i < 16; ++i)
        if (sample.GetTexture(i).IsSimple())
            catalog.AddTexture(sample.GetTexture(i));
    for (int i = 0; catalog.GetCount() < 16; ++i)
        catalog.AddTexture(sample.GetTexture(i));
    return catalog;
}

double Seconds(PovRayRunner& runner, int jobs) {
    Catalog catalog = SixteenTextures();
    catalog.SelectAll();
    ThumbnailBatch batch(catalog, true, false);
    SilentProgressSink sink;
    QElapsedTimer timer;
    timer.start();
    const RenderResult result = RenderThumbnailBatch(runner, batch, jobs, sink);
    if (!result.Succeeded()) {
        std::fprintf(stderr, "render failed: %s\n", result.message.toLocal8Bit().constData());
        std::exit(1);
    }
    return static_cast<double>(timer.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    ProgramSettings settings;
    settings.programDirectory = folder.path();
    if (settings.EffectivePovExecutable().isEmpty()) {
        std::fprintf(stderr, "povray is not installed\n");
        return 1;
    }
    const ShapeList shapes = BuiltinShapes();
    PovRayRunner runner(settings, shapes);

    Seconds(runner, 8); // warm the file cache and POV-Ray's own start-up files
    const double one = Seconds(runner, 1);
    const double eight = Seconds(runner, 8);
    std::printf("16 thumbnails of 120x120, one job:    %6.2f s\n", one);
    std::printf("16 thumbnails of 120x120, eight jobs: %6.2f s\n", eight);
    std::printf("speed-up: %.2fx (target: at least 4x)\n", one / eight);
    return 0;
}
