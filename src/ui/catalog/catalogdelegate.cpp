#include "ui/catalog/catalogdelegate.h"

#include "core/catalog/celllayout.h"
#include "paint/catalogpainter.h"
#include "ui/catalog/catalogmodel.h"

#include <QPainter>

CatalogDelegate::CatalogDelegate(QObject* parent) : QAbstractItemDelegate(parent) {}

void CatalogDelegate::SetThumbnailSize(QSize size, double scale) {
    m_thumbnailSize = size;
    m_scale = scale;
}

void CatalogDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QRect& rect = option.rect;
    const CellRect cell{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    const CellContents contents{index.data(CatalogModel::ThumbnailRole).value<QImage>(),
                                index.data(Qt::DisplayRole).toString(),
                                index.data(CatalogModel::SelectedRole).toBool()};
    painter->save();
    painter->setFont(option.font);
    CatalogPainter::PaintCellContents(*painter, cell, m_thumbnailSize, m_scale, contents, m_route);
    painter->restore();
}

QSize CatalogDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    const CellRect cell =
        CellLayout(1, m_thumbnailSize.width(), m_thumbnailSize.height(), 0).Cell(0);
    return {cell.right - cell.left, cell.bottom - cell.top};
}
