// How long renders and POV-Ray runs live: receivers that destroy a render from inside its own
// signals, and POV-Ray runs that are let go, stopped or timed out with children of their own.
// Stand-in scripts play POV-Ray.

#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/simpletexture.h"
#include "core/shapes/customshape.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/picturerender.h"
#include "render/povray/povversion.h"
#include "render/povray/thumbnailbatchrender.h"
#include "renderfixture.h"

#include <QDir>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <csignal>
#include <gtest/gtest.h>
#include <unistd.h>

namespace {

/// The processes of process group `group` that have not ended (a zombie has ended).
std::vector<pid_t> LiveMembers(pid_t group) {
    std::vector<pid_t> members;
    const QStringList entries = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString& entry : entries) {
        bool number = false;
        const pid_t pid = static_cast<pid_t>(entry.toLongLong(&number));
        if (!number)
            continue;
        QFile file(QStringLiteral("/proc/%1/stat").arg(entry));
        if (!file.open(QIODevice::ReadOnly))
            continue;
        // "pid (name) state ppid pgrp ...": the name may hold blanks and parentheses.
        const QByteArray stat = file.readAll();
        const QList<QByteArray> fields = stat.mid(stat.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 2 && fields[0] != "Z" && fields[0] != "X" &&
            fields[2].toLongLong() == group)
            members.push_back(pid);
    }
    return members;
}

/// The number a stand-in wrote into `path`, once it is there whole; 0 before.
pid_t WrittenPid(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QByteArray text = file.readAll();
    return text.endsWith('\n') ? static_cast<pid_t>(text.trimmed().toLongLong()) : 0;
}

/// A render of a plain texture on the first shape.
std::unique_ptr<PictureRender> PlainRender() {
    SimpleTexture texture;
    texture.SetName("Plain");
    return std::make_unique<PictureRender>(texture, 20, 20);
}

} // namespace

TEST_F(RenderTest, ARenderDestroyedWhileItsNoticeIsShownIsNotTouchedAgain) {
    m_settings.povExecutable = FakePovRay(QStringLiteral("exit 0"));
    m_settings.povCommandStyle = 2;
    // The only shape lacks the include file (a notice); the texture asks for a shape that is
    // not there (a status remark after the notice).
    auto shape = std::make_unique<CustomShape>();
    shape->SetSource("sphere { 0, 1 texture { %%TEXTURE_NAME%% } }\r\n");
    m_shapes.clear();
    m_shapes.push_back(std::move(shape));
    SimpleTexture texture;
    texture.SetName("Lonely");
    texture.SetPreviewShape(7);

    auto* render = new PictureRender(texture, 20, 20);
    const QPointer<PictureRender> alive(render);
    int notices = 0;
    int statuses = 0;
    int finished = 0;
    QObject receiver;
    // The owner lets go of a render once it has ended, as the Preview did.
    QObject::connect(render, &QueuedRender::finished, &receiver, [&] {
        ++finished;
        delete render;
    });
    // The notice is shown as a modal message box shows it: events go on meanwhile, and the
    // render ends while it is open.
    QObject::connect(render, &QueuedRender::notice, &receiver, [&] {
        ++notices;
        QEventLoop box;
        QObject::connect(render, &QObject::destroyed, &box, &QEventLoop::quit);
        QTimer::singleShot(60000, &box, &QEventLoop::quit);
        box.exec();
    });
    QObject::connect(render, &QueuedRender::status, &receiver, [&] { ++statuses; });
    render->Start(*m_queue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 60000));
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(finished, 1);
    EXPECT_EQ(statuses, 0) << "a render that is gone says nothing more";
    EXPECT_EQ(m_queue->Left(), 0);
}

/// A POV-Ray that is a wrapper script: it starts a child that ends on SIGTERM and one that
/// ignores it, then waits for them.
class WrapperTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        m_settings.povExecutable =
            FakePovRay(QStringLiteral("sleep 1000 &\n"
                                      "sh -c 'trap \"\" TERM; sleep 1000' &\n"
                                      "echo $! > '%1'\n"
                                      "echo $$ > '%2'\n"
                                      "wait")
                           .arg(Path(QStringLiteral("child")), Path(QStringLiteral("leader"))));
        m_settings.povCommandStyle = 2;
    }
    /// Waits until the stand-in runs; its process group, or 0.
    pid_t RunningGroup() {
        if (!QTest::qWaitFor([&] { return WrittenPid(Path(QStringLiteral("leader"))) > 0; }, 60000))
            return 0;
        return WrittenPid(Path(QStringLiteral("leader")));
    }
    /// The job folders in the scratch area.
    QStringList JobFolders() const {
        return QDir(m_runner->ScratchFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    }
};

TEST_F(WrapperTest, POVRayLeadsAGroupOfItsOwnThatAStopOrTheTimeLimitEndsWhole) {
    for (const bool timeLimit : {false, true}) {
        SCOPED_TRACE(timeLimit ? "time limit" : "stop");
        QFile::remove(Path(QStringLiteral("leader")));
        m_settings.renderTimeLimit = timeLimit ? 1 : 0;
        auto render = PlainRender();
        QSignalSpy finished(render.get(), &QueuedRender::finished);
        render->Start(*m_queue);
        const pid_t group = RunningGroup();
        ASSERT_GT(group, 0);
        const pid_t child = WrittenPid(Path(QStringLiteral("child")));
        EXPECT_EQ(::getpgid(group), group);
        EXPECT_EQ(::getpgid(child), group);
        EXPECT_NE(group, ::getpgrp());
        EXPECT_GE(LiveMembers(group).size(), 3u) << "the script and its children";
        if (!timeLimit)
            render->Stop();
        ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
        EXPECT_EQ(render->Result().status,
                  timeLimit ? RenderResult::TimedOut : RenderResult::Stopped);
        // The child that ignores SIGTERM too, once the script has ended.
        EXPECT_TRUE(QTest::qWaitFor([&] { return LiveMembers(group).empty(); }, 5000))
            << LiveMembers(group).size() << " left";
        EXPECT_TRUE(JobFolders().isEmpty());
    }
}

TEST_F(WrapperTest, ARenderLetGoWhileItRunsKillsItsGroupWithoutWaitingAndLeavesNothing) {
    auto render = PlainRender();
    render->Start(*m_queue);
    const pid_t group = RunningGroup();
    ASSERT_GT(group, 0);
    ASSERT_EQ(JobFolders().size(), 1);
    render.reset();
    // Killed, and not waited for here: the script is reaped from the event loop.
    EXPECT_TRUE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(group)));
    EXPECT_TRUE(JobFolders().isEmpty());
    EXPECT_TRUE(QTest::qWaitFor([&] { return LiveMembers(group).empty(); }, 5000));
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !QFileInfo::exists(QStringLiteral("/proc/%1").arg(group)); }, 5000))
        << "a zombie is left";

    // Let go just before the program ends: the runner reaps it before the area goes.
    QFile::remove(Path(QStringLiteral("leader")));
    render = PlainRender();
    render->Start(*m_queue);
    const pid_t last = RunningGroup();
    ASSERT_GT(last, 0);
    const QString area = m_runner->ScratchFolder();
    render.reset();
    m_queue.reset();
    m_runner.reset();
    EXPECT_FALSE(QFileInfo::exists(QStringLiteral("/proc/%1").arg(last))) << "a zombie is left";
    EXPECT_FALSE(QFileInfo::exists(area));
    EXPECT_TRUE(QTest::qWaitFor([&] { return LiveMembers(last).empty(); }, 5000));
}

TEST_F(WrapperTest, AVersionProbeWithoutAnAnswerEndsItsGroupWithinItsTime) {
    PovVersionProbe probe;
    QSignalSpy finished(&probe, &PovVersionProbe::finished);
    QElapsedTimer clock;
    clock.start();
    probe.Start(m_settings.povExecutable);
    const pid_t group = RunningGroup();
    ASSERT_GT(group, 0);
    EXPECT_EQ(::getpgid(WrittenPid(Path(QStringLiteral("child")))), group);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
    EXPECT_LT(clock.elapsed(), kVersionProbeTimeoutMs + 1000);
    EXPECT_EQ(finished.first().first().toString(), QString());
    EXPECT_TRUE(QTest::qWaitFor([&] { return LiveMembers(group).empty(); }, 5000))
        << LiveMembers(group).size() << " left";
}

TEST_F(RenderTest, ABatchDestroyedWhileItRendersLeavesTheQueueCountingRight) {
    m_settings.povExecutable = FakePovRay(QStringLiteral("exec sleep 60"));
    m_settings.povCommandStyle = 2;
    m_places = 2;
    Catalog catalog;
    for (const char* name : {"A", "B", "C"}) {
        SimpleTexture texture;
        texture.SetName(name);
        catalog.AddTexture(texture);
    }
    catalog.SelectAll();
    ThumbnailBatch plan(catalog, true, false);
    CatalogTextures textures(catalog, plan);
    auto batch = std::make_unique<ThumbnailBatchRender>(std::move(plan), textures);
    batch->Start(*m_queue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_queue->Running() == 2; }, 60000));
    // Whoever shows the queue asks for its counts each time it changes, also while the batch
    // goes.
    std::vector<int> counted;
    QObject watcher;
    QObject::connect(m_queue.get(), &RenderQueue::changed, &watcher,
                     [&] { counted.push_back(m_queue->Running() + m_queue->Left()); });
    batch.reset();
    ASSERT_FALSE(counted.empty());
    EXPECT_EQ(counted.back(), 0);
    EXPECT_EQ(m_queue->Running(), 0);
    EXPECT_EQ(m_queue->Left(), 0);
    EXPECT_TRUE(
        QDir(m_runner->ScratchFolder()).entryList(QDir::Dirs | QDir::NoDotAndDotDot).isEmpty());
}
