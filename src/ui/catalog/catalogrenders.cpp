#include "ui/catalog/catalogrenders.h"

#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "render/povray/picturerender.h"
#include "render/povray/renderqueue.h"
#include "render/povray/thumbnailbatchrender.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"

#include <QTimer>
#include <QUndoStack>
#include <algorithm>
#include <unordered_set>
#include <utility>

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
    TextureId id;
    int layer;
    bool shown; ///< it renders the texture as the catalog holds it now
    std::unique_ptr<PictureRender> render;
};

/// A batch of the catalog: where its textures are, and where its pictures go.
class CatalogRenders::Batch : public ThumbnailBatchRender::Textures {
public:
    Batch(CatalogRenders& owner, ThumbnailBatch plan, bool command, bool composite, bool layers)
        : composite(composite), layers(layers), m_owner(owner), m_command(command),
          m_pended(plan.Members().size(), false), m_replaced(plan.Members().size(), false),
          m_dropped(plan.Members().size(), false) {
        render = std::make_unique<ThumbnailBatchRender>(std::move(plan), *this);
    }

    ~Batch() override {
        if (m_step)
            m_step->SetHandlers(nullptr, nullptr);
    }

    const Texture* Subject(const ThumbnailTask& task) override {
        int index = -1;
        const Texture* texture = m_dropped[task.member] ? nullptr : Find(task.member, index);
        return texture ? ThumbnailSubject(*texture, task.layer) : nullptr;
    }

    ThumbnailBatchRender::Delivery Deliver(const ThumbnailTask& task,
                                           RenderedPicture& rendered) override {
        using Delivery = ThumbnailBatchRender::Delivery;
        // An undone batch takes no more pictures.
        if (m_dropped[task.member] || (m_step && !m_step->IsDone()))
            return Delivery::Gone;
        int index = -1;
        Texture* texture = Find(task.member, index);
        Texture* subject = texture ? ThumbnailSubject(*texture, task.layer) : nullptr;
        if (!subject)
            return Delivery::Gone;
        if (!rendered.Renders(*subject))
            return Delivery::Changed; // edited while it rendered: rendered again as it is now
        if (index < 0)
            subject->Thumbnail() = std::move(rendered.Picture()); // kept by the step that adds it
        else if (m_step && !m_replaced[task.member])
            AddToStep(task, std::move(rendered.Picture()));
        else
            m_owner.TakeWithoutStep(index, task.layer, rendered.Picture());
        return Delivery::Taken;
    }

    /// Task `task` ended: its texture's mark goes once it is through.
    void TaskEnded(std::size_t task, const RenderResult& result) {
        const ThumbnailBatch& plan = render->Batch();
        const ThumbnailTask& t = plan.Tasks()[task];
        if (plan.EndingOf(task) == ThumbnailBatch::Ending::Failed)
            m_owner.ShowFailure(Id(t.member), t.layer, result);
        if (plan.IsThrough(t.member))
            Unpend(t.member);
    }

    /// Marks every texture with tasks as on its way; a batch the user started becomes a step.
    void Begin() {
        for (std::size_t k = 0; k < m_pended.size(); ++k)
            if (render->Batch().Members()[k].taskCount > 0) {
                m_pended[k] = true;
                m_owner.Pend(Id(k));
            }
        if (m_command) {
            auto* step = new ThumbnailsEdit(m_owner.m_document, QStringLiteral("Render"), {}, true);
            step->SetMerging();
            m_owner.m_document.Apply(step);
            Adopt(step);
        }
    }

    /// The batch is over: what did not come is no longer on its way, and a step that took
    /// nothing goes again while nothing came after it.
    void End() {
        for (std::size_t k = 0; k < m_pended.size(); ++k)
            Unpend(k);
        QUndoStack& stack = m_owner.m_document.UndoStack();
        if (m_step && m_step->IsEmpty() && IsNewest(stack) && stack.index() != stack.cleanIndex()) {
            auto* nothing =
                new ThumbnailsEdit(m_owner.m_document, QStringLiteral("Render"), {}, false);
            nothing->MergeInto(m_step);
            m_owner.m_document.Apply(nothing);
        }
    }

    /// The texture with `id` was put in place of another version: its picture belongs to the
    /// edit that did it, not to this batch's step.
    void Replaced(TextureId id) {
        for (std::size_t k = 0; k < m_replaced.size(); ++k)
            if (Id(k) == id)
                m_replaced[k] = true;
    }

    /// The thumbnails of `ids` are no longer this batch's to render.
    void Drop(const std::unordered_set<TextureId>& ids) {
        for (std::size_t k = 0; k < m_dropped.size(); ++k)
            if (ids.count(Id(k))) {
                m_dropped[k] = true;
                Unpend(k);
            }
    }

    /// Members whose thumbnails did not all come, and are still in the catalog.
    std::vector<TextureId> Unrendered() const {
        const ThumbnailBatch& plan = render->Batch();
        std::vector<TextureId> ids;
        for (std::size_t k = 0; k < plan.Members().size(); ++k) {
            const ThumbnailBatch::Member& member = plan.Members()[k];
            bool rendered = member.taskCount > 0;
            for (std::size_t t = member.firstTask; t < member.firstTask + member.taskCount; ++t)
                rendered = rendered && plan.EndingOf(t) == ThumbnailBatch::Ending::Rendered;
            if (member.taskCount > 0 && !rendered && !m_dropped[k] &&
                m_owner.m_document.Model().RowOf(member.id) >= 0)
                ids.push_back(member.id);
        }
        return ids;
    }

    bool IsCommand() const { return m_command; }

    std::unique_ptr<ThumbnailBatchRender> render;
    const bool composite;
    const bool layers;

private:
    TextureId Id(std::size_t member) const { return render->Batch().Members()[member].id; }

    void Unpend(std::size_t member) {
        if (!m_pended[member])
            return;
        m_pended[member] = false;
        m_owner.Unpend(Id(member));
    }

    /// The texture member `member` stands for now: in the catalog, or, for new textures, also
    /// kept by the undo steps. Null when it is gone.
    Texture* Find(std::size_t member, int& index) {
        CatalogDocument& document = m_owner.m_document;
        if (m_command) {
            index = document.Model().RowOf(Id(member));
            return index >= 0 ? &document.Contents().GetTexture(index) : nullptr;
        }
        return document.Find(
            Id(member), [](const Texture&) { return true; }, index);
    }

    bool IsNewest(const QUndoStack& stack) const {
        return stack.count() > 0 && stack.index() == stack.count() &&
               stack.command(stack.count() - 1) == m_step;
    }

    /// Whether the picture of `task`, about to be taken, is the last its texture waits for,
    /// every other one having come: the texture is then rendered, as the batch counts it.
    bool Completes(const ThumbnailTask& task) const {
        const ThumbnailBatch& plan = render->Batch();
        const ThumbnailBatch::Member& member = plan.Members()[task.member];
        for (std::size_t t = member.firstTask; t < member.firstTask + member.taskCount; ++t)
            if (&plan.Tasks()[t] != &task && plan.EndingOf(t) != ThumbnailBatch::Ending::Rendered)
                return false;
        return true;
    }

    /// The picture joins the batch's step. While the step is the newest, through a push that
    /// merges into it (so the Edit menu counts it), or that follows it when the catalog was
    /// saved right there; else into the step where it stands, as part of what it undoes. The
    /// step is named after the textures it has whole, so that the Edit menu counts as the bar.
    void AddToStep(const ThumbnailTask& task, Bitmap picture) {
        CatalogDocument& document = m_owner.m_document;
        QUndoStack& stack = document.UndoStack();
        const TextureId id = Id(task.member);
        const int whole = Completes(task) ? 1 : 0;
        if (IsNewest(stack)) {
            const bool merges = stack.index() != stack.cleanIndex();
            auto* more = new ThumbnailsEdit(document, QStringLiteral("Render"),
                                            {{id, task.layer, std::move(picture)}}, false);
            more->MergeInto(m_step);
            // Named before the push, which tells the Edit menu.
            if (merges)
                m_step->CountTextures(m_whole += whole);
            else
                more->CountTextures(m_whole = whole);
            document.Apply(more);
            if (!merges)
                Adopt(more);
            return;
        }
        m_step->AddPicture(id, task.layer, std::move(picture));
        m_step->CountTextures(m_whole += whole);
        if (stack.isClean())
            document.SetModifiedFlag(true);
    }

    void Adopt(ThumbnailsEdit* step) {
        if (m_step)
            m_step->SetHandlers(nullptr, nullptr);
        m_step = step;
        // Undone: the user takes the batch back, and it ends (once the undo is over).
        step->SetHandlers(
            [this] { QTimer::singleShot(0, render.get(), &ThumbnailBatchRender::Stop); },
            [this, step] {
                if (m_step == step)
                    m_step = nullptr;
            });
    }

    CatalogRenders& m_owner;
    bool m_command;
    std::vector<bool> m_pended;
    std::vector<bool> m_replaced;
    std::vector<bool> m_dropped;
    ThumbnailsEdit* m_step = nullptr;
    int m_whole = 0; ///< textures whose thumbnails all came into m_step
};

CatalogRenders::CatalogRenders(CatalogDocument& document, RenderQueue& queue)
    : m_document(document), m_queue(queue) {
    CatalogModel& model = document.Model();
    model.SetRenderingProbe([this](TextureId id) { return IsRendering(id); });
    connect(&model, &CatalogModel::textureReplaced, this, &CatalogRenders::OnTextureReplaced);
    connect(&queue, &RenderQueue::changed, this, &CatalogRenders::batchesChanged);
}

CatalogRenders::~CatalogRenders() {
    m_document.Model().SetRenderingProbe(nullptr);
    m_batches.clear();
    m_singles.clear();
}

void CatalogRenders::MarkChanged(TextureId id) {
    if (const int index = m_document.Model().RowOf(id); index >= 0)
        m_document.Model().RenderingChanged(index);
}

void CatalogRenders::Pend(TextureId id) {
    if (++m_pending[id] == 1)
        MarkChanged(id);
}

void CatalogRenders::Unpend(TextureId id) {
    const auto entry = m_pending.find(id);
    if (entry == m_pending.end() || --entry->second > 0)
        return;
    m_pending.erase(entry);
    MarkChanged(id);
}

bool CatalogRenders::IsRendering(TextureId id) const {
    return m_pending.count(id) > 0 ||
           std::any_of(m_singles.begin(), m_singles.end(),
                       [id](const auto& single) { return single->id == id && single->shown; });
}

void CatalogRenders::OnTextureReplaced(int index) {
    const Texture& texture = m_document.Contents().GetTexture(index);
    for (const auto& single : m_singles)
        if (single->id == texture.GetId()) {
            const Texture* subject = ThumbnailSubject(texture, single->layer);
            single->shown = subject && single->render->Renders(*subject);
        }
    for (const auto& batch : m_batches)
        batch->Replaced(texture.GetId());
    m_document.Model().RenderingChanged(index);
}

void CatalogRenders::TakeWithoutStep(int index, int layer, Bitmap& picture) {
    m_document.Model().SwapThumbnail(index, layer, picture);
    if (m_document.UndoStack().isClean())
        m_document.SetModifiedFlag(true);
}

void CatalogRenders::RenderThumbnail(const Texture& texture, const std::vector<int>& layers) {
    const Catalog& catalog = m_document.Contents();
    const int index = m_document.Model().RowOf(texture.GetId());
    const bool inCatalog = index >= 0 && &catalog.GetTexture(index) == &texture;
    std::vector<std::pair<int, const Texture*>> subjects{{-1, &texture}};
    for (int layer : layers)
        if (const Texture* subject = ThumbnailSubject(texture, layer))
            subjects.push_back({layer, subject});
    for (const auto& [layer, subject] : subjects) {
        const int size = ThumbnailBatch::kLayerThumbnailSize;
        auto single = std::make_unique<Single>(Single{
            texture.GetId(), layer, inCatalog,
            std::make_unique<PictureRender>(*subject,
                                            layer < 0 ? catalog.GetThumbnailWidth() : size,
                                            layer < 0 ? catalog.GetThumbnailHeight() : size)});
        Single* started = single.get();
        started->render->SetOwner(&m_document);
        connect(started->render.get(), &QueuedRender::finished, this,
                [this, started] { SingleEnded(started); });
        m_singles.push_back(std::move(single));
        started->render->Start(m_queue);
    }
    if (inCatalog) {
        m_document.Model().SetThumbnailProblem(index, QString());
        m_document.Model().RenderingChanged(index);
    }
}

void CatalogRenders::SingleEnded(Single* single) {
    const auto found = std::find_if(m_singles.begin(), m_singles.end(),
                                    [single](const auto& owned) { return owned.get() == single; });
    if (found == m_singles.end())
        return;
    const std::unique_ptr<Single> ended = std::move(*found);
    m_singles.erase(found);
    MarkChanged(ended->id);
    const PictureRender& render = *ended->render;
    int index = -1;
    // A texture that is gone, or that changed meanwhile, keeps what it has: its own render,
    // if it needs one, brings its picture.
    Texture* texture = m_document.Find(
        ended->id,
        [&](const Texture& candidate) {
            const Texture* subject = ThumbnailSubject(candidate, ended->layer);
            return subject && render.Renders(*subject);
        },
        index);
    if (!texture)
        return;
    const RenderResult& result = render.Result();
    if (!result.Succeeded()) {
        if (result.status != RenderResult::Stopped && index >= 0)
            ShowFailure(ended->id, ended->layer, result);
        return;
    }
    if (index >= 0)
        TakeWithoutStep(index, ended->layer, ended->render->Picture());
    else
        ThumbnailSubject(*texture, ended->layer)->Thumbnail() = std::move(ended->render->Picture());
}

void CatalogRenders::ShowFailure(TextureId id, int layer, const RenderResult& result) {
    CatalogModel& model = m_document.Model();
    const int index = model.RowOf(id);
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
    if (command) {
        // The newer command renders these textures: earlier batches leave them.
        std::unordered_set<TextureId> ids;
        for (const ThumbnailBatch::Member& member : plan.Members())
            ids.insert(member.id);
        for (const auto& batch : m_batches)
            batch->Drop(ids);
        m_rest = {};
    }
    auto batch = std::make_unique<Batch>(*this, std::move(plan), command, composite, layers);
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

void CatalogRenders::Drop(const std::vector<TextureId>& ids) {
    const std::unordered_set<TextureId> dropped(ids.begin(), ids.end());
    for (const auto& batch : m_batches)
        batch->Drop(dropped);
    for (const auto& single : m_singles)
        if (dropped.count(single->id))
            single->render->Stop();
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
    if (ended->IsCommand() && m_summary->stopped)
        m_rest = {ended->Unrendered(), ended->composite, ended->layers};
    // This runs inside the render's own finished signal, which others may hear after us.
    ended->render->disconnect(this);
    ended->render.release()->deleteLater();
    emit batchesChanged();
}

std::vector<int> CatalogRenders::IndicesOf(const std::vector<TextureId>& ids) const {
    std::vector<int> indices;
    for (TextureId id : ids)
        if (const int index = m_document.Model().RowOf(id); index >= 0)
            indices.push_back(index);
    std::sort(indices.begin(), indices.end());
    return indices;
}

int CatalogRenders::RestCount() const {
    return static_cast<int>(IndicesOf(m_rest.ids).size());
}

void CatalogRenders::RenderRest() {
    const std::vector<int> indices = IndicesOf(m_rest.ids);
    const Rest rest = std::exchange(m_rest, {});
    m_summary.reset();
    if (!indices.empty()) {
        StartBatch(indices, rest.composite, rest.layers, true);
        return;
    }
    // Nothing that the stopped batch left is in the catalog now.
    emit batchesChanged();
    emit statusMessage(QStringLiteral("Nothing left to render."));
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
