#include "core/bitmap/bitmap.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/shapes/customshape.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/scenerender.h"
#include "renderfixture.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTest>
#include <algorithm>
#include <csignal>
#include <gtest/gtest.h>

namespace {

SimpleTexture Marble() {
    SimpleTexture texture;
    texture.SetName("Red Marble");
    texture.pigment.pattern = Pigment::Marble;
    texture.pigment.turbulence.amount = 80;
    texture.pigment.colorMap.colors[1] = {255, 40, 40, 0};
    return texture;
}

Bitmap Marked(int size) {
    Bitmap dib;
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size * size * 3), 0x42);
    dib.SetBits(size, size, pixels, false);
    return dib;
}

/// A tiny uncompressed Targa checkerboard for image-map textures.
void WriteCheckerTarga(const QString& path) {
    QByteArray tga(18, '\0');
    tga[2] = 2;
    tga[12] = 8;
    tga[14] = 8;
    tga[16] = 24;
    tga[17] = 0x20;
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) {
            const char v = ((x + y) % 2) ? char(255) : char(0);
            tga += v;
            tga += char(0);
            tga += char(255 - static_cast<unsigned char>(v));
        }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(tga);
}

} // namespace

TEST_F(RenderTest, TexturesOfEveryKindRenderToThumbnails) {
    SimpleTexture solid;
    solid.SetName("Plain Blue");
    solid.pigment.color = {20, 40, 200, 0};

    LayeredTexture layered;
    layered.SetName("Two Coats");
    SimpleTexture base = Marble();
    SimpleTexture top;
    top.pigment.pattern = Pigment::Spotted;
    top.pigment.colorMap.colors[0] = {255, 255, 255, 255};
    layered.AddLayer(base);
    layered.AddLayer(top);

    WriteCheckerTarga(Path(QStringLiteral("checker.tga")));
    SimpleTexture imageMap;
    imageMap.SetName("Checker Map");
    imageMap.pigment.pattern = Pigment::ImageMap;
    imageMap.pigment.image.fileType = 1;
    imageMap.pigment.image.fileName = "checker.tga";
    imageMap.pigment.transformations.scale = {4, 4, 4};

    SimpleTexture marble = Marble();
    for (Texture* texture : std::initializer_list<Texture*>{&solid, &marble, &layered, &imageMap}) {
        std::unique_ptr<RenderRecorder> recorder;
        const RenderResult result = Thumbnail(*texture, 120, 120, &recorder);
        ASSERT_TRUE(result.Succeeded())
            << texture->GetName() << ": " << result.message.toStdString();
        EXPECT_EQ(texture->GetThumbnailWidth(), 120);
        EXPECT_EQ(texture->GetThumbnailHeight(), 120);
        EXPECT_TRUE(HasDetail(texture->Thumbnail())) << texture->GetName();
        EXPECT_EQ(recorder->started, 1);
        EXPECT_EQ(recorder->finished, 1);
        ASSERT_FALSE(recorder->percents.empty());
        EXPECT_EQ(recorder->percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(recorder->percents.begin(), recorder->percents.end()));
    }
    // The image map was found in the program directory, though each render ran in a scratch
    // folder of its own; nothing of the renders is left there.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{QStringLiteral("checker.tga")});
}

TEST_F(RenderTest, ParseErrorsFailWithPovRaysMessageAndKeepTheThumbnail) {
    SimpleTexture bad = Marble();
    bad.SetName("Bad Map");
    bad.pigment.pattern = Pigment::ImageMap;
    bad.pigment.image.fileType = 1;
    bad.pigment.image.fileName = "no-such-picture.tga"; // POV-Ray stops parsing there
    bad.Thumbnail() = Marked(120);
    const RenderResult result = Thumbnail(bad, 120, 120);
    EXPECT_EQ(result.status, RenderResult::PovRayFailed);
    EXPECT_TRUE(result.message.startsWith("POV-Ray could not render the texture \"Bad Map\".\n\n"))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains("Parse Error")) << result.message.toStdString();
    EXPECT_FALSE(result.message.contains("cannot open the user configuration file"));
    EXPECT_EQ(bad.Thumbnail().Bits()[0], 0x42);
    EXPECT_EQ(m_queue->Left(), 0);
}

TEST_F(RenderTest, StopEndsTheRenderWithoutAMessageAndLeavesNothingBehind) {
    SimpleTexture slow = Marble();
    slow.normal.kind = Normal::Bumps;
    slow.normal.amount = 50;
    m_settings.antialiasing = true;
    m_settings.antialiasingThreshold = 0.0f;
    m_settings.raysPerPixel = 4;
    PictureRender render(slow, 2000, 2000);
    RenderRecorder recorder(render);
    render.Start(*m_queue);
    // Stopped once POV-Ray has begun writing its picture.
    ASSERT_TRUE(QTest::qWaitFor([&] { return render.Percent() > 0; }, 60000));
    EXPECT_EQ(render.GetState(), QueuedRender::State::Running);
    const QString area = m_runner->ScratchFolder();
    ASSERT_FALSE(area.isEmpty());
    EXPECT_EQ(QDir(area).entryList(QDir::Dirs | QDir::NoDotAndDotDot).size(), 1);
    render.Stop();
    EXPECT_TRUE(render.IsStopping());
    EXPECT_EQ(m_queue->Left(), 0) << "a render asked to stop is no longer left";
    ASSERT_TRUE(QTest::qWaitFor([&] { return recorder.finished == 1; }, 60000));
    EXPECT_EQ(render.Result().status, RenderResult::Stopped);
    EXPECT_TRUE(render.Result().message.isEmpty());
    EXPECT_EQ(m_queue->Running(), 0);
    // Its folder went with it.
    EXPECT_TRUE(QDir(area).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}

TEST_F(RenderTest, RendersWaitTheirTurnAndInteractiveOnesGoFirst) {
    m_places = 1;
    std::vector<SimpleTexture> textures(4, Marble());
    std::vector<std::unique_ptr<PictureRender>> renders;
    std::vector<int> order;
    for (std::size_t i = 0; i < textures.size(); ++i) {
        std::string name = "T";
        name += std::to_string(i);
        textures[i].SetName(name);
        renders.push_back(std::make_unique<PictureRender>(textures[i], 40, 40));
        QObject::connect(renders.back().get(), &QueuedRender::started,
                         [&order, i] { order.push_back(static_cast<int>(i)); });
    }
    renders[0]->Start(*m_queue, QueuedRender::Priority::Batch);
    renders[1]->Start(*m_queue, QueuedRender::Priority::Batch);
    renders[2]->Start(*m_queue, QueuedRender::Priority::Interactive);
    EXPECT_EQ(m_queue->Waiting(), 3);
    EXPECT_EQ(m_queue->Running(), 0) << "nothing starts inside Start";
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return renders[0]->IsPending() && m_queue->Running() == 1; }, 60000));
    // A render withdrawn while it waits finishes as stopped without ever running.
    renders[1]->Stop();
    EXPECT_EQ(renders[1]->GetState(), QueuedRender::State::Finished);
    renders[3]->Start(*m_queue);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return std::all_of(renders.begin(), renders.end(),
                               [](const auto& r) { return r->IsFinished(); });
        },
        60000));
    // One at a time; the waiting interactive render went ahead of the batch render after it.
    EXPECT_EQ(order, (std::vector<int>{0, 2, 3}));
    EXPECT_EQ(renders[1]->Result().status, RenderResult::Stopped);
    for (int i : {0, 2, 3})
        EXPECT_TRUE(renders[static_cast<std::size_t>(i)]->Result().Succeeded()) << i;
    EXPECT_EQ(m_queue->Left(), 0);
}

TEST_F(RenderTest, TheQueueHonoursItsPlacesAndFollowsTheirNumber) {
    m_places = 2;
    std::vector<SimpleTexture> textures(6, Marble());
    std::vector<std::unique_ptr<PictureRender>> renders;
    int most = 0;
    QObject watcher;
    QObject::connect(m_queue.get(), &RenderQueue::changed, &watcher,
                     [&] { most = std::max(most, m_queue->Running()); });
    for (SimpleTexture& texture : textures) {
        renders.push_back(std::make_unique<PictureRender>(texture, 120, 120));
        renders.back()->SetOwner(&watcher);
        renders.back()->Start(*m_queue);
    }
    EXPECT_EQ(m_queue->LeftFor(&watcher), 6);
    EXPECT_EQ(m_queue->LeftFor(nullptr), 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_queue->Running() == 2; }, 60000));
    // The setting changes meanwhile; at least four renders are still to come when the next
    // render ends, however many ended at once before the queue looked again.
    m_places = 3;
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_queue->Left() == 0; }, 60000));
    EXPECT_EQ(most, 3);
    for (const auto& render : renders)
        EXPECT_TRUE(render->Result().Succeeded());
    EXPECT_EQ(m_queue->LeftFor(&watcher), 0);
}

TEST_F(RenderTest, DestroyingTheQueueOrARenderEndsPovRay) {
    m_settings.povExecutable = FakePovRay(
        QStringLiteral("echo $$ > \"%1\"; sleep 60").arg(Path(QStringLiteral("pid.txt"))));
    m_settings.povCommandStyle = 2;
    SimpleTexture texture = Marble();
    auto render = std::make_unique<PictureRender>(texture, 40, 40);
    RenderRecorder recorder(*render);
    render->Start(*m_queue);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return QFile::exists(Path(QStringLiteral("pid.txt"))); }, 60000));
    QFile file(Path(QStringLiteral("pid.txt")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return file.size() > 0; }, 60000));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const pid_t pid = static_cast<pid_t>(file.readAll().trimmed().toLongLong());
    ASSERT_GT(pid, 0);
    EXPECT_EQ(::kill(pid, 0), 0);
    m_queue.reset();
    EXPECT_TRUE(render->IsFinished());
    EXPECT_EQ(render->Result().status, RenderResult::Stopped);
    EXPECT_TRUE(QTest::qWaitFor([&] { return ::kill(pid, 0) != 0; }, 5000)) << "POV-Ray still runs";
    render.reset(); // the render outlives its queue without harm
}

TEST_F(RenderTest, AMissingExecutableCannotBeStarted) {
    m_settings.povExecutable = Path(QStringLiteral("no-such-povray"));
    SimpleTexture texture = Marble();
    std::unique_ptr<RenderRecorder> recorder;
    const RenderResult result = Thumbnail(texture, 60, 60, &recorder);
    EXPECT_EQ(result.status, RenderResult::StartFailed);
    EXPECT_EQ(result.title, "Execution Error");
    EXPECT_EQ(result.message,
              "Error executing POV-RAY. Make sure the path in the Preferences is valid.");
    EXPECT_EQ(recorder->finished, 1);
    EXPECT_EQ(m_queue->Left(), 0);
}

TEST_F(RenderTest, ClassicCommandLinesAreRefusedByPovRay37) {
    m_settings.povCommandStyle = 1; // +b1 is not an option 3.7 knows
    SimpleTexture texture = Marble();
    const RenderResult result = Thumbnail(texture, 60, 60);
    EXPECT_EQ(result.status, RenderResult::PovRayFailed);
    EXPECT_TRUE(result.message.contains("command-line option")) << result.message.toStdString();
    // Automatic detection asks POV-Ray for its version before the first render, finds 3.7, and
    // its style works.
    m_settings.povCommandStyle = 0;
    EXPECT_EQ(m_runner->ExecutableToAsk(), m_settings.EffectivePovExecutable());
    EXPECT_TRUE(Thumbnail(texture, 60, 60).Succeeded());
    EXPECT_TRUE(m_runner->ExecutableToAsk().isEmpty());
    EXPECT_NE(m_runner->Command(OutputFileName(), 60, 60).Text().find("+ft"), std::string::npos);
}

TEST_F(RenderTest, ShapesBeyondTheListRenderOnShapeZero) {
    SimpleTexture texture = Marble();
    texture.SetPreviewShape(200);
    std::unique_ptr<RenderRecorder> recorder;
    ASSERT_TRUE(Thumbnail(texture, 60, 60, &recorder).Succeeded());
    ASSERT_EQ(recorder->statuses.size(), 1u);
    EXPECT_TRUE(recorder->statuses[0].contains("shape 0")) << recorder->statuses[0].toStdString();
    EXPECT_EQ(texture.GetPreviewShape(), 200); // the texture keeps its choice
}

TEST_F(RenderTest, UnreadablePicturesFailAndKeepTheThumbnail) {
    SimpleTexture texture = Marble();
    texture.Thumbnail() = Marked(60);
    m_settings.povExecutable = FakePovRay(QStringLiteral("printf 'not a picture' > temp.tga"));
    RenderResult result = Thumbnail(texture, 60, 60);
    EXPECT_EQ(result.status, RenderResult::ImageFailed);
    EXPECT_EQ(result.message,
              "\"Red Marble\": The rendered image is neither a Targa nor a PNG file.");
    EXPECT_EQ(texture.Thumbnail().Bits()[0], 0x42);

    m_settings.povExecutable = FakePovRay(QStringLiteral("exit 0"));
    result = Thumbnail(texture, 60, 60);
    EXPECT_EQ(result.status, RenderResult::ImageFailed);
    EXPECT_TRUE(result.message.startsWith("\"Red Marble\": ")) << result.message.toStdString();
    EXPECT_TRUE(result.message.endsWith("/temp.tga was not found."))
        << result.message.toStdString();
}

TEST_F(RenderTest, PngOutputIsReadToo) {
    // A POV-Ray that ignores the Targa request and writes PNG under the asked name.
    const QString povray = m_settings.EffectivePovExecutable();
    m_settings.povCommandStyle = 2;
    m_settings.povExecutable = FakePovRay(
        QStringLiteral(
            "'%1' +itemppv\\$\\$.!!! +otemp.png -d -a +w60 +h60 -p && mv temp.png temp.tga")
            .arg(povray));
    SimpleTexture texture = Marble();
    const RenderResult result = Thumbnail(texture, 60, 60);
    ASSERT_TRUE(result.Succeeded()) << result.message.toStdString();
    EXPECT_TRUE(HasDetail(texture.Thumbnail()));
}

TEST_F(RenderTest, DebugModeRunsTheCommandVisiblyAndWaits) {
    // A stand-in terminal records the script it is asked to run and runs nothing.
    const QString bin = Path(QStringLiteral("bin"));
    QDir().mkpath(bin);
    QFile terminal(bin + QStringLiteral("/xterm"));
    ASSERT_TRUE(terminal.open(QIODevice::WriteOnly));
    terminal.write("#!/bin/sh\n/bin/cp 'tempex!!.bat' seen.bat\n");
    terminal.close();
    terminal.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_settings.povExecutable = m_settings.EffectivePovExecutable();
    m_settings.povCommandStyle = 2;
    const QByteArray path = qgetenv("PATH");
    const QByteArray chosen = qgetenv("TERMINAL");
    const auto restore = qScopeGuard([&] {
        if (!chosen.isNull())
            qputenv("TERMINAL", chosen);
    });
    qunsetenv("TERMINAL");
    qputenv("PATH", bin.toUtf8()); // the only terminal found is the stand-in

    RenderResult made;
    const auto job =
        m_runner->MakeDebugJob(m_dir.path(), m_runner->Command(OutputFileName(), 64, 48), made);
    qputenv("PATH", path);
    ASSERT_TRUE(job) << made.message.toStdString();
    QSignalSpy progress(job.get(), &PovRayJob::progressChanged);
    const RenderResult result = RunJob(*job);
    EXPECT_TRUE(result.Succeeded()) << result.message.toStdString();
    QFile seen(Path(QStringLiteral("seen.bat")));
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    EXPECT_EQ(seen.readAll().toStdString(),
              m_runner->Command(OutputFileName(), 64, 48).Text() + " +v\r\npause\r\n");
    EXPECT_EQ(progress.count(), 0); // no progress report in debug mode
}

TEST_F(RenderTest, DebugModeHandsPovRayItsCommandLineWordForWord) {
    // A terminal that runs what it is given, without a keyboard (so the pause ends at once),
    // and a POV-Ray that writes down the words it received, one per line.
    const QString bin = Path(QStringLiteral("bin"));
    QDir().mkpath(bin);
    QFile terminal(bin + QStringLiteral("/xterm"));
    ASSERT_TRUE(terminal.open(QIODevice::WriteOnly));
    terminal.write("#!/bin/sh\nshift\nexec \"$@\" < /dev/null > terminal.txt\n");
    terminal.close();
    terminal.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    m_settings.povExecutable = FakePovRay(QStringLiteral("printf '%s\\n' \"$@\" > words.txt"));
    m_settings.povCommandStyle = 2;
    const QByteArray path = qgetenv("PATH");
    const QByteArray chosen = qgetenv("TERMINAL");
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        if (!chosen.isNull())
            qputenv("TERMINAL", chosen);
    });
    qunsetenv("TERMINAL");
    // The stand-in is the only terminal; the shell and the tools a shell script may call
    // are there too.
    for (const char* tool : {"sh", "tr", "head"})
        QFile::link(QStandardPaths::findExecutable(QString::fromLatin1(tool)),
                    bin + QLatin1Char('/') + QString::fromLatin1(tool));
    qputenv("PATH", bin.toUtf8());

    RenderResult made;
    const auto job =
        m_runner->MakeDebugJob(m_dir.path(), m_runner->Command(OutputFileName(), 64, 48), made);
    ASSERT_TRUE(job) << made.message.toStdString();
    ASSERT_TRUE(RunJob(*job).Succeeded());
    QFile words(Path(QStringLiteral("words.txt")));
    ASSERT_TRUE(words.open(QIODevice::ReadOnly));
    QStringList expected;
    for (const std::string& word : m_runner->Command(OutputFileName(), 64, 48).arguments)
        expected << QString::fromStdString(word);
    expected << QStringLiteral("+v");
    // "$$" and "!!!" in the file names reach POV-Ray as they are.
    EXPECT_EQ(QString::fromUtf8(words.readAll()).trimmed().toStdString(),
              expected.join('\n').toStdString());
    EXPECT_TRUE(expected.contains(QStringLiteral("+itemppv$$.!!!")));
    QFile shown(Path(QStringLiteral("terminal.txt")));
    ASSERT_TRUE(shown.open(QIODevice::ReadOnly));
    // The terminal shows the command line first, and waits for a key at the end.
    const QString text = QString::fromUtf8(shown.readAll());
    EXPECT_TRUE(text.startsWith(
        QString::fromStdString(m_runner->Command(OutputFileName(), 64, 48).Text() + " +v\n")))
        << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral("Press Enter to continue . . . ")))
        << text.toStdString();
}

TEST_F(RenderTest, DebugModeRunsInTheTerminalNamedByTERMINALAndSaysWhenThereIsNone) {
    const QByteArray path = qgetenv("PATH");
    const QByteArray chosen = qgetenv("TERMINAL");
    const auto restore = qScopeGuard([&] {
        qputenv("PATH", path);
        if (chosen.isNull())
            qunsetenv("TERMINAL");
        else
            qputenv("TERMINAL", chosen);
    });
    // Two stand-in terminals on the PATH; each records its name and arguments.
    const QString bin = Path(QStringLiteral("bin"));
    QDir().mkpath(bin);
    const auto standIn = [&](const QString& name, const QByteArray& body) {
        QFile file(bin + QLatin1Char('/') + name);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(body);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    };
    standIn(QStringLiteral("xterm"), "#!/bin/sh\necho xterm \"$1\" > ran.txt\n");
    standIn(QStringLiteral("kitty"), "#!/bin/sh\necho kitty \"$1\" > ran.txt\n");
    standIn(QStringLiteral("broken"), "#!/nonexistent/interpreter\n");
    m_settings.povExecutable = m_settings.EffectivePovExecutable();
    m_settings.povCommandStyle = 2;
    qputenv("PATH", bin.toUtf8());
    const auto runDebug = [&] {
        QFile::remove(Path(QStringLiteral("ran.txt")));
        RenderResult result;
        const auto job = m_runner->MakeDebugJob(
            m_dir.path(), m_runner->Command(OutputFileName(), 64, 48), result);
        return job ? RunJob(*job) : result;
    };
    const auto ran = [&] {
        QFile file(Path(QStringLiteral("ran.txt")));
        return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray();
    };

    qputenv("TERMINAL", "kitty");
    EXPECT_TRUE(runDebug().Succeeded());
    EXPECT_EQ(ran(), "kitty -e"); // $TERMINAL comes before the usual ones
    qputenv("TERMINAL", (bin + QStringLiteral("/kitty")).toUtf8());
    EXPECT_TRUE(runDebug().Succeeded());
    EXPECT_EQ(ran(), "kitty -e");
    qputenv("TERMINAL", "no-such-terminal"); // not found: the usual ones are tried
    EXPECT_TRUE(runDebug().Succeeded());
    EXPECT_EQ(ran(), "xterm -e");

    // A terminal that is there but does not start is POV-Ray's failure to start.
    qputenv("TERMINAL", "broken");
    RenderResult result = runDebug();
    EXPECT_EQ(result.status, RenderResult::StartFailed);
    EXPECT_EQ(result.title, "Execution Error");
    EXPECT_EQ(result.message.toStdString(), "Error executing POV-RAY.");

    // No terminal at all says what is missing.
    qunsetenv("TERMINAL");
    qputenv("PATH", QByteArray("/nonexistent"));
    result = runDebug();
    EXPECT_EQ(result.status, RenderResult::StartFailed);
    EXPECT_EQ(result.title, "Execution Error");
    EXPECT_EQ(result.message.toStdString(),
              "No terminal program was found to run POV-Ray in: install xterm or set TERMINAL");
}

TEST_F(RenderTest, ATestRenderOfAHandWrittenSceneWearsTheTexture) {
    const SimpleTexture texture = Marble();
    const std::string scene =
        ReplaceAll(BuiltinShapes().front()->GetSceneSource(DeclaredIdentifier(texture.GetName())),
                   "\r\n", "\n");
    SceneRender render(scene, texture.GetSource(SourceFlag::Declare),
                       DeclaredIdentifier(texture.GetName()), 50, 40, false);
    ASSERT_TRUE(Run(render).Succeeded()) << render.Result().message.toStdString();
    EXPECT_EQ(render.Picture().Width(), 50);
    EXPECT_EQ(render.Picture().Height(), 40);
    EXPECT_TRUE(HasDetail(render.Picture()));

    // A scene that does not include the texture's file fails with POV-Ray's own lines.
    SceneRender broken("sphere { 0, 1 texture { Red_Marble } }",
                       texture.GetSource(SourceFlag::Declare), "Red_Marble", 50, 40, false);
    EXPECT_EQ(Run(broken).status, RenderResult::PovRayFailed);
    EXPECT_TRUE(broken.Result().message.contains("Red_Marble"))
        << broken.Result().message.toStdString();
}
