#include "ui/editors/colorswatch.h"

#include <QPainter>

namespace {
constexpr int kInset = 3;
}

ColorSwatch::ColorSwatch(QWidget* parent) : QFrame(parent) {
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    setMinimumSize(40, 24);
}

void ColorSwatch::SetColor(const QColor& color) {
    m_color = color;
    update();
}

void ColorSwatch::Clear() {
    m_color = QColor();
    update();
}

void ColorSwatch::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    if (!m_color.isValid())
        return;
    QPainter painter(this);
    painter.fillRect(rect().adjusted(kInset, kInset, -kInset, -kInset), m_color);
}
