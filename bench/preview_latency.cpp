// How long a single 120 x 120 render takes from the click on Render, and from a change with Auto
// on (idle, and while a batch of thumbnails renders), to the picture on the screen, against
// POV-Ray's own run time for the same scene and command line. Run it on a display (xvfb-run
// works); it prints the medians and their ratios, and fails when a change takes more than half
// of POV-Ray's run.
//
//     xvfb-run -a build/bench/preview_latency [RUNS]

#include "benchsupport.h"
#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/simpletexture.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/thumbnailbatchrender.h"
#include "ui/editors/pictureframe.h"
#include "ui/editors/previewwindow.h"
#include "ui/framework/documenttemplate.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr int kSize = 120;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2.0;
}

double Milliseconds(const QElapsedTimer& timer) {
    return static_cast<double>(timer.nsecsElapsed()) / 1e6;
}

/// POV-Ray alone: the command line the program uses, on the same texture and scene, written
/// beforehand into a folder of their own.
double PovRayAlone(PovRayRunner& runner, const SimpleTexture& texture) {
    QString folder;
    RenderRemarks remarks;
    if (!runner.NewJobFolder(folder).Succeeded() ||
        !runner.WriteTextureFile(texture, folder).Succeeded() ||
        !runner.WriteScene(texture.GetName(), texture.GetPreviewShape(), folder, remarks)
             .Succeeded()) {
        std::fprintf(stderr, "cannot write the scene\n");
        std::exit(1);
    }
    const PovCommand command = runner.Command(OutputFileName(), kSize, kSize);
    QStringList arguments;
    for (const std::string& argument : command.arguments)
        arguments << QString::fromStdString(argument);
    QProcess process;
    process.setWorkingDirectory(folder);
    process.setStandardInputFile(QProcess::nullDevice());
    QEventLoop loop;
    QObject::connect(&process, &QProcess::finished, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    process.start(QString::fromStdString(command.executable), arguments);
    loop.exec();
    const double elapsed = Milliseconds(timer);
    if (process.exitCode() != 0) {
        std::fprintf(stderr, "POV-Ray failed: %s\n", process.readAllStandardError().constData());
        std::exit(1);
    }
    PovRayRunner::RemoveJobFolder(folder);
    return elapsed;
}

/// The Preview window: a click on Render until the new picture has been painted.
double ClickToScreen(PreviewWindow& window) {
    PictureFrame* frame = window.Frame();
    QEventLoop loop;
    const auto connection =
        QObject::connect(frame, &PictureFrame::pictureShown, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    QTest::mouseClick(window.RenderButton(), Qt::LeftButton);
    loop.exec();
    const double elapsed = Milliseconds(timer);
    QObject::disconnect(connection);
    return elapsed;
}

/// A change to the texture with Auto on, after a pause, until its picture has been painted.
double ChangeToScreen(PreviewWindow& window, SimpleTexture& texture, int run) {
    QTest::qWait(400); // the user pauses between changes
    texture.pigment.color = {static_cast<std::uint8_t>(100 + run % 2 * 100), 60, 30, 0};
    PictureFrame* frame = window.Frame();
    QEventLoop loop;
    const auto connection =
        QObject::connect(frame, &PictureFrame::pictureShown, &loop, &QEventLoop::quit);
    QElapsedTimer timer;
    timer.start();
    window.TextureChanged();
    loop.exec();
    const double elapsed = Milliseconds(timer);
    QObject::disconnect(connection);
    return elapsed;
}

/// A catalog of `count` textures for a batch of thumbnails.
Catalog BatchTextures(int count) {
    Catalog catalog;
    for (int i = 0; i < count; ++i) {
        SimpleTexture texture;
        texture.SetName("Batch " + std::to_string(i));
        texture.pigment.color = {static_cast<std::uint8_t>(i % 255), 120, 200, 0};
        texture.finish.phong = 40;
        catalog.AddTexture(texture);
    }
    catalog.SelectAll();
    return catalog;
}

/// A thumbnail of a single texture: the render road's call until the picture is in the texture.
double Thumbnail(BenchServices& services, SimpleTexture& texture) {
    QElapsedTimer timer;
    timer.start();
    PictureRender render(texture, kSize, kSize);
    QEventLoop loop;
    QObject::connect(&render, &QueuedRender::finished, &loop, &QEventLoop::quit);
    render.Start(services.Renders());
    loop.exec();
    texture.Thumbnail() = std::move(render.Picture());
    const double elapsed = Milliseconds(timer);
    const RenderResult& result = render.Result();
    if (!result.Succeeded()) {
        std::fprintf(stderr, "render failed: %s\n", result.message.toLocal8Bit().constData());
        std::exit(1);
    }
    return elapsed;
}

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(3, std::atoi(argv[1])) : 15;
    QTemporaryDir folder;
    BenchServices services;
    services.settings.programDirectory = folder.path();
    if (services.settings.EffectivePovExecutable().isEmpty()) {
        std::fprintf(stderr, "povray is not installed\n");
        return 1;
    }

    SimpleTexture texture;
    texture.SetName("Latency");
    texture.pigment.color = {200, 60, 30, 0};
    texture.finish.phong = 60;
    PreviewWindow window(services, texture);
    window.Frame()->SetPictureSize({kSize, kSize});
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::fprintf(stderr, "the window did not show\n");
        return 1;
    }
    ClickToScreen(window); // the first run asks POV-Ray for its version once
    if (window.Frame()->Picture().Width() != kSize) {
        std::fprintf(stderr, "no %dx%d picture was rendered\n", kSize, kSize);
        return 1;
    }

    std::vector<double> alone;
    std::vector<double> preview;
    std::vector<double> thumbnail;
    for (int run = 0; run < runs; ++run) {
        preview.push_back(ClickToScreen(window));
        alone.push_back(PovRayAlone(services.Runner(), texture));
        thumbnail.push_back(Thumbnail(services, texture));
    }

    window.AutoBox()->setChecked(true);
    if (!QTest::qWaitFor([&] { return !window.IsRendering() && !window.IsRenderDue(); }, 20000)) {
        std::fprintf(stderr, "the automatic render did not end\n");
        return 1;
    }
    std::vector<double> idle;
    for (int run = 0; run < runs; ++run)
        idle.push_back(ChangeToScreen(window, texture, run));

    Catalog catalog = BatchTextures(runs * 40);
    ThumbnailBatch plan(catalog, true, false);
    CatalogTextures textures(catalog, plan);
    ThumbnailBatchRender batch(std::move(plan), textures);
    batch.Start(services.Renders());
    std::vector<double> busy;
    for (int run = 0; run < runs && !batch.IsFinished(); ++run)
        busy.push_back(ChangeToScreen(window, texture, run));
    const bool batchRan = !batch.IsFinished();
    batch.Stop();

    const double povray = Median(alone);
    const double clicked = Median(preview);
    const double single = Median(thumbnail);
    const double changed = Median(idle);
    const double changedInBatch = busy.empty() ? 0.0 : Median(busy);
    std::printf("%d runs of one %dx%d render, medians:\n", runs, kSize, kSize);
    std::printf("  POV-Ray alone                        %7.1f ms\n", povray);
    std::printf("  Preview: click to picture on screen  %7.1f ms  (%.2fx POV-Ray)\n", clicked,
                clicked / povray);
    std::printf("  Preview: change to picture, idle     %7.1f ms  (%.2fx POV-Ray)\n", changed,
                changed / povray);
    std::printf("  Preview: change to picture, in batch %7.1f ms  (%.2fx POV-Ray)%s\n",
                changedInBatch, changedInBatch / povray,
                batchRan ? "" : "  (the batch ended early)");
    std::printf("  Thumbnail of one texture             %7.1f ms  (%.2fx POV-Ray)\n", single,
                single / povray);
    return changed <= povray * 0.5 && changedInBatch <= povray * 0.5 ? 0 : 2;
}
