#include "ui/editors/fittingscrollarea.h"

#include "ui/editors/sidebyside.h"

#include <QScreen>
#include <QScrollBar>

FittingScrollArea::FittingScrollArea(std::function<QSize()> around, QWidget* parent)
    : QScrollArea(parent), m_around(std::move(around)) {
    setWidgetResizable(true);
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
}

QSize FittingScrollArea::sizeHint() const {
    return widget() ? WithScrollBar(widget()->sizeHint()) : QScrollArea::sizeHint();
}

QSize FittingScrollArea::minimumSizeHint() const {
    if (!widget())
        return QScrollArea::minimumSizeHint();
    return WithScrollBar(widget()->minimumSizeHint())
        .boundedTo(Room())
        .expandedTo(QScrollArea::minimumSizeHint());
}

QSize FittingScrollArea::Room() const {
    if (!screen())
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QMargins frame = FrameMargins(window());
    return screen()->availableGeometry().size() - m_around() -
           QSize(frame.left() + frame.right(), frame.top() + frame.bottom());
}

QSize FittingScrollArea::WithScrollBar(QSize contents) const {
    if (contents.height() > Room().height())
        contents.rwidth() += verticalScrollBar()->sizeHint().width();
    return contents;
}
