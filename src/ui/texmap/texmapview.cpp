#include "texmapview.h"

#include "paint/dibimage.h"
#include "texmapdoc.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

CTexMapView::CTexMapView(CTexMapDoc& document, QWidget* parent) : QAbstractScrollArea(parent), m_document(document) {
    // Outside the picture the window shows its normal background, not the white of an edit area.
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    connect(&m_document, &CTexMapDoc::contentsChanged, this, &CTexMapView::OnContentsChanged);
    OnContentsChanged();
}

int CTexMapView::TileMethod() const { return m_document.AppliedTileMethod(); }

void CTexMapView::OnShowTiling() {
    m_showTiling = !m_showTiling;
    viewport()->update();
    emit commandStateChanged();
}

void CTexMapView::OnTileNone() { ApplyTileMethod(CTexMapDoc::TileNone); }

void CTexMapView::OnTileEdgeFade() { ApplyTileMethod(CTexMapDoc::TileEdgeFade); }

void CTexMapView::OnTileMirror() { ApplyTileMethod(CTexMapDoc::TileMirror); }

void CTexMapView::ApplyTileMethod(int method) {
    // The document tells every view of it (this one too) through contentsChanged.
    m_document.ApplyTileMethod(method);
}

void CTexMapView::OnContentsChanged() {
    m_picture = DibToImage(m_document.Image());
    m_pixmap = m_route == DibDrawRoute::Video ? QPixmap::fromImage(m_picture) : QPixmap();
    UpdateScrollBars();
    viewport()->update();
    // The tile method lives in the document, so another window of the same map may have changed it.
    emit commandStateChanged();
}

void CTexMapView::UpdateScrollBars() {
    // The scrollable extent is the picture as shown, so after Mirror the whole doubled picture
    // can be scrolled into view.
    const QSize extent = m_picture.isNull() ? QSize(0, 0) : m_picture.size();
    const QSize page = viewport()->size();
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    horizontal->setRange(0, std::max(0, extent.width() - page.width()));
    horizontal->setPageStep(std::max(1, page.width()));
    horizontal->setSingleStep(std::max(1, page.width() / 10));
    vertical->setRange(0, std::max(0, extent.height() - page.height()));
    vertical->setPageStep(std::max(1, page.height()));
    vertical->setSingleStep(std::max(1, page.height() / 10));
}

void CTexMapView::paintEvent(QPaintEvent*) {
    if (m_picture.isNull())
        return;
    QPainter painter(viewport());
    painter.translate(-horizontalScrollBar()->value(), -verticalScrollBar()->value());
    if (!m_showTiling) {
        DrawPicture(painter, 0, 0);
        return;
    }
    // Enough copies, row by row, to cover the whole window.
    const int width = m_picture.width();
    const int height = m_picture.height();
    const QSize client = viewport()->size();
    const int across = (client.width() + width - 1) / width;
    const int down = (client.height() + height - 1) / height;
    for (int i = 0; i < down; ++i)
        for (int j = 0; j < across; ++j)
            DrawPicture(painter, j * width, i * height);
}

void CTexMapView::SetDrawRoute(DibDrawRoute route) {
    m_route = route;
    m_pixmap = m_route == DibDrawRoute::Video ? QPixmap::fromImage(m_picture) : QPixmap();
    viewport()->update();
}

void CTexMapView::DrawPicture(QPainter& painter, int x, int y) const {
    if (m_route == DibDrawRoute::Video && !m_pixmap.isNull())
        painter.drawPixmap(x, y, m_pixmap);
    else
        painter.drawImage(x, y, m_picture);
}

void CTexMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void CTexMapView::scrollContentsBy(int, int) { viewport()->update(); }

void CTexMapView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        viewport()->update();
}

void CTexMapView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

QSize CTexMapView::viewportSizeHint() const {
    return m_picture.isNull() ? QAbstractScrollArea::viewportSizeHint() : m_picture.size();
}
