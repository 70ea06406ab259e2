#pragma once

#include "core/bitmap/bitmap.h"
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
/// thumbnails, whose pictures come in as they finish. Renders know their textures by id.
///
/// A single picture goes into the very texture it was rendered for, wherever that is by then:
/// in the catalog (its cell shows it at once) or kept by an undo step (it comes back with it).
/// So the thumbnail of an edit joins the edit's step, and Undo brings back the old texture with
/// its old picture. A batch started by the user is one undoable step from the start, which
/// takes in its pictures as they come, wherever it stands by then; undoing it stops the batch.
/// A texture that changed meanwhile never takes a picture of what it was: a batch renders an
/// edited texture again (its picture then belongs to the edit, not the batch's step), and drops
/// one that was deleted. Batches leave the selection alone. While a thumbnail is on its way the
/// cell shows a busy mark over the old picture; a failed render marks the cell and says why in
/// its tooltip and in the status line.
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
    /// at `indices`, in the background. As a command (`command`) it is an undoable step of its
    /// own and takes over those textures from batches started before; otherwise (thumbnails of
    /// new textures) the pictures go into the textures as part of the steps that brought them
    /// in.
    void StartBatch(const std::vector<int>& indices, bool composite, bool layers, bool command);
    /// The renders of the thumbnails of `ids` are dropped (the user cleared them).
    void Drop(const std::vector<TextureId>& ids);

    /// Whether a thumbnail of the texture with `id`, as the catalog holds it, is on its way.
    bool IsRendering(TextureId id) const;
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
    /// Textures of the catalog whose thumbnails a stopped batch left unrendered.
    int RestCount() const;
    /// Renders them, as the stopped batch would have.
    void RenderRest();

signals:
    /// A batch started, moved on or ended, or the summary went.
    void batchesChanged();
    /// A remark for the status line (why a thumbnail could not be rendered).
    void statusMessage(const QString& text);

private:
    struct Single;
    class Batch;
    /// What a stopped batch left, for Render the Rest.
    struct Rest {
        std::vector<TextureId> ids;
        bool composite = true;
        bool layers = true;
    };

    void SingleEnded(Single* single);
    void BatchEnded(Batch* batch);
    void OnTextureReplaced(int index);
    /// Batch marks: the texture's cell shows it busy while a batch has work for it.
    void Pend(TextureId id);
    void Unpend(TextureId id);
    void MarkChanged(TextureId id);
    void ShowFailure(TextureId id, int layer, const RenderResult& result);
    /// A picture that joins no step: the catalog changes all the same.
    void TakeWithoutStep(int index, int layer, Bitmap& picture);
    std::vector<int> IndicesOf(const std::vector<TextureId>& ids) const;

    CatalogDocument& m_document;
    RenderQueue& m_queue;
    std::vector<std::unique_ptr<Single>> m_singles;
    std::vector<std::unique_ptr<Batch>> m_batches;
    std::unordered_map<TextureId, int> m_pending;
    std::optional<BatchSummary> m_summary;
    Rest m_rest;
};
