// Scratch areas in a temporary folder that other users write too: links planted under the
// names of abandoned areas, base folders that are links, open to others or someone else's,
// and job folders that must go however their render ends.

#include "core/model/simpletexture.h"
#include "render/povray/picturerender.h"
#include "render/povray/povversion.h"
#include "render/povray/scratcharea.h"
#include "renderfixture.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

/// Sets an environment variable for the life of the object.
class EnvironmentGuard {
public:
    EnvironmentGuard(const char* name, const QByteArray& value)
        : m_name(name), m_had(qEnvironmentVariableIsSet(name)), m_old(qgetenv(name)) {
        if (value.isNull())
            qunsetenv(name);
        else
            qputenv(name, value);
    }
    ~EnvironmentGuard() {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }
    EnvironmentGuard(const EnvironmentGuard&) = delete;
    EnvironmentGuard& operator=(const EnvironmentGuard&) = delete;

private:
    const char* m_name;
    bool m_had;
    QByteArray m_old;
};

bool IsLink(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(
        QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}

/// The id of a process that has ended.
qint64 EndedProcessId() {
    QProcess ended;
    ended.start(QStringLiteral("true"));
    EXPECT_TRUE(ended.waitForStarted());
    const qint64 pid = ended.processId();
    EXPECT_TRUE(ended.waitForFinished());
    return pid;
}

/// What another user keeps: a folder with a file, and a file of its own.
struct Victim {
    explicit Victim(const QString& root)
        : folder(root + QStringLiteral("/victim")), file(root + QStringLiteral("/victim.txt")) {
        QDir().mkpath(folder);
        PutFile(folder + QStringLiteral("/precious.txt"), "keep me");
        PutFile(file, "keep me too");
    }
    void ExpectIntact() const {
        EXPECT_EQ(FileBytes(folder + QStringLiteral("/precious.txt")), "keep me");
        EXPECT_EQ(FileBytes(file), "keep me too");
    }
    QString folder;
    QString file;
};

class ScratchTest : public RenderTest {
protected:
    void SetUp() override {
        RenderTest::SetUp();
        ASSERT_TRUE(m_temp.isValid());
        m_tmp = std::make_unique<EnvironmentGuard>("TMPDIR", m_temp.filePath("tmp").toUtf8());
        m_runtime = std::make_unique<EnvironmentGuard>("XDG_RUNTIME_DIR", QByteArray());
        QDir().mkpath(m_temp.filePath("tmp"));
        m_runner->SetNoticeHandler(
            [this](const QString&, const QString& text) { m_notices << text; });
    }
    /// The per-user base in the temporary folder.
    QString Base() const {
        return m_temp.filePath(QStringLiteral("tmp/velvane-%1").arg(::geteuid()));
    }

    QTemporaryDir m_temp;
    std::unique_ptr<EnvironmentGuard> m_tmp;
    std::unique_ptr<EnvironmentGuard> m_runtime;
    QStringList m_notices;
};

} // namespace

TEST_F(ScratchTest, LinksNamedLikeAbandonedAreasAreNeverFollowed) {
    const Victim victim(m_temp.path());
    const qint64 dead = EndedProcessId();
    const QString tmp = m_temp.filePath("tmp");
    // Planted in the shared temporary folder, where scratch areas once lay.
    const QString planted = tmp + QStringLiteral("/velvane-render-%1-a").arg(dead);
    ASSERT_TRUE(QFile::link(victim.folder, planted));
    // And in the base (as a user who could write there would): links to a folder, to a file,
    // dangling; a real abandoned area holding links; a living process's area; a foreign name.
    ASSERT_EQ(ScratchArea::CheckBase(Base()), QString());
    const QString area = Base() + QStringLiteral("/render-%1-").arg(dead);
    ASSERT_TRUE(QFile::link(victim.folder, area + QStringLiteral("aaaaaa")));
    ASSERT_TRUE(QFile::link(victim.file, area + QStringLiteral("bbbbbb")));
    ASSERT_TRUE(QFile::link(m_temp.filePath("gone"), area + QStringLiteral("cccccc")));
    const QString abandoned = area + QStringLiteral("dddddd");
    ASSERT_TRUE(QDir().mkpath(abandoned + QStringLiteral("/job-x/deeper")));
    ASSERT_TRUE(QFile::link(victim.folder, abandoned + QStringLiteral("/job-x/to-folder")));
    ASSERT_TRUE(QFile::link(victim.file, abandoned + QStringLiteral("/job-x/deeper/to-file")));
    PutFile(abandoned + QStringLiteral("/job-x/temp.tga"), "picture");
    QProcess living;
    living.start(QStringLiteral("sleep"), {QStringLiteral("30")});
    ASSERT_TRUE(living.waitForStarted());
    const QString alive = Base() + QStringLiteral("/render-%1-eeeeee").arg(living.processId());
    const QString foreign = Base() + QStringLiteral("/notes-%1-ffffff").arg(dead);
    ASSERT_TRUE(QDir().mkpath(alive));
    ASSERT_TRUE(QDir().mkpath(foreign));

    QString folder;
    ASSERT_TRUE(m_runner->NewJobFolder(folder).Succeeded());
    living.kill();
    living.waitForFinished();

    victim.ExpectIntact();
    EXPECT_TRUE(IsLink(planted));
    for (const char* link : {"aaaaaa", "bbbbbb", "cccccc"})
        EXPECT_TRUE(IsLink(area + QLatin1String(link))) << link;
    EXPECT_FALSE(QFileInfo::exists(abandoned)); // ours, its process gone: removed
    EXPECT_TRUE(QFileInfo::exists(alive));
    EXPECT_TRUE(QFileInfo::exists(foreign));
    EXPECT_TRUE(folder.startsWith(Base() + QStringLiteral("/render-%1-").arg(::getpid())));
    EXPECT_TRUE(m_notices.isEmpty()) << m_notices.join('\n').toStdString();
}

TEST_F(ScratchTest, JobFoldersAreRemovedWithoutFollowingLinks) {
    const Victim victim(m_temp.path());
    QString folder;
    ASSERT_TRUE(m_runner->NewJobFolder(folder).Succeeded());
    struct stat info {};
    ASSERT_EQ(::lstat(QFile::encodeName(folder).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);
    ASSERT_EQ(::lstat(QFile::encodeName(Base()).constData(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0700u);

    ASSERT_TRUE(QFile::link(victim.folder, folder + QStringLiteral("/to-folder")));
    ASSERT_TRUE(QFile::link(victim.file, folder + QStringLiteral("/to-file")));
    PovRayRunner::RemoveJobFolder(folder);
    EXPECT_FALSE(QFileInfo::exists(folder));
    victim.ExpectIntact();

    // A link given as the folder is not a folder of ours: neither it nor its target goes.
    const QString link = m_temp.filePath("link-to-victim");
    ASSERT_TRUE(QFile::link(victim.folder, link));
    PovRayRunner::RemoveJobFolder(link);
    EXPECT_TRUE(IsLink(link));
    victim.ExpectIntact();

    const QString area = m_runner->ScratchFolder();
    ASSERT_FALSE(area.isEmpty());
    m_runner.reset();
    EXPECT_FALSE(QFileInfo::exists(area)); // the area goes with its runner
}

TEST_F(ScratchTest, ARefusedBaseIsNamedAndAnotherIsUsed) {
    const QString runtime = m_temp.filePath("runtime");
    QDir().mkpath(runtime);
    const EnvironmentGuard runtimeDir("XDG_RUNTIME_DIR", runtime.toUtf8());
    const Victim victim(m_temp.path());

    struct Case {
        const char* name;
        std::function<bool()> plant;
        QString reason;
    };
    const std::vector<Case> cases = {
        {"link", [&] { return QFile::link(victim.folder, Base()); },
         QStringLiteral("it is a symbolic link")},
        {"open to others",
         [&] {
             return QDir().mkpath(Base()) &&
                    ::chmod(QFile::encodeName(Base()).constData(), 0777) == 0;
         },
         QStringLiteral("other users may use it (its mode is 0777, not 0700)")},
        {"a file", [&] { return QFile(Base()).open(QIODevice::WriteOnly); },
         QStringLiteral("it is not a folder")},
    };
    for (const Case& refused : cases) {
        SCOPED_TRACE(refused.name);
        ASSERT_TRUE(refused.plant());
        m_notices.clear();
        PovRayRunner runner(m_settings, m_shapes);
        runner.SetNoticeHandler([this](const QString&, const QString& text) { m_notices << text; });
        QString folder;
        ASSERT_TRUE(runner.NewJobFolder(folder).Succeeded());
        EXPECT_TRUE(folder.startsWith(runtime + QStringLiteral("/velvane/render-")))
            << folder.toStdString();
        EXPECT_EQ(m_notices,
                  QStringList{QStringLiteral("The scratch folder %1 is not used: %2.\nRenders keep "
                                             "their files in %3 instead.")
                                  .arg(Base(), refused.reason, runtime + "/velvane")});
        victim.ExpectIntact();
        EXPECT_EQ(Entries(victim.folder), QStringList{QStringLiteral("precious.txt")});
        if (IsLink(Base()) || QFileInfo(Base()).isFile())
            QFile::remove(Base());
        else
            QDir(Base()).removeRecursively();
    }
}

TEST_F(ScratchTest, ABaseOfAnotherUserIsRefused) {
    if (::geteuid() != 0)
        GTEST_SKIP() << "handing a folder to another user needs root";
    ASSERT_TRUE(QDir().mkpath(Base()));
    ASSERT_EQ(::chmod(QFile::encodeName(Base()).constData(), 0700), 0);
    ASSERT_EQ(::chown(QFile::encodeName(Base()).constData(), 65534, 65534), 0);
    QString folder;
    ASSERT_TRUE(m_runner->NewJobFolder(folder).Succeeded());
    // Without $XDG_RUNTIME_DIR the program directory takes the renders.
    EXPECT_TRUE(folder.startsWith(Path(QStringLiteral("scratch/render-")))) << folder.toStdString();
    ASSERT_EQ(m_notices.size(), 1);
    EXPECT_TRUE(m_notices[0].startsWith(
        QStringLiteral("The scratch folder %1 is not used: it belongs to another user.")
            .arg(Base())))
        << m_notices[0].toStdString();
    EXPECT_TRUE(Entries(Base()).isEmpty()); // nothing of ours went into it

    // When no base can be used, the render is refused with every reason.
    m_settings.programDirectory = QStringLiteral("/proc/velvane-cannot-exist");
    PovRayRunner nowhere(m_settings, m_shapes);
    const RenderResult refused = nowhere.NewJobFolder(folder);
    EXPECT_EQ(refused.status, RenderResult::FileFailed);
    EXPECT_TRUE(refused.message.startsWith(
        QStringLiteral("No scratch folder can be used for renders.\nThe scratch folder %1 is not "
                       "used: it belongs to another user.")
            .arg(Base())))
        << refused.message.toStdString();
}

TEST_F(ScratchTest, AnAbandonedRenderLeavesNoFolder) {
    // The Preview window closed while its automatic render runs destroys the render.
    m_settings.povExecutable = FakePovRay(QStringLiteral("exec sleep 30"));
    m_settings.povCommandStyle = 2;
    SimpleTexture texture;
    texture.SetName("Abandoned");
    auto render = std::make_unique<PictureRender>(texture, 40, 40);
    render->Start(*m_queue);
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return render->GetState() == QueuedRender::State::Running; }, 60000));
    ASSERT_EQ(Entries(m_runner->ScratchFolder()).size(), 1);
    render.reset();
    EXPECT_TRUE(Entries(m_runner->ScratchFolder()).isEmpty());
    EXPECT_EQ(m_queue->Left(), 0);
}

TEST_F(ScratchTest, TheVersionQueryKeepsOnlyTheFirstPartOfItsOutput) {
    // 1.5 GB printed once took 1.4 GB of memory.
    const QString script = FakePovRay(
        QStringLiteral("echo 'POV-Ray 3.7.0.10'\nyes 'more and more text' | head -c 40000000"));
    const QString output = VersionOutput(script);
    EXPECT_LE(output.size(), kMaxVersionOutput);
    EXPECT_GT(output.size(), 1000);
    EXPECT_EQ(PovVersionLine(output), QStringLiteral("POV-Ray 3.7.0.10"));
    // It ran in a scratch folder of the base, which is gone again.
    EXPECT_TRUE(Entries(Base()).isEmpty()) << Entries(Base()).join(' ').toStdString();
}
