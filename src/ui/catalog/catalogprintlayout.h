#pragma once

#include "core/catalog/celllayout.h"

#include <QFont>
#include <QRect>
#include <QString>
#include <vector>

class Catalog;
class QPainter;

/// The catalog grid on paper: the window's cell layout at the window's physical size (a
/// window pixel is a 96th of an inch), as many rows on a page as fit below a header with the
/// catalog's name and the page number, names in the window's font at the printer's resolution.
class CatalogPrintLayout {
public:
    /// `page` is the printable area in device pixels (painting starts at its top-left corner),
    /// `resolution` the device's dots per inch; `shown` the textures to print (null: all).
    CatalogPrintLayout(const Catalog& catalog, const std::vector<int>* shown, const QString& title,
                       const QFont& font, const QRect& page, int resolution);

    int PageCount() const { return m_pages; }
    /// Paints page `page` (from 0) with the painter's origin at the printable area's corner.
    void PaintPage(QPainter& painter, int page) const;

private:
    const Catalog& m_catalog;
    const std::vector<int>* m_shown;
    QString m_title;
    QFont m_font;
    double m_scale; ///< device pixels per window pixel
    int m_width;    ///< page width in window pixels
    int m_header;   ///< header height in window pixels
    CellLayout m_layout;
    int m_rowsPerPage = 1;
    int m_pages = 1;
};
