#pragma once

class QObject;
class RenderQueue;

/// What the render queue knows of the work that waits in it, a render of its own or a batch
/// that hands out renders one at a time: how many of its renders wait and run, how to start
/// the next and how to end them. The work joins the queue (RenderQueue::Join), tells it when
/// these counts change (RenderQueue::Update) and leaves it when it is over or destroyed.
class QueuedWork {
public:
    QueuedWork() = default;
    QueuedWork(const QueuedWork&) = delete;
    QueuedWork& operator=(const QueuedWork&) = delete;
    QueuedWork(QueuedWork&&) = delete;
    QueuedWork& operator=(QueuedWork&&) = delete;
    virtual ~QueuedWork() = default;

    /// Who asked for the work (a document): the queue counts and stops renders by owner.
    virtual const QObject* Owner() const = 0;
    /// Batches wait behind the renders started on their own, and follow one another in the
    /// order they joined the queue.
    virtual bool IsBatch() const = 0;
    /// Renders waiting for a place.
    virtual int Waiting() const = 0;
    /// Renders holding a place: POV-Ray runs, those being ended included.
    virtual int Running() const = 0;
    /// Pictures being rendered now, as the user counts them: a run that renders several as its
    /// frames renders one at a time, and counts once.
    virtual int PicturesRunning() const { return Running(); }
    /// Pictures still to come that are not being rendered now; with PicturesRunning() they are
    /// what Left() counts.
    virtual int PicturesWaiting() const { return Waiting(); }
    /// Renders not yet finished and not asked to stop: waiting and running.
    virtual int Left() const = 0;
    /// Whether the user is watching this work happen (the Preview following an edit): while it
    /// runs, batches start nothing new, so that it has the machine; and it does not wait for a
    /// place to come free.
    virtual bool HoldsBatches() const { return false; }
    virtual bool IsWatched() const { return false; }
    /// Starts the next waiting render in `queue`'s runner; it holds a place from now on. False
    /// when none could be started (what waited turned out to be gone).
    virtual bool LaunchNext(RenderQueue& queue) = 0;
    /// Ends the work: what waits is withdrawn, what runs has POV-Ray ended.
    virtual void Stop() = 0;
    /// The queue is going away: the work ends as stopped, without it.
    virtual void Detach() = 0;
};
