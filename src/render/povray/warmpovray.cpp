#include "render/povray/warmpovray.h"

#include "render/files/fileio.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderrun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QPointer>
#include <array>
#include <cstdio>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr const char* kDriverFileName = "tempwarm.pov";
constexpr int kPollMilliseconds = 5;
constexpr int kTargaHeaderBytes = 18;
/// The end of a Targa file POV-Ray has finished writing.
const QByteArray kTargaSignature("TRUEVISION-XFILE.\0", 18);

/// The scene POV-Ray is started on: it waits for the frame's pipe, then reads the scene file.
std::string DriverScene() {
    return std::string("#fopen VelvaneGate concat(\"gate\", str(frame_number, 0, 0)) read\r\n"
                       "#fclose VelvaneGate\r\n"
                       "#include \"") +
           kSceneFileName + "\"\r\n";
}

bool EndsWithSignature(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || file.size() < kTargaSignature.size())
        return false;
    file.seek(file.size() - kTargaSignature.size());
    return file.read(kTargaSignature.size()) == kTargaSignature;
}

} // namespace

/// One picture of a WarmPovRay: it runs from its release through its pipe until POV-Ray has
/// written its frame.
class WarmFrame : public RenderRun {
public:
    WarmFrame(WarmPovRay& warm, QString subject) : m_warm(&warm), m_subject(std::move(subject)) {}
    ~WarmFrame() override {
        if (m_warm)
            m_warm->Withdraw(*this);
    }

    void Start() override {
        if (m_warm)
            m_warm->Release(*this);
        else
            Finish({RenderResult::Stopped, {}, {}});
    }
    void Stop() override {
        if (m_finished)
            return;
        if (m_warm)
            m_warm->Withdraw(*this);
        Finish({RenderResult::Stopped, {}, {}});
    }
    void SetUrgent(bool) override {} // the run is urgent itself
    const RenderResult& Result() const override { return m_result; }

    const QString& Subject() const { return m_subject; }
    void Finish(RenderResult result) {
        if (m_finished)
            return;
        m_finished = true;
        m_result = std::move(result);
        if (m_result.Succeeded())
            emit progressChanged(100);
        emit finished();
    }

private:
    QPointer<WarmPovRay> m_warm;
    QString m_subject;
    RenderResult m_result;
    bool m_finished = false;
};

WarmPovRay::WarmPovRay(QObject* parent) : QObject(parent) {
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &WarmPovRay::Poll);
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] {
        if (m_job)
            m_job->TimeOut(m_frameLimit);
    });
}

WarmPovRay::~WarmPovRay() {
    End();
}

bool WarmPovRay::Possible(const PovRayRunner& runner) {
    return runner.ResolvedStyle() == PovCommandStyle::Pov37 && runner.ExecutableIsProgram();
}

bool WarmPovRay::AsksAboutAnimation(const std::string& text) {
    for (const char* word : {"clock_on", "clock_delta", "frame_number", "initial_frame",
                             "final_frame", "initial_clock", "final_clock"})
        if (text.find(word) != std::string::npos)
            return true;
    return false;
}

QString WarmPovRay::FramePath(int frame) const {
    QString base = OutputFileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    const QString extension = base.mid(dot);
    base.truncate(dot);
    const int digits = static_cast<int>(QString::number(kFrames).size());
    return QDir(m_folder).filePath(
        base + QString::number(frame).rightJustified(digits, QLatin1Char('0')) + extension);
}

QString WarmPovRay::GatePath(int frame) const {
    return QDir(m_folder).filePath(QStringLiteral("gate%1").arg(frame));
}

RenderResult WarmPovRay::Ready(PovRayRunner& runner, int width, int height, QString& folder) {
    PovCommand command = runner.Command(OutputFileName(), width, height, kFrames);
    if (command.arguments.empty())
        return RenderResult::Failure(RenderResult::StartFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle), {});
    command.arguments.front() = std::string("+i") + kDriverFileName;
    command.arguments.insert(command.arguments.end(), {"+ki0", "+kf0"});
    if (!m_job || m_job->IsFinished() || m_current || m_frame > kFrames ||
        command.executable != m_command.executable || command.arguments != m_command.arguments) {
        End();
        if (RenderResult begun = Begin(runner, command, width, height); !begun.Succeeded()) {
            End();
            return begun;
        }
    }
    folder = m_folder;
    return {};
}

RenderResult WarmPovRay::Begin(PovRayRunner& runner, const PovCommand& command, int width,
                               int height) {
    if (RenderResult made = runner.NewJobFolder(m_folder); !made.Succeeded())
        return made;
    WriteOptions options;
    options.sync = false;
    const FileResult written = WriteFileAtomically(
        QDir(m_folder).filePath(QString::fromLatin1(kDriverFileName)),
        QByteArray::fromStdString(DriverScene()), QStringLiteral("Failed to write %1."), options);
    if (!written)
        return RenderResult::Failure(RenderResult::FileFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle), written.message);
    m_frame = 1;
    if (::mkfifo(QFile::encodeName(GatePath(m_frame)).constData(), 0600) != 0)
        return RenderResult::Failure(RenderResult::FileFailed,
                                     QString::fromUtf8(RenderMessages::AppTitle),
                                     QStringLiteral("Failed to write %1.").arg(GatePath(m_frame)));
    m_command = command;
    m_pictureBytes = kTargaHeaderBytes + static_cast<qint64>(width) * height * 3;
    m_job = runner.MakeJob(m_folder, command, QFileInfo(FramePath(1)).fileName(), width, height,
                           QString());
    m_frameLimit = m_job->TimeLimit();
    m_job->SetTimeLimit(0); // it waits for its frames as long as the window wants
    m_job->SetUrgent(true);
    m_job->SetKilledWithProgram(true); // SIGTERM does not reach it while it waits
    connect(m_job.get(), &PovRayJob::finished, this, &WarmPovRay::JobEnded, Qt::QueuedConnection);
    m_job->Start();
    return {};
}

std::unique_ptr<RenderRun> WarmPovRay::NextFrame(const QString& subject) {
    return std::make_unique<WarmFrame>(*this, subject);
}

void WarmPovRay::Release(WarmFrame& frame) {
    if (!m_job || m_job->IsFinished() || m_current) {
        frame.Finish(RenderResult::Failure(RenderResult::StartFailed,
                                           QString::fromUtf8(RenderMessages::AppTitle), {}));
        return;
    }
    // The next frame waits at a pipe of its own, which is there before this one goes through.
    const QByteArray next = QFile::encodeName(GatePath(m_frame + 1));
    ::unlink(next.constData());
    if (::mkfifo(next.constData(), 0600) != 0) {
        frame.Finish(RenderResult::Failure(RenderResult::FileFailed,
                                           QString::fromUtf8(RenderMessages::AppTitle), {}));
        return;
    }
    QFile::remove(FramePath(m_frame));
    // Read and write: the open does not wait for POV-Ray, and POV-Ray's opens go through.
    m_gate =
        ::open(QFile::encodeName(GatePath(m_frame)).constData(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (m_gate < 0) {
        frame.Finish(RenderResult::Failure(RenderResult::FileFailed,
                                           QString::fromUtf8(RenderMessages::AppTitle), {}));
        return;
    }
    m_current = &frame;
    m_job->SetSubject(frame.Subject());
    m_poll.start();
    if (m_frameLimit > 0)
        m_frameTimer.start(m_frameLimit * 1000);
}

void WarmPovRay::CloseGate() {
    if (m_gate >= 0) {
        ::close(m_gate);
        m_gate = -1;
    }
    m_poll.stop();
    m_frameTimer.stop();
}

void WarmPovRay::Poll() {
    if (!m_current || !m_job)
        return;
    const QString path = FramePath(m_frame);
    if (QFileInfo(path).size() < m_pictureBytes)
        return;
    if (!EndsWithSignature(path) && m_job->Frame() <= m_frame)
        return;
    CloseGate();
    ::unlink(QFile::encodeName(GatePath(m_frame)).constData());
    const QString output = QDir(m_folder).filePath(OutputFileName());
    const bool moved = std::rename(QFile::encodeName(path).constData(),
                                   QFile::encodeName(output).constData()) == 0;
    ++m_frame;
    WarmFrame* frame = std::exchange(m_current, nullptr);
    frame->Finish(moved ? RenderResult()
                        : RenderResult::Failure(RenderResult::ImageFailed,
                                                QString::fromUtf8(RenderMessages::AppTitle), {}));
}

void WarmPovRay::JobEnded() {
    if (!m_job || !m_job->IsFinished())
        return;
    RenderResult result = m_job->Result();
    if (result.Succeeded())
        result = RenderResult::Failure(RenderResult::ImageFailed,
                                       QString::fromUtf8(RenderMessages::AppTitle), {});
    WarmFrame* frame = std::exchange(m_current, nullptr);
    End();
    if (frame)
        frame->Finish(std::move(result));
}

void WarmPovRay::Withdraw(WarmFrame& frame) {
    if (m_current != &frame)
        return;
    // POV-Ray is in the middle of the frame: the next picture starts another run.
    m_current = nullptr;
    End();
}

void WarmPovRay::End() {
    CloseGate();
    if (m_current)
        std::exchange(m_current, nullptr)->Finish({RenderResult::Stopped, {}, {}});
    if (m_job) {
        m_job->disconnect(this);
        m_job.reset(); // killed at once, with its process group
    }
    if (!m_folder.isEmpty()) {
        PovRayRunner::RemoveJobFolder(m_folder);
        m_folder.clear();
    }
    m_command = {};
}
