#include "ui/texmap/texturemapview.h"

#include "paint/bitmapimage.h"
#include "ui/texmap/texturemapactions.h"
#include "ui/texmap/texturemapdocument.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

TextureMapView::TextureMapView(TextureMapDocument& document, QWidget* parent) : QAbstractScrollArea(parent), m_document(document) {
    // Outside the picture the window shows its normal background, not the white of an edit area.
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    connect(&m_document, &TextureMapDocument::contentsChanged, this, &TextureMapView::OnContentsChanged);
    OnContentsChanged();
    m_actions = new TextureMapActions(*this);
    connect(this, &TextureMapView::commandStateChanged, this, &TextureMapView::UpdateCommands);
}

Document& TextureMapView::ViewedDocument() const { return m_document; }
QList<ViewMenu> TextureMapView::Menus() const { return m_actions->Menus(); }
void TextureMapView::UpdateCommands() {
    if (m_actions)
        m_actions->Update();
}

void TextureMapView::OnShowTiling() {
    m_showTiling = !m_showTiling;
    viewport()->update();
    emit commandStateChanged();
}

void TextureMapView::ApplyTileMethod(TileMethod method) {
    // The document tells every view of it (this one too) through contentsChanged.
    m_document.ApplyTileMethod(method);
}

void TextureMapView::OnContentsChanged() {
    m_picture = BitmapToImage(m_document.Image());
    m_pixmap = m_route == BitmapDrawRoute::Video ? QPixmap::fromImage(m_picture) : QPixmap();
    UpdateScrollBars();
    viewport()->update();
    // The tile method lives in the document, so another window of the same map may have changed it.
    emit commandStateChanged();
}

void TextureMapView::UpdateScrollBars() {
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

void TextureMapView::paintEvent(QPaintEvent*) {
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

void TextureMapView::SetDrawRoute(BitmapDrawRoute route) {
    m_route = route;
    m_pixmap = m_route == BitmapDrawRoute::Video ? QPixmap::fromImage(m_picture) : QPixmap();
    viewport()->update();
}

void TextureMapView::DrawPicture(QPainter& painter, int x, int y) const {
    if (m_route == BitmapDrawRoute::Video && !m_pixmap.isNull())
        painter.drawPixmap(x, y, m_pixmap);
    else
        painter.drawImage(x, y, m_picture);
}

void TextureMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    UpdateScrollBars();
}

void TextureMapView::scrollContentsBy(int, int) { viewport()->update(); }

void TextureMapView::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::PaletteChange)
        viewport()->update();
}

void TextureMapView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

QSize TextureMapView::viewportSizeHint() const {
    return m_picture.isNull() ? QAbstractScrollArea::viewportSizeHint() : m_picture.size();
}
