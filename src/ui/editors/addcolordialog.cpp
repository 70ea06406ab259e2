#include "ui/editors/addcolordialog.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

AddColorDialog::AddColorDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("Add Color"));
    auto* label = new QLabel(QStringLiteral("Name:"), this);
    m_name = new QLineEdit(QStringLiteral("Untitled"), this);
    m_name->setObjectName(QStringLiteral("name"));
    m_name->setAccessibleName(QStringLiteral("Name"));
    m_name->setMinimumWidth(m_name->fontMetrics().horizontalAdvance(QLatin1Char('x')) * 30);
    m_name->selectAll();
    label->setBuddy(m_name);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &AddColorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &AddColorDialog::reject);
    auto* row = new QHBoxLayout;
    row->addWidget(label);
    row->addWidget(m_name, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(row);
    layout->addWidget(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
}

QString AddColorDialog::Name() const {
    return m_name->text();
}
