#pragma once

#include <QObject>
#include <deque>
#include <functional>
#include <memory>
#include <vector>

class PovRayRunner;
class PovVersionProbe;
class QueuedRender;
class ThumbnailBatchRender;

/// The program's one render queue: every render of every window waits here for one of the
/// places the "Parallel Renders" setting allows, so that limit holds for all of them together.
/// Interactive renders (the Preview, single thumbnails, texture maps, test renders) go ahead of
/// batch work; batches of thumbnails follow one another in the order they were started.
///
/// Renders are started one per turn of the event loop, so however many places free up at once,
/// the program stays responsive while POV-Ray processes are being started. Before the first
/// render with a POV-Ray whose version decides its command line, the queue asks it for its
/// version, without waiting for the answer.
class RenderQueue : public QObject {
    Q_OBJECT
public:
    /// `limit` gives the number of places each time one is filled (at least 1 is used).
    RenderQueue(PovRayRunner& runner, std::function<int()> limit, QObject* parent = nullptr);
    /// Renders and batches still in the queue end as stopped.
    ~RenderQueue() override;
    RenderQueue(const RenderQueue&) = delete;
    RenderQueue& operator=(const RenderQueue&) = delete;

    PovRayRunner& Runner() const { return m_runner; }
    int Limit() const;

    /// POV-Ray runs going on.
    int Running() const { return static_cast<int>(m_running.size()); }
    /// Renders waiting for a place, the tasks of batches included.
    int Waiting() const;
    /// Renders not yet finished and not asked to stop: running and waiting.
    int Left() const;
    /// The same for the renders of one owner (a document).
    int LeftFor(const QObject* owner) const;

    /// Stops every render and batch (of one owner).
    void StopAll();
    void StopFor(const QObject* owner);

signals:
    /// A render started, ended or joined the queue.
    void changed();

private:
    friend class QueuedRender;
    friend class ThumbnailBatchRender;

    void Add(QueuedRender& render);
    /// The render left the queue: withdrawn, finished or destroyed.
    void Forget(QueuedRender& render);
    void AddBatch(ThumbnailBatchRender& batch);
    void ForgetBatch(ThumbnailBatchRender& batch);
    /// Asks for the next render to be started on the next turn of the event loop.
    void Schedule();
    void LaunchNext();
    /// The next render to run, or null when nothing waits.
    QueuedRender* TakeNext();
    void AskVersion(const QString& executable);

    PovRayRunner& m_runner;
    std::function<int()> m_limit;
    std::deque<QueuedRender*> m_waiting;
    std::vector<ThumbnailBatchRender*> m_batches;
    std::vector<QueuedRender*> m_running;
    std::unique_ptr<PovVersionProbe> m_probe;
    bool m_scheduled = false;
};
