#pragma once

#include "core/catalog/thumbnailbatch.h"
#include "render/povray/queuedwork.h"
#include "render/povray/renderedpicture.h"
#include "render/povray/renderprogress.h"
#include "render/povray/renderresult.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <algorithm>
#include <deque>
#include <memory>
#include <vector>

class QueuedRender;
class RenderQueue;

/// The thumbnails of a batch rendered through the render queue, as many side by side as the
/// queue allows, while the program goes on. When there are many more thumbnails than places,
/// each POV-Ray run renders several of them as its frames (FramesRender), which costs less. Each
/// task's texture is taken as it is when the task starts, and its picture is handed over as soon as
/// it is there; the batch does not know the catalog, it asks its Textures for both. A texture
/// POV-Ray cannot render fails on its own and the batch goes on; a stop, or a failure that would
/// fail every render (POV-Ray cannot be started, a file cannot be written, the time limit), ends
/// the batch there.
class ThumbnailBatchRender : public QObject, public QueuedWork {
    Q_OBJECT
public:
    /// What became of a picture handed over.
    enum class Delivery {
        Taken,   ///< the texture has it now
        Changed, ///< the texture changed while it rendered: render it again as it is now
        Gone,    ///< the texture is gone: the task is dropped
    };

    /// Where the batch's textures are, and where its pictures go.
    class Textures {
    public:
        virtual ~Textures() = default;
        /// The texture or layer that `task` renders, as it is now; null when it is gone.
        virtual const Texture* Subject(const ThumbnailTask& task) = 0;
        /// The picture rendered for `task` (rendered.Renders() tells whether the subject still
        /// looks like what was rendered).
        virtual Delivery Deliver(const ThumbnailTask& task, RenderedPicture& rendered) = 0;
    };

    ThumbnailBatchRender(ThumbnailBatch batch, Textures& textures, QObject* parent = nullptr);
    ~ThumbnailBatchRender() override;

    /// Puts the batch in the queue, after the batches already there.
    void Start(RenderQueue& queue);
    /// Ends the batch: waiting tasks are left, running ones stopped; it finishes once they have.
    void Stop() override;
    /// Who asked for the batch (a document): the queue counts and stops renders by owner.
    void SetOwner(const QObject* owner) { m_owner = owner; }
    const QObject* Owner() const override { return m_owner; }

    bool IsBatch() const override { return true; }
    int Waiting() const override { return TasksWaiting(); }
    /// The renders of tasks that have not yet finished.
    int Running() const override;
    int Left() const override;
    /// One picture for each run that has pictures to hand over: a run renders its frames one
    /// at a time.
    int PicturesRunning() const override;
    int PicturesWaiting() const override { return Left() - PicturesRunning(); }
    /// Starts the render of the next waiting task (tasks whose texture is gone are dropped on
    /// the way); false when none is left.
    bool LaunchNext(RenderQueue& queue) override;
    /// The queue is going away: the running renders end, and the batch with them.
    void Detach() override;

    const ThumbnailBatch& Batch() const { return m_batch; }
    bool IsFinished() const { return m_finished; }
    bool IsStopping() const { return m_stopping; }
    /// The whole job: textures through of all, and the time left.
    BatchStatus Status() const;
    /// What renders now, numbered from the textures through as Status() counts them
    /// ("Rendering texture 13 of 64" once 12 are through, "Rendering thumbnail 13 of 64 (Layer
    /// 2 of 3)" when the earliest picture rendering is a layer's); empty while none renders.
    QString Caption() const;
    /// The textures through, in percent of all: the same count as Status().
    int Percent() const;
    int TasksWaiting() const { return static_cast<int>(m_waiting.size()); }
    int TasksRunning() const { return static_cast<int>(m_running.size()); }
    /// Once finished: how it went, and what ended it (Ok when it ran to its end, else the first
    /// texture's failure when there was one).
    const BatchSummary& Summary() const { return m_summary; }
    const RenderResult& Result() const { return m_result; }

signals:
    /// The whole job moved on: at once when a task has ended, else at most a few times a
    /// second.
    void progress();
    /// Task `task` ended (Batch().EndingOf(task) tells how, `result` why a failed one failed);
    /// its texture may be through now.
    void taskEnded(std::size_t task, const RenderResult& result);
    /// The batch is over; Summary() tells how it went. A receiver may destroy the batch.
    void finished();

public:
    /// How many thumbnails one POV-Ray run renders at most.
    static constexpr std::size_t kMaxFrames = 16;
    /// At most `most` a run (1: each its own run), before it starts.
    void SetFramesPerRun(std::size_t most) {
        m_framesPerRun = std::clamp<std::size_t>(most, 1, kMaxFrames);
    }

private:
    /// A render running for some of the batch's tasks, in frame order.
    struct Run {
        std::unique_ptr<QueuedRender> render;
        std::vector<std::size_t> tasks;
        std::size_t taken = 0; ///< tasks whose pictures came
    };

    /// The render of the next waiting tasks, or null when none waits (tasks whose texture is
    /// gone are dropped on the way).
    QueuedRender* TakeNext();
    /// True for a texture that is refused or names a file it may not: it runs alone and fails.
    bool FailsOnItsOwn(const Texture& texture) const;
    /// How many waiting tasks the next render takes.
    std::size_t FramesForNext() const;
    Run* RunOf(const QueuedRender* render);
    void FrameRendered(QueuedRender* render, int frame);
    void RenderEnded(QueuedRender* render);
    /// The picture of `task` came.
    void Take(std::size_t task, RenderedPicture& rendered);
    void Fail(std::size_t task, const RenderResult& result);
    void EndTask(std::size_t task, ThumbnailBatch::Ending ending,
                 const RenderResult& result = RenderResult());
    /// The batch cannot go on: `ending` says why (Stopped when the user stopped it).
    void Halt(const RenderResult& ending);
    void FinishWhenIdle();
    void ReportProgress();
    double TaskWork(std::size_t task) const;

    ThumbnailBatch m_batch;
    Textures& m_textures;
    RenderQueue* m_queue = nullptr;
    const QObject* m_owner = nullptr;
    std::deque<std::size_t> m_waiting;
    std::vector<Run> m_running;
    std::size_t m_framesPerRun = kMaxFrames;
    QElapsedTimer m_clock;
    QTimer m_progressTimer;
    double m_totalWork = 0.0;
    double m_doneWork = 0.0;
    RenderResult m_ending;
    RenderResult m_firstFailure;
    QString m_firstFailureText;
    BatchSummary m_summary;
    RenderResult m_result;
    bool m_stopping = false;
    bool m_finished = false;
};
