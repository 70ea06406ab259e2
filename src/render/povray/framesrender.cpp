#include "render/povray/framesrender.h"

#include "core/model/texture.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"

#include <QDir>
#include <QFileInfo>

namespace {
/// How often the folder is looked at for frames POV-Ray has moved past.
constexpr int kPollMilliseconds = 40;

std::string FirstName(const std::vector<const Texture*>& textures) {
    return textures.empty() ? std::string() : textures.front()->GetName();
}
} // namespace

FramesRender::FramesRender(const std::vector<const Texture*>& textures, int width, int height,
                           QObject* parent)
    : QueuedRender(FirstName(textures), width, height, parent) {
    m_frames.reserve(textures.size());
    for (const Texture* texture : textures)
        m_frames.emplace_back(*texture);
    m_poll.setInterval(kPollMilliseconds);
    connect(&m_poll, &QTimer::timeout, this, &FramesRender::Poll);
    m_frameTimer.setSingleShot(true);
    connect(&m_frameTimer, &QTimer::timeout, this, [this] {
        if (m_job)
            m_job->TimeOut(m_frameLimit);
    });
}

QString FramesRender::FrameFile(int frame) const {
    // POV-Ray puts the frame's number before the extension, with as many digits as the last
    // frame's number has.
    QString base = OutputFileName();
    const qsizetype dot = base.lastIndexOf(QLatin1Char('.'));
    const QString extension = dot < 0 ? QString() : base.mid(dot);
    base.truncate(dot < 0 ? base.size() : dot);
    const int digits = static_cast<int>(QString::number(Frames()).size());
    return base + QString::number(frame + 1).rightJustified(digits, QLatin1Char('0')) + extension;
}

RenderResult FramesRender::Prepare(const PovRayRunner& runner, const QString& folder,
                                   RenderRemarks& remarks) {
    std::vector<const RenderedPicture*> pictures;
    for (const RenderedPicture& frame : m_frames)
        pictures.push_back(&frame);
    RenderResult written = runner.WriteFrameScenes(pictures, folder, remarks);
    if (written.Succeeded())
        m_poll.start();
    return written;
}

std::unique_ptr<PovRayJob> FramesRender::MakeJob(const PovRayRunner& runner, const QString& folder,
                                                 RenderResult&) {
    // Unnamed: which texture failed is known once POV-Ray has ended.
    auto job = runner.MakeJob(folder, runner.Command(OutputFileName(), Width(), Height(), Frames()),
                              FrameFile(0), Width(), Height(), QString());
    // Each frame has the time one picture has: a slow texture fails alone, and the frames
    // after it are rendered anew.
    m_frameLimit = job->TimeLimit();
    job->SetTimeLimit(0);
    m_job = job.get();
    RestartFrameTimer();
    connect(m_job, &PovRayJob::frameStarted, this, &FramesRender::RestartFrameTimer);
    return job;
}

void FramesRender::Poll() {
    const QString folder = Folder();
    // A frame is whole once POV-Ray has begun the next.
    while (m_delivered + 1 < Frames() &&
           QFileInfo::exists(QDir(folder).filePath(FrameFile(m_delivered + 1))) &&
           TakeFrame(folder)) {
    }
}

bool FramesRender::TakeFrame(const QString& folder) {
    RenderedPicture& frame = m_frames[static_cast<std::size_t>(m_delivered)];
    if (!ReadRenderedImage(folder, FrameFile(m_delivered), Width(), Height(), frame.Picture())
             .Succeeded())
        return false;
    emit frameRendered(m_delivered++);
    return true;
}

void FramesRender::RestartFrameTimer() {
    if (m_frameLimit > 0 && m_job)
        m_frameTimer.start(m_frameLimit * 1000);
}

void FramesRender::JobEnded(const QString& folder, const RenderResult& result) {
    m_poll.stop();
    m_frameTimer.stop();
    m_job = nullptr;
    if (result.status == RenderResult::Stopped)
        return;
    Poll();
    // After a run to its end every frame is whole; after a failure the last one written may be
    // the one POV-Ray failed on.
    while (m_delivered < Frames() && TakeFrame(folder)) {
    }
    if (m_delivered >= Frames())
        return;
    m_failedFrame = m_delivered;
    const QString name =
        QString::fromStdString(m_frames[static_cast<std::size_t>(m_failedFrame)].Name());
    m_frameFailure =
        result.Succeeded()
            ? RenderResult::Failure(RenderResult::ImageFailed,
                                    QString::fromUtf8(RenderMessages::AppTitle),
                                    name + QStringLiteral(": the rendered image is damaged."))
            : result;
    if (result.status == RenderResult::PovRayFailed)
        m_frameFailure.message.replace(
            QString::fromUtf8(RenderMessages::PovRayFailed),
            QString::fromUtf8(RenderMessages::PovRayFailedNamed).arg(name));
    else if (result.status == RenderResult::TimedOut)
        m_frameFailure.message =
            QString::fromUtf8(RenderMessages::TimedOutNamed).arg(m_frameLimit).arg(name);
}

RenderResult FramesRender::Collect(const QString&) {
    return m_failedFrame < 0 ? RenderResult() : m_frameFailure;
}
