#include "ui/editors/colormapband.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>
#include <vector>

namespace {

constexpr int kMargin = 8;       ///< band's distance from the area's left and right edges
constexpr int kMarkerStrip = 22; ///< room under the band for the markers

} // namespace

ColorMapBand::ColorMapBand(QWidget* parent) : QWidget(parent) {
    setFixedSize(kPictureWidth + 2 * kMargin, kPictureHeight + kMarkerStrip + 4);
    setObjectName(QStringLiteral("band"));
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(QStringLiteral("Colour map"));
    RedrawPicture();
}

void ColorMapBand::Show(const ColorMap& map, int selected) {
    m_map = map;
    m_selected = selected;
    update();
}

void ColorMapBand::RedrawPicture() {
    m_picture = BandImage(m_map, kPictureWidth, kPictureHeight);
    update();
}

int ColorMapBand::MarkerX(int index) const {
    if (index == 0)
        return kMargin + 3;
    if (index == m_map.count - 1)
        return width() - kMargin - 3;
    return kMargin + static_cast<int>(
                         std::clamp(m_map.positions[static_cast<std::size_t>(index)], 0.0f, 1.0f) *
                         kPictureWidth);
}

float ColorMapBand::PositionAt(int x) {
    const double position = std::clamp((x - kMargin) / double(kPictureWidth), 0.0, 1.0);
    return static_cast<float>(std::round(position * 100.0) / 100.0);
}

void ColorMapBand::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(kMargin, 2, m_picture);
    const int bottom = height();
    const QColor ink = palette().color(QPalette::WindowText);
    painter.setPen(ink);
    for (int i = 0; i < m_map.count; ++i) {
        const bool selected = i == m_selected;
        if (i == 0 || i == m_map.count - 1) {
            const int left = i == 0 ? kMargin : width() - kMargin - 6;
            painter.setBrush(selected ? QBrush(Qt::white) : QBrush(Qt::NoBrush));
            painter.drawRect(left, bottom - 20, 6, 6);
            continue;
        }
        const int x = MarkerX(i);
        const QPoint triangle[] = {{x, bottom - 20}, {x - 4, bottom - 8}, {x + 4, bottom - 8}};
        painter.setBrush(selected ? QBrush(ink) : QBrush(Qt::NoBrush));
        painter.drawPolygon(triangle, 3);
    }
    if (hasFocus()) {
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        focus.rect = rect().adjusted(1, 1, -1, -1);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
}

void ColorMapBand::mousePressEvent(QMouseEvent* event) {
    m_dragging = false;
    if (event->button() != Qt::LeftButton)
        return;
    const int x = event->position().toPoint().x();
    const int hit = MarkerNear(x);
    if (hit < 0)
        return;
    // Taken before the selection changes: the dialog shows the band the map again.
    m_grab = MarkerX(hit) - x;
    emit selectRequested(hit);
    // The ends stay where they are.
    m_dragging = hit > 0 && hit < m_map.count - 1;
}

void ColorMapBand::mouseMoveEvent(QMouseEvent* event) {
    if (m_dragging && (event->buttons() & Qt::LeftButton))
        emit moveRequested(PositionAt(event->position().toPoint().x() + m_grab));
}

void ColorMapBand::mouseReleaseEvent(QMouseEvent*) {
    m_dragging = false;
}

void ColorMapBand::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = event->position().toPoint();
    // On a marker a double-click is two clicks on it.
    if (at.y() >= kPictureHeight + 2 && MarkerNear(at.x()) >= 0) {
        mousePressEvent(event);
        return;
    }
    m_dragging = false;
    const float position = PositionAt(at.x());
    emit addRequested(position, m_map.ColorAt(position));
}

void ColorMapBand::keyPressEvent(QKeyEvent* event) {
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    switch (event->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right: {
        const int step = event->key() == Qt::Key_Left ? -1 : 1;
        if (!shift) {
            emit selectRequested(std::clamp(m_selected + step, 0, m_map.count - 1));
        } else {
            const float position = m_map.positions[static_cast<std::size_t>(m_selected)];
            emit moveRequested(static_cast<float>(
                std::round(position * 100.0f + static_cast<float>(step)) / 100.0));
        }
        break;
    }
    case Qt::Key_Home:
        emit selectRequested(0);
        break;
    case Qt::Key_End:
        emit selectRequested(m_map.count - 1);
        break;
    case Qt::Key_Insert:
        emit insertRequested();
        break;
    case Qt::Key_Delete:
        emit deleteRequested();
        break;
    default:
        QWidget::keyPressEvent(event);
    }
}

int ColorMapBand::MarkerNear(int x) const {
    int best = -1;
    int bestDistance = 6;
    for (int i = 0; i < m_map.count; ++i) {
        const int distance = std::abs(MarkerX(i) - x);
        // Markers on one spot: the later one is drawn on top, so it is the one taken.
        if (distance <= bestDistance) {
            best = i;
            bestDistance = distance;
        }
    }
    return best;
}

QImage ColorMapBand::BandImage(const ColorMap& map, int width, int height) {
    // One colour row and one filter row; every pixel x belongs to the segment between the two
    // entries whose positions enclose it, so the rows are exactly `width` long whatever the
    // positions (past the last entry the last colour goes on).
    std::vector<QRgb> colors(static_cast<std::size_t>(width));
    std::vector<QRgb> filters(static_cast<std::size_t>(width));
    const int count = std::clamp(map.count, 1, ColorMap::kMaxEntries);
    const auto mix = [](int from, int to, double g) {
        return std::clamp(static_cast<int>(to * g + static_cast<int>(from * (1.0 - g))), 0, 255);
    };
    int x = 0;
    double start = 0.0;
    for (int j = 0; j + 1 < count; ++j) {
        const double end =
            width * static_cast<double>(map.positions[static_cast<std::size_t>(j + 1)]);
        const ColorRGBF& a = map.colors[static_cast<std::size_t>(j)];
        const ColorRGBF& b = map.colors[static_cast<std::size_t>(j + 1)];
        for (; x < width && x < end; ++x) {
            const double g = end > start ? std::clamp((x - start) / (end - start), 0.0, 1.0) : 1.0;
            colors[static_cast<std::size_t>(x)] =
                qRgb(mix(a.red, b.red, g), mix(a.green, b.green, g), mix(a.blue, b.blue, g));
            const int grey = mix(a.filter, b.filter, g);
            filters[static_cast<std::size_t>(x)] = qRgb(grey, grey, grey);
        }
        start = std::max(start, end);
    }
    const ColorRGBF& last = map.colors[static_cast<std::size_t>(count - 1)];
    for (; x < width; ++x) {
        colors[static_cast<std::size_t>(x)] = qRgb(last.red, last.green, last.blue);
        filters[static_cast<std::size_t>(x)] = qRgb(last.filter, last.filter, last.filter);
    }
    QImage image(width, height, QImage::Format_RGB32);
    const int colorRows = static_cast<int>(height * 0.66);
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        if (y < colorRows)
            std::copy(colors.begin(), colors.end(), line);
        else if (y < colorRows + 2)
            std::fill(line, line + width, qRgb(192, 192, 192));
        else
            std::copy(filters.begin(), filters.end(), line);
    }
    return image;
}
