#include "render/povray/queuedrender.h"

#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"

#include <QPointer>
#include <QTimer>

QueuedRender::QueuedRender(std::string subject, int width, int height, QObject* parent)
    : QObject(parent), m_subject(std::move(subject)), m_width(width), m_height(height) {}

QueuedRender::~QueuedRender() {
    if (m_job) {
        m_job->disconnect(this);
        m_job.reset(); // ends POV-Ray when it still runs
    }
    if (!m_folder.isEmpty() && m_ownFolder)
        PovRayRunner::RemoveJobFolder(m_folder);
    if (m_queue)
        m_queue->Leave(*this);
}

void QueuedRender::Start(RenderQueue& queue, Priority priority) {
    if (m_state != State::Idle)
        return;
    m_queue = &queue;
    m_priority = priority;
    m_state = State::Waiting;
    queue.Join(*this);
}

void QueuedRender::Stop() {
    switch (m_state) {
    case State::Idle:
    case State::Waiting:
        Finish({RenderResult::Stopped, {}, {}});
        break;
    case State::Running:
        m_stopping = true;
        if (m_job)
            m_job->Stop(); // it finishes when POV-Ray has ended
        if (m_queue)
            m_queue->Update();
        break;
    case State::Finished:
        break;
    }
}

void QueuedRender::Detach() {
    m_queue = nullptr;
    if (m_job) {
        m_job->disconnect(this);
        m_job.reset();
    }
    if (!IsFinished())
        Finish({RenderResult::Stopped, {}, {}});
}

std::unique_ptr<PovRayJob> QueuedRender::MakeJob(const PovRayRunner& runner, const QString& folder,
                                                 RenderResult&) {
    return runner.MakeJob(folder, runner.Command(OutputFileName(), m_width, m_height),
                          OutputFileName(), m_width, m_height, QString::fromStdString(m_subject));
}

std::unique_ptr<RenderRun> QueuedRender::MakeRun(const PovRayRunner& runner, const QString& folder,
                                                 RenderResult& result) {
    return MakeJob(runner, folder, result);
}

RenderResult QueuedRender::TakeFolder(PovRayRunner& runner, QString& folder, bool& own) {
    own = true;
    return runner.NewJobFolder(folder);
}

bool QueuedRender::LaunchNext(RenderQueue& queue) {
    if (m_state != State::Idle && m_state != State::Waiting)
        return false;
    m_queue = &queue;
    Launch(queue.Runner());
    return true;
}

void QueuedRender::Remark(const RenderRemarks& remarks) {
    if (remarks.notices.empty() && remarks.statuses.isEmpty())
        return;
    // Told from the event loop: a warning may open a message box, which must not run inside
    // the queue's work. A receiver may destroy the render meanwhile (a message box runs the
    // events): then nothing more is told.
    QTimer::singleShot(0, this, [this, remarks] {
        const QPointer<QueuedRender> alive(this);
        for (const RenderRemarks::Notice& shown : remarks.notices) {
            emit notice(shown.title, shown.text);
            if (!alive)
                return;
        }
        for (const QString& text : remarks.statuses) {
            emit status(text);
            if (!alive)
                return;
        }
    });
}

void QueuedRender::Launch(PovRayRunner& runner) {
    m_state = State::Running;
    if (RenderResult made = TakeFolder(runner, m_folder, m_ownFolder); !made.Succeeded()) {
        Finish(std::move(made));
        return;
    }
    RenderRemarks remarks;
    RenderResult prepared = Prepare(runner, m_folder, remarks);
    Remark(remarks);
    if (!prepared.Succeeded()) {
        Finish(NamingTexture(std::move(prepared), m_subject));
        return;
    }
    RenderResult made;
    m_job = MakeRun(runner, m_folder, made);
    if (!m_job) {
        Finish(std::move(made));
        return;
    }
    // Queued, so the job has left its own code before it is destroyed here.
    connect(m_job.get(), &RenderRun::finished, this, &QueuedRender::JobFinished,
            Qt::QueuedConnection);
    connect(m_job.get(), &RenderRun::progressChanged, this, [this](int percent) {
        m_percent = percent;
        emit progress(percent);
    });
    m_job->SetUrgent(m_priority == Priority::Preview);
    m_job->Start();
    QTimer::singleShot(0, this, [this] {
        if (m_state == State::Running)
            emit started();
    });
}

void QueuedRender::JobFinished() {
    if (!m_job)
        return;
    RenderResult result = m_job->Result();
    m_job.reset();
    JobEnded(m_folder, result);
    if (result.Succeeded())
        result = NamingTexture(Collect(m_folder), m_subject);
    Finish(std::move(result));
}

void QueuedRender::JobEnded(const QString&, const RenderResult&) {}

void QueuedRender::Finish(RenderResult result) {
    if (m_state == State::Finished)
        return;
    m_state = State::Finished;
    m_result = std::move(result);
    if (m_result.Succeeded())
        m_percent = 100;
    if (m_job) { // stopped before POV-Ray ended: it is ended now
        m_job->disconnect(this);
        m_job.reset();
    }
    if (!m_folder.isEmpty()) {
        if (m_ownFolder)
            PovRayRunner::RemoveJobFolder(m_folder);
        m_folder.clear();
    }
    if (m_queue) {
        RenderQueue* queue = std::exchange(m_queue, nullptr);
        queue->Leave(*this);
    }
    QTimer::singleShot(0, this, [this] { emit finished(m_result); });
}
