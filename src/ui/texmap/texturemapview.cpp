#include "ui/texmap/texturemapview.h"

#include "core/bitmap/bitmap.h"
#include "ui/framework/zoomsteps.h"
#include "ui/texmap/texturemapactions.h"
#include "ui/texmap/texturemapdocument.h"

#include <QEvent>
#include <QPainter>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>

namespace {

/// The rungs of Zoom In and Zoom Out.
const ZoomSteps& Steps() {
    static const ZoomSteps steps{1.0 / 64, 1.0 / 48, 1.0 / 32, 1.0 / 24, 1.0 / 16, 1.0 / 12,
                                 1.0 / 8,  1.0 / 6,  1.0 / 4,  1.0 / 3,  1.0 / 2,  2.0 / 3,
                                 1.0,      1.5,      2.0,      3.0,      4.0,      6.0,
                                 8.0,      12.0,     16.0};
    return steps;
}
/// One notch of a mouse wheel, in its eighths of a degree.
constexpr int kWheelNotch = 120;
/// Pictures up to this size get a copy ready for the screen on the video route; larger ones
/// are drawn from the document's own pixels, so a huge picture is held only once.
constexpr qsizetype kLargestPixmapBytes = qsizetype{64} << 20;

/// The document's picture as an image that shares its pixels, without a copy. It is taken
/// again whenever the document changes the picture (which it announces by contentsChanged).
QImage SharedImage(const Bitmap& dib) {
    if (dib.IsEmpty() || !dib.HasBits() || dib.Width() <= 0 || dib.Height() <= 0)
        return {};
    const std::size_t stride = Bitmap::Stride(dib.Width());
    const auto bits = dib.Bits();
    if (bits.size() < stride * static_cast<std::size_t>(dib.Height()))
        return {};
    return QImage(bits.data(), dib.Width(), dib.Height(), static_cast<qsizetype>(stride),
                  QImage::Format_BGR888);
}

} // namespace

TextureMapView::TextureMapView(TextureMapDocument& document, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document) {
    // Outside the picture the window shows its normal background, not the white of an edit area.
    viewport()->setBackgroundRole(QPalette::Window);
    viewport()->setAutoFillBackground(true);
    connect(&m_document, &TextureMapDocument::contentsChanged, this,
            &TextureMapView::OnContentsChanged);
    OnContentsChanged();
    m_actions = new TextureMapActions(*this);
    connect(this, &TextureMapView::commandStateChanged, this, [this] {
        UpdateCommands();
        NotifyStateChanged(); // the main window's zoom commands follow too
    });
}

Document& TextureMapView::ViewedDocument() const {
    return m_document;
}
QList<ViewMenu> TextureMapView::Menus() const {
    return m_actions->Menus();
}
bool TextureMapView::Supports(StandardCommand command) const {
    return command == StandardCommand::ZoomIn || command == StandardCommand::ZoomOut ||
           command == StandardCommand::ActualSize;
}

bool TextureMapView::CanRun(StandardCommand command) const {
    switch (command) {
    case StandardCommand::ZoomIn:
        return m_zoom < kMaximumZoom;
    case StandardCommand::ZoomOut:
        return m_zoom > kMinimumZoom;
    case StandardCommand::ActualSize:
        return true;
    default:
        return false;
    }
}

void TextureMapView::Run(StandardCommand command) {
    if (command == StandardCommand::ZoomIn)
        OnZoomIn();
    else if (command == StandardCommand::ZoomOut)
        OnZoomOut();
    else if (command == StandardCommand::ActualSize)
        OnActualSize();
}

void TextureMapView::UpdateCommands() {
    if (m_actions)
        m_actions->Update();
}

void TextureMapView::OnShowTiling() {
    m_showTiling = !m_showTiling;
    viewport()->update();
    emit commandStateChanged();
}

QSize TextureMapView::ShownSize() const {
    if (m_picture.isNull())
        return QSize(0, 0);
    // At least a pixel, so a tiny zoom of a thin picture still tiles.
    return QSize(std::max(1, static_cast<int>(std::lround(m_picture.width() * m_zoom))),
                 std::max(1, static_cast<int>(std::lround(m_picture.height() * m_zoom))));
}

double TextureMapView::FitZoom() const {
    if (m_picture.isNull())
        return 1.0;
    // The viewport without scroll bars: a fitting picture needs none.
    QSize room = maximumViewportSize();
    const double zoom = std::min(static_cast<double>(room.width()) / m_picture.width(),
                                 static_cast<double>(room.height()) / m_picture.height());
    return std::clamp(zoom, kMinimumZoom, kMaximumZoom);
}

void TextureMapView::SetZoom(double zoom, QPoint anchor) {
    zoom = std::clamp(zoom, kMinimumZoom, kMaximumZoom);
    QScrollBar* horizontal = horizontalScrollBar();
    QScrollBar* vertical = verticalScrollBar();
    // The picture point under the anchor, before and after.
    const double x = (horizontal->value() + anchor.x()) / m_zoom;
    const double y = (vertical->value() + anchor.y()) / m_zoom;
    m_zoom = zoom;
    UpdateScrollBars();
    horizontal->setValue(static_cast<int>(std::lround(x * m_zoom)) - anchor.x());
    vertical->setValue(static_cast<int>(std::lround(y * m_zoom)) - anchor.y());
    viewport()->update();
    emit commandStateChanged();
}

void TextureMapView::OnZoomToFit() {
    m_fit = true;
    SetZoom(FitZoom(), QPoint(0, 0));
}

void TextureMapView::OnActualSize() {
    m_fit = false;
    SetZoom(1.0, viewport()->rect().center());
}

void TextureMapView::OnZoomIn() {
    m_fit = false;
    SetZoom(Steps().In(m_zoom), viewport()->rect().center());
}

void TextureMapView::OnZoomOut() {
    m_fit = false;
    SetZoom(Steps().Out(m_zoom), viewport()->rect().center());
}

void TextureMapView::wheelEvent(QWheelEvent* event) {
    if (!(event->modifiers() & Qt::ControlModifier)) {
        QAbstractScrollArea::wheelEvent(event);
        return;
    }
    // Ctrl+wheel zooms about the mouse: a notch is a step of Zoom In or Zoom Out.
    m_wheelDelta += event->angleDelta().y();
    const QPoint anchor = event->position().toPoint();
    while (std::abs(m_wheelDelta) >= kWheelNotch) {
        const int direction = m_wheelDelta > 0 ? 1 : -1;
        m_wheelDelta -= direction * kWheelNotch;
        m_fit = false;
        SetZoom(Steps().Step(m_zoom, direction), anchor);
    }
    event->accept();
}

void TextureMapView::ApplyTileMethod(TileMethod method) {
    // The document tells every view of it (this one too) through contentsChanged.
    m_document.ApplyTileMethod(method);
}

void TextureMapView::OnContentsChanged() {
    m_picture = SharedImage(m_document.Image());
    MakePixmap();
    if (m_fit)
        m_zoom = FitZoom();
    UpdateScrollBars();
    viewport()->update();
    // The tile method lives in the document, so another window of the same map may have changed it.
    emit commandStateChanged();
}

void TextureMapView::UpdateScrollBars() {
    // The scrollable extent is the picture as shown, so after Mirror the whole doubled picture
    // can be scrolled into view, at the present zoom.
    const QSize extent = ShownSize();
    QSize page = viewport()->size();
    // A picture that fits the window without scroll bars needs none, even while they still show.
    const QSize room = maximumViewportSize();
    if (extent.width() <= room.width() && extent.height() <= room.height())
        page = room;
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
    const QSize shown = ShownSize();
    const int width = shown.width();
    const int height = shown.height();
    const QSize client = viewport()->size();
    const int across = (client.width() + width - 1) / width;
    const int down = (client.height() + height - 1) / height;
    for (int i = 0; i < down; ++i)
        for (int j = 0; j < across; ++j)
            DrawPicture(painter, j * width, i * height);
}

void TextureMapView::SetDrawRoute(BitmapDrawRoute route) {
    m_route = route;
    MakePixmap();
    viewport()->update();
}

void TextureMapView::MakePixmap() {
    const bool wanted =
        m_route == BitmapDrawRoute::Pixmap && m_picture.sizeInBytes() <= kLargestPixmapBytes;
    m_pixmap = wanted ? QPixmap::fromImage(m_picture) : QPixmap();
}

void TextureMapView::DrawPicture(QPainter& painter, int x, int y) const {
    if (m_zoom == 1.0) {
        if (m_route == BitmapDrawRoute::Pixmap && !m_pixmap.isNull())
            painter.drawPixmap(x, y, m_pixmap);
        else
            painter.drawImage(x, y, m_picture);
        return;
    }
    // Smaller pictures are smoothed; larger ones show their pixels as squares.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, m_zoom < 1.0);
    const QRect target(QPoint(x, y), ShownSize());
    if (m_route == BitmapDrawRoute::Pixmap && !m_pixmap.isNull())
        painter.drawPixmap(target, m_pixmap);
    else
        painter.drawImage(target, m_picture);
}

void TextureMapView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    const double before = m_zoom;
    if (m_fit && !m_picture.isNull())
        m_zoom = FitZoom();
    UpdateScrollBars();
    if (m_zoom != before)
        emit commandStateChanged(); // the zoom shown in the status bar follows
}

void TextureMapView::scrollContentsBy(int, int) {
    viewport()->update();
}

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
    return m_picture.isNull() ? QAbstractScrollArea::viewportSizeHint() : ShownSize();
}
