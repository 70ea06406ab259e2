#include "render/povray/batchrender.h"

#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/texture.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

/// A render that failed for its texture alone (POV-Ray could not parse or render it, or its
/// picture was unreadable): the batch goes on without it. Anything else ends the batch.
bool FailsOnlyItsTexture(const RenderResult& result) {
    return result.status == RenderResult::PovRayFailed ||
           result.status == RenderResult::ImageFailed;
}

/// What the whole batch reports: how far it is, an estimate of the time left from the renders
/// so far, and the summary at the end.
class BatchReport {
public:
    BatchReport(ThumbnailBatch& batch, RenderProgressSink& sink) : m_batch(batch), m_sink(sink) {
        for (const ThumbnailTask& task : batch.Tasks())
            m_totalWork += static_cast<double>(task.width) * task.height;
        m_clock.start();
        m_sink.BatchBegun(static_cast<int>(batch.TextureTotal()));
    }

    /// A task gave no picture; the first such failure is the one the summary explains.
    void Failed(std::size_t index, const RenderResult& result) {
        m_batch.Fail(index);
        if (m_firstFailure.isEmpty()) {
            const int texture = m_batch.Tasks()[index].texture;
            m_firstFailure =
                QString::fromStdString(m_batch.GetCatalog().GetTexture(texture).GetName()) +
                QStringLiteral(": ") + result.message;
            m_firstResult = result;
        }
    }

    /// `doneWork` is the pixels of the tasks through plus the part of those running.
    void Update(double doneWork) {
        BatchStatus status;
        status.texturesDone = static_cast<int>(m_batch.TexturesThrough());
        status.texturesTotal = static_cast<int>(m_batch.TextureTotal());
        const qint64 elapsed = m_clock.elapsed();
        // Only once a little is done does the rate say anything.
        if (doneWork > 0.0 && doneWork >= m_totalWork * 0.01 && elapsed > 0)
            status.millisecondsLeft = static_cast<qint64>(
                static_cast<double>(elapsed) * std::max(0.0, m_totalWork - doneWork) / doneWork);
        m_sink.BatchProgress(status);
    }

    double TaskWork(std::size_t index) const {
        const ThumbnailTask& task = m_batch.Tasks()[index];
        return static_cast<double>(task.width) * task.height;
    }

    /// Ends the batch; `ending` is what stopped it early (Ok when it ran to its end). Returns
    /// the batch's result: the ending, else the first failure, else Ok.
    RenderResult End(const RenderResult& ending) {
        m_batch.Finish();
        BatchSummary summary;
        summary.total = static_cast<int>(m_batch.TextureTotal());
        summary.rendered = static_cast<int>(m_batch.TexturesRendered());
        for (int texture : m_batch.FailedTextures())
            summary.failed << QString::fromStdString(
                m_batch.GetCatalog().GetTexture(texture).GetName());
        summary.firstFailure = m_firstFailure;
        summary.stopped = !ending.Succeeded();
        summary.milliseconds = m_clock.elapsed();
        m_sink.BatchEnded(summary);
        return ending.Succeeded() ? m_firstResult : ending;
    }

private:
    ThumbnailBatch& m_batch;
    RenderProgressSink& m_sink;
    QElapsedTimer m_clock;
    double m_totalWork = 0.0;
    QString m_firstFailure;
    RenderResult m_firstResult;
};

RenderResult RenderOneAtATime(PovRayRunner& runner, ThumbnailBatch& batch,
                              RenderProgressSink& sink) {
    BatchReport report(batch, sink);
    double done = 0.0;
    report.Update(done);
    for (std::size_t i = 0; i < batch.Tasks().size(); ++i) {
        const ThumbnailTask& task = batch.Tasks()[i];
        Bitmap picture;
        const RenderResult result =
            runner.RenderPicture(batch.Subject(i), task.width, task.height,
                                 QString::fromStdString(task.caption), sink, picture);
        if (result.Succeeded())
            batch.Complete(i, std::move(picture));
        else if (FailsOnlyItsTexture(result))
            report.Failed(i, result);
        else
            return report.End(result);
        done += report.TaskWork(i);
        report.Update(done);
    }
    return report.End({});
}

/// Side-by-side rendering: a few slots, each with at most one POV-Ray; every job runs in a
/// folder of its own, removed when its picture has been taken.
class ParallelBatch {
public:
    ParallelBatch(PovRayRunner& runner, ThumbnailBatch& batch, int jobs, RenderProgressSink& sink)
        : m_runner(runner), m_batch(batch), m_sink(sink), m_slots(static_cast<std::size_t>(jobs)) {}

    RenderResult Run() {
        BatchReport report(m_batch, m_sink);
        m_report = &report;
        const auto& tasks = m_batch.Tasks();
        // Resolve the command style now: asking POV-Ray for its version waits in an event loop
        // of its own, which must not run in the middle of starting a job.
        m_runner.Command(OutputFileName(), 1, 1);
        m_sink.Begin(tasks.empty() ? QString() : QString::fromStdString(tasks.front().caption));
        m_sink.Started([this] { StopAll(); });
        report.Update(0.0);
        for (Slot& slot : m_slots)
            StartNext(slot);
        if (Running() > 0)
            m_loop.exec();
        m_sink.Progress(100);
        m_sink.End();
        m_finished.clear();
        m_report = nullptr;
        return report.End(m_result);
    }

private:
    struct Slot {
        QString folder;
        std::unique_ptr<PovRayJob> job;
        std::size_t task = kNone;
    };

    int Running() const {
        return static_cast<int>(std::count_if(m_slots.begin(), m_slots.end(),
                                              [](const Slot& s) { return s.job != nullptr; }));
    }

    void StartNext(Slot& slot) {
        while (m_next < m_batch.Tasks().size() && m_next < m_stopAt) {
            const std::size_t index = m_next++;
            const ThumbnailTask& task = m_batch.Tasks()[index];
            Texture& subject = m_batch.Subject(index);
            RenderResult prepared = m_runner.NewJobFolder(slot.folder);
            if (prepared.Succeeded())
                prepared = m_runner.WriteTextureFile(subject, slot.folder);
            if (prepared.Succeeded())
                prepared = m_runner.WriteScene(subject.GetName(), subject.GetPreviewShape(),
                                               slot.folder, m_sink);
            if (!prepared.Succeeded()) {
                PovRayRunner::RemoveJobFolder(slot.folder);
                slot.folder.clear();
                Fail(index, NamingTexture(prepared, subject.GetName()));
                return;
            }
            slot.task = index;
            slot.job = m_runner.MakeJob(slot.folder,
                                        m_runner.Command(OutputFileName(), task.width, task.height),
                                        OutputFileName(), task.width, task.height,
                                        QString::fromStdString(subject.GetName()));
            QObject::connect(slot.job.get(), &PovRayJob::progressChanged,
                             [this] { ReportProgress(); });
            QObject::connect(slot.job.get(), &PovRayJob::finished,
                             [this, &slot] { Finished(slot); });
            slot.job->Start();
            UpdateCaption();
            return;
        }
    }

    void Finished(Slot& slot) {
        const std::size_t index = slot.task;
        RenderResult result = slot.job->Result();
        const ThumbnailTask& task = m_batch.Tasks()[index];
        Bitmap picture;
        if (result.Succeeded())
            result = NamingTexture(
                ReadRenderedImage(slot.folder, OutputFileName(), task.width, task.height, picture),
                m_batch.Subject(index).GetName());
        PovRayRunner::RemoveJobFolder(slot.folder);
        slot.folder.clear();
        if (result.Succeeded()) {
            m_batch.Complete(index, std::move(picture));
        } else if (FailsOnlyItsTexture(result) && index < m_stopAt) {
            m_report->Failed(index, result);
        } else {
            Fail(index, result);
        }
        m_doneWork += m_report->TaskWork(index);
        // The job is still emitting its signal; it is destroyed once the batch is over.
        m_finished.push_back(std::move(slot.job));
        slot.task = kNone;
        StartNext(slot);
        ReportProgress();
        if (Running() == 0)
            m_loop.quit();
    }

    /// The batch cannot go on (stopped, POV-Ray cannot be run, a file cannot be written): it
    /// ends there, as it would one at a time. Renders of earlier tasks run on; later ones are
    /// stopped and their pictures dropped.
    void Fail(std::size_t index, const RenderResult& result) {
        if (index >= m_stopAt)
            return;
        m_stopAt = index;
        m_result = result;
        for (Slot& other : m_slots)
            if (other.job && other.task > index)
                other.job->Stop();
    }

    void StopAll() {
        std::size_t earliest = kNone;
        for (const Slot& slot : m_slots)
            if (slot.job)
                earliest = std::min(earliest, slot.task);
        if (earliest == kNone) { // between two jobs: none of the rest starts
            if (m_next < m_batch.Tasks().size())
                Fail(m_next, {RenderResult::Stopped, {}, {}});
            return;
        }
        Fail(earliest, {RenderResult::Stopped, {}, {}});
        for (Slot& slot : m_slots)
            if (slot.job)
                slot.job->Stop();
    }

    /// The bar of the whole batch, and the percentage of the earliest texture still rendering.
    void ReportProgress() {
        double running = 0.0;
        for (const Slot& slot : m_slots)
            if (slot.job)
                running += m_report->TaskWork(slot.task) * slot.job->Percent() / 100.0;
        m_report->Update(m_doneWork + running);
        UpdateCaption();
        if (const Slot* earliest = Earliest())
            m_sink.Progress(earliest->job->Percent());
    }

    const Slot* Earliest() const {
        const Slot* earliest = nullptr;
        for (const Slot& slot : m_slots)
            if (slot.job && (!earliest || slot.task < earliest->task))
                earliest = &slot;
        return earliest;
    }

    void UpdateCaption() {
        const Slot* earliest = Earliest();
        if (earliest && earliest->task != m_captionTask) {
            m_captionTask = earliest->task;
            m_sink.SetCaption(QString::fromStdString(m_batch.Tasks()[m_captionTask].caption));
        }
    }

    PovRayRunner& m_runner;
    ThumbnailBatch& m_batch;
    RenderProgressSink& m_sink;
    std::vector<Slot> m_slots;
    std::vector<std::unique_ptr<PovRayJob>> m_finished;
    QEventLoop m_loop;
    BatchReport* m_report = nullptr;
    std::size_t m_next = 0;
    std::size_t m_stopAt = kNone;
    double m_doneWork = 0.0;
    std::size_t m_captionTask = kNone;
    RenderResult m_result;
};

} // namespace

RenderResult RenderThumbnailBatch(PovRayRunner& runner, ThumbnailBatch& batch, int jobs,
                                  RenderProgressSink& sink) {
    if (runner.IsBusy())
        return {RenderResult::Busy, {}, {}};
    if (jobs <= 1 || batch.Tasks().size() <= 1)
        return RenderOneAtATime(runner, batch, sink);
    if (!runner.TryBeginRender())
        return {RenderResult::Busy, {}, {}};
    ParallelBatch parallel(runner, batch,
                           std::min<int>(jobs, static_cast<int>(batch.Tasks().size())), sink);
    RenderResult result = parallel.Run();
    runner.EndRender();
    return result;
}
