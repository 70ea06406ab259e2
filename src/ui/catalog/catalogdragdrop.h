#pragma once

#include "core/catalog/celllayout.h"

#include <QRect>
#include <functional>

class AppServices;
class CatalogCommands;
class CatalogDocument;
class CatalogFilter;
class QAbstractItemView;
class QDragEnterEvent;
class QDragLeaveEvent;
class QDragMoveEvent;
class QDropEvent;
class QMimeData;

/// Drags from a catalog grid and drops on it. Selected textures are dragged to move them
/// within the window, to copy them into another catalog or to give their source text to an
/// editor. Textures dropped from elsewhere are copied in, and POV-Ray source dropped (.inc and
/// .pov files, or text that declares textures) is imported, where a bar between the cells shows.
class CatalogDragDrop {
public:
    /// Drags and drops on `grid`, which shows `shown` placed as `layout` gives; the commands
    /// move and copy in what is dropped.
    CatalogDragDrop(QAbstractItemView& grid, const CatalogFilter& shown,
                    std::function<CellLayout()> layout, CatalogDocument& document,
                    CatalogCommands& commands, AppServices& app);

    /// What a drag of the selected textures carries: the textures as a catalog file of their
    /// own, and their source text for text editors. Null when nothing is selected.
    QMimeData* DragData() const;
    void StartDrag();
    /// Drops dragged textures at a point of the viewport: moved when they come from this window
    /// (`fromHere`), else copied in. One undoable step; false when the data holds no textures.
    bool DropTextures(const QMimeData* data, const QPoint& position, bool fromHere);
    /// Imports the POV-Ray source a drop carries at a point of the viewport. False when it
    /// carries none.
    bool DropSource(const QMimeData* data, const QPoint& position);
    /// The bar where a drop would go, in grid coordinates; null while nothing is dragged over.
    QRect Marker() const { return m_marker; }

    // The view's drag and drop events.
    void Enter(QDragEnterEvent* event);
    void Move(QDragMoveEvent* event);
    void Leave(QDragLeaveEvent* event);
    void Drop(QDropEvent* event);

private:
    /// Where textures dropped at a viewport point go, as a catalog index (count: at the end).
    int DropIndex(const QPoint& position) const;
    QRect MarkerAt(const QPoint& position) const;
    /// The catalog index of grid row `row`.
    int ShownIndex(int row) const;
    int Offset() const;

    QAbstractItemView& m_grid;
    const CatalogFilter& m_shown;
    std::function<CellLayout()> m_layout;
    CatalogDocument& m_document;
    CatalogCommands& m_commands;
    AppServices& m_app;
    QRect m_marker;
    bool m_carriesSource = false; ///< the drag over the window brings source to import
};
