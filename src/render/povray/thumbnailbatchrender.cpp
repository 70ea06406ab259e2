#include "render/povray/thumbnailbatchrender.h"

#include "render/povray/picturerender.h"
#include "render/povray/renderqueue.h"

#include <algorithm>
#include <numeric>

namespace {

/// How often at most the whole job's progress is told.
constexpr int kProgressMilliseconds = 100;

/// A render that failed for its texture alone (POV-Ray could not parse or render it, or its
/// picture was unreadable): the batch goes on without it. Anything else ends the batch.
bool FailsOnlyItsTexture(const RenderResult& result) {
    return result.status == RenderResult::PovRayFailed ||
           result.status == RenderResult::ImageFailed;
}

} // namespace

ThumbnailBatchRender::ThumbnailBatchRender(ThumbnailBatch batch, Textures& textures,
                                           QObject* parent)
    : QObject(parent), m_batch(std::move(batch)), m_textures(textures) {
    for (std::size_t task = 0; task < m_batch.Tasks().size(); ++task) {
        m_waiting.push_back(task);
        m_totalWork += TaskWork(task);
    }
    m_progressTimer.setSingleShot(true);
    m_progressTimer.setInterval(kProgressMilliseconds);
    connect(&m_progressTimer, &QTimer::timeout, this, &ThumbnailBatchRender::progress);
}

ThumbnailBatchRender::~ThumbnailBatchRender() {
    // Out of the queue first: each render tells the queue as it goes, and the queue must not
    // count the batch's renders while they are being destroyed.
    if (m_queue)
        m_queue->Leave(*this);
    const auto running = std::move(m_running);
    m_running.clear();
}

void ThumbnailBatchRender::Start(RenderQueue& queue) {
    if (m_queue || m_finished)
        return;
    m_queue = &queue;
    m_clock.start();
    queue.Join(*this);
    if (m_waiting.empty())
        FinishWhenIdle();
}

double ThumbnailBatchRender::TaskWork(std::size_t task) const {
    const ThumbnailTask& t = m_batch.Tasks()[task];
    return static_cast<double>(t.width) * t.height;
}

int ThumbnailBatchRender::Running() const {
    return static_cast<int>(
        std::count_if(m_running.begin(), m_running.end(), [](const auto& entry) {
            return entry.second->GetState() == QueuedRender::State::Running;
        }));
}

int ThumbnailBatchRender::Left() const {
    return std::accumulate(m_running.begin(), m_running.end(), TasksWaiting(),
                           [](int sum, const auto& entry) { return sum + entry.second->Left(); });
}

bool ThumbnailBatchRender::LaunchNext(RenderQueue& queue) {
    QueuedRender* next = TakeNext();
    if (!next)
        return false;
    next->SetPriority(QueuedRender::Priority::Batch);
    return next->LaunchNext(queue);
}

QueuedRender* ThumbnailBatchRender::TakeNext() {
    while (!m_waiting.empty() && !m_stopping) {
        const std::size_t task = m_waiting.front();
        m_waiting.pop_front();
        const ThumbnailTask& t = m_batch.Tasks()[task];
        const Texture* subject = m_textures.Subject(t);
        if (!subject) {
            EndTask(task, ThumbnailBatch::Ending::Dropped);
            continue;
        }
        auto render = std::make_unique<PictureRender>(*subject, t.width, t.height);
        render->SetCaption(QString::fromStdString(t.caption));
        render->SetOwner(m_owner);
        PictureRender* taken = render.get();
        connect(taken, &QueuedRender::finished, this,
                [this, task, taken] { RenderEnded(task, taken); });
        connect(taken, &QueuedRender::progress, this, &ThumbnailBatchRender::ReportProgress);
        m_running[task] = std::move(render);
        ReportProgress();
        return taken;
    }
    if (m_waiting.empty() && m_running.empty())
        FinishWhenIdle();
    return nullptr;
}

void ThumbnailBatchRender::RenderEnded(std::size_t task, PictureRender* render) {
    const auto found = m_running.find(task);
    if (found == m_running.end() || found->second.get() != render)
        return;
    const std::unique_ptr<PictureRender> ended = std::move(found->second);
    m_running.erase(found);
    const RenderResult& result = ended->Result();
    const ThumbnailTask& t = m_batch.Tasks()[task];
    if (result.Succeeded()) {
        switch (m_textures.Deliver(t, *ended)) {
        case Delivery::Taken:
            EndTask(task, ThumbnailBatch::Ending::Rendered);
            break;
        case Delivery::Changed:
            // Rendered again as it is now, before the tasks still waiting.
            if (!m_stopping) {
                m_waiting.push_front(task);
                if (m_queue)
                    m_queue->Update();
            }
            break;
        case Delivery::Gone:
            EndTask(task, ThumbnailBatch::Ending::Dropped);
            break;
        }
    } else if (FailsOnlyItsTexture(result)) {
        if (m_firstFailureText.isEmpty()) {
            m_firstFailure = result;
            m_firstFailureText = QString::fromStdString(m_batch.Members()[t.member].name) +
                                 QStringLiteral(": ") + result.message;
        }
        EndTask(task, ThumbnailBatch::Ending::Failed, result);
    } else if (result.status != RenderResult::Stopped) {
        Halt(result);
    }
    ReportProgress();
    if (m_running.empty() && (m_waiting.empty() || m_stopping))
        FinishWhenIdle();
}

void ThumbnailBatchRender::EndTask(std::size_t task, ThumbnailBatch::Ending ending,
                                   const RenderResult& result) {
    m_batch.End(task, ending);
    m_doneWork += TaskWork(task);
    emit taskEnded(task, result);
}

void ThumbnailBatchRender::Stop() {
    Halt({RenderResult::Stopped, {}, {}});
}

void ThumbnailBatchRender::Halt(const RenderResult& ending) {
    if (m_finished || m_stopping)
        return;
    m_stopping = true;
    m_ending = ending;
    m_waiting.clear();
    for (auto& [task, render] : m_running)
        render->Stop();
    if (m_queue)
        m_queue->Update();
    if (m_running.empty())
        FinishWhenIdle();
}

void ThumbnailBatchRender::Detach() {
    m_queue = nullptr;
    for (auto& [task, render] : m_running)
        render->Detach();
    if (!m_finished)
        Halt({RenderResult::Stopped, {}, {}});
}

void ThumbnailBatchRender::FinishWhenIdle() {
    if (m_finished)
        return;
    m_finished = true;
    m_progressTimer.stop();
    if (m_queue) {
        RenderQueue* queue = std::exchange(m_queue, nullptr);
        queue->Leave(*this);
    }
    m_summary.total = static_cast<int>(m_batch.TextureTotal());
    m_summary.rendered = static_cast<int>(m_batch.TexturesRendered());
    for (std::size_t member : m_batch.FailedMembers())
        m_summary.failed << QString::fromStdString(m_batch.Members()[member].name);
    m_summary.dropped = static_cast<int>(m_batch.DroppedMembers().size());
    m_summary.firstFailure = m_firstFailureText;
    m_summary.stopped = m_stopping && !m_ending.Succeeded();
    if (m_summary.stopped)
        m_summary.stoppedBecause = m_ending.message;
    m_summary.milliseconds = m_clock.isValid() ? m_clock.elapsed() : 0;
    m_result = m_stopping ? m_ending : m_firstFailure;
    // Told from the event loop: this may run inside Start or Stop.
    QTimer::singleShot(0, this, [this] {
        emit progress();
        emit finished();
    });
}

void ThumbnailBatchRender::ReportProgress() {
    if (!m_progressTimer.isActive() && !m_finished)
        m_progressTimer.start();
}

BatchStatus ThumbnailBatchRender::Status() const {
    BatchStatus status;
    status.texturesDone = static_cast<int>(m_batch.TexturesThrough());
    status.texturesTotal = static_cast<int>(m_batch.TextureTotal());
    double done = m_doneWork;
    for (const auto& [task, render] : m_running)
        done += TaskWork(task) * render->Percent() / 100.0;
    const qint64 elapsed = m_clock.isValid() ? m_clock.elapsed() : 0;
    // Only once a little is done does the rate say anything.
    if (!m_finished && done > 0.0 && done >= m_totalWork * 0.01 && elapsed > 0)
        status.millisecondsLeft = static_cast<qint64>(static_cast<double>(elapsed) *
                                                      std::max(0.0, m_totalWork - done) / done);
    return status;
}

QString ThumbnailBatchRender::Caption() const {
    return m_running.empty()
               ? QString()
               : QString::fromStdString(m_batch.Tasks()[m_running.begin()->first].caption);
}

int ThumbnailBatchRender::Percent() const {
    return m_running.empty() ? 0 : m_running.begin()->second->Percent();
}
