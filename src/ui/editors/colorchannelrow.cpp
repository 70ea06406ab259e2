#include "ui/editors/colorchannelrow.h"

#include "ui/dialogs/numberfield.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSlider>

ColorChannelRow::ColorChannelRow(QWidget* dialog, QGridLayout* grid, int row,
                                 const QString& caption, const QString& name, int maximum,
                                 int pageStep, bool povRayByte)
    : QObject(dialog), m_maximum(maximum), m_pageStep(pageStep),
      m_label(new QLabel(caption, dialog)), m_slider(new QSlider(Qt::Horizontal, dialog)),
      m_integerEdit(new QLineEdit(dialog)), m_decimalEdit(new QLineEdit(dialog)),
      m_integerField(povRayByte ? NumberField::PartsOf(m_integerEdit, NumberField::Parts::Bytes, 0,
                                                       maximum, true)
                                : NumberField::Integer(m_integerEdit, 0, maximum)),
      m_decimalField(NumberField::Number(m_decimalEdit, 0.0f, 1.0f)) {
    const QString lower = name.toLower();
    m_label->setObjectName(lower + QStringLiteral("Label"));
    m_slider->setObjectName(lower + QStringLiteral("Slider"));
    m_integerEdit->setObjectName(lower + QStringLiteral("Integer"));
    m_decimalEdit->setObjectName(lower + QStringLiteral("Decimal"));
    m_slider->setAccessibleName(name);
    const int editWidth =
        m_integerEdit->fontMetrics().horizontalAdvance(QStringLiteral("0000.00")) + 12;
    for (QLineEdit* edit : {m_integerEdit, m_decimalEdit}) {
        edit->setAccessibleName(name);
        edit->setFixedWidth(editWidth);
    }
    grid->addWidget(m_label, row, 0);
    grid->addWidget(m_slider, row, 1);
    grid->addWidget(m_integerEdit, row, 2);
    grid->addWidget(m_decimalEdit, row, 2);
    connect(m_slider, &QSlider::valueChanged, this, &ColorChannelRow::sliderChanged);
    connect(m_slider, &QSlider::sliderReleased, this, &ColorChannelRow::sliderReleased);
    connect(m_integerField, &NumberField::typed, this, [this] { emit typed(false); });
    connect(m_decimalField, &NumberField::typed, this, [this] { emit typed(true); });
    SetDecimalView(false);
}

void ColorChannelRow::SetDecimalView(bool decimal) {
    m_decimalView = decimal;
    m_integerEdit->setVisible(!decimal);
    m_decimalEdit->setVisible(decimal);
    m_label->setBuddy(decimal ? m_decimalEdit : m_integerEdit);
}

void ColorChannelRow::ShowInEdits(int whole, double decimal) {
    m_integerField->ShowInteger(whole);
    m_decimalField->Show(QString::number(decimal, 'f', 2));
}

void ColorChannelRow::SetSlider(int whole, int hundredths) {
    const QSignalBlocker quiet(m_slider);
    m_slider->setRange(0, m_decimalView ? 100 : m_maximum);
    m_slider->setValue(m_decimalView ? hundredths : whole);
    m_slider->setPageStep(m_decimalView ? 10 : m_pageStep);
}

QWidget* ColorChannelRow::FollowInTabOrder(QWidget* previous) {
    for (QWidget* widget : {static_cast<QWidget*>(m_slider), static_cast<QWidget*>(m_integerEdit),
                            static_cast<QWidget*>(m_decimalEdit)}) {
        if (previous)
            QWidget::setTabOrder(previous, widget);
        previous = widget;
    }
    return previous;
}
