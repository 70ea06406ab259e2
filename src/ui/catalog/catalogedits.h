#pragma once

#include "core/bitmap/bitmap.h"
#include "core/model/texture.h"

#include <QUndoCommand>
#include <functional>
#include <memory>
#include <vector>

class CatalogDocument;

/// "3 Textures", "1 Texture": a count with its noun, for the names of steps.
QString CountOf(int count, const QString& noun);
/// "12 of 1,989 textures", "0 of 1 texture": numbers written as English writes them.
QString PartOfTextures(qint64 part, qint64 total);

/// Textures a step keeps out of the catalog, known to the document while kept: a picture
/// rendered for one of them goes into it, so it comes with the texture when the step brings it
/// back.
class KeptTextures {
public:
    explicit KeptTextures(CatalogDocument& document) : m_document(document) {}
    ~KeptTextures();
    KeptTextures(const KeptTextures&) = delete;
    KeptTextures& operator=(const KeptTextures&) = delete;

    void Hold(std::vector<std::unique_ptr<Texture>> textures);
    void Hold(std::unique_ptr<Texture> texture);
    /// Hands the textures over; they are no longer kept.
    std::vector<std::unique_ptr<Texture>> Release();
    /// Offers the textures to `put`, which takes them when it succeeds (true) and leaves them
    /// otherwise; kept textures stay kept.
    bool PutBack(const std::function<bool(std::vector<std::unique_ptr<Texture>>&)>& put);

private:
    CatalogDocument& m_document;
    std::vector<std::unique_ptr<Texture>> m_textures;
};

/// Textures put into a catalog (New, Paste, a drop from another window). While undone the step
/// holds the textures themselves.
class InsertTexturesEdit : public QUndoCommand {
public:
    /// Texture k goes to `positions[k]` (ascending, in the grown list); with `select` the
    /// newcomers become the selection. The textures are new to the catalog: each gets an id of
    /// its own (a pasted copy is another texture than the one it was copied from).
    InsertTexturesEdit(CatalogDocument& document, const QString& text, std::vector<int> positions,
                       std::vector<std::unique_ptr<Texture>> textures, bool select);
    void redo() override;
    void undo() override;

private:
    CatalogDocument& m_document;
    std::vector<int> m_positions;
    KeptTextures m_textures;
    bool m_select;
};

/// Textures taken out of a catalog (Delete, Cut). The step keeps the removed textures, moved
/// out of the catalog, and Undo puts them back where they stood, selected.
class RemoveTexturesEdit : public QUndoCommand {
public:
    RemoveTexturesEdit(CatalogDocument& document, const QString& text, std::vector<int> indices);
    void redo() override;
    void undo() override;

private:
    CatalogDocument& m_document;
    std::vector<int> m_indices;
    KeptTextures m_textures;
};

/// A texture changed by its editor (Modify): the step holds the texture that is not in the
/// catalog, the old one after redo and the new one after undo.
class ReplaceTextureEdit : public QUndoCommand {
public:
    ReplaceTextureEdit(CatalogDocument& document, const QString& text, int index,
                       std::unique_ptr<Texture> texture);
    void redo() override;
    void undo() override;

private:
    void Swap();

    CatalogDocument& m_document;
    int m_index;
    KeptTextures m_texture;
};

/// Thumbnails changed in place (Clear Thumbnail(s), Render Thumbnail(s)): the step holds the
/// pictures that are not shown and exchanges them with the textures' own. It knows the
/// textures by id, not by place, so a batch's pictures can join it as they come, whatever
/// happened to the order meanwhile; undoing brings back the state it was made in, where they
/// all stand in the catalog. Its name counts the pictures it holds ("Clear 3 Thumbnails").
class ThumbnailsEdit : public QUndoCommand {
public:
    struct Picture {
        TextureId texture; ///< a texture of the catalog
        int layer;         ///< -1 for the composite thumbnail
        Bitmap picture;    ///< the picture the texture does not hold now
    };
    /// With `done` the change has been made already and the pictures are the former ones; else
    /// the pictures are the new ones and the first redo puts them in. `verb` begins the name.
    ThumbnailsEdit(CatalogDocument& document, QString verb, std::vector<Picture> pictures,
                   bool done);
    ~ThumbnailsEdit() override;
    void redo() override;
    void undo() override;

    /// A batch's step takes in the steps of pictures pushed for it while it is the newest
    /// (and goes, holding nothing, when an empty one is pushed for it); others merge with
    /// nothing.
    void SetMerging() { m_merging = true; }
    /// This step is pushed to join `step`.
    void MergeInto(const ThumbnailsEdit* step) {
        m_merging = true;
        m_into = step;
    }
    int id() const override;
    bool mergeWith(const QUndoCommand* other) override;

    /// Whether the change is made (the step was done last, not undone).
    bool IsDone() const { return m_done; }
    bool IsEmpty() const { return m_pictures.empty(); }
    /// A new picture for a texture of the catalog joins the step: shown now when the step is
    /// done, else kept for its redo.
    void AddPicture(TextureId texture, int layer, Bitmap picture);
    /// A batch's step is named after the textures whose thumbnails have all come into it, as
    /// the batch counts them ("Render 3 Thumbnails" with their layers' pictures too).
    void CountTextures(int count) {
        m_textures = count;
        Rename();
    }
    /// `undone` is called when the step is undone, `gone` when the stack lets it go.
    void SetHandlers(std::function<void()> undone, std::function<void()> gone);

private:
    void Swap();
    void Rename();

    CatalogDocument& m_document;
    QString m_verb;
    std::vector<Picture> m_pictures;
    bool m_skipRedo;
    bool m_done = false;
    bool m_merging = false;
    int m_textures = -1; ///< the textures it is named after; -1: its pictures name it
    const ThumbnailsEdit* m_into = nullptr;
    std::function<void()> m_undone;
    std::function<void()> m_gone;
};

/// Textures moved to another place in the same catalog (a drag within the window).
class MoveTexturesEdit : public QUndoCommand {
public:
    /// Moves the textures at `indices` (ascending) so that they stand, in order, before the
    /// texture that is at `destination` now (the catalog's count: at the end).
    MoveTexturesEdit(CatalogDocument& document, const QString& text, std::vector<int> indices,
                     int destination);
    void redo() override;
    void undo() override;
    /// Whether the move changes the order at all.
    bool ChangesOrder() const;

private:
    CatalogDocument& m_document;
    std::vector<int> m_indices;
    std::vector<int> m_targets; ///< where the moved textures stand afterwards
};
