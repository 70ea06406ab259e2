#pragma once

#include "render/povray/queuedwork.h"
#include "render/povray/renderresult.h"

#include <QObject>
#include <QString>
#include <memory>

class PovRayJob;
class PovRayRunner;
class RenderRun;
class RenderQueue;

/// A render that waits its turn in the render queue: when a place is free it gets a job folder
/// of its own, writes the files POV-Ray reads there, runs POV-Ray and reads what it made, then
/// removes the folder. It reports by signals and can be stopped at any time; destroying it ends
/// POV-Ray and withdraws it from the queue. A batch starts its renders itself (LaunchNext)
/// without their joining the queue.
///
/// Its signals come from the event loop, never from within Start or Stop, and `finished` is
/// the last thing it does: a receiver may destroy the render there. A receiver that destroys
/// it in another signal (or in an event loop of its own) ends its signals there.
class QueuedRender : public QObject, public QueuedWork {
    Q_OBJECT
public:
    /// What kind of work the render is: one asked for on its own (the Preview, one thumbnail,
    /// a texture map), or a batch's. Renders started on their own go ahead of batches whatever
    /// their priority; the Preview, the picture the user waits for, also holds batches back
    /// while it runs.
    enum class Priority { Interactive, Preview, Batch };
    enum class State { Idle, Waiting, Running, Finished };

    ~QueuedRender() override;

    /// Puts the render in `queue`; it runs when a place is free.
    void Start(RenderQueue& queue, Priority priority = Priority::Interactive);
    /// Ends the render: one that waits is withdrawn, one that runs has POV-Ray ended; either
    /// way it finishes as Stopped. A render that has finished stays as it is.
    void Stop() override;

    State GetState() const { return m_state; }
    bool IsFinished() const { return m_state == State::Finished; }
    /// Waiting or running.
    bool IsPending() const { return m_state == State::Waiting || m_state == State::Running; }
    /// Asked to stop, and POV-Ray not yet ended.
    bool IsStopping() const { return m_stopping && !IsFinished(); }
    /// Before it starts.
    void SetPriority(Priority priority) { m_priority = priority; }
    /// Percent done, 0-100, while it runs.
    int Percent() const { return m_percent; }
    const RenderResult& Result() const { return m_result; }
    /// What the render shows ("Rendering..."), as the one who asked for it named it.
    const QString& Caption() const { return m_caption; }
    void SetCaption(const QString& caption) { m_caption = caption; }
    /// Who asked for the render (a document): the queue counts and stops renders by owner.
    void SetOwner(const QObject* owner) { m_owner = owner; }
    const QObject* Owner() const override { return m_owner; }

    bool IsBatch() const override { return false; }
    int Waiting() const override { return m_state == State::Waiting ? 1 : 0; }
    int Running() const override { return m_state == State::Running ? 1 : 0; }
    int Left() const override { return IsPending() && !m_stopping ? 1 : 0; }
    bool HoldsBatches() const override { return IsWatched() && m_state == State::Running; }
    bool IsWatched() const override { return m_priority == Priority::Preview; }
    /// Runs the render now, in `queue`'s runner, telling `queue` when it ends; false when it
    /// has run already.
    bool LaunchNext(RenderQueue& queue) override;
    /// The queue is going away: the render ends without it.
    void Detach() override;

signals:
    /// POV-Ray runs.
    void started();
    void progress(int percent);
    /// A warning about the scene the user should see; the render goes on.
    void notice(const QString& title, const QString& text);
    /// A passing remark for the status line.
    void status(const QString& text);
    /// The render has ended, whichever way (Result() tells).
    void finished(const RenderResult& result);

protected:
    /// A render of width x height pixels; `subject` (the texture's name) is named in messages.
    QueuedRender(std::string subject, int width, int height, QObject* parent = nullptr);

    /// The folder the render's files go into: by default one made for it, which goes with it
    /// (`own`); a render may use one that outlives it.
    virtual RenderResult TakeFolder(PovRayRunner& runner, QString& folder, bool& own);
    /// Writes the files POV-Ray reads into `folder`.
    virtual RenderResult Prepare(const PovRayRunner& runner, const QString& folder,
                                 RenderRemarks& remarks) = 0;
    /// The POV-Ray run in `folder`; null, with `result` saying why, when there can be none.
    virtual std::unique_ptr<PovRayJob> MakeJob(const PovRayRunner& runner, const QString& folder,
                                               RenderResult& result);
    /// What the render waits for: by default MakeJob's run.
    virtual std::unique_ptr<RenderRun> MakeRun(const PovRayRunner& runner, const QString& folder,
                                               RenderResult& result);
    /// Reads what POV-Ray made in `folder`, once it ran to its end.
    virtual RenderResult Collect(const QString& folder) = 0;
    /// POV-Ray ended with `result`, before what it made is collected (or, when it failed,
    /// thrown away): a render of several pictures takes those that came.
    virtual void JobEnded(const QString& folder, const RenderResult& result);
    /// The job folder while the render runs.
    const QString& Folder() const { return m_folder; }

    const std::string& SubjectName() const { return m_subject; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

private:
    void Launch(PovRayRunner& runner);
    /// Tells the warnings and remarks about the scene, from the event loop.
    void Remark(const RenderRemarks& remarks);
    void JobFinished();
    void Finish(RenderResult result);

    std::string m_subject;
    int m_width;
    int m_height;
    QString m_caption = QStringLiteral("Rendering...");
    RenderQueue* m_queue = nullptr;
    Priority m_priority = Priority::Interactive;
    State m_state = State::Idle;
    const QObject* m_owner = nullptr;
    QString m_folder;
    bool m_ownFolder = true;
    std::unique_ptr<RenderRun> m_job;
    RenderResult m_result;
    int m_percent = 0;
    bool m_stopping = false;
};
