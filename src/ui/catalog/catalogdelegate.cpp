#include "ui/catalog/catalogdelegate.h"

#include "core/catalog/catalog.h"
#include "core/catalog/celllayout.h"
#include "paint/catalogpainter.h"
#include "ui/catalog/catalogmodel.h"

#include <QAbstractProxyModel>
#include <QPaintDevice>
#include <QPainter>
#include <algorithm>
#include <cmath>

namespace {
/// The thumbnail stands this far below the top of its cell.
constexpr int kThumbnailTop = 10;
/// A change to more rows than this empties the cache rather than looking up each texture.
constexpr int kMaxRowsDropped = 256;
} // namespace

CatalogDelegate::CatalogDelegate(QObject* parent)
    : QAbstractItemDelegate(parent), m_sharp(new SharpThumbnails(ThumbnailDiskCache(), this)) {
    connect(m_sharp, &SharpThumbnails::arrived, this, [this](TextureId id) {
        m_cache.Drop(id);
        emit pictureChanged(id);
    });
    connect(m_sharp, &SharpThumbnails::forgotten, this, [this](TextureId id) { m_cache.Drop(id); });
}

void CatalogDelegate::SetThumbnailSize(QSize size, double scale) {
    if (size != m_thumbnailSize || scale != m_scale)
        m_cache.Clear();
    m_thumbnailSize = size;
    m_scale = scale;
}

QPixmap CatalogDelegate::Picture(const QModelIndex& index, double pixelRatio) const {
    const QVariant id = index.data(CatalogModel::TextureIdRole);
    const QSize own = index.data(CatalogModel::ThumbnailSizeRole).toSize();
    const QSize drawn(static_cast<int>(std::lround(own.width() * m_scale)),
                      static_cast<int>(std::lround(own.height() * m_scale)));
    if (!id.isValid() || drawn.isEmpty())
        return {};
    Watch(index.model());
    const QSize pixels(static_cast<int>(std::lround(drawn.width() * pixelRatio)),
                       static_cast<int>(std::lround(drawn.height() * pixelRatio)));
    const bool sharp = pixels.width() > own.width() || pixels.height() > own.height();
    const QSize size = sharp ? pixels : drawn;
    QPixmap picture = m_cache.Find(id.toULongLong(), size);
    if (!picture.isNull())
        return picture;
    QImage image = index.data(CatalogModel::ThumbnailRole).value<QImage>();
    if (image.isNull())
        return {};
    if (sharp)
        if (QImage larger = SharpPicture(index, pixels); !larger.isNull())
            image = std::move(larger);
    // Averaging when shrinking and interpolating when growing keeps thumbnails smooth.
    picture = QPixmap::fromImage(
        image.size() == size ? image
                             : image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    if (sharp)
        picture.setDevicePixelRatio(pixelRatio);
    m_cache.Insert(id.toULongLong(), picture);
    return picture;
}

QImage CatalogDelegate::SharpPicture(const QModelIndex& index, QSize pixels) const {
    QModelIndex source = index;
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(source.model()))
        source = proxy->mapToSource(source);
    const auto* model = qobject_cast<const CatalogModel*>(source.model());
    if (!model || !source.isValid() || source.row() >= model->Contents().GetCount())
        return {};
    const Texture& texture = model->Contents().GetTexture(source.row());
    if (!texture.GetRefusal().empty() || texture.Thumbnail().IsEmpty())
        return {};
    // The thumbnail's shape, at the smallest size that covers the cell.
    const int longer = std::max(texture.Thumbnail().Width(), texture.Thumbnail().Height());
    const int side = ThumbnailDiskCache::SizeFor(std::max(pixels.width(), pixels.height()));
    auto fitted = [&](int length) {
        return std::max(1, static_cast<int>(std::lround(1.0 * side * length / longer)));
    };
    const QSize size(fitted(texture.Thumbnail().Width()), fitted(texture.Thumbnail().Height()));
    return m_sharp->Find(texture, size);
}

void CatalogDelegate::Watch(const QAbstractItemModel* model) const {
    while (const auto* proxy = qobject_cast<const QAbstractProxyModel*>(model))
        model = proxy->sourceModel();
    if (!model || model == m_watched)
        return;
    if (m_watched)
        disconnect(m_watched, nullptr, this, nullptr);
    m_cache.Clear();
    m_watched = model;
    connect(
        model, &QAbstractItemModel::dataChanged, this,
        [this, model](const QModelIndex& top, const QModelIndex& bottom, const QList<int>& roles) {
            if (roles.isEmpty() || roles.contains(CatalogModel::ThumbnailRole))
                DropRows(model, top.row(), bottom.row());
        });
    connect(
        model, &QAbstractItemModel::rowsInserted, this,
        [this, model](const QModelIndex&, int first, int last) { DropRows(model, first, last); });
    connect(model, &QAbstractItemModel::modelReset, this, [this] { m_cache.Clear(); });
    connect(model, &QObject::destroyed, this, [this] {
        m_cache.Clear();
        m_watched = nullptr;
    });
}

void CatalogDelegate::DropRows(const QAbstractItemModel* model, int first, int last) const {
    if (last - first >= kMaxRowsDropped) {
        m_cache.Clear();
        return;
    }
    for (int row = first; row <= last; ++row)
        m_cache.Drop(model->index(row, 0).data(CatalogModel::TextureIdRole).toULongLong());
}

void CatalogDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    const QRect& rect = option.rect;
    const CellRect cell{rect.left(), rect.top(), rect.right() + 1, rect.bottom() + 1};
    CellContents contents{{},
                          index.data(Qt::DisplayRole).toString(),
                          index.data(CatalogModel::SelectedRole).toBool(),
                          Picture(index, painter->device()->devicePixelRatioF())};
    if (contents.picture.isNull() && !index.data(CatalogModel::TextureIdRole).isValid())
        contents.thumbnail = index.data(CatalogModel::ThumbnailRole).value<QImage>();
    painter->save();
    painter->setFont(option.font);
    CatalogPainter::PaintCellContents(*painter, cell, m_thumbnailSize, m_scale, contents, m_route);
    const auto state = static_cast<CatalogModel::ThumbnailState>(
        index.data(CatalogModel::ThumbnailStateRole).toInt());
    if (state != CatalogModel::Shown) {
        // Over the thumbnail's top right corner, where the old picture stays visible.
        const QPoint corner(rect.left() + (rect.width() - m_thumbnailSize.width()) / 2 +
                                m_thumbnailSize.width(),
                            rect.top() + kThumbnailTop);
        PaintMark(*painter, corner, state);
    }
    painter->restore();
}

void CatalogDelegate::PaintMark(QPainter& painter, QPoint corner,
                                CatalogModel::ThumbnailState state) {
    const int size = std::clamp(painter.fontMetrics().height() + 4, 14, 28);
    const QRectF badge(corner.x() - size - 3, corner.y() + 3, size, size);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(64, 64, 64), 1));
    if (state == CatalogModel::Rendering) {
        // A small clock: a thumbnail is on its way.
        painter.setBrush(QColor(255, 255, 224));
        painter.drawEllipse(badge);
        const QPointF centre = badge.center();
        painter.setPen(QPen(QColor(32, 32, 32), 1.6, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre, centre + QPointF(0, -size * 0.32));
        painter.drawLine(centre, centre + QPointF(size * 0.24, 0));
    } else {
        // A red sign: the last render failed (the tooltip says why).
        painter.setBrush(QColor(200, 0, 0));
        painter.drawEllipse(badge);
        QFont font = painter.font();
        font.setBold(true);
        font.setPixelSize(std::max(8, size - 4));
        painter.setFont(font);
        painter.setPen(Qt::white);
        painter.drawText(badge, Qt::AlignCenter, QStringLiteral("!"));
    }
}

QSize CatalogDelegate::sizeHint(const QStyleOptionViewItem&, const QModelIndex&) const {
    const CellRect cell =
        CellLayout(1, m_thumbnailSize.width(), m_thumbnailSize.height(), 0).Cell(0);
    return {cell.right - cell.left, cell.bottom - cell.top};
}
