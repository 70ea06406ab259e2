#include "ui/editors/pigmentpage.h"

#include "core/model/simpletexture.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/colorswatch.h"
#include "ui/editors/previewlink.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

namespace {

void KeepPlace(QWidget* widget) {
    QSizePolicy policy = widget->sizePolicy();
    policy.setRetainSizeWhenHidden(true);
    widget->setSizePolicy(policy);
}

} // namespace

PigmentPage::PigmentPage(AppServices& services, SimpleTexture& texture, QWidget* parent)
    : PatternPage(
          services, texture, texture.pigment,
          Kinds{
              "Pigment Type",
              {"&Color", "&Image", "Proce&dural"},
              {Kinds::Pattern("gradient", Pigment::Gradient),
               Kinds::Pattern("marble", Pigment::Marble), Kinds::Pattern("wood", Pigment::Wood),
               Kinds::Pattern("onion", Pigment::Onion), Kinds::Pattern("leopard", Pigment::Leopard),
               Kinds::Pattern("granite", Pigment::Granite), Kinds::Pattern("bozo", Pigment::Bozo),
               Kinds::Pattern("spotted", Pigment::Spotted), Kinds::Pattern("agate", Pigment::Agate),
               Kinds::Pattern("radial", Pigment::Radial)},
              Pigment::SolidColor,
              Pigment::ImageMap,
              false},
          parent) {
    m_colorGroup = new QWidget(this);
    m_swatch = new ColorSwatch(m_colorGroup);
    m_swatch->setObjectName(QStringLiteral("swatch"));
    m_swatch->setAccessibleName(QStringLiteral("Pigment Color"));
    m_swatch->setMinimumSize(60, 28);
    m_select = new QPushButton(QStringLiteral("Select..."), m_colorGroup);
    m_select->setObjectName(QStringLiteral("selectColor"));
    m_select->setAccessibleName(QStringLiteral("Select Color"));
    m_select->setAutoDefault(false);
    auto* colorLayout = new QHBoxLayout(m_colorGroup);
    colorLayout->setContentsMargins(0, 0, 0, 0);
    colorLayout->addWidget(m_swatch, 1);
    colorLayout->addWidget(m_select);
    KeepPlace(m_colorGroup);

    m_gradient = new QGroupBox(QStringLiteral("&Gradient"), this);
    m_gradient->setObjectName(QStringLiteral("gradient"));
    auto* axes = new QHBoxLayout(m_gradient);
    const char* const names[] = {"X", "Y", "Z"};
    for (int axis = 0; axis < 3; ++axis) {
        auto* box = new QCheckBox(QString::fromLatin1(names[axis]), m_gradient);
        box->setObjectName(QStringLiteral("gradient%1").arg(QString::fromLatin1(names[axis])));
        box->setAccessibleName(QStringLiteral("Gradient %1").arg(QString::fromLatin1(names[axis])));
        axes->addWidget(box);
        m_axes[static_cast<std::size_t>(axis)] = box;
        connect(box, &QCheckBox::toggled, this, [this, axis] { OnAxisToggled(axis); });
    }
    KeepPlace(m_gradient);
    // The group's access key leads to its first axis.
    m_gradient->setFocusProxy(m_axes[0]);

    OwnCell()->addWidget(m_colorGroup, 0, 0, Qt::AlignTop);
    OwnCell()->addWidget(m_gradient, 0, 0, Qt::AlignTop);
    m_colorGroup->hide();
    m_gradient->hide();
    SettingsButton()->hide();

    connect(m_select, &QPushButton::clicked, this, &PigmentPage::OnSelectColor);
    connect(ColorMapButton(), &QPushButton::clicked, this, &PigmentPage::OnColorMap);

    Initialise();
}

int PigmentPage::Kind() const {
    return m_texture.pigment.pattern;
}

void PigmentPage::SetKind(int kind) {
    m_texture.pigment.pattern = static_cast<std::uint8_t>(kind);
}

void PigmentPage::TypeApplied(int type) {
    m_colorGroup->setVisible(type == Plain);
    m_gradient->setVisible(type == Procedural && Kind() == Pigment::Gradient);
    ShowSwatch();
}

void PigmentPage::ShowOwnFields() {
    const Pigment& pigment = m_texture.pigment;
    const std::uint8_t flags[] = {pigment.gradientX, pigment.gradientY, pigment.gradientZ};
    for (std::size_t axis = 0; axis < 3; ++axis) {
        const QSignalBlocker quiet(m_axes[axis]);
        m_axes[axis]->setChecked(flags[axis] != 0);
    }
    ApplyGradientRule();
    ShowSwatch();
}

void PigmentPage::ShowSwatch() {
    const ColorRGBF& color = m_texture.pigment.color;
    if (m_type == Plain)
        m_swatch->SetColor(QColor(color.red, color.green, color.blue));
    else
        m_swatch->Clear();
}

void PigmentPage::ApplyGradientRule() {
    // The last checked axis cannot be cleared.
    for (QCheckBox* box : m_axes)
        box->setEnabled(true);
    int checked = 0;
    for (QCheckBox* box : m_axes)
        checked += box->isChecked() ? 1 : 0;
    if (checked == 1)
        for (QCheckBox* box : m_axes)
            if (box->isChecked())
                box->setEnabled(false);
}

void PigmentPage::OnAxisToggled(int axis) {
    Pigment& pigment = m_texture.pigment;
    const std::uint8_t flag = m_axes[static_cast<std::size_t>(axis)]->isChecked() ? 1 : 0;
    (axis == 0 ? pigment.gradientX : axis == 1 ? pigment.gradientY : pigment.gradientZ) = flag;
    ApplyGradientRule();
    emit textureChanged();
}

void PigmentPage::OnSelectColor() {
    Pigment& pigment = m_texture.pigment;
    const ColorRGBF before = pigment.color;
    ColorSelectorDialog selector(m_services, ColorSelectorDialog::PigmentColor, this);
    selector.SetColor(before);
    selector.SetTexture(&m_texture);
    connect(&selector, &ColorSelectorDialog::colorChanged, this, &PigmentPage::textureChanged);
    if (selector.exec() == QDialog::Accepted)
        pigment.color = selector.Color();
    else
        pigment.color = before;
    ShowSwatch();
    emit textureChanged();
}

void PigmentPage::OnColorMap() {
    ColorMap& map = m_texture.pigment.colorMap;
    const ColorMap before = map;
    ColorMapDialog dialog(m_services, m_texture, this);
    dialog.SetPreview(m_preview);
    connect(&dialog, &ColorMapDialog::mapChanged, this, &PigmentPage::textureChanged);
    if (dialog.exec() != QDialog::Accepted)
        map = before;
    emit textureChanged();
}
