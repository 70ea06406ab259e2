#pragma once

#include "core/model/texture.h"
#include "render/povray/renderprogress.h"

#include <QObject>
#include <QString>
#include <memory>
#include <optional>
#include <unordered_map>
#include <vector>

class CatalogDocument;
class PictureRender;
class RenderQueue;
class ThumbnailBatchRender;
struct RenderResult;

/// The thumbnails of one catalog that are being rendered while the user goes on working:
/// single thumbnails of new and changed textures, which go ahead of batch work, and batches of
/// thumbnails, whose pictures come in as they finish.
///
/// A picture goes into the very texture it was rendered for, wherever that is by then: in the
/// catalog (its cell shows it at once) or kept by an undo step (it comes back with it). So the
/// thumbnail of an edit joins the edit's step, and Undo brings back the old texture with its old
/// picture. A texture that changed meanwhile never takes a picture of what it was: a batch
/// renders an edited texture again, and drops one that was deleted. While a thumbnail is on its
/// way the cell shows a busy mark over the old picture; a failed render marks the cell and says
/// why in its tooltip and in the status line.
class CatalogRenders : public QObject {
    Q_OBJECT
public:
    CatalogRenders(CatalogDocument& document, RenderQueue& queue);
    /// Every render of the catalog ends with it.
    ~CatalogRenders() override;

    /// Renders the thumbnail of `texture` (in the catalog or kept by a step) at the catalog's
    /// size, and, for a layered texture, its layers `layers` at the layers' size.
    void RenderThumbnail(const Texture& texture, const std::vector<int>& layers = {});
    /// Renders a batch: the composite thumbnails and/or the layers' thumbnails of the textures
    /// at `indices`, in the background. As a command (`command`) its pictures form undoable
    /// steps and a texture whose thumbnails all came is deselected, as long as the user has
    /// not chosen another selection meanwhile; otherwise (thumbnails of new textures) the
    /// pictures go into the textures as part of the steps that brought them in.
    void StartBatch(const std::vector<int>& indices, bool composite, bool layers, bool command);

    /// Whether a thumbnail of `texture` is on its way.
    bool IsRendering(const Texture& texture) const;
    /// Renders of the catalog not yet finished (each waiting task of a batch counts), texture
    /// maps started from it included.
    int Left() const;
    /// No thumbnail of the catalog is on its way (every render ended and its picture taken).
    bool IsIdle() const { return m_singles.empty() && m_batches.empty(); }
    /// Stops them all.
    void StopAll();
    /// Stops the batches.
    void StopBatches();

    /// The batches not yet finished, the running one first.
    std::vector<const ThumbnailBatchRender*> Batches() const;
    /// How the last batch went, until the user dismisses it.
    const std::optional<BatchSummary>& LastSummary() const { return m_summary; }
    void DismissSummary();

signals:
    /// A batch started, moved on or ended, or the summary went.
    void batchesChanged();
    /// A remark for the status line (why a thumbnail could not be rendered).
    void statusMessage(const QString& text);

private:
    /// A texture a render is for: the object, and its id to find what became of it.
    struct Target {
        const Texture* texture;
        TextureId id;
        int hint; ///< where it stood last
    };
    struct Single;
    class Batch;

    void SingleEnded(Single* single);
    void BatchEnded(Batch* batch);
    void Pend(const Target& target);
    void Unpend(const Target& target);
    /// The texture `target` stands for now in the catalog (itself, or the texture an edit put in
    /// its place); null when there is none. `index` gets its place.
    const Texture* Current(Target& target, int& index) const;
    void ShowFailure(const Target& target, int layer, const RenderResult& result);

    CatalogDocument& m_document;
    RenderQueue& m_queue;
    std::vector<std::unique_ptr<Single>> m_singles;
    std::vector<std::unique_ptr<Batch>> m_batches;
    struct Pending {
        TextureId id;
        int count;
    };
    std::unordered_map<const Texture*, Pending> m_pending;
    std::optional<BatchSummary> m_summary;
};
