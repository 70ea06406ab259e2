#include "render/povray/renderqueue.h"

#include "render/povray/povrayrunner.h"
#include "render/povray/povversion.h"
#include "render/povray/queuedwork.h"

#include <QTimer>
#include <algorithm>
#include <numeric>

RenderQueue::RenderQueue(PovRayRunner& runner, std::function<int()> limit, QObject* parent)
    : QObject(parent), m_runner(runner), m_limit(std::move(limit)) {}

RenderQueue::~RenderQueue() {
    for (QueuedWork* work : std::exchange(m_works, {}))
        work->Detach();
}

int RenderQueue::Limit() const {
    return std::max(1, m_limit ? m_limit() : 1);
}

int RenderQueue::Running() const {
    return std::accumulate(m_works.begin(), m_works.end(), 0,
                           [](int sum, const QueuedWork* work) { return sum + work->Running(); });
}

int RenderQueue::Waiting() const {
    return std::accumulate(m_works.begin(), m_works.end(), 0,
                           [](int sum, const QueuedWork* work) { return sum + work->Waiting(); });
}

int RenderQueue::Left() const {
    return std::accumulate(m_works.begin(), m_works.end(), 0,
                           [](int sum, const QueuedWork* work) { return sum + work->Left(); });
}

int RenderQueue::LeftFor(const QObject* owner) const {
    return std::accumulate(m_works.begin(), m_works.end(), 0,
                           [owner](int sum, const QueuedWork* work) {
                               return work->Owner() == owner ? sum + work->Left() : sum;
                           });
}

RenderQueue::Tally RenderQueue::TallyFor(const QObject* owner) const {
    Tally tally;
    for (const QueuedWork* work : m_works)
        if (!owner || work->Owner() == owner) {
            tally.running += work->PicturesRunning();
            tally.waiting += work->PicturesWaiting();
        }
    return tally;
}

void RenderQueue::StopAll() {
    // A copy: stopping takes them out of the list.
    for (QueuedWork* work : std::vector(m_works))
        if (Holds(work))
            work->Stop();
}

void RenderQueue::StopFor(const QObject* owner) {
    for (QueuedWork* work : std::vector(m_works))
        if (Holds(work) && work->Owner() == owner)
            work->Stop();
}

void RenderQueue::Join(QueuedWork& work) {
    if (!Holds(&work))
        m_works.push_back(&work);
    Update();
}

void RenderQueue::Leave(QueuedWork& work) {
    std::erase(m_works, &work);
    Update();
}

void RenderQueue::Update() {
    Schedule();
    emit changed();
}

bool RenderQueue::Holds(const QueuedWork* work) const {
    return std::find(m_works.begin(), m_works.end(), work) != m_works.end();
}

void RenderQueue::Schedule() {
    if (m_scheduled)
        return;
    m_scheduled = true;
    QTimer::singleShot(0, this, &RenderQueue::LaunchNext);
}

bool RenderQueue::WatchedWaiting() const {
    return std::any_of(m_works.begin(), m_works.end(), [](const QueuedWork* work) {
        return work->IsWatched() && work->Waiting() > 0;
    });
}

bool RenderQueue::LaunchOne(bool watchedOnly) {
    // A copy: a render may end at once, and a batch whose last tasks turn out to be gone
    // finishes; either leaves the list.
    const std::vector<QueuedWork*> works = m_works;
    // While the Preview renders, batches wait: it has the machine.
    const bool batchesHeld = std::any_of(
        works.begin(), works.end(), [](const QueuedWork* work) { return work->HoldsBatches(); });
    for (const bool batches : {false, true}) {
        if (batches && (batchesHeld || watchedOnly))
            return false;
        for (QueuedWork* work : works)
            if (work->IsBatch() == batches && (!watchedOnly || work->IsWatched()) && Holds(work) &&
                work->Waiting() > 0 && work->LaunchNext(*this))
                return true;
    }
    return false;
}

void RenderQueue::LaunchNext() {
    m_scheduled = false;
    // The Preview does not wait for a place: it starts beside the renders that fill them.
    const bool full = Running() >= Limit();
    if (Waiting() == 0 || (full && !WatchedWaiting()))
        return;
    // Command lines in the automatic style wait for the program's version.
    if (const QString executable = m_runner.ExecutableToAsk(); !executable.isEmpty()) {
        AskVersion(executable);
        return;
    }
    if (!LaunchOne(full))
        return;
    // One start per turn: the others follow once the events that came meanwhile are handled.
    if (Waiting() > 0 && (Running() < Limit() || WatchedWaiting()))
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
