#pragma once

#include "paint/bitmapdraw.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/sharpthumbnails.h"
#include "ui/catalog/thumbnailcache.h"

#include <QAbstractItemDelegate>
#include <QPoint>
#include <QSize>

/// Paints the cell of one texture in a catalog window through the catalog painter, the same
/// drawing as printed pages and sheets, with the thumbnail at the window's zoom. What a cell
/// shows comes from the model's roles: name, thumbnail and the catalog's selection flag, and a
/// small mark over the picture while a new thumbnail is on its way or after its render failed.
/// Pictures are kept ready at the zoom's size until their texture's thumbnail or the zoom
/// changes. Cells drawn at more pixels than the thumbnails have (zoomed in, or on a screen of
/// more pixels per point) take larger pictures from the disk cache once they are rendered.
class CatalogDelegate : public QAbstractItemDelegate {
    Q_OBJECT
public:
    explicit CatalogDelegate(QObject* parent = nullptr);

    /// The size thumbnails take in the grid, and how much their pictures are scaled to it.
    void SetThumbnailSize(QSize size, double scale);
    /// How pictures reach the screen (the "Use Video For Windows" setting).
    void SetRoute(BitmapDrawRoute route) { m_route = route; }

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

    /// How many pictures are kept ready to draw.
    std::size_t CachedPictures() const { return m_cache.Count(); }
    /// The larger pictures, and their renders.
    SharpThumbnails& Sharp() const { return *m_sharp; }

signals:
    /// Texture `id`'s cell has a sharper picture to show.
    void pictureChanged(TextureId id);

private:
    /// The picture of the cell at `pixelRatio` device pixels per pixel.
    QPixmap Picture(const QModelIndex& index, double pixelRatio) const;
    /// The larger picture for the cell, null while there is none.
    QImage SharpPicture(const QModelIndex& index, QSize pixels) const;
    /// Follows the changes of the model under `model`'s proxies, once per model.
    void Watch(const QAbstractItemModel* model) const;
    void DropRows(const QAbstractItemModel* model, int first, int last) const;
    static void PaintMark(QPainter& painter, QPoint corner, CatalogModel::ThumbnailState state);

    QSize m_thumbnailSize{120, 120};
    double m_scale = 1.0;
    BitmapDrawRoute m_route = BitmapDrawRoute::Pixmap;
    mutable ThumbnailCache m_cache;
    SharpThumbnails* m_sharp;
    mutable const QAbstractItemModel* m_watched = nullptr;
};
