#pragma once

#include "core/catalog/celllayout.h"
#include "paint/bitmapdraw.h"

#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QSize>
#include <QString>
#include <vector>

class Catalog;
class QPainter;

/// What the cell of one texture shows.
struct CellContents {
    QImage thumbnail; ///< null when the texture has no picture ("Not Rendered")
    QString name;
    bool selected = false;
    QPixmap picture; ///< the thumbnail already at the size drawn, used in its place if not null
};

/// Paints a catalog's grid: each texture's thumbnail in a sunken frame with its name below, a
/// selected texture in raised frames on a blue cell, "Not Rendered" where there is no picture.
/// Only the cells that meet the area being painted are drawn.
class CatalogPainter {
public:
    static inline const QColor kBackground{192, 192, 192};
    static inline const QColor kTextBackground{195, 195, 195};
    static inline const QColor kSelection{0, 0, 255};
    static inline const QColor kShadow{128, 128, 128};
    static inline const QColor kHighlight{255, 255, 255};
    static constexpr const char* kNotRendered = "Not Rendered";

    /// Paints every texture, or with `shown` only the textures of those indices, one after
    /// another in the grid.
    explicit CatalogPainter(const Catalog& catalog, BitmapDrawRoute route = BitmapDrawRoute::Direct,
                            const std::vector<int>* shown = nullptr)
        : m_catalog(catalog), m_route(route), m_shown(shown) {}

    /// Drawing for paper: no window background, white behind the names, no selection.
    void SetPaper(bool paper) { m_paper = paper; }

    /// Paints `area` (in the grid's own coordinates) of a window `clientWidth` pixels wide.
    void Paint(QPainter& painter, const QRect& area, int clientWidth) const;
    /// Paints the cell at grid position `position` of `layout`.
    void PaintCell(QPainter& painter, const CellLayout& layout, int position) const;

    CellLayout Layout(int clientWidth) const;

    /// Paints one texture's cell, `cell` in the painter's coordinates, its frames made for
    /// thumbnails of `thumbnailSize` and its picture drawn `scale` times its own size (smoothly
    /// scaled unless 1). Every cell of the window, of printed pages and of sheets is drawn
    /// here. On paper there is no selection and the names stand on white.
    static void PaintCellContents(QPainter& painter, const CellRect& cell, QSize thumbnailSize,
                                  double scale, const CellContents& contents, BitmapDrawRoute route,
                                  bool paper = false);

private:
    const Catalog& m_catalog;
    BitmapDrawRoute m_route;
    const std::vector<int>* m_shown;
    bool m_paper = false;
};

/// A line from p to q that covers p and stops one pixel short of q (lines are horizontal or
/// vertical), the way the grid's frames are measured.
void DrawGridLine(QPainter& painter, int x1, int y1, int x2, int y2);
