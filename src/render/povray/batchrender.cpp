#include "render/povray/batchrender.h"

#include "core/catalog/thumbnailbatch.h"
#include "core/model/texture.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"

#include <QEventLoop>

#include <algorithm>
#include <limits>
#include <memory>
#include <vector>

namespace {

constexpr std::size_t kNone = std::numeric_limits<std::size_t>::max();

RenderResult RenderOneAtATime(PovRayRunner& runner, ThumbnailBatch& batch, RenderProgressSink& sink) {
    for (std::size_t i = 0; i < batch.Tasks().size(); ++i) {
        const ThumbnailTask& task = batch.Tasks()[i];
        Bitmap picture;
        const RenderResult result = runner.RenderPicture(batch.Subject(i), task.width, task.height,
                                                         QString::fromStdString(task.caption), sink, picture);
        if (!result.Succeeded()) {
            batch.Finish();
            return result;
        }
        batch.Complete(i, std::move(picture));
    }
    batch.Finish();
    return {};
}

/// Side-by-side rendering: a few slots, each with at most one POV-Ray; every job runs in a
/// folder of its own, removed when its picture has been taken.
class ParallelBatch {
public:
    ParallelBatch(PovRayRunner& runner, ThumbnailBatch& batch, int jobs, RenderProgressSink& sink)
        : m_runner(runner), m_batch(batch), m_sink(sink), m_slots(static_cast<std::size_t>(jobs)) {}

    RenderResult Run() {
        const auto& tasks = m_batch.Tasks();
        // Resolve the command style now: asking POV-Ray for its version waits in an event loop
        // of its own, which must not run in the middle of starting a job.
        m_runner.Command(OutputFileName(), 1, 1);
        m_sink.Begin(tasks.empty() ? QString() : QString::fromStdString(tasks.front().caption));
        m_sink.Started([this] { StopAll(); });
        for (Slot& slot : m_slots)
            StartNext(slot);
        if (Running() > 0)
            m_loop.exec();
        m_sink.Progress(100);
        m_sink.End();
        m_batch.Finish();
        m_finished.clear();
        return m_result;
    }

private:
    struct Slot {
        QString folder;
        std::unique_ptr<PovRayJob> job;
        std::size_t task = kNone;
    };

    int Running() const {
        return static_cast<int>(std::count_if(m_slots.begin(), m_slots.end(), [](const Slot& s) { return s.job != nullptr; }));
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
                prepared = m_runner.WriteScene(subject.GetName(), subject.GetPreviewShape(), slot.folder, m_sink);
            if (!prepared.Succeeded()) {
                PovRayRunner::RemoveJobFolder(slot.folder);
                slot.folder.clear();
                Fail(index, NamingTexture(prepared, subject.GetName()));
                return;
            }
            slot.task = index;
            slot.job = m_runner.MakeJob(slot.folder, m_runner.Command(OutputFileName(), task.width, task.height),
                                        OutputFileName(), task.width, task.height,
                                        QString::fromStdString(subject.GetName()));
            QObject::connect(slot.job.get(), &PovRayJob::progressChanged, [this] { ReportProgress(); });
            QObject::connect(slot.job.get(), &PovRayJob::finished, [this, &slot] { Finished(slot); });
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
            result = NamingTexture(ReadRenderedImage(slot.folder, OutputFileName(), task.width, task.height, picture),
                                   m_batch.Subject(index).GetName());
        PovRayRunner::RemoveJobFolder(slot.folder);
        slot.folder.clear();
        if (result.Succeeded()) {
            m_batch.Complete(index, std::move(picture));
            ++m_completed;
        } else {
            Fail(index, result);
        }
        // The job is still emitting its signal; it is destroyed once the batch is over.
        m_finished.push_back(std::move(slot.job));
        slot.task = kNone;
        StartNext(slot);
        ReportProgress();
        if (Running() == 0)
            m_loop.quit();
    }

    /// A render failed or was stopped: the batch ends there, as it would one at a time. Renders
    /// of earlier tasks run on; later ones are stopped and their pictures dropped.
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

    void ReportProgress() {
        const std::size_t total = m_batch.Tasks().size();
        if (total == 0)
            return;
        double done = static_cast<double>(m_completed);
        for (const Slot& slot : m_slots)
            if (slot.job)
                done += slot.job->Percent() / 100.0;
        m_sink.Progress(static_cast<int>(done * 100.0 / static_cast<double>(total)));
        UpdateCaption();
    }

    void UpdateCaption() {
        std::size_t earliest = kNone;
        for (const Slot& slot : m_slots)
            if (slot.job)
                earliest = std::min(earliest, slot.task);
        if (earliest != kNone && earliest != m_captionTask) {
            m_captionTask = earliest;
            m_sink.SetCaption(QString::fromStdString(m_batch.Tasks()[earliest].caption));
        }
    }

    PovRayRunner& m_runner;
    ThumbnailBatch& m_batch;
    RenderProgressSink& m_sink;
    std::vector<Slot> m_slots;
    std::vector<std::unique_ptr<PovRayJob>> m_finished;
    QEventLoop m_loop;
    std::size_t m_next = 0;
    std::size_t m_stopAt = kNone;
    std::size_t m_completed = 0;
    std::size_t m_captionTask = kNone;
    RenderResult m_result;
};

} // namespace

RenderResult RenderThumbnailBatch(PovRayRunner& runner, ThumbnailBatch& batch, int jobs, RenderProgressSink& sink) {
    if (runner.IsBusy())
        return {RenderResult::Busy, {}, {}};
    if (jobs <= 1 || batch.Tasks().size() <= 1)
        return RenderOneAtATime(runner, batch, sink);
    if (!runner.TryBeginRender())
        return {RenderResult::Busy, {}, {}};
    ParallelBatch parallel(runner, batch, std::min<int>(jobs, static_cast<int>(batch.Tasks().size())), sink);
    RenderResult result = parallel.Run();
    runner.EndRender();
    return result;
}
