#include "ui/editors/patternpage.h"

#include "core/model/patternfields.h"
#include "core/model/simpletexture.h"
#include "core/povtext/language/language.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/numberfield.h"
#include "ui/dialogs/validation.h"
#include "ui/editors/generalpage.h"
#include "ui/editors/imagemapdialog.h"
#include "ui/editors/previewlink.h"
#include "ui/editors/transformedits.h"
#include "ui/framework/appservices.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>

namespace {

constexpr int kFrequencyOffset = 10; ///< slider position = frequency + 10

int LambdaPosition(float lambda) {
    return static_cast<int>(lambda * 10.0f);
}

/// Keeps a size when hidden, so that groups appearing and disappearing never move the others.
void KeepPlace(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

} // namespace

void PatternPage::SetSlider(QSlider* slider, int position) {
    const QSignalBlocker quiet(slider);
    slider->setValue(position);
}

std::pair<QString, int> PatternPage::Kinds::Pattern(std::string_view keyword, int kind) {
    const PovLanguage::PovKeyword* row = PovLanguage::Find(keyword);
    const std::string_view label = row ? row->label : keyword;
    return {QString::fromUtf8(label.data(), static_cast<qsizetype>(label.size())), kind};
}

PatternPage::PatternPage(AppServices& services, SimpleTexture& texture, PatternFields& fields,
                         const Kinds& kinds, QWidget* parent)
    : TexturePage(services, texture, parent), m_fields(fields), m_kinds(kinds) {
    BuildControls();
}

PatternPage::SliderPair PatternPage::MakeSlider(QGridLayout* grid, int row, const QString& caption,
                                                int minimum, int maximum,
                                                const QString& objectName) {
    SliderPair pair;
    pair.label = new QLabel(caption, this);
    pair.slider = new QSlider(Qt::Horizontal, this);
    pair.slider->setRange(minimum, maximum);
    pair.slider->setPageStep(std::max(1, (maximum - minimum) / 10));
    pair.slider->setMinimumWidth(110);
    pair.slider->setObjectName(objectName + QStringLiteral("Slider"));
    pair.edit = new QLineEdit(this);
    pair.edit->setObjectName(objectName + QStringLiteral("Edit"));
    pair.edit->setFixedWidth(pair.edit->fontMetrics().horizontalAdvance(QStringLiteral("-000.00")) +
                             12);
    pair.label->setBuddy(pair.edit);
    QString name = caption;
    name.remove(QLatin1Char('&'));
    pair.edit->setAccessibleName(name);
    pair.slider->setAccessibleName(name);
    grid->addWidget(pair.label, row, 0);
    grid->addWidget(pair.slider, row, 1);
    grid->addWidget(pair.edit, row, 2);
    connect(pair.slider, &QSlider::valueChanged, this, &PatternPage::OnSliderMoved);
    return pair;
}

void PatternPage::OnTyped(const SliderPair& pair, const std::function<void()>& handler) {
    connect(pair.field, &NumberField::typed, this, handler);
}

void PatternPage::BuildControls() {
    // Type buttons and the pattern list.
    m_typeGroup = new QGroupBox(QString::fromLatin1(m_kinds.typeCaption), this);
    auto* typeLayout = new QVBoxLayout(m_typeGroup);
    auto* buttons = new QButtonGroup(this);
    for (int type = 0; type < 3; ++type) {
        auto* button = new QRadioButton(
            QString::fromLatin1(m_kinds.typeButtons[static_cast<std::size_t>(type)]), m_typeGroup);
        button->setObjectName(QStringLiteral("type%1").arg(type));
        buttons->addButton(button, type);
        typeLayout->addWidget(button);
        m_typeButtons[static_cast<std::size_t>(type)] = button;
        connect(button, &QRadioButton::toggled, this,
                [this, type](bool checked) { OnTypeToggled(type, checked); });
    }
    m_pattern = new QComboBox(m_typeGroup);
    m_pattern->setObjectName(QStringLiteral("patternList"));
    auto sorted = m_kinds.patterns;
    std::sort(sorted.begin(), sorted.end());
    for (const auto& [name, kind] : sorted)
        m_pattern->addItem(name, kind);
    // A screen reader on Linux reads a combo box by its value; its label names it.
    auto* patternLabel = new QLabel(QStringLiteral("P&attern"), m_typeGroup);
    LabelFor(patternLabel, m_pattern);
    typeLayout->addWidget(patternLabel);
    typeLayout->addWidget(m_pattern);
    connect(m_pattern, &QComboBox::currentIndexChanged, this, &PatternPage::OnPatternChosen);

    m_settings = new QPushButton(QStringLiteral("Settings..."), this);
    m_settings->setObjectName(QStringLiteral("imageSettings"));
    m_settings->setAccessibleName(QStringLiteral("Image Settings"));
    m_settings->setAutoDefault(false);
    KeepPlace(m_settings);
    connect(m_settings, &QPushButton::clicked, this, [this] { EditImage(); });

    // Phase, frequency and the colour map.
    m_patternGroup = new QGroupBox(QStringLiteral("Pattern"), this);
    auto* patternGrid = new QGridLayout(m_patternGroup);
    m_phase = MakeSlider(patternGrid, 0, QStringLiteral("P&hase"), 0, 100, QStringLiteral("phase"));
    const bool povRayNumbers = m_services.Settings().povRayNumbers;
    const auto hundredths = [povRayNumbers](QLineEdit* edit, int minimum, int maximum) {
        return NumberField::PartsOf(edit, NumberField::Parts::Hundredths, minimum, maximum,
                                    povRayNumbers);
    };
    m_phase.field = hundredths(m_phase.edit, 0, 100);
    m_frequency = MakeSlider(patternGrid, 1, QStringLiteral("&Frequency"), 0, 20,
                             QStringLiteral("frequency"));
    m_frequency.slider->setPageStep(5);
    m_frequency.field = NumberField::Integer(m_frequency.edit, -50, 50);
    m_colorMap = new QPushButton(QStringLiteral("Color &Map..."), m_patternGroup);
    m_colorMap->setObjectName(QStringLiteral("colorMap"));
    m_colorMap->setAutoDefault(false);
    patternGrid->addWidget(m_colorMap, 2, 1, 1, 2, Qt::AlignRight);

    m_turbulenceGroup = new QGroupBox(QStringLiteral("Turbulence"), this);
    auto* turbulenceGrid = new QGridLayout(m_turbulenceGroup);
    m_amount = MakeSlider(turbulenceGrid, 0, QStringLiteral("&Strength"), 0, 200,
                          QStringLiteral("turbulence"));
    m_amount.field = hundredths(m_amount.edit, 0, 200);
    m_octaves =
        MakeSlider(turbulenceGrid, 1, QStringLiteral("&Octaves"), 1, 10, QStringLiteral("octaves"));
    m_octaves.field = NumberField::Integer(m_octaves.edit, 1, 10);
    m_omega =
        MakeSlider(turbulenceGrid, 2, QStringLiteral("Ome&ga"), 1, 100, QStringLiteral("omega"));
    m_omega.field = hundredths(m_omega.edit, 1, 100);
    m_lambda =
        MakeSlider(turbulenceGrid, 3, QStringLiteral("&Lambda"), 0, 60, QStringLiteral("lambda"));
    m_lambda.field = NumberField::Number(m_lambda.edit, 0.0f, 6.0f);
    // Labels read "Turbulence Strength" for screen readers; the normal has a strength of its own.
    m_amount.edit->setAccessibleName(QStringLiteral("Turbulence Strength"));
    m_amount.slider->setAccessibleName(QStringLiteral("Turbulence Strength"));

    m_transformGroup = new QGroupBox(QStringLiteral("Transformations"), this);
    m_transforms = new TransformEdits(m_transformGroup);
    (new QVBoxLayout(m_transformGroup))->addWidget(m_transforms);

    m_updateThumbnail = new QCheckBox(QStringLiteral("&Update Thumbnail"), this);
    m_updateThumbnail->setObjectName(QStringLiteral("updateThumbnail"));
    m_viewSource = new QPushButton(QStringLiteral("&View Source..."), this);
    m_viewSource->setObjectName(QStringLiteral("viewSource"));
    m_viewSource->setAutoDefault(false);

    m_ownColumn = new QVBoxLayout;
    m_ownCell = new QGridLayout;
    m_ownCell->addWidget(m_settings, 0, 0, Qt::AlignLeft | Qt::AlignTop);

    auto* left = new QVBoxLayout;
    left->addWidget(m_typeGroup);
    left->addLayout(m_ownColumn);
    left->addLayout(m_ownCell);
    left->addStretch(1);
    auto* right = new QVBoxLayout;
    right->addWidget(m_patternGroup);
    right->addWidget(m_turbulenceGroup);
    right->addStretch(1);
    auto* top = new QHBoxLayout;
    top->addLayout(left, 0);
    top->addLayout(right, 1);
    auto* bottom = new QHBoxLayout;
    bottom->addWidget(m_updateThumbnail);
    bottom->addStretch(1);
    bottom->addWidget(m_viewSource);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top, 1);
    layout->addWidget(m_transformGroup);
    layout->addLayout(bottom);

    // What the user types goes into the pattern at once; text that is no good keeps the last
    // value and is reported when the user leaves the edit.
    const auto integerEdit = [this](const SliderPair& pair, int& field) {
        OnTyped(pair, [this, &pair, &field] {
            field = pair.field->IntegerValue();
            SetSlider(pair.slider, field);
            CopyIntoPattern();
        });
    };
    integerEdit(m_amount, m_amountValue);
    integerEdit(m_octaves, m_octavesValue);
    integerEdit(m_omega, m_omegaValue);
    integerEdit(m_phase, m_phaseValue);
    OnTyped(m_lambda, [this] {
        m_lambdaValue = m_lambda.field->NumberValue();
        SetSlider(m_lambda.slider, LambdaPosition(m_lambdaValue));
        CopyIntoPattern();
    });
    OnTyped(m_frequency, [this] {
        // Frequency 0 means nothing to POV-Ray: it is taken as 1, and shows so once left.
        m_frequencyValue = m_frequency.field->IntegerValue();
        if (m_frequencyValue == 0)
            m_frequencyValue = 1;
        SetSlider(m_frequency.slider, m_frequencyValue + kFrequencyOffset);
        CopyIntoPattern();
    });
    connect(m_frequency.field, &NumberField::left, this, [this] {
        if (m_frequency.field->IntegerValue() == 0)
            m_frequency.field->ShowInteger(m_frequencyValue);
    });
    m_transforms->OnTyped([this](TransformEdits::Row row, int axis, float value) {
        TransformEdits::ValueOf(m_fields.transformations, row, axis) = value;
        emit textureChanged();
    });
    connect(m_updateThumbnail, &QCheckBox::toggled, this,
            [this](bool checked) { m_services.Settings().updateThumbnail = checked; });
    connect(m_viewSource, &QPushButton::clicked, this, [this] {
        if (ReadFields())
            ShowTextureSource(m_texture, this);
    });
}

void PatternPage::Initialise() {
    const int kind = Kind();
    m_type = kind == m_kinds.plainKind ? Plain : kind == m_kinds.imageKind ? Image : Procedural;
    const int patternIndex = m_type == Procedural ? std::max(0, m_pattern->findData(kind)) : 0;
    m_octavesValue = m_fields.turbulence.octaves;
    m_omegaValue = m_fields.turbulence.omega;
    m_lambdaValue = m_fields.turbulence.lambda;
    m_amountValue = m_fields.turbulence.amount;
    m_phaseValue = m_fields.phase;
    m_frequencyValue = m_fields.frequency;
    {
        const QSignalBlocker quiet(m_pattern);
        m_pattern->setCurrentIndex(patternIndex);
    }
    {
        // The page takes the texture as it is: no choice of the user's happens here.
        const QSignalBlocker quiet(m_typeButtons[static_cast<std::size_t>(m_type)]);
        m_typeButtons[static_cast<std::size_t>(m_type)]->setChecked(true);
    }
    ShowFields();
    ApplyType(m_type);
}

int PatternPage::Selection() const {
    return m_pattern->itemData(std::max(0, m_pattern->currentIndex())).toInt();
}

void PatternPage::SetSliders() {
    SetSlider(m_amount.slider, m_amountValue);
    SetSlider(m_octaves.slider, m_octavesValue);
    SetSlider(m_omega.slider, m_omegaValue);
    SetSlider(m_lambda.slider, LambdaPosition(m_lambdaValue));
    SetSlider(m_phase.slider, m_phaseValue);
    SetSlider(m_frequency.slider, m_frequencyValue + kFrequencyOffset);
}

void PatternPage::ShowFields() {
    m_updateThumbnail->setChecked(m_services.Settings().updateThumbnail);
    m_amount.field->ShowInteger(m_amountValue);
    m_octaves.field->ShowInteger(m_octavesValue);
    m_omega.field->ShowInteger(m_omegaValue);
    m_lambda.field->ShowNumber(m_lambdaValue);
    m_phase.field->ShowInteger(m_phaseValue);
    m_frequency.field->ShowInteger(m_frequencyValue);
    m_transforms->ShowValues(m_fields.transformations);
    ShowOwnFields();
    SetSliders();
}

void PatternPage::ApplyType(int type) {
    m_type = type;
    m_pattern->setEnabled(type == Procedural);
    SetKind(type == Plain ? m_kinds.plainKind : type == Image ? m_kinds.imageKind : Selection());
    m_settings->setVisible(type == Image);
    m_turbulenceGroup->setEnabled(type != Plain);
    m_transformGroup->setEnabled(type != Plain);
    m_patternGroup->setEnabled(type == Procedural);
    TypeApplied(type);
}

void PatternPage::OnTypeToggled(int type, bool checked) {
    // Whatever checked the button (a click, the keyboard, an assistive tool, the program), the
    // page follows the button that is checked now.
    if (!checked || type == m_type)
        return;
    if (type == Image && Kind() != m_kinds.imageKind && !EditImage()) {
        // Cancelled: the pattern becomes plain, whatever it was before (checking the plain
        // button applies it; a plain pattern stays as it was).
        m_typeButtons[Plain]->setChecked(true);
        return;
    }
    ApplyType(type);
    if (type == Procedural)
        PatternChosen();
    emit textureChanged();
}

void PatternPage::OnPatternChosen() {
    if (m_type != Procedural)
        return;
    SetKind(Selection());
    TypeApplied(m_type);
    PatternChosen();
    emit textureChanged();
}

bool PatternPage::EditImage() {
    if (m_preview)
        m_preview->HideForDialog();
    const bool accepted =
        RunImageMapDialog(m_fields.image, m_kinds.withBumpSize,
                          m_services.Settings().EffectiveProgramDirectory(), this);
    if (m_preview)
        m_preview->ShowAfterDialog();
    if (accepted)
        emit textureChanged();
    return accepted;
}

void PatternPage::OnSliderMoved() {
    TakeOwnSliders();
    // Every slider's value is taken again; an edit whose text was refused shows its value again.
    const auto take = [](const SliderPair& pair, int& field) {
        if (pair.slider->value() != field) {
            field = pair.slider->value();
            pair.field->ShowInteger(field);
        } else if (!pair.field->IsGood()) {
            pair.field->ShowInteger(field);
        }
    };
    take(m_amount, m_amountValue);
    take(m_octaves, m_octavesValue);
    take(m_omega, m_omegaValue);
    if (m_lambda.slider->value() != LambdaPosition(m_lambdaValue)) {
        m_lambdaValue = static_cast<float>(m_lambda.slider->value() * 0.1);
        m_lambda.field->Show(QString::number(static_cast<double>(m_lambdaValue), 'f', 1));
    } else if (!m_lambda.field->IsGood()) {
        m_lambda.field->ShowNumber(m_lambdaValue);
    }
    take(m_phase, m_phaseValue);
    if (m_frequency.slider->value() - kFrequencyOffset != m_frequencyValue) {
        // The slider never yields frequency 0: its middle stands for 1.
        if (m_frequency.slider->value() == kFrequencyOffset)
            SetSlider(m_frequency.slider, kFrequencyOffset + 1);
        m_frequencyValue = m_frequency.slider->value() - kFrequencyOffset;
        m_frequency.field->ShowInteger(m_frequencyValue);
    } else if (!m_frequency.field->IsGood()) {
        m_frequency.field->ShowInteger(m_frequencyValue);
    }
    CopyIntoPattern();
}

void PatternPage::CopyIntoPattern() {
    // The fields take only values in their ranges; a value of the texture's own beyond them (from
    // a file) is held as the nearest one the pattern can keep, never a wrapped byte.
    m_fields.phase = static_cast<std::uint8_t>(std::clamp(m_phaseValue, 0, 100));
    m_fields.frequency = std::clamp(m_frequencyValue, -50, 50);
    m_fields.turbulence.amount = static_cast<std::uint8_t>(std::clamp(m_amountValue, 0, 200));
    m_fields.turbulence.octaves = static_cast<std::uint8_t>(std::clamp(m_octavesValue, 1, 10));
    m_fields.turbulence.omega = static_cast<std::uint8_t>(std::clamp(m_omegaValue, 1, 100));
    m_fields.turbulence.lambda = std::clamp(m_lambdaValue, 0.0f, 6.0f);
    CopyOwnFields();
    emit textureChanged();
}

bool PatternPage::ReadFields() {
    return CheckOwnFields() &&
           CheckFields({m_octaves.field, m_omega.field, m_amount.field, m_phase.field,
                        m_frequency.field, m_lambda.field},
                       this) &&
           m_transforms->Check(this);
}
