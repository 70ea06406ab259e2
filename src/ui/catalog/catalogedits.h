#pragma once

#include "core/bitmap/bitmap.h"

#include <QUndoCommand>
#include <functional>
#include <memory>
#include <vector>

class CatalogDocument;
class Texture;

/// "3 Textures", "1 Texture": a count with its noun, for the names of steps.
QString CountOf(int count, const QString& noun);
/// "12 of 1,989 textures", "0 of 1 texture": numbers written as English writes them.
QString PartOfTextures(qint64 part, qint64 total);

/// A step that keeps textures out of the catalog while it is done or undone. Pictures rendered
/// for a texture that a step holds go into that texture, so they come with it when the step
/// brings it back.
class TextureHolder {
public:
    virtual ~TextureHolder() = default;
    /// `texture` itself when the step holds it now, else null.
    virtual Texture* Holding(const Texture* texture) const = 0;
};

/// Textures put into a catalog (New, Paste, a drop from another window). While undone the step
/// holds the textures themselves.
class InsertTexturesEdit : public QUndoCommand, public TextureHolder {
public:
    /// Texture k goes to `positions[k]` (ascending, in the grown list); with `select` the
    /// newcomers become the selection. The textures are new to the catalog: each gets an id of
    /// its own (a pasted copy is another texture than the one it was copied from).
    InsertTexturesEdit(CatalogDocument& document, const QString& text, std::vector<int> positions,
                       std::vector<std::unique_ptr<Texture>> textures, bool select);
    void redo() override;
    void undo() override;
    Texture* Holding(const Texture* texture) const override;

private:
    CatalogDocument& m_document;
    std::vector<int> m_positions;
    std::vector<std::unique_ptr<Texture>> m_textures;
    bool m_select;
};

/// Textures taken out of a catalog (Delete, Cut). The step keeps the removed textures, moved
/// out of the catalog, and Undo puts them back where they stood, selected.
class RemoveTexturesEdit : public QUndoCommand, public TextureHolder {
public:
    RemoveTexturesEdit(CatalogDocument& document, const QString& text, std::vector<int> indices);
    void redo() override;
    void undo() override;
    Texture* Holding(const Texture* texture) const override;

private:
    CatalogDocument& m_document;
    std::vector<int> m_indices;
    std::vector<std::unique_ptr<Texture>> m_textures;
};

/// A texture changed by its editor (Modify): the step holds the texture that is not in the
/// catalog, the old one after redo and the new one after undo.
class ReplaceTextureEdit : public QUndoCommand, public TextureHolder {
public:
    ReplaceTextureEdit(CatalogDocument& document, const QString& text, int index,
                       std::unique_ptr<Texture> texture);
    void redo() override;
    void undo() override;
    Texture* Holding(const Texture* texture) const override;

private:
    void Swap();

    CatalogDocument& m_document;
    int m_index;
    std::unique_ptr<Texture> m_texture;
};

/// Thumbnails changed in place (Clear Thumbnail(s), Render Thumbnail(s)): the step holds the
/// pictures that are not shown and exchanges them with the textures' own. It knows the
/// textures themselves, not their places, so a batch's pictures can join it as they come,
/// whatever happened to the order meanwhile; undoing brings back the state it was made in,
/// where they all stand in the catalog.
class ThumbnailsEdit : public QUndoCommand {
public:
    struct Picture {
        const Texture* texture; ///< a texture of the catalog
        int layer;              ///< -1 for the composite thumbnail
        Bitmap picture;         ///< the picture the texture does not hold now
    };
    /// With `done` the change has been made already and the pictures are the former ones; else
    /// the pictures are the new ones and the first redo puts them in.
    ThumbnailsEdit(CatalogDocument& document, const QString& text, std::vector<Picture> pictures,
                   bool done);
    ~ThumbnailsEdit() override;
    void redo() override;
    void undo() override;

    /// Whether the change is made (the step was done last, not undone).
    bool IsDone() const { return m_done; }
    /// A new picture for a texture of the catalog joins the step: shown now when the step is
    /// done, else kept for its redo.
    void AddPicture(const Texture* texture, int layer, Bitmap picture);
    /// Called when the step goes (the stack let it go).
    void SetGoneHandler(std::function<void()> handler) { m_gone = std::move(handler); }

private:
    void Swap();

    CatalogDocument& m_document;
    std::vector<Picture> m_pictures;
    bool m_skipRedo;
    bool m_done = false;
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
