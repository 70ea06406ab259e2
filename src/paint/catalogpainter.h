#pragma once

#include "core/catalog/celllayout.h"
#include "paint/bitmapdraw.h"

#include <QColor>
#include <QRect>

class Catalog;
class QPainter;
class QImage;

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

    explicit CatalogPainter(const Catalog& catalog, BitmapDrawRoute route = BitmapDrawRoute::Direct)
        : m_catalog(catalog), m_route(route) {}

    /// Paints `area` (in the grid's own coordinates) of a window `clientWidth` pixels wide.
    void Paint(QPainter& painter, const QRect& area, int clientWidth) const;
    /// Paints one texture's cell of `layout`.
    void PaintCell(QPainter& painter, const CellLayout& layout, int index) const;

    CellLayout Layout(int clientWidth) const;

private:
    const Catalog& m_catalog;
    BitmapDrawRoute m_route;
};

/// A line from p to q that covers p and stops one pixel short of q (lines are horizontal or
/// vertical), the way the grid's frames are measured.
void DrawGridLine(QPainter& painter, int x1, int y1, int x2, int y2);
