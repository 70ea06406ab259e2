#include "paint/catalogpainter.h"

#include "core/catalog/catalog.h"
#include "core/model/texture.h"
#include "paint/bitmapimage.h"

#include <QFontMetrics>
#include <QPainter>
#include <cmath>

namespace {

/// Text drawn the way the grid draws it: the rectangle filled with the text background, the
/// text starting at (x, y) as its top-left corner, and nothing outside the rectangle.
void DrawOpaqueText(QPainter& painter, const QRect& clip, int x, int y, const QString& text,
                    const QColor& background) {
    painter.save();
    painter.setClipRect(clip, Qt::IntersectClip);
    painter.fillRect(clip, background);
    painter.setPen(Qt::black);
    painter.drawText(x, y + painter.fontMetrics().ascent(), text);
    painter.restore();
}

} // namespace

void DrawGridLine(QPainter& painter, int x1, int y1, int x2, int y2) {
    if (x1 == x2 && y1 == y2)
        return;
    // Stop one pixel short of the end point.
    const int endX = x2 - (x2 > x1 ? 1 : x2 < x1 ? -1 : 0);
    const int endY = y2 - (y2 > y1 ? 1 : y2 < y1 ? -1 : 0);
    painter.drawLine(x1, y1, endX, endY);
}

CellLayout CatalogPainter::Layout(int clientWidth) const {
    return ComputeCellLayout(m_shown ? static_cast<int>(m_shown->size()) : m_catalog.GetCount(),
                             m_catalog.GetThumbnailWidth(), m_catalog.GetThumbnailHeight(),
                             clientWidth);
}

void CatalogPainter::Paint(QPainter& painter, const QRect& area, int clientWidth) const {
    if (!m_paper)
        painter.fillRect(area, kBackground);
    if (m_catalog.GetCount() == 0)
        return;
    const CellLayout layout = Layout(clientWidth);
    const auto [first, last] = layout.IndicesMeeting(area.top(), area.bottom() + 1);
    for (int i = first; i < last; ++i)
        PaintCell(painter, layout, i);
}

void CatalogPainter::PaintCell(QPainter& painter, const CellLayout& layout, int position) const {
    const int index = m_shown ? (*m_shown)[static_cast<std::size_t>(position)] : position;
    const Texture& texture = m_catalog.GetTexture(index);
    PaintCellContents(painter, layout.Cell(position),
                      QSize(m_catalog.GetThumbnailWidth(), m_catalog.GetThumbnailHeight()), 1.0,
                      {BitmapToImage(texture.Thumbnail()),
                       QString::fromStdString(texture.GetName()),
                       m_catalog.IsSelected(index),
                       {}},
                      m_route, m_paper);
}

void CatalogPainter::PaintCellContents(QPainter& painter, const CellRect& cell, QSize thumbnailSize,
                                       double scale, const CellContents& contents,
                                       BitmapDrawRoute route, bool paper) {
    const int w = thumbnailSize.width();
    const int h = thumbnailSize.height();
    const int x = cell.left + (cell.right - cell.left - w) / 2;
    const int y = cell.top + 10;
    const QFontMetrics metrics = painter.fontMetrics();
    // A name wider than the thumbnail ends in "…"; the cell's tooltip has it whole.
    const QString name = metrics.elidedText(contents.name, Qt::ElideRight, w);
    const int tw = metrics.horizontalAdvance(name);
    const int th = metrics.height();
    const int ye = y + h + th + 5;
    const bool selected = !paper && contents.selected;
    const QColor& textBackground = paper ? kHighlight : kTextBackground;

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    if (selected)
        painter.fillRect(
            QRect(QPoint(cell.left, cell.top), QPoint(cell.right - 1, cell.bottom - 1)),
            kSelection);

    const QSize pictureSize(static_cast<int>(std::lround(contents.thumbnail.width() * scale)),
                            static_cast<int>(std::lround(contents.thumbnail.height() * scale)));
    const bool drawn =
        !contents.picture.isNull()
            ? (painter.drawPixmap(QPoint(x, y), contents.picture), true)
            : DrawImage(painter, contents.thumbnail, QRect(QPoint(x, y), pictureSize), route);
    if (!drawn) {
        const QString text = QString::fromLatin1(kNotRendered);
        const int nw = metrics.horizontalAdvance(text);
        const int nh = metrics.height();
        const QRect clip(QPoint(x + 2, y + h / 2 - nh / 2),
                         QPoint(x + w - 2 - 1, y + h / 2 + nh / 2 - 1));
        DrawOpaqueText(painter, clip, x + w / 2 - nw / 2, y + h / 2 - nh / 2, text,
                       selected ? kSelection : textBackground);
    }

    const QPen shadow(kShadow, 1);
    const QPen highlight(kHighlight, 1);
    if (selected) {
        painter.setPen(highlight);
        DrawGridLine(painter, x - 1, y - 1, x + w, y - 1);
        DrawGridLine(painter, x - 1, y - 1, x - 1, y + h);
        DrawGridLine(painter, x - 1, y + h + 4, x + w + 1, y + h + 4);
        DrawGridLine(painter, x - 1, y + h + 4, x - 1, ye);
        painter.setPen(shadow);
        DrawGridLine(painter, x + w, y + h, x + w, y - 1);
        DrawGridLine(painter, x + w, y + h, x - 1, y + h);
        DrawGridLine(painter, x + w, ye, x + w, y + h + 4);
        DrawGridLine(painter, x + w, ye, x - 2, ye);
    } else {
        painter.setPen(shadow);
        DrawGridLine(painter, x - 1, y - 1, x + w, y - 1);
        DrawGridLine(painter, x - 1, y - 1, x - 1, y + h);
        painter.setPen(highlight);
        DrawGridLine(painter, x + w, y + h, x + w, y - 1);
        DrawGridLine(painter, x + w, y + h, x - 1, y + h);
    }

    // The name, centred under the thumbnail.
    const QRect nameRect(QPoint(x, y + h + 5), QPoint(x + w - 1, y + h + th + 5 - 1));
    DrawOpaqueText(painter, nameRect, x + w / 2 - tw / 2, y + h + 5, name, textBackground);
    painter.restore();
}
