#include "ui/catalog/catalogrenders.h"

#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "render/povray/picturerender.h"
#include "render/povray/renderqueue.h"
#include "render/povray/thumbnailbatchrender.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"

#include <QUndoStack>
#include <algorithm>

namespace {

QString FailureText(const std::string& name, const RenderResult& result) {
    QString text = QStringLiteral("The thumbnail of \"%1\" could not be rendered")
                       .arg(QString::fromStdString(name));
    return result.message.isEmpty() ? text + QLatin1Char('.')
                                    : text + QStringLiteral(": ") + result.message;
}

} // namespace

/// One thumbnail on its way: a texture's composite (layer -1) or one of its layers.
struct CatalogRenders::Single {
    Target target;
    int layer;
    std::unique_ptr<PictureRender> render;
};

/// A batch of the catalog: where its textures are, and where its pictures go.
class CatalogRenders::Batch : public ThumbnailBatchRender::Textures {
public:
    Batch(CatalogRenders& owner, ThumbnailBatch plan, bool command)
        : m_owner(owner), m_command(command),
          m_stepName(QStringLiteral("Render ") +
                     CountOf(static_cast<int>(plan.Tasks().size()), QStringLiteral("Thumbnail"))) {
        const Catalog& catalog = owner.m_document.Contents();
        for (const ThumbnailBatch::Member& member : plan.Members())
            m_targets.push_back({&catalog.GetTexture(member.index), member.id, member.index});
        render = std::make_unique<ThumbnailBatchRender>(std::move(plan), *this);
    }

    ~Batch() override {
        if (m_step)
            m_step->SetGoneHandler(nullptr);
    }

    const Texture* Subject(const ThumbnailTask& task) override {
        int index = -1;
        const Texture* texture = Find(task.member, index);
        return texture ? ThumbnailSubject(*texture, task.layer) : nullptr;
    }

    ThumbnailBatchRender::Delivery Deliver(const ThumbnailTask& task,
                                           PictureRender& rendered) override {
        using Delivery = ThumbnailBatchRender::Delivery;
        Target& target = m_targets[task.member];
        const Texture* before = target.texture;
        int index = -1;
        Texture* texture = Find(task.member, index);
        if (!texture)
            return Delivery::Gone;
        Texture* subject = ThumbnailSubject(*texture, task.layer);
        if (!subject)
            return Delivery::Gone;
        if (target.texture != before || !rendered.Renders(*subject))
            return Delivery::Changed; // edited while it rendered: rendered again as it is now
        CatalogModel& model = m_owner.m_document.Model();
        if (m_command && !m_successor[task.member] && index >= 0) {
            AddToStep(texture, task.layer, std::move(rendered.Picture()));
        } else if (index >= 0) {
            model.SwapThumbnail(index, task.layer, rendered.Picture());
        } else {
            subject->Thumbnail() = std::move(rendered.Picture());
        }
        return Delivery::Taken;
    }

    /// Task `task` ended: its texture's marks and selection follow once it is through.
    void TaskEnded(std::size_t task, const RenderResult& result) {
        const ThumbnailBatch& plan = render->Batch();
        const ThumbnailTask& t = plan.Tasks()[task];
        Target& target = m_targets[t.member];
        if (plan.EndingOf(task) == ThumbnailBatch::Ending::Failed)
            m_owner.ShowFailure(target, t.layer, result);
        if (!plan.IsThrough(t.member))
            return;
        m_owner.Unpend(target);
        const ThumbnailBatch::Member& member = plan.Members()[t.member];
        bool rendered = true;
        for (std::size_t k = member.firstTask; k < member.firstTask + member.taskCount; ++k)
            rendered = rendered && plan.EndingOf(k) == ThumbnailBatch::Ending::Rendered;
        CatalogModel& model = m_owner.m_document.Model();
        const int index = model.IndexOf(target.texture, target.hint);
        if (rendered && m_command && m_selectionKept && index >= 0) {
            const int indices[] = {index};
            model.SetSelected(indices, false, &m_owner);
        }
    }

    /// The user chose a selection of their own: the batch leaves it alone from now on.
    void SelectionTaken() { m_selectionKept = false; }

    /// Marks every texture with tasks as on its way, and deselects those without (a simple
    /// texture in a batch of layers), as a batch that had reached them would have.
    void Begin() {
        const ThumbnailBatch& plan = render->Batch();
        CatalogModel& model = m_owner.m_document.Model();
        std::vector<int> without;
        for (std::size_t k = 0; k < plan.Members().size(); ++k) {
            if (plan.Members()[k].taskCount > 0)
                m_owner.Pend(m_targets[k]);
            else if (const int index = model.IndexOf(m_targets[k].texture, m_targets[k].hint);
                     index >= 0)
                without.push_back(index);
        }
        if (m_command && !without.empty())
            model.SetSelected(without, false, &m_owner);
    }

    /// The batch is over: what did not come is no longer on its way.
    void End() {
        const ThumbnailBatch& plan = render->Batch();
        for (std::size_t k = 0; k < plan.Members().size(); ++k)
            if (plan.Members()[k].taskCount > 0 && !plan.IsThrough(k))
                m_owner.Unpend(m_targets[k]);
    }

    std::unique_ptr<ThumbnailBatchRender> render;

private:
    /// The texture member `member` stands for now, following an edit to the texture put in its
    /// place; for new textures also in the undo steps. Null when it is gone.
    Texture* Find(std::size_t member, int& index) {
        if (m_successor.size() < m_targets.size())
            m_successor.resize(m_targets.size(), false);
        Target& target = m_targets[member];
        CatalogDocument& document = m_owner.m_document;
        Texture* found = m_command ? nullptr : document.Locate(target.texture, index, target.hint);
        if (m_command) {
            index = document.Model().IndexOf(target.texture, target.hint);
            if (index >= 0)
                found = &document.Contents().GetTexture(index);
        }
        if (found && found->GetId() == target.id) {
            if (index >= 0)
                target.hint = index;
            return found;
        }
        // Edited meanwhile: the texture that took its place is rendered instead.
        const Target before = target;
        if (!m_owner.Current(target, index))
            return nullptr;
        if (target.texture != before.texture) {
            m_owner.Unpend(before);
            m_owner.Pend(target);
        }
        m_successor[member] = true;
        return &document.Contents().GetTexture(index);
    }

    /// The picture joins the batch's step: the newest step while it is on top of the stack (or
    /// undone, waiting for its redo), else a new one, so the steps stay in the order things
    /// happened.
    void AddToStep(const Texture* texture, int layer, Bitmap picture) {
        CatalogDocument& document = m_owner.m_document;
        QUndoStack& stack = document.UndoStack();
        const bool onTop =
            m_step && stack.index() == stack.count() && stack.command(stack.count() - 1) == m_step;
        if (!m_step || (m_step->IsDone() && !onTop)) {
            if (m_step)
                m_step->SetGoneHandler(nullptr);
            m_step = new ThumbnailsEdit(document, m_stepName, {}, true);
            document.Apply(m_step);
            ThumbnailsEdit* step = m_step;
            step->SetGoneHandler([this, step] { StepGone(step); });
        }
        m_step->AddPicture(texture, layer, std::move(picture));
    }

    void StepGone(ThumbnailsEdit* step) {
        if (step != m_step)
            return;
        m_step = nullptr;
        // Undone and then let go (the user did something else): the user does not want these
        // pictures, so the batch ends. A step that went for the undo limit was done; the batch
        // goes on.
        if (!step->IsDone())
            render->Stop();
    }

    CatalogRenders& m_owner;
    bool m_command;
    QString m_stepName;
    std::vector<Target> m_targets;
    std::vector<bool> m_successor;
    ThumbnailsEdit* m_step = nullptr;
    bool m_selectionKept = true;
};

CatalogRenders::CatalogRenders(CatalogDocument& document, RenderQueue& queue)
    : m_document(document), m_queue(queue) {
    CatalogModel& model = document.Model();
    model.SetRenderingProbe([this](const Texture& texture) { return IsRendering(texture); });
    connect(&model, &CatalogModel::selectionFlagsChanged, this,
            [this](int, int, const QObject* origin) {
                if (origin && origin != this)
                    for (const auto& batch : m_batches)
                        batch->SelectionTaken();
            });
    connect(&queue, &RenderQueue::changed, this, &CatalogRenders::batchesChanged);
}

CatalogRenders::~CatalogRenders() {
    m_document.Model().SetRenderingProbe(nullptr);
    m_batches.clear();
    m_singles.clear();
}

void CatalogRenders::Pend(const Target& target) {
    auto [entry, added] = m_pending.try_emplace(target.texture, Pending{target.id, 0});
    if (!added && entry->second.id != target.id)
        entry->second = {target.id, 0};
    if (++entry->second.count == 1)
        if (const int index = m_document.Model().IndexOf(target.texture, target.hint); index >= 0)
            m_document.Model().RenderingChanged(index);
}

void CatalogRenders::Unpend(const Target& target) {
    const auto entry = m_pending.find(target.texture);
    if (entry == m_pending.end() || --entry->second.count > 0)
        return;
    m_pending.erase(entry);
    if (const int index = m_document.Model().IndexOf(target.texture, target.hint); index >= 0)
        m_document.Model().RenderingChanged(index);
}

bool CatalogRenders::IsRendering(const Texture& texture) const {
    const auto entry = m_pending.find(&texture);
    return entry != m_pending.end() && entry->second.id == texture.GetId();
}

const Texture* CatalogRenders::Current(Target& target, int& index) const {
    const Catalog& catalog = m_document.Contents();
    index = m_document.Model().IndexOf(target.texture, target.hint);
    if (index < 0 || catalog.GetTexture(index).GetId() != target.id) {
        index = -1;
        for (int i = 0; i < catalog.GetCount(); ++i)
            if (catalog.GetTexture(i).GetId() == target.id) {
                index = i;
                break;
            }
    }
    if (index < 0)
        return nullptr;
    target.texture = &catalog.GetTexture(index);
    target.hint = index;
    return target.texture;
}

void CatalogRenders::RenderThumbnail(const Texture& texture, const std::vector<int>& layers) {
    const Catalog& catalog = m_document.Contents();
    int hint = m_document.Model().IndexOf(&texture);
    std::vector<std::pair<int, const Texture*>> subjects{{-1, &texture}};
    for (int layer : layers)
        if (const Texture* subject = ThumbnailSubject(texture, layer))
            subjects.push_back({layer, subject});
    for (const auto& [layer, subject] : subjects) {
        const int size = ThumbnailBatch::kLayerThumbnailSize;
        auto single = std::make_unique<Single>(Single{
            {&texture, texture.GetId(), hint},
            layer,
            std::make_unique<PictureRender>(*subject,
                                            layer < 0 ? catalog.GetThumbnailWidth() : size,
                                            layer < 0 ? catalog.GetThumbnailHeight() : size)});
        Single* started = single.get();
        started->render->SetOwner(&m_document);
        connect(started->render.get(), &QueuedRender::finished, this,
                [this, started] { SingleEnded(started); });
        Pend(started->target);
        m_singles.push_back(std::move(single));
        started->render->Start(m_queue);
    }
    if (hint >= 0)
        m_document.Model().SetThumbnailProblem(hint, QString());
}

void CatalogRenders::SingleEnded(Single* single) {
    const auto found = std::find_if(m_singles.begin(), m_singles.end(),
                                    [single](const auto& owned) { return owned.get() == single; });
    if (found == m_singles.end())
        return;
    const std::unique_ptr<Single> ended = std::move(*found);
    m_singles.erase(found);
    Unpend(ended->target);
    const RenderResult& result = ended->render->Result();
    int index = -1;
    Texture* texture = m_document.Locate(ended->target.texture, index, ended->target.hint);
    Texture* subject = texture && texture->GetId() == ended->target.id
                           ? ThumbnailSubject(*texture, ended->layer)
                           : nullptr;
    // A texture that is gone, or that changed meanwhile, keeps what it has: its own render,
    // if it needs one, brings its picture.
    if (!subject || !ended->render->Renders(*subject))
        return;
    if (!result.Succeeded()) {
        if (result.status != RenderResult::Stopped)
            ShowFailure(ended->target, ended->layer, result);
        return;
    }
    if (index >= 0)
        m_document.Model().SwapThumbnail(index, ended->layer, ended->render->Picture());
    else
        subject->Thumbnail() = std::move(ended->render->Picture());
}

void CatalogRenders::ShowFailure(const Target& target, int layer, const RenderResult& result) {
    CatalogModel& model = m_document.Model();
    const int index = model.IndexOf(target.texture, target.hint);
    if (index < 0)
        return;
    const Texture& texture = m_document.Contents().GetTexture(index);
    QString text = FailureText(texture.GetName(), result);
    if (layer >= 0)
        if (const Texture* subject = ThumbnailSubject(texture, layer))
            text = FailureText(subject->GetName(), result);
    model.SetThumbnailProblem(index, text);
    emit statusMessage(text);
}

void CatalogRenders::StartBatch(const std::vector<int>& indices, bool composite, bool layers,
                                bool command) {
    ThumbnailBatch plan(m_document.Contents(), indices, composite, layers);
    auto batch = std::make_unique<Batch>(*this, std::move(plan), command);
    Batch* started = batch.get();
    ThumbnailBatchRender& render = *started->render;
    render.SetOwner(&m_document);
    connect(&render, &ThumbnailBatchRender::taskEnded, this,
            [started](std::size_t task, const RenderResult& result) {
                started->TaskEnded(task, result);
            });
    connect(&render, &ThumbnailBatchRender::progress, this, &CatalogRenders::batchesChanged);
    connect(&render, &ThumbnailBatchRender::finished, this,
            [this, started] { BatchEnded(started); });
    m_batches.push_back(std::move(batch));
    started->Begin();
    render.Start(m_queue);
    emit batchesChanged();
}

void CatalogRenders::BatchEnded(Batch* batch) {
    const auto found = std::find_if(m_batches.begin(), m_batches.end(),
                                    [batch](const auto& owned) { return owned.get() == batch; });
    if (found == m_batches.end())
        return;
    const std::unique_ptr<Batch> ended = std::move(*found);
    m_batches.erase(found);
    ended->End();
    m_summary = ended->render->Summary();
    emit batchesChanged();
}

int CatalogRenders::Left() const {
    return m_queue.LeftFor(&m_document);
}

void CatalogRenders::StopAll() {
    m_queue.StopFor(&m_document);
}

void CatalogRenders::StopBatches() {
    for (const auto& batch : m_batches)
        batch->render->Stop();
}

std::vector<const ThumbnailBatchRender*> CatalogRenders::Batches() const {
    std::vector<const ThumbnailBatchRender*> batches;
    for (const auto& batch : m_batches)
        batches.push_back(batch->render.get());
    // The one rendering first; the others wait their turn in the order they were started.
    std::stable_partition(batches.begin(), batches.end(),
                          [](const ThumbnailBatchRender* b) { return b->TasksRunning() > 0; });
    return batches;
}

void CatalogRenders::DismissSummary() {
    if (!m_summary)
        return;
    m_summary.reset();
    emit batchesChanged();
}
