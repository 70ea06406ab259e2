// A large batch of thumbnails rendered by the real POV-Ray through the render queue with the
// default Parallel Renders: each thumbnail a POV-Ray run of its own, against several rendered
// as the frames of one run. Reports the wall time, the processor time per thumbnail (POV-Ray
// and this program), the most POV-Ray processes at once, and how long a Preview render takes
// during the batch against an idle one. Both ways must give the same pictures, byte for byte.
//
//     build/bench/batch_bench [THUMBNAILS [PLACES]]   (2,000 by default, Parallel Renders' default)

#include "batchrun.h"
#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/shapes/builtinshapes.h"
#include "povrayprocesses.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/povray/thumbnailbatchrender.h"
#include "render/settings/programsettings.h"
#include "samplecatalog.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <sys/resource.h>
#include <vector>

namespace {

Catalog Textures(int count) {
    const Catalog sample = BuildSampleCatalog();
    Catalog catalog;
    for (int i = 0; catalog.GetCount() < count; i = (i + 1) % sample.GetCount())
        if (sample.GetTexture(i).Kind() == TextureKind::Simple)
            catalog.AddTexture(sample.GetTexture(i));
    catalog.SelectAll();
    return catalog;
}

/// Processor time of this program and of the children it has reaped, in seconds.
double ProcessorSeconds() {
    double seconds = 0.0;
    for (int who : {RUSAGE_SELF, RUSAGE_CHILDREN}) {
        rusage usage{};
        getrusage(who, &usage);
        seconds += static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                   static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    return seconds;
}

/// Milliseconds a Preview render of `texture` takes through `queue`.
double PreviewMilliseconds(RenderQueue& queue, const Texture& texture) {
    PictureRender preview(texture, 120, 120);
    QElapsedTimer timer;
    timer.start();
    QEventLoop loop;
    QObject::connect(&preview, &QueuedRender::finished, &loop, &QEventLoop::quit);
    preview.Start(queue, QueuedRender::Priority::Preview);
    loop.exec();
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

struct Run {
    double seconds = 0.0;
    double processorSeconds = 0.0;
    int mostPovRays = 0;
    double previewMilliseconds = 0.0;
    std::vector<std::uint8_t> pictures;
};

Run RenderAll(PovRayRunner& runner, int thumbnails, int places, std::size_t framesPerRun,
              const Texture& previewed) {
    Catalog catalog = Textures(thumbnails);
    ThumbnailBatch plan(catalog, true, false);
    CatalogTextures textures(catalog, plan);
    ThumbnailBatchRender batch(std::move(plan), textures);
    batch.SetFramesPerRun(framesPerRun);
    RenderQueue queue(runner, [places] { return places; });
    Run run;
    QTimer watch;
    watch.setInterval(50);
    QObject::connect(&watch, &QTimer::timeout,
                     [&run] { run.mostPovRays = std::max(run.mostPovRays, PovRaysRunning()); });
    // The Preview is asked for once a third of the batch is through.
    bool asked = false;
    QObject::connect(&batch, &ThumbnailBatchRender::progress, [&] {
        if (!asked && batch.Status().texturesDone * 3 >= thumbnails) {
            asked = true;
            run.previewMilliseconds = PreviewMilliseconds(queue, previewed);
        }
    });
    const double processor = ProcessorSeconds();
    QElapsedTimer timer;
    timer.start();
    watch.start();
    RunBatchOrExit(batch, queue, textures, thumbnails);
    run.seconds = static_cast<double>(timer.nsecsElapsed()) / 1e9;
    run.processorSeconds = ProcessorSeconds() - processor;
    run.pictures = ThumbnailBits(catalog);
    return run;
}

} // namespace

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    const int thumbnails = argc > 1 ? std::max(1, std::atoi(argv[1])) : 2000;
    QTemporaryDir folder;
    const ProgramSettings settings = SettingsOrExit(folder.path());
    const ShapeList shapes = BuiltinShapes();
    PovRayRunner runner(settings, shapes);
    const int places = argc > 2 ? std::max(1, std::atoi(argv[2])) : DefaultParallelRenders();
    const Catalog sample = Textures(1);
    const Texture& previewed = sample.GetTexture(0);

    RenderQueue idleQueue(runner, [places] { return places; });
    std::vector<double> idle;
    for (int i = 0; i < 3; ++i)
        idle.push_back(PreviewMilliseconds(idleQueue, previewed));
    std::sort(idle.begin(), idle.end());
    const double idlePreview = idle[1];

    std::printf("%d thumbnails of 120x120 on %d cores, Parallel Renders %d\n", thumbnails,
                QThread::idealThreadCount(), places);
    std::printf("%-24s %9s %12s %12s %10s %14s\n", "", "seconds", "thumbs/s", "CPU ms/thumb",
                "most runs", "Preview ms");
    const Run single = RenderAll(runner, thumbnails, places, 1, previewed);
    const Run frames =
        RenderAll(runner, thumbnails, places, ThumbnailBatchRender::kMaxFrames, previewed);
    for (const auto& [label, run] :
         {std::pair{"one run each", &single}, std::pair{"frames of shared runs", &frames}})
        std::printf("%-24s %9.2f %12.1f %12.1f %10d %14.0f\n", label, run->seconds,
                    thumbnails / run->seconds, 1000.0 * run->processorSeconds / thumbnails,
                    run->mostPovRays, run->previewMilliseconds);
    std::printf("Preview idle: %.0f ms; during the batch with frames: %.2fx idle (aim: at most "
                "1.5x)\n",
                idlePreview, frames.previewMilliseconds / idlePreview);
    std::printf("frames against one run each: %.2fx the speed, %.2fx the processor time\n",
                single.seconds / frames.seconds, frames.processorSeconds / single.processorSeconds);
    const bool same = single.pictures == frames.pictures;
    std::printf("pictures: %s\n", same ? "byte-identical" : "DIFFERENT");
    return same ? 0 : 1;
}
