#include "ui/editors/propertyrow.h"

#include "core/povtext/editing/outlineedit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>
#include <cmath>

using PovLanguage::PovValue;

namespace {

constexpr int kSliderSteps = 1000;
const char* const kChannelNames[] = {"red", "green", "blue", "filter", "transmit"};
const char* const kComponentNames[] = {"x", "y", "z", "4th", "5th"};

QString Shown(double value) {
    return QString::number(value, 'g', 6);
}

QString FromView(std::string_view text) {
    return QString::fromUtf8(text.data(), static_cast<int>(text.size()));
}

QIcon SwatchIcon(const std::vector<double>& channels) {
    QPixmap pixmap(24, 16);
    const auto byte = [](double v) {
        return static_cast<int>(std::lround(std::clamp(v, 0.0, 1.0) * 255));
    };
    pixmap.fill(QColor(byte(channels[0]), byte(channels[1]), byte(channels[2])));
    QPainter painter(&pixmap);
    painter.setPen(Qt::gray);
    painter.drawRect(pixmap.rect().adjusted(0, 0, -1, -1));
    return QIcon(pixmap);
}

} // namespace

QString PropertyRow::LabelOf(const OutlineProperty& property) {
    const std::string base = property.name.substr(0, property.name.find('#'));
    QString label;
    if (base == "value")
        label = QStringLiteral("Value");
    else if (base == "color")
        label = QStringLiteral("Colour");
    else if (base == "pattern")
        label = QStringLiteral("Pattern");
    else if (base == "wave")
        label = QStringLiteral("Wave");
    else if (base == "type")
        label = QStringLiteral("Image type");
    else if (base == "file")
        label = QStringLiteral("File");
    else if (property.row && !property.row->label.empty())
        label = FromView(property.row->label);
    else
        label = QString::fromStdString(base);
    const std::size_t hash = property.name.find('#');
    if (hash != std::string::npos)
        label +=
            QStringLiteral(" (%1)").arg(QString::fromStdString(property.name.substr(hash + 1)));
    return label;
}

PropertyRow::PropertyRow(const OutlineProperty& property, QWidget* parent)
    : QWidget(parent), m_path(QString::fromStdString(property.path)), m_label(LabelOf(property)) {
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    const std::vector<std::string_view> choices = OutlineEdit::Choices(property);
    const std::size_t count = property.numbers.size();
    if (!choices.empty() && property.numbers.empty()) {
        BuildChoice(property);
    } else if (property.kind == PovValue::Flag && !property.HasValue()) {
        m_shape = Shape::Flag;
        m_flag = new QCheckBox(QStringLiteral("On"), this);
        m_flag->setChecked(true);
        m_flag->setAccessibleName(m_label);
        layout->addWidget(m_flag, 0, 0, 1, 2);
        connect(m_flag, &QCheckBox::toggled, this, [this](bool on) {
            if (!on && !m_showing)
                emit removeRequested(m_path);
        });
        m_first = m_flag;
    } else if (property.kind == PovValue::Color && count == 5) {
        BuildColor();
    } else if (count >= 1 && count <= 5) {
        if (property.row && !std::isnan(property.row->range.low) &&
            !std::isnan(property.row->range.high)) {
            m_low = property.row->range.low;
            m_high = property.row->range.high;
            m_whole = PovLanguage::TakesWholeNumber(property.row->word);
        } else if (property.kind == PovValue::Color) {
            m_low = 0;
            m_high = 1;
        } else {
            m_low = m_high = 0; // no range: no slider
        }
        BuildNumbers(static_cast<int>(count));
    } else {
        BuildText();
    }
    m_remove = new QToolButton(this);
    m_remove->setText(QStringLiteral("×"));
    m_remove->setAccessibleName(QStringLiteral("Remove %1").arg(m_label));
    m_remove->setToolTip(QStringLiteral("Remove %1 from the text").arg(m_label));
    layout->addWidget(m_remove, 0, 3, Qt::AlignTop);
    connect(m_remove, &QToolButton::clicked, this, [this] { emit removeRequested(m_path); });
    layout->setColumnStretch(2, 1);
    Show(property);
}

QLineEdit* PropertyRow::AddField(const QString& name) {
    auto* field = new QLineEdit(this);
    field->setAccessibleName(name);
    const int width = field->fontMetrics().horizontalAdvance(QStringLiteral("-0.00000")) + 12;
    field->setMinimumWidth(width);
    field->setMaximumWidth(width * 5 / 4);
    connect(field, &QLineEdit::editingFinished, this, &PropertyRow::NumbersEdited);
    field->installEventFilter(this);
    m_fields.push_back(field);
    if (!m_first)
        m_first = field;
    return field;
}

QSlider* PropertyRow::AddSlider(const QString& name, int component) {
    auto* slider = new QSlider(Qt::Horizontal, this);
    slider->setRange(0, kSliderSteps);
    slider->setPageStep(kSliderSteps / 10);
    slider->setAccessibleName(name);
    slider->setMinimumWidth(slider->fontMetrics().horizontalAdvance(QLatin1Char('M')) * 6);
    connect(slider, &QSlider::valueChanged, this,
            [this, component](int position) { SliderMoved(component, position); });
    m_sliders.push_back(slider);
    return slider;
}

void PropertyRow::BuildNumbers(int count) {
    m_shape = Shape::Numbers;
    m_size = count;
    auto* layout = static_cast<QGridLayout*>(this->layout());
    const bool withSlider = m_high > m_low;
    for (int i = 0; i < count; ++i) {
        const QString part = count == 1 ? m_label : m_label + " " + kComponentNames[i];
        if (count > 1)
            layout->addWidget(new QLabel(QString::fromLatin1(kComponentNames[i]), this), i, 0);
        layout->addWidget(AddField(part), i, 1);
        if (withSlider)
            layout->addWidget(AddSlider(part + " slider", i), i, 2);
    }
}

void PropertyRow::BuildColor() {
    m_shape = Shape::Color;
    m_size = 5;
    m_low = 0;
    m_high = 1;
    auto* layout = static_cast<QGridLayout*>(this->layout());
    m_swatch = new QPushButton(this);
    m_swatch->setAccessibleName(QStringLiteral("Pick %1").arg(m_label));
    m_swatch->setToolTip(QStringLiteral("Opens the Color Selector"));
    connect(m_swatch, &QPushButton::clicked, this, [this] { emit colorPickRequested(m_path); });
    m_first = m_swatch;
    layout->addWidget(m_swatch, 0, 0);
    auto* channels = new QWidget(this);
    auto* row = new QHBoxLayout(channels);
    row->setContentsMargins(0, 0, 0, 0);
    for (int i = 0; i < 5; ++i) {
        QLineEdit* field = AddField(m_label + " " + kChannelNames[i]);
        field->setToolTip(QString::fromLatin1(kChannelNames[i]));
        field->setMinimumWidth(field->fontMetrics().horizontalAdvance(QStringLiteral("0.000")) +
                               10);
        row->addWidget(field);
    }
    m_first = m_swatch;
    layout->addWidget(channels, 0, 1, 1, 2);
}

void PropertyRow::BuildChoice(const OutlineProperty& property) {
    m_shape = Shape::Choice;
    m_choice = new QComboBox(this);
    m_choice->setAccessibleName(m_label);
    for (const std::string_view word : OutlineEdit::Choices(property)) {
        const PovLanguage::PovKeyword* row = PovLanguage::Find(word);
        const QString shown = row && !row->label.empty() ? FromView(row->label) : FromView(word);
        m_choice->addItem(shown, FromView(word));
    }
    connect(m_choice, &QComboBox::activated, this, [this](int index) {
        if (!m_showing)
            emit valueEdited(m_path, m_choice->itemData(index).toString());
    });
    m_first = m_choice;
    static_cast<QGridLayout*>(layout())->addWidget(m_choice, 0, 0, 1, 3);
}

void PropertyRow::BuildText() {
    m_shape = Shape::Text;
    m_text = new QLineEdit(this);
    m_text->setAccessibleName(m_label);
    m_text->installEventFilter(this);
    connect(m_text, &QLineEdit::editingFinished, this, [this] {
        if (!m_showing && m_text->isModified()) {
            m_text->setModified(false);
            emit valueEdited(m_path, m_text->text());
        }
    });
    m_first = m_text;
    static_cast<QGridLayout*>(layout())->addWidget(m_text, 0, 0, 1, 3);
}

bool PropertyRow::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            emit static_cast<QLineEdit*>(watched)->editingFinished();
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool PropertyRow::Fits(const OutlineProperty& property) const {
    if (QString::fromStdString(property.path) != m_path)
        return false;
    switch (m_shape) {
    case Shape::Numbers:
        return static_cast<int>(property.numbers.size()) == m_size &&
               !(property.kind == PovValue::Color && m_size == 5);
    case Shape::Color:
        return property.kind == PovValue::Color && property.numbers.size() == 5;
    case Shape::Choice:
        return property.numbers.empty() && !OutlineEdit::Choices(property).empty();
    case Shape::Flag:
        return property.kind == PovValue::Flag && !property.HasValue();
    case Shape::Text:
        return property.numbers.empty() || property.numbers.size() > 5;
    }
    return false;
}

void PropertyRow::Show(const OutlineProperty& property) {
    m_showing = true;
    const QString written = QString::fromStdString(property.text);
    setToolTip(written.isEmpty() ? QString() : QStringLiteral("Written as: %1").arg(written));
    switch (m_shape) {
    case Shape::Numbers:
    case Shape::Color:
        m_numbers = property.numbers;
        for (int i = 0; i < m_size && i < static_cast<int>(m_numbers.size()); ++i) {
            m_fields[static_cast<std::size_t>(i)]->setText(
                Shown(m_numbers[static_cast<std::size_t>(i)]));
            m_fields[static_cast<std::size_t>(i)]->setCursorPosition(0);
            ShowSlider(i, m_numbers[static_cast<std::size_t>(i)]);
        }
        if (m_swatch)
            m_swatch->setIcon(SwatchIcon(m_numbers));
        break;
    case Shape::Choice: {
        const int at = m_choice->findData(QString::fromStdString(property.keyword));
        m_choice->setCurrentIndex(at);
        break;
    }
    case Shape::Flag:
        m_flag->setChecked(true);
        break;
    case Shape::Text:
        if (!m_text->hasFocus() || !m_text->isModified())
            m_text->setText(written);
        break;
    }
    m_showing = false;
}

QSlider* PropertyRow::Slider(int component) const {
    return component < static_cast<int>(m_sliders.size())
               ? m_sliders[static_cast<std::size_t>(component)]
               : nullptr;
}

QLineEdit* PropertyRow::Field(int component) const {
    if (m_text)
        return component == 0 ? m_text : nullptr;
    return component < static_cast<int>(m_fields.size())
               ? m_fields[static_cast<std::size_t>(component)]
               : nullptr;
}

void PropertyRow::ShowSlider(int component, double value) {
    QSlider* slider = Slider(component);
    if (!slider)
        return;
    const QSignalBlocker quiet(slider);
    const double share = (value - m_low) / (m_high - m_low);
    slider->setValue(static_cast<int>(std::lround(std::clamp(share, 0.0, 1.0) * kSliderSteps)));
}

double PropertyRow::SliderValue(int position) const {
    const double value = m_low + (m_high - m_low) * position / kSliderSteps;
    if (m_whole)
        return std::round(value);
    // Three places past the slider's own resolution, as a person would write it.
    const double step = std::pow(10.0, std::floor(std::log10((m_high - m_low) / kSliderSteps)));
    return std::round(value / step) * step;
}

void PropertyRow::SliderMoved(int component, int position) {
    if (m_showing)
        return;
    const double value = SliderValue(position);
    if (m_numbers[static_cast<std::size_t>(component)] == value)
        return;
    m_numbers[static_cast<std::size_t>(component)] = value;
    m_fields[static_cast<std::size_t>(component)]->setText(Shown(value));
    emit valueEdited(m_path, NumbersText());
}

QString PropertyRow::NumbersText() const {
    const PovValue kind = m_shape == Shape::Color ? PovValue::Color
                          : m_size == 1           ? PovValue::Float
                                                  : PovValue::Vector;
    return QString::fromStdString(OutlineEdit::ValueText(kind, m_numbers));
}

void PropertyRow::NumbersEdited() {
    if (m_showing)
        return;
    std::vector<double> typed = m_numbers;
    bool changed = false;
    for (std::size_t i = 0; i < m_fields.size() && i < typed.size(); ++i) {
        if (!m_fields[i]->isModified())
            continue;
        bool ok = false;
        const double value = m_fields[i]->text().trimmed().toDouble(&ok);
        m_fields[i]->setModified(false);
        if (!ok || !std::isfinite(value)) {
            m_fields[i]->setText(Shown(m_numbers[i])); // not a number: as it was
            continue;
        }
        changed = changed || value != typed[i];
        typed[i] = value;
    }
    if (!changed)
        return;
    m_numbers = typed;
    for (int i = 0; i < m_size; ++i)
        ShowSlider(i, m_numbers[static_cast<std::size_t>(i)]);
    if (m_swatch)
        m_swatch->setIcon(SwatchIcon(m_numbers));
    emit valueEdited(m_path, NumbersText());
}
