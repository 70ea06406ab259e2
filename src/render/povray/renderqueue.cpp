#include "render/povray/renderqueue.h"

#include "render/povray/povrayrunner.h"
#include "render/povray/povversion.h"
#include "render/povray/queuedrender.h"
#include "render/povray/thumbnailbatchrender.h"

#include <QTimer>
#include <algorithm>

RenderQueue::RenderQueue(PovRayRunner& runner, std::function<int()> limit, QObject* parent)
    : QObject(parent), m_runner(runner), m_limit(std::move(limit)) {}

RenderQueue::~RenderQueue() {
    // Renders first: a batch's running renders end before the batch is let go.
    for (QueuedRender* render : std::exchange(m_running, {}))
        render->Detach();
    for (QueuedRender* render : std::exchange(m_waiting, {}))
        render->Detach();
    for (ThumbnailBatchRender* batch : std::exchange(m_batches, {}))
        batch->Detach();
}

int RenderQueue::Limit() const {
    return std::max(1, m_limit ? m_limit() : 1);
}

int RenderQueue::Waiting() const {
    int waiting = static_cast<int>(m_waiting.size());
    for (const ThumbnailBatchRender* batch : m_batches)
        waiting += batch->TasksWaiting();
    return waiting;
}

int RenderQueue::Left() const {
    return static_cast<int>(std::count_if(m_running.begin(), m_running.end(),
                                          [](const QueuedRender* r) { return !r->IsStopping(); })) +
           Waiting();
}

int RenderQueue::LeftFor(const QObject* owner) const {
    auto owned = [owner](const QueuedRender* render) {
        return render->Owner() == owner && !render->IsStopping();
    };
    int left = static_cast<int>(std::count_if(m_waiting.begin(), m_waiting.end(), owned) +
                                std::count_if(m_running.begin(), m_running.end(), owned));
    for (const ThumbnailBatchRender* batch : m_batches)
        if (batch->Owner() == owner)
            left += batch->TasksWaiting();
    return left;
}

void RenderQueue::StopAll() {
    // Copies: stopping takes them out of the lists.
    for (ThumbnailBatchRender* batch : std::vector(m_batches))
        batch->Stop();
    for (QueuedRender* render : std::vector(m_waiting.begin(), m_waiting.end()))
        render->Stop();
    for (QueuedRender* render : std::vector(m_running))
        render->Stop();
}

void RenderQueue::StopFor(const QObject* owner) {
    for (ThumbnailBatchRender* batch : std::vector(m_batches))
        if (batch->Owner() == owner)
            batch->Stop();
    for (QueuedRender* render : std::vector(m_waiting.begin(), m_waiting.end()))
        if (render->Owner() == owner)
            render->Stop();
    for (QueuedRender* render : std::vector(m_running))
        if (render->Owner() == owner)
            render->Stop();
}

void RenderQueue::Add(QueuedRender& render) {
    m_waiting.push_back(&render);
    Schedule();
    emit changed();
}

void RenderQueue::Forget(QueuedRender& render) {
    const auto waiting = std::find(m_waiting.begin(), m_waiting.end(), &render);
    if (waiting != m_waiting.end())
        m_waiting.erase(waiting);
    const auto running = std::find(m_running.begin(), m_running.end(), &render);
    if (running != m_running.end()) {
        m_running.erase(running);
        Schedule(); // a place is free
    }
    emit changed();
}

void RenderQueue::AddBatch(ThumbnailBatchRender& batch) {
    m_batches.push_back(&batch);
    Schedule();
    emit changed();
}

void RenderQueue::ForgetBatch(ThumbnailBatchRender& batch) {
    std::erase(m_batches, &batch);
    emit changed();
}

void RenderQueue::Schedule() {
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &RenderQueue::LaunchNext);
}

QueuedRender* RenderQueue::TakeNext() {
    if (!m_waiting.empty()) {
        QueuedRender* next = m_waiting.front();
        m_waiting.pop_front();
        return next;
    }
    // A copy: a batch whose last tasks turn out to be gone finishes and leaves the list.
    for (ThumbnailBatchRender* batch : std::vector(m_batches))
        if (QueuedRender* next = batch->TakeNext()) {
            next->m_queue = this;
            next->m_priority = QueuedRender::Priority::Batch;
            return next;
        }
    return nullptr;
}

void RenderQueue::LaunchNext() {
    m_scheduled = false;
    if (Running() >= Limit() || (m_waiting.empty() && Waiting() == 0))
        return;
    // Command lines in the automatic style wait for the program's version.
    if (const QString executable = m_runner.ExecutableToAsk(); !executable.isEmpty()) {
        AskVersion(executable);
        return;
    }
    QueuedRender* next = TakeNext();
    if (!next)
        return;
    m_running.push_back(next);
    next->Launch(m_runner); // may finish at once (a file that cannot be written)
    // One start per turn: the others follow once the events that came meanwhile are handled.
    if (Running() < Limit() && Waiting() > 0)
        Schedule();
    emit changed();
}

void RenderQueue::AskVersion(const QString& executable) {
    if (m_probe && m_probe->IsRunning())
        return;
    m_probe = std::make_unique<PovVersionProbe>();
    connect(m_probe.get(), &PovVersionProbe::finished, this, [this](const QString& output) {
        m_runner.LearnVersion(m_probe->Executable(), output);
        Schedule();
    });
    m_probe->Start(executable);
}
