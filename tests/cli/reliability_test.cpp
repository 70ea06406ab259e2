// velvane-cli under a failing system and hostile files: a full disk, pipes, names with control
// characters, trailing bytes, catalogs changed while a render runs, POV-Ray that hangs, and
// signals that must take POV-Ray down with the tool.

#include "clirunner.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "core/shapes/builtinshapes.h"
#include "core/shapes/customshape.h"
#include "render/files/sidefiles.h"
#include "testfiles.h"
#include "testsupport.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

QProcessEnvironment Environment(const QString& config) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_CONFIG_HOME"), config); // the user's settings stay out
    environment.insert(QStringLiteral("LC_ALL"), QStringLiteral("de_DE.UTF-8"));
    return environment;
}

QByteArray ToQt(const std::vector<std::uint8_t>& bytes) {
    return QByteArray(reinterpret_cast<const char*>(bytes.data()),
                      static_cast<qsizetype>(bytes.size()));
}

SimpleTexture Solid(const std::string& name, std::uint8_t red, std::uint8_t green,
                    std::uint8_t blue) {
    SimpleTexture texture;
    texture.SetName(name);
    texture.pigment.color = {red, green, blue, 0};
    texture.finish.ambient = 100; // flat light: the thumbnail shows the colour itself
    texture.finish.diffuse = 0;
    return texture;
}

/// True once the process has ended (a zombie waiting for its parent counts as ended).
bool ProcessGone(qint64 pid) {
    for (int i = 0; i < 100; ++i) {
        const QByteArray stat = FileBytes(QStringLiteral("/proc/%1/stat").arg(pid));
        const qsizetype close = stat.lastIndexOf(')');
        if (stat == "<missing>" || (close > 0 && stat.mid(close + 2, 1) == "Z"))
            return true;
        QThread::msleep(50);
    }
    return false;
}

class CliReliability : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        Catalog catalog;
        SimpleTexture texture = Solid("Rendered", 200, 40, 40);
        std::vector<std::uint8_t> pixels(120 * 120 * 3, 0x33);
        texture.Thumbnail().SetBits(120, 120, pixels, false);
        catalog.AddTexture(texture);
        catalog.AddTexture(Solid("Plain", 10, 10, 10));
        m_catalogBytes = ToQt(catalog.Save());
        // The POV-Ray 3.7 command style, so stand-ins are not asked for their version.
        QDir().mkpath(Path("config/Velvane"));
        PutFile(Path("config/Velvane/Velvane.conf"), "[Settings]\nPOV%20Command%20Style=2\n");
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    /// The tool with the test's own settings, or in `environment`.
    CliRunner Tool(const QProcessEnvironment& environment = QProcessEnvironment()) const {
        return CliRunner(QStringLiteral(VELVANE_CLI),
                         environment.isEmpty() ? Environment(Path(QStringLiteral("config")))
                                               : environment);
    }
    CliRun Cli(const QStringList& arguments,
               const QProcessEnvironment& environment = QProcessEnvironment()) const {
        return Tool(environment).Run(arguments);
    }

    /// A shell script standing in for POV-Ray.
    QString FakePovRay(const QString& body) {
        return PutScript(Path(QStringLiteral("fake-povray.sh")), body.toUtf8());
    }

    QTemporaryDir m_dir;
    QByteArray m_catalogBytes;
};

} // namespace

TEST_F(CliReliability, SavesOnAFullDiskFailLoudlyAndKeepEveryOldFile) {
    SmallTmpfs disk(512 * 1024);
    if (!disk.Mounted())
        GTEST_SKIP() << disk.Problem();
    const QString folder = QString::fromStdString(disk.Path());
    const QString catalog = folder + QStringLiteral("/catalog.vlv");
    const QString include = folder + QStringLiteral("/textures.inc");
    const QString picture = folder + QStringLiteral("/thumb.png");
    const QString copy = folder + QStringLiteral("/copy.vlv");
    PutFile(catalog, m_catalogBytes);
    PutFile(include, "#declare Old = texture { pigment { rgb 1 } }\r\n");
    PutFile(picture, "old picture");
    PutFile(copy, "old copy");
    disk.Fill();

    const struct {
        QStringList arguments;
        QString file;
    } saves[] = {
        {{"resave", catalog, copy}, copy},
        {{"resave", catalog, catalog}, catalog},
        {{"export", catalog, include, "--overwrite"}, include},
        {{"export", catalog, include, "--append"}, include},
        {{"thumbnail", catalog, "-i", "0", picture}, picture},
    };
    for (const auto& save : saves) {
        SCOPED_TRACE(save.arguments.join(' ').toStdString());
        const QByteArray before = FileBytes(save.file);
        const CliRun run = Cli(save.arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(save.file.toUtf8())) << run.err.toStdString();
        // The system's reason follows, in the user's language (the tests run under de_DE).
        EXPECT_TRUE(run.err.contains(save.file.toUtf8() + " could not be written: "))
            << run.err.toStdString();
        EXPECT_EQ(FileBytes(save.file), before);
    }
    EXPECT_EQ(
        QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name),
        (QStringList{"catalog.vlv", "copy.vlv", "filler", "textures.inc", "thumb.png"}));

    // A 43 KB catalog with 40 KB free is not committed half-written either.
    disk.Fill(40 * 1024);
    const CliRun partly = Cli({"resave", catalog, copy});
    EXPECT_EQ(partly.status, 1);
    EXPECT_EQ(FileBytes(copy), "old copy");
    EXPECT_EQ(FileBytes(catalog), m_catalogBytes);
}

TEST_F(CliReliability, PipesAreNeitherReadNorReplaced) {
    PutFile(Path("catalog.vlv"), m_catalogBytes);
    const QString fifo = Path("pipe.vlv");
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0644), 0);
    QElapsedTimer clock;
    clock.start();
    const CliRun list = Cli({"list", fifo});
    EXPECT_EQ(list.status, 1);
    EXPECT_EQ(list.err.toStdString(),
              fifo.toStdString() + " is not a regular file (it is a pipe or a device).\n");
    for (const QStringList& arguments :
         {QStringList{"resave", Path("catalog.vlv"), fifo},
          QStringList{"export", Path("catalog.vlv"), fifo, "--overwrite"},
          QStringList{"export", Path("catalog.vlv"), fifo, "--append"}}) {
        const CliRun save = Cli(arguments);
        EXPECT_EQ(save.status, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(save.err.contains("is not a regular file")) << save.err.toStdString();
    }
    EXPECT_LT(clock.elapsed(), 30000);
    struct stat info {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &info), 0);
    EXPECT_TRUE(S_ISFIFO(info.st_mode));
}

TEST_F(CliReliability, ListKeepsEachTextureOnOneLine) {
    Catalog catalog;
    catalog.AddTexture(Solid("Tab\there\nnext line\r\\ and \x01 bell\x7F", 1, 2, 3));
    catalog.AddTexture(Solid("Gr\u00fcn", 1, 2, 3));
    PutFile(Path("names.vlv"), ToQt(catalog.Save()));
    const CliRun list = Cli({"list", Path("names.vlv")});
    ASSERT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out.toStdString(),
              "0\tsimple\t0x0\tTab\\there\\nnext line\\r\\\\ and \\x01 bell\\x7f\n"
              "1\tsimple\t0x0\tGr\u00fcn\n");

    // C1 controls act in some terminals; bidirectional overrides show the line reordered.
    Catalog hidden;
    hidden.AddTexture(Solid("a\u0085b\u009Bc \u202Eevil\u202C \u2066x\u2069 \u200Eok", 1, 2, 3));
    PutFile(Path("hidden.vlv"), ToQt(hidden.Save()));
    const CliRun shown = Cli({"list", Path("hidden.vlv")});
    ASSERT_EQ(shown.status, 0) << shown.err.toStdString();
    EXPECT_EQ(shown.out.toStdString(),
              "0\tsimple\t0x0\ta\\u0085b\\u009bc \\u202eevil\\u202c \\u2066x\\u2069 "
              "\u200Eok\n");
}

TEST_F(CliReliability, ShapesAreEscapedLikeTheList) {
    // An escape sequence passed to the terminal, and a line break forged an output line.
    ShapeList shapes = BuiltinShapes();
    shapes.resize(2);
    auto& shape = static_cast<CustomShape&>(*shapes[1]);
    shape.SetName("Red\x1b[31m box\n2\tForged\tline");
    shape.SetDescription("back\u202Ewards");
    const QString program = Path("program");
    ASSERT_FALSE(SaveShapeFile(program, shapes));
    const CliRun run = Cli({"shapes", "--program-dir", program});
    ASSERT_EQ(run.status, 0) << run.err.toStdString();
    EXPECT_EQ(run.out.toStdString(), "0\tSphere\tClear sphere of radius 4 with one light source: "
                                     "patterns look four times finer than on a sphere of radius 1\n"
                                     "1\tRed\\x1b[31m box\\n2\\tForged\\tline\tback\\u202ewards\n");
}

TEST_F(CliReliability, ReadOnlyCatalogsAreRefusedBeforeAnythingIsRendered) {
    const QString catalog = Path("catalog.vlv");
    PutFile(catalog, m_catalogBytes);
    ASSERT_EQ(::chmod(QFile::encodeName(catalog).constData(), 0444), 0);
    const QString ran = Path("povray-ran");
    const QString povray = FakePovRay(QStringLiteral("touch '%1'\nexec povray \"$@\"").arg(ran));
    const CliRun render =
        Cli({"render", catalog, "--pov", povray, "--program-dir", Path("program")});
    EXPECT_EQ(render.status, 1);
    EXPECT_EQ(render.err.toStdString(), catalog.toStdString() + " is read-only.\n");
    EXPECT_FALSE(QFile::exists(ran));
    EXPECT_EQ(FileBytes(catalog), m_catalogBytes);

    const QString copy = Path("copy.vlv");
    PutFile(copy, "old copy");
    ASSERT_EQ(::chmod(QFile::encodeName(copy).constData(), 0444), 0);
    const CliRun resave = Cli({"resave", catalog, copy});
    EXPECT_EQ(resave.status, 1);
    EXPECT_EQ(resave.err.toStdString(), copy.toStdString() + " is read-only.\n");
    EXPECT_EQ(FileBytes(copy), "old copy");
}

TEST_F(CliReliability, LinksPlantedInTheTemporaryFolderAreNeverFollowed) {
    // In a shared TMPDIR another user planted a link named like an abandoned scratch area; the
    // next render emptied the folder it pointed to.
    const QString tmp = Path("tmp");
    QDir().mkpath(tmp);
    QDir().mkpath(Path("victim"));
    PutFile(Path("victim/thesis.txt"), "years of work");
    QProcess ended;
    ended.start(QStringLiteral("true"));
    ASSERT_TRUE(ended.waitForStarted());
    const qint64 endedPid = ended.processId(); // known only while it runs
    ASSERT_TRUE(ended.waitForFinished());
    ASSERT_TRUE(
        QFile::link(Path("victim"), tmp + QStringLiteral("/velvane-render-%1-a").arg(endedPid)));
    // And the per-user base itself is a link to the victim's folder.
    ASSERT_TRUE(QFile::link(Path("victim"), tmp + QStringLiteral("/velvane-%1").arg(::geteuid())));
    PutFile(Path("catalog.vlv"), m_catalogBytes);
    QProcessEnvironment environment = Environment(Path("config"));
    environment.insert(QStringLiteral("TMPDIR"), tmp);
    environment.remove(QStringLiteral("XDG_RUNTIME_DIR"));
    const CliRun render = Cli(
        {"render", Path("catalog.vlv"), "-i", "1", "--program-dir", Path("program")}, environment);
    EXPECT_EQ(render.status, 0) << render.err.toStdString();
    EXPECT_TRUE(render.err.contains(
        (QStringLiteral("The scratch folder %1/velvane-%2 is not used: it is a symbolic link.\n"
                        "Renders keep their files in %3 instead.")
             .arg(tmp)
             .arg(::geteuid())
             .arg(Path("program/scratch")))
            .toUtf8()))
        << render.err.toStdString();
    EXPECT_EQ(FileBytes(Path("victim/thesis.txt")), "years of work");
    EXPECT_EQ(QDir(Path("victim")).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              QStringList{"thesis.txt"});
    EXPECT_TRUE(QDir(Path("program/scratch"))
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty()); // the render's own area is gone again
}

TEST_F(CliReliability, TrailingBytesAreMentioned) {
    PutFile(Path("catalog.vlv"), m_catalogBytes + "junk");
    const CliRun list = Cli({"list", Path("catalog.vlv")});
    EXPECT_EQ(list.status, 0);
    EXPECT_EQ(list.out.count('\n'), 2);
    EXPECT_EQ(list.err.toStdString(),
              "Note: " + Path("catalog.vlv").toStdString() +
                  " holds 4 more bytes after the end of the catalog; they were ignored.\n");
}

TEST_F(CliReliability, CatalogsWithLongTextsOpen) {
    // Descriptions of 200,000 and 300,000 characters crashed the reader.
    const QString path =
        QString::fromStdString(TestDataPath("catalog-corpus/ok-long-descriptions-200k-300k.vlv"));
    const CliRun list = Cli({"list", path});
    EXPECT_EQ(list.status, 0) << list.err.toStdString();
    EXPECT_EQ(list.out, "0\tsimple\t0x0\tA\n1\tsimple\t0x0\tB\n");
    PutFile(Path("copy.vlv"), "");
    ASSERT_EQ(Cli({"resave", path, Path("copy.vlv")}).status, 0);
    EXPECT_EQ(FileBytes(Path("copy.vlv")), FileBytes(path));
}

TEST_F(CliReliability, TwoRendersSharingTheProgramDirectoryKeepTheirOwnPictures) {
    // Two runs at once once swapped their thumbnails through shared files. Each run's POV-Ray
    // is held at its start, its scene written, until both are there: the runs overlap for sure.
    const QString programDirectory = Path("program");
    const QString started = Path("started");
    const QString go = Path("go");
    const QString povray = FakePovRay(QStringLiteral("echo $$ >> '%1'\n"
                                                     "i=0\n"
                                                     "while [ ! -e '%2' ] && [ $i -lt 1200 ]; do\n"
                                                     "    sleep 0.05; i=$((i + 1))\n"
                                                     "done\n"
                                                     "exec povray \"$@\"")
                                          .arg(started, go));
    // True once `count` runs have reached POV-Ray; false should `run` end before.
    const auto reached = [&](QProcess& run, int count) {
        for (int i = 0; i < 1200; ++i) {
            if (FileBytes(started).count('\n') >= count)
                return true;
            if (run.waitForFinished(50))
                return false;
        }
        return false;
    };
    for (int round = 0; round < 3; ++round) {
        SCOPED_TRACE(round);
        QFile::remove(started);
        QFile::remove(go);
        Catalog red;
        red.AddTexture(Solid("Red", 255, 0, 0));
        Catalog green;
        green.AddTexture(Solid("Green", 0, 255, 0));
        PutFile(Path("red.vlv"), ToQt(red.Save()));
        PutFile(Path("green.vlv"), ToQt(green.Save()));
        QProcess first;
        QProcess second;
        Tool().Start(
            first, {"render", Path("red.vlv"), "--pov", povray, "--program-dir", programDirectory});
        ASSERT_TRUE(reached(first, 1)) << first.readAllStandardError().toStdString();
        Tool().Start(second, {"render", Path("green.vlv"), "--pov", povray, "--program-dir",
                              programDirectory});
        ASSERT_TRUE(reached(second, 2)) << second.readAllStandardError().toStdString();
        PutFile(go, "");
        const CliRun redRun = CliRunner::Finish(first);
        const CliRun greenRun = CliRunner::Finish(second);
        EXPECT_EQ(redRun.status, 0) << redRun.err.toStdString();
        EXPECT_EQ(greenRun.status, 0) << greenRun.err.toStdString();
        ASSERT_EQ(Cli({"thumbnail", Path("red.vlv"), "-i", "0", Path("red.png")}).status, 0);
        ASSERT_EQ(Cli({"thumbnail", Path("green.vlv"), "-i", "0", Path("green.png")}).status, 0);
        const QColor redPixel = QImage(Path("red.png")).pixelColor(60, 60);
        const QColor greenPixel = QImage(Path("green.png")).pixelColor(60, 60);
        EXPECT_GT(redPixel.red(), 200);
        EXPECT_LT(redPixel.green(), 50);
        EXPECT_GT(greenPixel.green(), 200);
        EXPECT_LT(greenPixel.red(), 50);
    }
}

TEST_F(CliReliability, ACatalogChangedDuringTheRenderIsNotOverwritten) {
    Catalog other;
    other.AddTexture(Solid("Saved meanwhile", 1, 2, 3));
    const QByteArray otherBytes = ToQt(other.Save());
    PutFile(Path("other.vlv"), otherBytes);
    PutFile(Path("catalog.vlv"), m_catalogBytes);
    // While POV-Ray renders, another program saves the catalog.
    const QString povray =
        FakePovRay(QStringLiteral("cp '%1' '%2.new' && mv '%2.new' '%2'\nexec povray \"$@\"")
                       .arg(Path("other.vlv"), Path("catalog.vlv")));
    const CliRun render = Cli({"render", Path("catalog.vlv"), "-i", "1", "--pov", povray,
                               "--program-dir", Path("program")});
    EXPECT_EQ(render.status, 1);
    EXPECT_TRUE(render.err.contains((Path("catalog.vlv") +
                                     " was changed on disk by another program since it was "
                                     "read; it was not overwritten.")
                                        .toUtf8()))
        << render.err.toStdString();
    EXPECT_EQ(FileBytes(Path("catalog.vlv")), otherBytes);
}

TEST_F(CliReliability, AHangingPovRayIsEndedAtTheTimeout) {
    PutFile(Path("catalog.vlv"), m_catalogBytes);
    const QString povray =
        FakePovRay(QStringLiteral("echo $$ > '%1'\nexec sleep 60").arg(Path("pid")));
    QElapsedTimer clock;
    clock.start();
    for (const QStringList& command :
         {QStringList{"render", Path("catalog.vlv"), "-i", "1"},
          QStringList{"texmap", Path("catalog.vlv"), "-i", "1", "--width", "20", "--height", "20",
                      Path("map.bmp")}}) {
        SCOPED_TRACE(command.first().toStdString());
        QFile::remove(Path("pid"));
        const CliRun run =
            Cli(QStringList(command) << "--timeout"
                                     << "1"
                                     << "--pov" << povray << "--program-dir" << Path("program"));
        EXPECT_EQ(run.status, 1);
        EXPECT_TRUE(run.err.contains(
            "POV-Ray did not finish rendering \"Plain\" within 1 seconds and was ended."))
            << run.err.toStdString();
        const qint64 pid = FileBytes(Path("pid")).trimmed().toLongLong();
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(ProcessGone(pid));
    }
    EXPECT_LT(clock.elapsed(), 40000);
    EXPECT_FALSE(QFile::exists(Path("map.bmp")));
    EXPECT_EQ(Cli({"render", Path("catalog.vlv"), "--timeout", "soon"}).status, 2);
}

TEST_F(CliReliability, SignalsToTheToolEndPovRayToo) {
    PutFile(Path("catalog.vlv"), m_catalogBytes);
    const QString povray =
        FakePovRay(QStringLiteral("echo $$ > '%1'\nexec sleep 60").arg(Path("pid")));
    for (int signal : {SIGTERM, SIGHUP, SIGINT, SIGKILL}) {
        SCOPED_TRACE(signal);
        QFile::remove(Path("pid"));
        QProcess tool;
        Tool().Start(tool, {"render", Path("catalog.vlv"), "--pov", povray, "--program-dir",
                            Path("program")});
        ASSERT_TRUE(tool.waitForStarted());
        for (int i = 0; i < 200 && FileBytes(Path("pid")).trimmed().toLongLong() == 0; ++i)
            QThread::msleep(50);
        const qint64 pid = FileBytes(Path("pid")).trimmed().toLongLong();
        ASSERT_GT(pid, 0);
        ::kill(static_cast<pid_t>(tool.processId()), signal);
        ASSERT_TRUE(tool.waitForFinished(20000));
        if (signal != SIGKILL) {
            EXPECT_EQ(tool.exitCode(), 1);
            EXPECT_TRUE(
                tool.readAllStandardError().contains("The render was stopped; POV-Ray was ended."));
        }
        EXPECT_TRUE(ProcessGone(pid)); // no POV-Ray outlives the tool, however it ends
    }
}

TEST_F(CliReliability, WhatAWrapperScriptStartedEndsWithPovRay) {
    PutFile(Path("catalog.vlv"), m_catalogBytes);
    // POV-Ray behind a script that starts it in the background and waits, as wrappers do.
    const QString povray =
        FakePovRay(QStringLiteral("sleep 1000 &\necho $! > '%1'\nwait").arg(Path("child")));
    QStringList render{"render", Path("catalog.vlv"), "-i", "1"};
    render << "--pov" << povray << "--program-dir" << Path("program");

    QFile::remove(Path("child"));
    const CliRun run = Cli(QStringList(render) << "--timeout"
                                               << "1");
    EXPECT_EQ(run.status, 1);
    EXPECT_TRUE(run.err.contains("within 1 seconds and was ended")) << run.err.toStdString();
    const qint64 timedOut = FileBytes(Path("child")).trimmed().toLongLong();
    ASSERT_GT(timedOut, 0);
    EXPECT_TRUE(ProcessGone(timedOut)) << "the child outlived the time limit";

    for (int signal : {SIGTERM, SIGHUP, SIGINT}) {
        SCOPED_TRACE(signal);
        QFile::remove(Path("child"));
        QProcess tool;
        Tool().Start(tool, render);
        ASSERT_TRUE(tool.waitForStarted());
        for (int i = 0; i < 200 && FileBytes(Path("child")).trimmed().toLongLong() == 0; ++i)
            tool.waitForFinished(50); // returns at once should the tool end first
        const qint64 child = FileBytes(Path("child")).trimmed().toLongLong();
        ASSERT_GT(child, 0);
        ::kill(static_cast<pid_t>(tool.processId()), signal);
        ASSERT_TRUE(tool.waitForFinished(20000));
        EXPECT_EQ(tool.exitCode(), 1);
        EXPECT_TRUE(ProcessGone(child)) << "the child outlived the tool";
    }
}

TEST_F(CliReliability, AnEmptyThumbnailIsNotWrittenAsAnEmptyFile) {
    // A stored 65535 x 0 thumbnail once became an empty PNG file and exit status 0.
    const QString path =
        QString::fromStdString(TestDataPath("catalog-corpus/ok-thumbnail-65535x0.vlv"));
    for (const char* name : {"empty.png", "empty.bmp"}) {
        const CliRun run = Cli({"thumbnail", path, "-i", "0", Path(name)});
        EXPECT_EQ(run.status, 1) << name;
        EXPECT_EQ(run.err, "The texture has no thumbnail; render it first.\n");
        EXPECT_FALSE(QFile::exists(Path(name)));
    }
}

TEST_F(CliReliability, AHostileCatalogMakesPovRayDrawTexturesAndNothingElse) {
    // evil.inc would write a file and print a mark; the fractal and the function image would
    // keep POV-Ray busy for ever or take all memory; the pipe would block it.
    const QString written = Path("written-by-povray.txt");
    PutFile(Path("evil.inc"), QStringLiteral("#fopen F \"%1\" write\n#write (F, \"x\")\n"
                                             "#fclose F\n#debug \"VELVANE-MARK\\n\"\n")
                                  .arg(written)
                                  .toUtf8());
    const QString pipe = Path("pipe.png");
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    const std::pair<const char*, std::string> hostile[] = {
        {"Evil Include", "texture { pigment { rgb <0, 1, 0> } #\ninclude \"" +
                             Path("evil.inc").toStdString() + "\" }"},
        {"Endless Loop", "texture { pigment { rgb 1 } # /* */ while (true) #\nend }"},
        {"Endless Fractal", "texture { pigment { mandel 2000000000 } }"},
        {"All Memory", "texture { pigment { image_map { function 100000, 100000 { x } } } }"},
        {"Blocking Pipe",
         "texture { pigment { image_map { png \"" + pipe.toStdString() + "\" } } }"},
    };
    Catalog catalog;
    catalog.AddTexture(Solid("First", 200, 40, 40));
    for (const auto& [name, text] : hostile) {
        SourceTexture texture;
        texture.SetName(name);
        texture.SetKind(SourceTexture::TextureKind);
        texture.SetText(text);
        catalog.AddTexture(texture);
    }
    catalog.AddTexture(Solid("Last", 40, 40, 200));
    PutFile(Path("hostile.vlv"), ToQt(catalog.Save()));

    const CliRun render = Cli({"render", Path("hostile.vlv"), "--program-dir", Path("program")});
    EXPECT_EQ(render.status, 1);
    for (const auto& [name, text] : hostile)
        EXPECT_TRUE(render.err.contains(name)) << name << "\n" << render.err.toStdString();
    EXPECT_TRUE(render.err.contains(("\"Blocking Pipe\" names the file \"" + pipe + "\"").toUtf8()))
        << render.err.toStdString();
    EXPECT_FALSE(render.err.contains("VELVANE-MARK")) << render.err.toStdString();
    EXPECT_FALSE(QFile::exists(written));
    const QByteArray listed = Cli({"list", Path("hostile.vlv")}).out;
    EXPECT_TRUE(listed.startsWith("0\tsimple\t120x120\tFirst\n")) << listed.toStdString();
    EXPECT_TRUE(listed.endsWith("6\tsimple\t120x120\tLast\n")) << listed.toStdString();
}
