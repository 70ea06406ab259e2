#include "core/bitmap/bitmap.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "render/povray/povrayrunner.h"
#include "renderfixture.h"

#include <QDir>
#include <QFile>
#include <QScopeGuard>
#include <QStandardPaths>
#include <QTimer>
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
        RecordingSink sink;
        const RenderResult result =
            m_runner->UpdateTextureThumbnail(*texture, 120, 120, "Rendering...", sink);
        ASSERT_TRUE(result.Succeeded())
            << texture->GetName() << ": " << result.message.toStdString();
        EXPECT_EQ(texture->GetThumbnailWidth(), 120);
        EXPECT_EQ(texture->GetThumbnailHeight(), 120);
        EXPECT_TRUE(HasDetail(texture->Thumbnail())) << texture->GetName();
        EXPECT_EQ(sink.captions, std::vector<QString>{"Rendering..."});
        EXPECT_EQ(sink.ends, 1);
        ASSERT_FALSE(sink.percents.empty());
        EXPECT_EQ(sink.percents.back(), 100);
        EXPECT_TRUE(std::is_sorted(sink.percents.begin(), sink.percents.end()));
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
    RecordingSink sink;
    const RenderResult result =
        m_runner->UpdateTextureThumbnail(bad, 120, 120, "Rendering...", sink);
    EXPECT_EQ(result.status, RenderResult::PovRayFailed);
    EXPECT_TRUE(result.message.startsWith("POV-Ray could not render the texture \"Bad Map\".\n\n"))
        << result.message.toStdString();
    EXPECT_TRUE(result.message.contains("Parse Error")) << result.message.toStdString();
    EXPECT_FALSE(result.message.contains("cannot open the user configuration file"));
    EXPECT_EQ(bad.Thumbnail().Bits()[0], 0x42);
    EXPECT_FALSE(m_runner->IsBusy());
}

TEST_F(RenderTest, StopEndsTheRenderWithoutAMessage) {
    SimpleTexture slow = Marble();
    slow.normal.kind = Normal::Bumps;
    slow.normal.amount = 50;
    slow.Thumbnail() = Marked(50);
    m_settings.antialiasing = 1;
    m_settings.antialiasingThreshold = 0.0f;
    m_settings.raysPerPixel = 4;
    RecordingSink sink;
    sink.onStarted = [&] {
        QTimer::singleShot(400, [&] {
            if (sink.stop)
                sink.stop();
        });
    };
    const RenderResult result =
        m_runner->UpdateTextureThumbnail(slow, 2000, 2000, "Rendering...", sink);
    EXPECT_EQ(result.status, RenderResult::Stopped);
    EXPECT_TRUE(result.message.isEmpty());
    EXPECT_EQ(slow.GetThumbnailWidth(), 50);
    EXPECT_EQ(sink.ends, 1);
    EXPECT_FALSE(m_runner->IsBusy());
}

TEST_F(RenderTest, ASecondRenderWhileOneRunsIsRefused) {
    SimpleTexture first = Marble();
    SimpleTexture second = Marble();
    RenderResult nested;
    RecordingSink inner;
    RecordingSink sink;
    sink.onStarted = [&] {
        nested = m_runner->UpdateTextureThumbnail(second, 60, 60, "Rendering...", inner);
    };
    EXPECT_TRUE(m_runner->UpdateTextureThumbnail(first, 60, 60, "Rendering...", sink).Succeeded());
    EXPECT_EQ(nested.status, RenderResult::Busy);
    EXPECT_TRUE(nested.message.isEmpty());
    EXPECT_TRUE(inner.captions.empty()); // nothing was started
    EXPECT_EQ(second.GetThumbnailWidth(), 0);
}

TEST_F(RenderTest, AMissingExecutableCannotBeStarted) {
    m_settings.povExecutable = Path(QStringLiteral("no-such-povray"));
    SimpleTexture texture = Marble();
    RecordingSink sink;
    const RenderResult result =
        m_runner->UpdateTextureThumbnail(texture, 60, 60, "Rendering...", sink);
    EXPECT_EQ(result.status, RenderResult::StartFailed);
    EXPECT_EQ(result.title, "Execution Error");
    EXPECT_EQ(result.message,
              "Error executing POV-RAY. Make sure the path in the Preferences is valid.");
    EXPECT_EQ(sink.ends, 1);
    EXPECT_FALSE(m_runner->IsBusy());
}

TEST_F(RenderTest, ClassicCommandLinesAreRefusedByPovRay37) {
    m_settings.povCommandStyle = 1; // +b1 is not an option 3.7 knows
    SimpleTexture texture = Marble();
    RecordingSink sink;
    const RenderResult result =
        m_runner->UpdateTextureThumbnail(texture, 60, 60, "Rendering...", sink);
    EXPECT_EQ(result.status, RenderResult::PovRayFailed);
    EXPECT_TRUE(result.message.contains("command-line option")) << result.message.toStdString();
    // Automatic detection finds 3.7 and its style works.
    m_settings.povCommandStyle = 0;
    EXPECT_NE(m_runner->Command(OutputFileName(), 60, 60).Text().find("+ft"), std::string::npos);
    EXPECT_TRUE(
        m_runner->UpdateTextureThumbnail(texture, 60, 60, "Rendering...", sink).Succeeded());
}

TEST_F(RenderTest, ShapesBeyondTheListRenderOnShapeZero) {
    SimpleTexture texture = Marble();
    texture.SetPreviewShape(200);
    RecordingSink sink;
    ASSERT_TRUE(
        m_runner->UpdateTextureThumbnail(texture, 60, 60, "Rendering...", sink).Succeeded());
    ASSERT_EQ(sink.statuses.size(), 1u);
    EXPECT_TRUE(sink.statuses[0].contains("shape 0")) << sink.statuses[0].toStdString();
    EXPECT_EQ(texture.GetPreviewShape(), 200); // the texture keeps its choice
}

TEST_F(RenderTest, UnreadablePicturesFailAndKeepTheThumbnail) {
    SimpleTexture texture = Marble();
    texture.Thumbnail() = Marked(60);
    m_settings.povExecutable = FakePovRay(QStringLiteral("printf 'not a picture' > temp.tga"));
    RecordingSink sink;
    RenderResult result = m_runner->UpdateTextureThumbnail(texture, 60, 60, "Rendering...", sink);
    EXPECT_EQ(result.status, RenderResult::ImageFailed);
    EXPECT_EQ(result.message,
              "\"Red Marble\": The rendered image is neither a Targa nor a PNG file.");
    EXPECT_EQ(texture.Thumbnail().Bits()[0], 0x42);

    m_settings.povExecutable = FakePovRay(QStringLiteral("exit 0"));
    result = m_runner->UpdateTextureThumbnail(texture, 60, 60, "Rendering...", sink);
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
    RecordingSink sink;
    const RenderResult result =
        m_runner->UpdateTextureThumbnail(texture, 60, 60, "Rendering...", sink);
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

    RecordingSink sink;
    const RenderResult result =
        m_runner->RunPovRay(OutputFileName(), 64, 48, true, "Rendering...", sink, m_dir.path());
    qputenv("PATH", path);
    EXPECT_TRUE(result.Succeeded()) << result.message.toStdString();
    QFile seen(Path(QStringLiteral("seen.bat")));
    ASSERT_TRUE(seen.open(QIODevice::ReadOnly));
    EXPECT_EQ(seen.readAll().toStdString(),
              m_runner->Command(OutputFileName(), 64, 48).Text() + " +v\r\npause\r\n");
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("tempex!!.bat")))); // removed afterwards
    EXPECT_TRUE(sink.captions.empty()); // no progress report in debug mode
    EXPECT_FALSE(m_runner->IsBusy());
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

    RecordingSink sink;
    ASSERT_TRUE(
        m_runner->RunPovRay(OutputFileName(), 64, 48, true, "Rendering...", sink, m_dir.path())
            .Succeeded());
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
    RecordingSink sink;
    const auto runDebug = [&] {
        QFile::remove(Path(QStringLiteral("ran.txt")));
        return m_runner->RunPovRay(OutputFileName(), 64, 48, true, "Rendering...", sink,
                                   m_dir.path());
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
    EXPECT_FALSE(QFile::exists(Path(QStringLiteral("tempex!!.bat"))));
    EXPECT_FALSE(m_runner->IsBusy());
}
