#pragma once

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class PovRayRunner;
class PovVersionProbe;
class QueuedWork;

/// The program's one render queue: every render of every window waits here for one of the
/// places the "Parallel Renders" setting allows, so that limit holds for all of them together.
/// Renders started on their own (the Preview, single thumbnails, texture maps, test renders) go
/// ahead of batch work, in the order they were started; batches of thumbnails follow one
/// another in the order they were started. The queue knows them all as QueuedWork.
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
    /// Work still in the queue ends as stopped.
    ~RenderQueue() override;
    RenderQueue(const RenderQueue&) = delete;
    RenderQueue& operator=(const RenderQueue&) = delete;

    PovRayRunner& Runner() const { return m_runner; }
    int Limit() const;

    /// POV-Ray runs going on.
    int Running() const;
    /// Renders waiting for a place, the tasks of batches included.
    int Waiting() const;
    /// Renders not yet finished and not asked to stop: running and waiting.
    int Left() const;
    /// The same for the renders of one owner (a document).
    int LeftFor(const QObject* owner) const;
    /// Pictures being rendered and waiting, as the program tells them wherever it counts them.
    struct Tally {
        int running = 0;
        int waiting = 0;
    };
    /// Of every owner (null), or of one.
    Tally TallyFor(const QObject* owner = nullptr) const;

    /// Stops every render and batch (of one owner).
    void StopAll();
    void StopFor(const QObject* owner);

    /// `work` waits in the queue from now on, behind the work of its kind already there.
    void Join(QueuedWork& work);
    /// `work` is over or going: it is no longer started. Work that never joined (a batch's
    /// render) has freed its place.
    void Leave(QueuedWork& work);
    /// What waits or runs has changed (a render ended or was asked to stop, a batch has a task
    /// again): the queue fills free places from the next turn of the event loop on, and tells.
    void Update();

signals:
    /// A render started, ended or joined the queue.
    void changed();

private:
    /// Asks for the next render to be started on the next turn of the event loop.
    void Schedule();
    void LaunchNext();
    /// Starts the next waiting render (with `watchedOnly`, only a watched one, such as the
    /// Preview, which does not wait for a place); false when none started.
    bool LaunchOne(bool watchedOnly);
    bool WatchedWaiting() const;
    bool Holds(const QueuedWork* work) const;
    void AskVersion(const QString& executable);

    PovRayRunner& m_runner;
    std::function<int()> m_limit;
    std::vector<QueuedWork*> m_works; ///< in the order they joined
    std::unique_ptr<PovVersionProbe> m_probe;
    bool m_scheduled = false;
};
