// How long a single 120 x 120 render takes from the click on Render to the picture on the
// screen, against POV-Ray's own run time for the same scene and command line. Run it on a
// display (xvfb-run works); it prints the medians and their ratio.
//
//     xvfb-run -a build/bench/preview_latency [RUNS]

#include "benchsupport.h"
#include "core/model/simpletexture.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayrunner.h"
#include "ui/editors/pictureframe.h"
#include "ui/editors/previewwindow.h"
#include "ui/framework/documenttemplate.h"

#include <QApplication>
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
    const double povray = Median(alone);
    const double clicked = Median(preview);
    const double single = Median(thumbnail);
    std::printf("%d runs of one %dx%d render, medians:\n", runs, kSize, kSize);
    std::printf("  POV-Ray alone                      %7.1f ms\n", povray);
    std::printf("  Preview: click to picture on screen %7.1f ms  (%.2fx POV-Ray)\n", clicked,
                clicked / povray);
    std::printf("  Thumbnail of one texture            %7.1f ms  (%.2fx POV-Ray)\n", single,
                single / povray);
    return clicked <= povray * 1.2 ? 0 : 2;
}
