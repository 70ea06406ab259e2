// Thirty-two thumbnails rendered by the real POV-Ray one at a time and 4, 8, 16, 32 and the
// default number side by side, in the same run. A thumbnail costs POV-Ray little CPU (about
// 10 ms) but most of a second of start-up and waiting in its own polling loops, so renders side
// by side finish many times sooner even on two cores. Every run must give the same pictures,
// byte for byte, as the run one at a time.

#include "batchrun.h"
#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/shapes/builtinshapes.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"
#include "samplecatalog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <utility>
#include <vector>

namespace {

constexpr int kThumbnails = 32;
constexpr double kTargetSpeedUp = 12.0;

Catalog ThirtyTwoTextures() {
    const Catalog sample = BuildSampleCatalog();
    Catalog catalog;
    for (int i = 0; catalog.GetCount() < kThumbnails; i = (i + 1) % sample.GetCount())
        if (sample.GetTexture(i).Kind() == TextureKind::Simple)
            catalog.AddTexture(sample.GetTexture(i));
    return catalog;
}

struct Run {
    double seconds = 0.0;
    std::vector<std::uint8_t> pictures; ///< every thumbnail's bits, in catalog order
};

Run RenderAll(PovRayRunner& runner, int jobs) {
    Catalog catalog = ThirtyTwoTextures();
    catalog.SelectAll();
    ThumbnailBatch plan(catalog, true, false);
    CatalogTextures textures(catalog, plan);
    ThumbnailBatchRender batch(std::move(plan), textures);
    RenderQueue queue(runner, [jobs] { return jobs; });
    QElapsedTimer timer;
    timer.start();
    RunBatchOrExit(batch, queue, textures, kThumbnails);
    Run run;
    run.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    run.pictures = ThumbnailBits(catalog);
    return run;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    QTemporaryDir folder;
    const ProgramSettings settings = SettingsOrExit(folder.path());
    const ShapeList shapes = BuiltinShapes();
    PovRayRunner runner(settings, shapes);
    const int defaultJobs = DefaultParallelRenders();

    RenderAll(runner, 8); // warm the file cache and POV-Ray's own start-up files
    const Run one = RenderAll(runner, 1);
    std::printf("%d thumbnails of 120x120 on %d cores (POV-Ray run through the render queue)\n",
                kThumbnails, QThread::idealThreadCount());
    std::printf("%-22s %9s %9s  %s\n", "side by side", "seconds", "speed-up", "pictures");
    std::printf("%-22s %9.2f %8.2fx  %s\n", "1 (one at a time)", one.seconds, 1.0, "reference");
    bool identical = true;
    double defaultSpeedUp = 0.0;
    const std::pair<int, bool> rows[] = {
        {4, false}, {8, false}, {16, false}, {32, false}, {defaultJobs, true}};
    for (const auto& [jobs, isDefault] : rows) {
        const Run run = RenderAll(runner, jobs);
        const bool same = run.pictures == one.pictures;
        identical = identical && same;
        char label[40];
        std::snprintf(label, sizeof label, isDefault ? "%d (default)" : "%d", jobs);
        std::printf("%-22s %9.2f %8.2fx  %s\n", label, run.seconds, one.seconds / run.seconds,
                    same ? "byte-identical" : "DIFFERENT");
        if (isDefault)
            defaultSpeedUp = one.seconds / run.seconds;
    }
    std::printf("default Parallel Renders: %d (%d per core, capped by free memory at %lld MB a "
                "render, at most %d)\n",
                defaultJobs, kRendersPerCore, kMemoryPerRender / (1024 * 1024),
                kMaximumParallelRenders);
    std::printf("default speed-up: %.2fx (target: at least %.0fx)\n", defaultSpeedUp,
                kTargetSpeedUp);
    return identical ? 0 : 1;
}
