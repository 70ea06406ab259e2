#include "ui/editors/iorvaluedialog.h"

#include "ui/dialogs/numberfield.h"
#include "ui/framework/prompts.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

IorValueDialog::IorValueDialog(QWidget* parent) : QDialog(parent) {
    setWindowTitle(QStringLiteral("IOR Value Dialog"));
    m_descriptionEdit = new QLineEdit(this);
    m_descriptionEdit->setObjectName(QStringLiteral("descriptionEdit"));
    m_descriptionEdit->setMaxLength(kMaximumDescription);
    m_descriptionEdit->setAccessibleName(QStringLiteral("Description"));
    m_descriptionEdit->setMinimumWidth(240);
    m_valueEdit = new QLineEdit(this);
    m_valueEdit->setObjectName(QStringLiteral("valueEdit"));
    m_valueEdit->setAccessibleName(QStringLiteral("Value"));
    auto* descriptionLabel = new QLabel(QStringLiteral("&Description"), this);
    descriptionLabel->setBuddy(m_descriptionEdit);
    auto* valueLabel = new QLabel(QStringLiteral("&Value"), this);
    valueLabel->setBuddy(m_valueEdit);
    m_valueField = NumberField::Number(m_valueEdit);

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    buttons->button(QDialogButtonBox::Ok)->setDefault(true);
    connect(buttons, &QDialogButtonBox::accepted, this, &IorValueDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &IorValueDialog::reject);

    auto* fields = new QFormLayout;
    fields->addRow(descriptionLabel, m_descriptionEdit);
    fields->addRow(valueLabel, m_valueEdit);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(fields);
    new FieldMessageLine(this); // the fields tell what is wrong under themselves
    layout->addWidget(buttons);
    SetPreset({}, 1.0f);
}

void IorValueDialog::SetPreset(const std::string& description, float value) {
    m_description = description;
    m_value = value;
    m_descriptionEdit->setText(QString::fromStdString(description));
    // 1.0 shows as "1.0" so it reads as a number with a point; others as short as they are.
    m_valueField->Show(value == 1.0f ? QStringLiteral("1.0")
                                     : QString::number(static_cast<double>(value), 'g', 6));
}

void IorValueDialog::accept() {
    const QString description = m_descriptionEdit->text();
    if (description.size() > kMaximumDescription) {
        Prompts::Message(
            this, Prompts::Icon::Warning, QStringLiteral("Velvane"),
            QStringLiteral("Please enter no more than %1 characters.").arg(kMaximumDescription));
        m_descriptionEdit->setFocus();
        return;
    }
    if (!m_valueField->Check(this))
        return;
    const float value = m_valueField->NumberValue();
    if (value < 1.0f) {
        Prompts::Message(this, Prompts::Icon::Warning, QStringLiteral("Invalid IOR Value"),
                         QStringLiteral("Please enter an IOR value of 1.0 or greater."));
        m_valueEdit->setFocus();
        m_valueEdit->selectAll();
        return;
    }
    m_description = description.toStdString();
    m_value = value;
    QDialog::accept();
}
