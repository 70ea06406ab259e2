#include "ui/catalog/catalogfindbar.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

CatalogFindBar::CatalogFindBar(QWidget* parent) : QWidget(parent), m_field(new QLineEdit(this)) {
    auto* label = new QLabel(QStringLiteral("F&ind:"), this);
    label->setBuddy(m_field);
    m_field->setAccessibleName(QStringLiteral("Find"));
    m_field->setClearButtonEnabled(true);
    m_field->setPlaceholderText(QStringLiteral("Name or description"));
    m_field->installEventFilter(this);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(label);
    layout->addWidget(m_field, 1);
    setAutoFillBackground(true);
    hide();
    connect(m_field, &QLineEdit::textChanged, this, &CatalogFindBar::textChanged);
}

bool CatalogFindBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_field && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            emit closeRequested();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down ||
            key == Qt::Key_Up) {
            emit leaveRequested();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
