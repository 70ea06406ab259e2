#include "ui/catalog/catalogprintlayout.h"

#include "core/catalog/catalog.h"
#include "paint/catalogpainter.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {

constexpr double kWindowDpi = 96.0;

/// The font in window pixels (a point is 96/72 of a window pixel).
QFont WindowFont(const QFont& font) {
    QFont result(font);
    const double pixels =
        font.pointSizeF() > 0 ? font.pointSizeF() * kWindowDpi / 72.0 : font.pixelSize();
    result.setPixelSize(std::max(1, static_cast<int>(std::lround(pixels))));
    return result;
}

int ShownCount(const Catalog& catalog, const std::vector<int>* shown) {
    return shown ? static_cast<int>(shown->size()) : catalog.GetCount();
}

} // namespace

CatalogPrintLayout::CatalogPrintLayout(const Catalog& catalog, const std::vector<int>* shown,
                                       const QString& title, const QFont& font, const QRect& page,
                                       int resolution)
    : m_catalog(catalog), m_shown(shown), m_title(title), m_font(WindowFont(font)),
      m_scale(std::max(1, resolution) / kWindowDpi),
      m_width(std::max(1, static_cast<int>(page.width() / m_scale))),
      m_header(static_cast<int>(std::ceil(QFontMetricsF(m_font).height() * 2))),
      m_layout(ShownCount(catalog, shown), catalog.GetThumbnailWidth(),
               catalog.GetThumbnailHeight(), m_width) {
    const int height = static_cast<int>(page.height() / m_scale) - m_header;
    m_rowsPerPage = m_layout.RowsWithin(height);
    m_pages = std::max(1, (m_layout.Rows() + m_rowsPerPage - 1) / m_rowsPerPage);
}

void CatalogPrintLayout::PaintPage(QPainter& painter, int page) const {
    painter.save();
    painter.scale(m_scale, m_scale);
    painter.setFont(m_font);
    painter.setPen(Qt::black);

    // Header: the catalog's name at the left, the page number at the right, a rule below.
    const QFontMetricsF metrics(m_font);
    const QRectF line(0, 0, m_width, metrics.height());
    painter.drawText(line, Qt::AlignLeft | Qt::AlignVCenter, m_title);
    painter.drawText(line, Qt::AlignRight | Qt::AlignVCenter,
                     QStringLiteral("Page %1").arg(page + 1));
    painter.drawLine(QPointF(0, metrics.height() * 1.4), QPointF(m_width, metrics.height() * 1.4));

    // The rows of this page, placed as the first rows of a window are.
    const int firstRow = page * m_rowsPerPage;
    const int lastRow = std::min(m_layout.Rows(), firstRow + m_rowsPerPage);
    painter.translate(0, m_header - m_layout.RowTop(firstRow) + m_layout.RowTop(0));
    CatalogPainter grid(m_catalog, BitmapDrawRoute::Direct, m_shown);
    grid.SetPaper(true);
    const int count = m_layout.Count();
    for (int position = firstRow * m_layout.Columns();
         position < std::min(count, lastRow * m_layout.Columns()); ++position)
        grid.PaintCell(painter, m_layout, position);
    painter.restore();
}
