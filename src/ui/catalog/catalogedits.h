#pragma once

#include "core/bitmap/bitmap.h"

#include <QUndoCommand>
#include <memory>
#include <vector>

class CatalogDocument;
class Texture;

/// "3 Textures", "1 Texture": a count with its noun, for the names of steps.
QString CountOf(int count, const QString& noun);

/// Textures put into a catalog (New, Paste, a drop from another window). While undone the step
/// holds the textures themselves.
class InsertTexturesEdit : public QUndoCommand {
public:
    /// Texture k goes to `positions[k]` (ascending, in the grown list); with `select` the
    /// newcomers become the selection.
    InsertTexturesEdit(CatalogDocument& document, const QString& text, std::vector<int> positions,
                       std::vector<std::unique_ptr<Texture>> textures, bool select);
    void redo() override;
    void undo() override;

private:
    CatalogDocument& m_document;
    std::vector<int> m_positions;
    std::vector<std::unique_ptr<Texture>> m_textures;
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
    std::vector<std::unique_ptr<Texture>> m_textures;
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
    std::unique_ptr<Texture> m_texture;
};

/// Thumbnails changed in place (Clear Thumbnail(s), Render Thumbnail(s)): the step holds the
/// pictures that are not shown and exchanges them with the textures' own.
class ThumbnailsEdit : public QUndoCommand {
public:
    struct Picture {
        int texture;    ///< catalog index
        int layer;      ///< -1 for the composite thumbnail
        Bitmap picture; ///< the picture the texture does not hold now
    };
    /// With `done` the change has been made already and the pictures are the former ones; else
    /// the pictures are the new ones and the first redo puts them in.
    ThumbnailsEdit(CatalogDocument& document, const QString& text, std::vector<Picture> pictures,
                   bool done);
    void redo() override;
    void undo() override;

private:
    void Swap();

    CatalogDocument& m_document;
    std::vector<Picture> m_pictures;
    bool m_skipRedo;
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
