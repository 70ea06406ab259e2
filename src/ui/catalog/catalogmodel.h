#pragma once

#include "core/model/texture.h"

#include <QAbstractListModel>
#include <QString>
#include <functional>
#include <memory>
#include <span>
#include <unordered_map>
#include <vector>

class Bitmap;
class Catalog;

/// The textures of a catalog as Qt's item views see them: one row per texture, in catalog
/// order, with its name, description, kind and thumbnail. Every change to the textures goes
/// through the model, so that views hear of it by its signals: a replaced texture or thumbnail
/// as changed data, textures put in, taken out or moved as rows. The catalog's selection flags
/// stay the selection that commands and renders act on; the model says when they change.
/// Textures are known by their TextureId: the model finds the row of an id.
class CatalogModel : public QAbstractListModel {
    Q_OBJECT
public:
    enum Role {
        DescriptionRole = Qt::UserRole + 1,
        KindRole,             ///< TextureKind, as int
        ThumbnailRole,        ///< QImage, null when the texture has no picture
        ThumbnailStateRole,   ///< ThumbnailState
        ThumbnailProblemRole, ///< why the last render of the thumbnail failed
        SelectedRole,         ///< the catalog's selection flag
        SearchTextRole,       ///< name and description, what Find looks in
        TextureIdRole,        ///< the texture's TextureId, as qulonglong
        ThumbnailSizeRole,    ///< QSize of the thumbnail, without converting its pixels
    };
    /// What is going on with a texture's thumbnail, for renders that run in the background.
    enum ThumbnailState { Shown, Rendering, Failed };

    explicit CatalogModel(Catalog& catalog, QObject* parent = nullptr);
    ~CatalogModel() override;

    const Catalog& Contents() const { return m_catalog; }

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    QHash<int, QByteArray> roleNames() const override;
    QStringList mimeTypes() const override;
    /// The textures as a catalog file of their own, and their source text for text editors.
    QMimeData* mimeData(const QModelIndexList& indexes) const override;
    Qt::DropActions supportedDragActions() const override;
    Qt::DropActions supportedDropActions() const override;

    /// Textures dragged between catalog windows: the bytes of a catalog file holding them.
    static const char* const kTextureMimeType;

    // Changes to the textures, each announced to the views. Indices are catalog indices.

    /// Takes the textures at `indices` (strictly ascending) out and hands them over in order.
    std::vector<std::unique_ptr<Texture>> TakeTextures(std::span<const int> indices);
    /// Puts `textures` in so that texture k stands at `positions[k]` (strictly ascending, in the
    /// grown list); with `select` the newcomers are selected. False, changing nothing, when the
    /// positions do not fit.
    bool InsertTextures(std::span<const int> positions,
                        std::vector<std::unique_ptr<Texture>>&& textures, bool select);
    /// Puts `texture` in the place of the one at `index` and hands back the one that was there.
    std::unique_ptr<Texture> ReplaceTexture(int index, std::unique_ptr<Texture> texture);
    /// Moves the textures at `from` (strictly ascending) to stand at `to` (strictly ascending,
    /// counted after the move), keeping their order; they become the selection.
    void MoveTextures(std::span<const int> from, std::span<const int> to);
    /// Exchanges the thumbnail of texture `index` (its composite for layer -1, else that
    /// layer's) with `picture`.
    void SwapThumbnail(int index, int layer, Bitmap& picture);
    /// Texture `index` was changed in place (a batch took its thumbnail or deselected it).
    void TextureChanged(int index);
    /// Replaces every texture at once (a file was read); nothing is selected afterwards.
    void ResetContents(Catalog&& catalog);
    /// The catalog was changed without the model: views read it again from the start.
    void Refresh();

    // The selection flags.

    /// Selects the textures at `on` and deselects those at `off`, telling the windows once.
    void ChangeSelection(std::span<const int> on, std::span<const int> off);
    void DeselectAll();

    // Thumbnail states, for renders that run while the user goes on working.

    /// Tells whether a thumbnail of a texture is being rendered (the render keeper knows).
    void SetRenderingProbe(std::function<bool(TextureId)> probe) { m_rendering = std::move(probe); }
    /// Texture `index`'s thumbnail started or stopped being rendered.
    void RenderingChanged(int index);
    /// Marks texture `index`'s last thumbnail render as failed, saying why (empty: it no longer
    /// is); the mark goes with the texture when rows move and is dropped when it leaves.
    void SetThumbnailProblem(int index, const QString& problem);
    /// Rendering while a render of it is on its way, else Failed after a failed one.
    ThumbnailState StateOf(int index) const;

    /// The index of the texture with `id` in the catalog, -1 when it holds none.
    int RowOf(TextureId id) const;

signals:
    /// Texture `index` was put in the place of another with the same id (an edit, or its undo).
    void textureReplaced(int index);
    /// The selection flags of textures `first` to `last` may have changed.
    void selectionFlagsChanged(int first, int last);

private:
    struct Block {
        int first;
        int last;
    };
    /// Ascending indices as runs of neighbours.
    static std::vector<Block> Blocks(std::span<const int> indices);
    void MoveScattered(std::span<const int> from, std::span<const int> to);
    /// The rows moved, came or went: the ids' rows are looked up afresh when next asked.
    void RowsChanged() { m_rows.clear(); }

    Catalog& m_catalog;
    std::unordered_map<TextureId, QString> m_problems;
    std::function<bool(TextureId)> m_rendering;
    mutable std::unordered_map<TextureId, int> m_rows; ///< empty until asked after a change
};
