#include "render/povray/thumbnailbatchrender.h"

#include "render/povray/framesrender.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayrunner.h"
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
           result.status == RenderResult::ImageFailed || result.status == RenderResult::TimedOut;
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
    return static_cast<int>(std::count_if(m_running.begin(), m_running.end(), [](const Run& run) {
        return run.render->GetState() == QueuedRender::State::Running;
    }));
}

int ThumbnailBatchRender::PicturesRunning() const {
    return static_cast<int>(std::count_if(m_running.begin(), m_running.end(), [](const Run& run) {
        return run.render->GetState() == QueuedRender::State::Running && run.render->Left() > 0 &&
               run.taken < run.tasks.size();
    }));
}

int ThumbnailBatchRender::Left() const {
    return std::accumulate(
        m_running.begin(), m_running.end(), TasksWaiting(), [](int sum, const Run& run) {
            return run.render->Left() > 0 ? sum + static_cast<int>(run.tasks.size() - run.taken)
                                          : sum;
        });
}

bool ThumbnailBatchRender::LaunchNext(RenderQueue& queue) {
    QueuedRender* next = TakeNext();
    if (!next)
        return false;
    next->SetPriority(QueuedRender::Priority::Batch);
    return next->LaunchNext(queue);
}

std::size_t ThumbnailBatchRender::FramesForNext() const {
    // The waiting tasks shared out among the free places, so that few runs start; one picture
    // a run when there are no more tasks than places, so each comes as soon as it can.
    const int free = m_queue ? m_queue->Limit() - m_queue->Running() : 1;
    const auto places = static_cast<std::size_t>(std::max(free, 1));
    return std::clamp<std::size_t>((m_waiting.size() + places - 1) / places, 1, m_framesPerRun);
}

bool ThumbnailBatchRender::FailsOnItsOwn(const Texture& texture) const {
    return !texture.GetRefusal().empty() ||
           (m_queue && !m_queue->Runner()
                            .NamedFileProblem(texture.GetRenderSource(), texture.GetName())
                            .isEmpty());
}

QueuedRender* ThumbnailBatchRender::TakeNext() {
    const std::size_t wanted = FramesForNext();
    std::vector<std::size_t> tasks;
    std::vector<const Texture*> subjects;
    while (!m_waiting.empty() && !m_stopping && tasks.size() < wanted) {
        const std::size_t task = m_waiting.front();
        const ThumbnailTask& t = m_batch.Tasks()[task];
        // One run renders one size, and a texture that may not be rendered fails on its own.
        if (!tasks.empty() && (t.width != m_batch.Tasks()[tasks.front()].width ||
                               t.height != m_batch.Tasks()[tasks.front()].height))
            break;
        const Texture* subject = m_textures.Subject(t);
        const bool alone = subject && FailsOnItsOwn(*subject);
        if (alone && !tasks.empty())
            break;
        m_waiting.pop_front();
        if (!subject) {
            EndTask(task, ThumbnailBatch::Ending::Dropped);
            continue;
        }
        tasks.push_back(task);
        subjects.push_back(subject);
        if (alone)
            break;
    }
    if (tasks.empty()) {
        if (m_waiting.empty() && m_running.empty())
            FinishWhenIdle();
        return nullptr;
    }
    const ThumbnailTask& first = m_batch.Tasks()[tasks.front()];
    std::unique_ptr<QueuedRender> render;
    if (tasks.size() == 1) {
        render = std::make_unique<PictureRender>(*subjects.front(), first.width, first.height);
    } else {
        auto frames = std::make_unique<FramesRender>(subjects, first.width, first.height);
        connect(frames.get(), &FramesRender::frameRendered, this,
                [this, taken = frames.get()](int frame) { FrameRendered(taken, frame); });
        render = std::move(frames);
    }
    render->SetCaption(QString::fromStdString(first.caption));
    render->SetOwner(m_owner);
    QueuedRender* taken = render.get();
    connect(taken, &QueuedRender::finished, this, [this, taken] { RenderEnded(taken); });
    connect(taken, &QueuedRender::progress, this, &ThumbnailBatchRender::ReportProgress);
    m_running.push_back({std::move(render), std::move(tasks), 0});
    ReportProgress();
    return taken;
}

ThumbnailBatchRender::Run* ThumbnailBatchRender::RunOf(const QueuedRender* render) {
    const auto found = std::find_if(m_running.begin(), m_running.end(), [render](const Run& run) {
        return run.render.get() == render;
    });
    return found == m_running.end() ? nullptr : &*found;
}

void ThumbnailBatchRender::FrameRendered(QueuedRender* render, int frame) {
    Run* run = RunOf(render);
    if (!run || static_cast<std::size_t>(frame) != run->taken || run->taken >= run->tasks.size())
        return;
    const std::size_t task = run->tasks[run->taken++];
    Take(task, static_cast<FramesRender*>(render)->Frame(frame));
    ReportProgress();
}

void ThumbnailBatchRender::Take(std::size_t task, RenderedPicture& rendered) {
    switch (m_textures.Deliver(m_batch.Tasks()[task], rendered)) {
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
}

void ThumbnailBatchRender::Fail(std::size_t task, const RenderResult& result) {
    if (m_firstFailureText.isEmpty()) {
        m_firstFailure = result;
        m_firstFailureText =
            QString::fromStdString(m_batch.Members()[m_batch.Tasks()[task].member].name) +
            QStringLiteral(": ") + result.message;
    }
    EndTask(task, ThumbnailBatch::Ending::Failed, result);
}

void ThumbnailBatchRender::RenderEnded(QueuedRender* render) {
    const auto found = std::find_if(m_running.begin(), m_running.end(), [render](const Run& run) {
        return run.render.get() == render;
    });
    if (found == m_running.end())
        return;
    Run ended = std::move(*found);
    m_running.erase(found);
    const RenderResult& result = ended.render->Result();
    if (auto* frames = dynamic_cast<FramesRender*>(ended.render.get())) {
        if (frames->FailedFrame() >= 0) {
            // That frame failed alone; POV-Ray never reached the ones after it.
            const auto failed = static_cast<std::size_t>(frames->FailedFrame());
            if (FailsOnlyItsTexture(frames->FrameFailure()))
                Fail(ended.tasks[failed], frames->FrameFailure());
            else if (!m_stopping)
                Halt(frames->FrameFailure());
            if (!m_stopping) {
                for (std::size_t k = ended.tasks.size(); k-- > failed + 1;)
                    m_waiting.push_front(ended.tasks[k]);
                if (m_queue)
                    m_queue->Update();
            }
        } else if (!result.Succeeded() && result.status != RenderResult::Stopped) {
            Halt(result);
        }
    } else if (result.Succeeded()) {
        Take(ended.tasks.front(), static_cast<PictureRender&>(*ended.render).Rendered());
    } else if (FailsOnlyItsTexture(result)) {
        Fail(ended.tasks.front(), result);
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
    // Everything that counts textures or pictures moves on together, not a moment later.
    if (m_finished)
        return;
    m_progressTimer.stop();
    emit progress();
    if (m_queue)
        m_queue->Update();
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
    for (Run& run : m_running)
        run.render->Stop();
    if (m_queue)
        m_queue->Update();
    if (m_running.empty())
        FinishWhenIdle();
}

void ThumbnailBatchRender::Detach() {
    m_queue = nullptr;
    for (Run& run : m_running)
        run.render->Detach();
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
    for (const Run& run : m_running)
        if (run.tasks.size() == 1)
            done += TaskWork(run.tasks.front()) * run.render->Percent() / 100.0;
    const qint64 elapsed = m_clock.isValid() ? m_clock.elapsed() : 0;
    // Only once a little is done does the rate say anything.
    if (!m_finished && done > 0.0 && done >= m_totalWork * 0.01 && elapsed > 0)
        status.millisecondsLeft = static_cast<qint64>(static_cast<double>(elapsed) *
                                                      std::max(0.0, m_totalWork - done) / done);
    return status;
}

QString ThumbnailBatchRender::Caption() const {
    // The earliest picture rendering now tells whether a layer renders.
    std::size_t current = m_batch.Tasks().size();
    for (const Run& run : m_running)
        if (run.taken < run.tasks.size())
            current = std::min(current, run.tasks[run.taken]);
    if (current == m_batch.Tasks().size())
        return {};
    const std::size_t total = m_batch.TextureTotal();
    const QString number =
        QStringLiteral("%1 of %2")
            .arg(CountText(static_cast<qint64>(std::min(m_batch.TexturesThrough() + 1, total))),
                 CountText(static_cast<qint64>(total)));
    const ThumbnailTask& task = m_batch.Tasks()[current];
    if (task.layer < 0)
        return QStringLiteral("Rendering texture ") + number;
    const ThumbnailBatch::Member& member = m_batch.Members()[task.member];
    const auto first = m_batch.Tasks().begin() + static_cast<std::ptrdiff_t>(member.firstTask);
    const auto layers = std::count_if(first, first + static_cast<std::ptrdiff_t>(member.taskCount),
                                      [](const ThumbnailTask& t) { return t.layer >= 0; });
    return QStringLiteral("Rendering thumbnail %1 (Layer %2 of %3)")
        .arg(number)
        .arg(task.layer + 1)
        .arg(layers);
}

int ThumbnailBatchRender::Percent() const {
    const std::size_t total = m_batch.TextureTotal();
    return total == 0 ? 0 : static_cast<int>(100 * m_batch.TexturesThrough() / total);
}
