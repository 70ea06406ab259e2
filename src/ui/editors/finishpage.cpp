#include "ui/editors/finishpage.h"

#include "core/model/iorpreset.h"
#include "core/model/numberformat.h"
#include "core/model/simpletexture.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/generalpage.h"
#include "ui/editors/iorpresetsdialog.h"
#include "ui/framework/appservices.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <cmath>

namespace {

constexpr float kMinimumBrilliance = 1.0f;
constexpr float kMaximumBrilliance = 10.0f;
constexpr float kMaximumCrand = 2.0f;
constexpr float kMinimumIor = 1.0f;
constexpr float kMaximumIor = 5.0f;

/// The brilliance slider counts tenths.
int BrillianceTenths(float brilliance) {
    return static_cast<int>(std::trunc(brilliance * 10.0f));
}

QString Text(const std::string& text) {
    return QString::fromStdString(text);
}

} // namespace

FinishPage::FinishPage(AppServices& services, SimpleTexture& texture, QWidget* parent)
    : TexturePage(services, texture, parent) {
    struct Row {
        const char* caption;
        const char* name;
        int minimum; ///< the slider's range
        int maximum;
        int largest;     ///< the largest value the edit takes
        bool hundredths; ///< the value counts hundredths (phong size counts itself)
    };
    // Ambient takes more than its slider shows (150 is taken, the slider stops at its end), but
    // never more than the file keeps.
    const Row rows[ValueCount] = {
        {"&Ambient", "ambient", 0, 100, Finish::kLargestWord, true},
        {"&Diffuse", "diffuse", 0, 100, 100, true},
        {"Ref&lection", "reflection", 0, 100, 100, true},
        {"&Strength", "phong", 0, 100, 100, true},
        {"Si&ze", "phongSize", 1, 500, 500, false},
        {"Str&ength", "specular", 0, 100, 100, true},
        {"&Rough", "roughness", 1, 100, 100, true},
    };
    const bool povRayNumbers = m_services.Settings().povRayNumbers;
    for (int index = 0; index < ValueCount; ++index) {
        const Row& row = rows[index];
        Pair& pair = m_pairs[static_cast<std::size_t>(index)];
        pair.label = new QLabel(QString::fromUtf8(row.caption), this);
        pair.slider = new QSlider(Qt::Horizontal, this);
        pair.slider->setRange(row.minimum, row.maximum);
        pair.slider->setObjectName(QString::fromLatin1(row.name) + QStringLiteral("Slider"));
        pair.edit = new QLineEdit(this);
        pair.edit->setObjectName(QString::fromLatin1(row.name) + QStringLiteral("Edit"));
        pair.edit->setFixedWidth(
            pair.edit->fontMetrics().horizontalAdvance(QStringLiteral("00000000")));
        pair.label->setBuddy(pair.edit);
        QString accessible = QString::fromUtf8(row.caption).remove(QLatin1Char('&'));
        if (index == Phong || index == PhongSize)
            accessible = QStringLiteral("Phong ") + accessible;
        else if (index == Specular)
            accessible = QStringLiteral("Specular ") + accessible;
        else if (index == Roughness)
            accessible = QStringLiteral("Specular Roughness");
        pair.edit->setAccessibleName(accessible);
        pair.slider->setAccessibleName(accessible);
        pair.field = row.hundredths
                         ? NumberField::PartsOf(pair.edit, NumberField::Parts::Hundredths,
                                                row.minimum, row.largest, povRayNumbers)
                         : NumberField::Integer(pair.edit, row.minimum, row.largest);
        const auto value = static_cast<Value>(index);
        connect(pair.slider, &QSlider::valueChanged, this, [this, value] { SliderMoved(value); });
        connect(pair.field, &NumberField::typed, this, [this, value] { Typed(value); });
    }

    auto* brillianceLabel = new QLabel(QStringLiteral("&Brilliance"), this);
    m_brillianceSlider = new QSlider(Qt::Horizontal, this);
    m_brillianceSlider->setObjectName(QStringLiteral("brillianceSlider"));
    m_brillianceSlider->setRange(10, 100);
    m_brillianceSlider->setAccessibleName(QStringLiteral("Brilliance"));
    m_brillianceEdit = new QLineEdit(this);
    m_brillianceEdit->setObjectName(QStringLiteral("brillianceEdit"));
    m_brillianceEdit->setFixedWidth(m_pairs[0].edit->width());
    m_brillianceEdit->setAccessibleName(QStringLiteral("Brilliance"));
    brillianceLabel->setBuddy(m_brillianceEdit);
    m_brilliance = NumberField::Number(m_brillianceEdit, kMinimumBrilliance, kMaximumBrilliance);
    connect(m_brillianceSlider, &QSlider::valueChanged, this, &FinishPage::BrillianceMoved);
    connect(m_brilliance, &NumberField::typed, this, [this] {
        m_texture.finish.brilliance = m_brilliance->NumberValue();
        ShowSliders();
        emit textureChanged();
    });

    auto* crandLabel = new QLabel(QStringLiteral("&Crand"), this);
    m_crand = new QLineEdit(this);
    m_crand->setObjectName(QStringLiteral("crandEdit"));
    m_crand->setFixedWidth(m_pairs[0].edit->width());
    m_crand->setAccessibleName(QStringLiteral("Crand"));
    crandLabel->setBuddy(m_crand);
    m_crandField = NumberField::Number(m_crand, 0.0f, kMaximumCrand);
    connect(m_crandField, &NumberField::typed, this, [this] {
        m_texture.finish.crand = m_crandField->NumberValue();
        emit textureChanged();
    });
    m_iorLabel = new QLabel(QStringLiteral("&IOR"), this);
    m_ior = new QLineEdit(this);
    m_ior->setObjectName(QStringLiteral("iorEdit"));
    m_ior->setFixedWidth(m_pairs[0].edit->width());
    m_ior->setAccessibleName(QStringLiteral("IOR"));
    m_iorLabel->setBuddy(m_ior);
    m_iorField = NumberField::Number(m_ior, kMinimumIor, kMaximumIor);
    connect(m_iorField, &NumberField::typed, this, [this] {
        m_texture.finish.ior = m_iorField->NumberValue();
        emit textureChanged();
    });

    m_refraction = new QCheckBox(QStringLiteral("Re&fraction"), this);
    m_refraction->setObjectName(QStringLiteral("refractionCheck"));
    m_metallic = new QCheckBox(QStringLiteral("&Metallic"), this);
    m_metallic->setObjectName(QStringLiteral("metallicCheck"));
    m_updateThumbnail = new QCheckBox(QStringLiteral("&Update Thumbnail"), this);
    m_updateThumbnail->setObjectName(QStringLiteral("updateThumbnail"));
    m_presets = new QPushButton(QStringLiteral("Prese&ts..."), this);
    m_presets->setObjectName(QStringLiteral("presetsButton"));
    m_presets->setAutoDefault(false);
    m_viewSource = new QPushButton(QStringLiteral("&View Source..."), this);
    m_viewSource->setObjectName(QStringLiteral("viewSource"));
    m_viewSource->setAutoDefault(false);

    // The boxes follow their state, whatever changed it.
    connect(m_refraction, &QCheckBox::toggled, this, [this](bool checked) {
        EnableRefraction(checked);
        SetFlag(m_texture.finish.refraction, checked);
    });
    connect(m_metallic, &QCheckBox::toggled, this,
            [this](bool checked) { SetFlag(m_texture.finish.metallic, checked); });
    connect(m_updateThumbnail, &QCheckBox::toggled, this,
            [this](bool checked) { m_services.Settings().updateThumbnail = checked; });
    connect(m_presets, &QPushButton::clicked, this, &FinishPage::ChoosePreset);
    connect(m_viewSource, &QPushButton::clicked, this, [this] {
        if (ReadFields())
            ShowTextureSource(m_texture, this);
    });

    // Layout: the four single rows, the Phong and Specular groups, then the rest.
    auto addPair = [](QGridLayout* grid, int row, QLabel* label, QSlider* slider, QLineEdit* edit) {
        grid->addWidget(label, row, 0);
        grid->addWidget(slider, row, 1);
        grid->addWidget(edit, row, 2);
    };
    auto* single = new QGridLayout;
    addPair(single, 0, m_pairs[Ambient].label, m_pairs[Ambient].slider, m_pairs[Ambient].edit);
    addPair(single, 1, m_pairs[Diffuse].label, m_pairs[Diffuse].slider, m_pairs[Diffuse].edit);
    addPair(single, 2, brillianceLabel, m_brillianceSlider, m_brillianceEdit);
    addPair(single, 3, m_pairs[Reflection].label, m_pairs[Reflection].slider,
            m_pairs[Reflection].edit);
    single->setColumnStretch(1, 1);
    single->setColumnMinimumWidth(0, brillianceLabel->sizeHint().width() + 8);

    auto* phong = new QGroupBox(QStringLiteral("Phong"), this);
    auto* phongGrid = new QGridLayout(phong);
    addPair(phongGrid, 0, m_pairs[Phong].label, m_pairs[Phong].slider, m_pairs[Phong].edit);
    addPair(phongGrid, 1, m_pairs[PhongSize].label, m_pairs[PhongSize].slider,
            m_pairs[PhongSize].edit);
    phongGrid->setColumnStretch(1, 1);
    phongGrid->setColumnMinimumWidth(0, brillianceLabel->sizeHint().width());
    auto* specular = new QGroupBox(QStringLiteral("Specular"), this);
    auto* specularGrid = new QGridLayout(specular);
    addPair(specularGrid, 0, m_pairs[Specular].label, m_pairs[Specular].slider,
            m_pairs[Specular].edit);
    addPair(specularGrid, 1, m_pairs[Roughness].label, m_pairs[Roughness].slider,
            m_pairs[Roughness].edit);
    specularGrid->setColumnStretch(1, 1);
    specularGrid->setColumnMinimumWidth(0, brillianceLabel->sizeHint().width());

    auto* numbers = new QHBoxLayout;
    numbers->addWidget(crandLabel);
    numbers->addWidget(m_crand);
    numbers->addSpacing(16);
    numbers->addWidget(m_refraction);
    numbers->addWidget(m_iorLabel);
    numbers->addWidget(m_ior);
    numbers->addWidget(m_presets);
    numbers->addStretch(1);
    auto* flags = new QHBoxLayout;
    flags->addWidget(m_metallic);
    flags->addStretch(1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_updateThumbnail);
    bottom->addStretch(1);
    bottom->addWidget(m_viewSource);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(single);
    layout->addWidget(phong);
    layout->addWidget(specular);
    layout->addLayout(numbers);
    layout->addLayout(flags);
    layout->addStretch(1);
    layout->addLayout(bottom);

    // Keyboard order follows the screen: each slider, then its edit.
    QWidget* order[] = {m_pairs[Ambient].slider,
                        m_pairs[Ambient].edit,
                        m_pairs[Diffuse].slider,
                        m_pairs[Diffuse].edit,
                        m_brillianceSlider,
                        m_brillianceEdit,
                        m_pairs[Reflection].slider,
                        m_pairs[Reflection].edit,
                        m_pairs[Phong].slider,
                        m_pairs[Phong].edit,
                        m_pairs[PhongSize].slider,
                        m_pairs[PhongSize].edit,
                        m_pairs[Specular].slider,
                        m_pairs[Specular].edit,
                        m_pairs[Roughness].slider,
                        m_pairs[Roughness].edit,
                        m_crand,
                        m_refraction,
                        m_ior,
                        m_presets,
                        m_metallic,
                        m_updateThumbnail,
                        m_viewSource};
    for (std::size_t index = 1; index < std::size(order); ++index)
        setTabOrder(order[index - 1], order[index]);

    ShowFields();
}

int& FinishPage::Field(Value value) {
    Finish& finish = m_texture.finish;
    switch (value) {
    case Ambient:
        return finish.ambient;
    case Diffuse:
        return finish.diffuse;
    case Reflection:
        return finish.reflection;
    case Phong:
        return finish.phong;
    case PhongSize:
        return finish.phongSize;
    case Specular:
        return finish.specular;
    case Roughness:
    case ValueCount:
        break;
    }
    return finish.roughness;
}

void FinishPage::ShowSliders() {
    for (int index = 0; index < ValueCount; ++index) {
        const QSignalBlocker quiet(m_pairs[static_cast<std::size_t>(index)].slider);
        m_pairs[static_cast<std::size_t>(index)].slider->setValue(Field(static_cast<Value>(index)));
    }
    const QSignalBlocker quiet(m_brillianceSlider);
    m_brillianceSlider->setValue(BrillianceTenths(m_texture.finish.brilliance));
}

void FinishPage::EnableRefraction(bool on) {
    m_ior->setEnabled(on);
    m_iorLabel->setEnabled(on);
    m_presets->setEnabled(on);
}

void FinishPage::ShowFields() {
    const Finish& finish = m_texture.finish;
    m_updateThumbnail->setChecked(m_services.Settings().updateThumbnail);
    for (int index = 0; index < ValueCount; ++index)
        m_pairs[static_cast<std::size_t>(index)].field->ShowInteger(
            Field(static_cast<Value>(index)));
    m_brilliance->ShowNumber(finish.brilliance);
    m_crandField->ShowNumber(finish.crand);
    m_iorField->Show(Text(IorValueText(finish.ior)));
    m_refraction->setChecked(finish.refraction != 0);
    m_metallic->setChecked(finish.metallic != 0);
    ShowSliders();
    EnableRefraction(finish.refraction != 0);
}

bool FinishPage::ReadFields() {
    // With refraction off the index cannot be edited, so it is not held against the page.
    return CheckFields({m_pairs[Ambient].field, m_pairs[Diffuse].field, m_brilliance,
                        m_pairs[Reflection].field, m_pairs[Phong].field, m_pairs[PhongSize].field,
                        m_pairs[Specular].field, m_pairs[Roughness].field, m_crandField,
                        m_iorField},
                       this);
}

void FinishPage::SetFlag(std::uint8_t& flag, bool on) {
    const std::uint8_t value = on ? 1 : 0;
    if (flag == value)
        return;
    flag = value;
    emit textureChanged();
}

void FinishPage::Typed(Value value) {
    Field(value) = m_pairs[value].field->IntegerValue();
    const QSignalBlocker quiet(m_pairs[value].slider);
    m_pairs[value].slider->setValue(Field(value));
    emit textureChanged();
}

void FinishPage::SliderMoved(Value value) {
    // Only the moved slider's value changes: a value beyond its slider's range (an ambient of
    // 150 typed in) stays as it is while other sliders move.
    const int position = m_pairs[value].slider->value();
    if (position == Field(value))
        return;
    Field(value) = position;
    m_pairs[value].field->ShowInteger(position);
    emit textureChanged();
}

void FinishPage::BrillianceMoved() {
    const int position = m_brillianceSlider->value();
    if (position == BrillianceTenths(m_texture.finish.brilliance))
        return;
    m_texture.finish.brilliance = static_cast<float>(position) * 0.1f;
    m_brilliance->Show(Text(FormatFixed(m_texture.finish.brilliance, 2)));
    emit textureChanged();
}

void FinishPage::ChoosePreset() {
    IorPresetsDialog dialog(m_services, this);
    if (dialog.exec() != QDialog::Accepted || dialog.SelectedIndex() < 0)
        return;
    m_texture.finish.ior = dialog.SelectedValue();
    m_iorField->Show(Text(IorValueText(m_texture.finish.ior)));
    emit textureChanged();
}
