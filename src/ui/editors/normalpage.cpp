#include "ui/editors/normalpage.h"

#include "core/model/simpletexture.h"
#include "ui/dialogs/validation.h"
#include "ui/editors/focuswatch.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

NormalPage::NormalPage(AppServices& services, SimpleTexture& texture, QWidget* parent)
    : PatternPage(
          services, texture, texture.normal,
          Kinds{"Normal Type",
                {"&None", "&Image", "&Procedural"},
                {QStringLiteral("Bumps"), QStringLiteral("Dents"), QStringLiteral("Ripples"),
                 QStringLiteral("Waves"), QStringLiteral("Wrinkles")},
                Normal::None,
                Normal::BumpMap,
                true},
          parent) {
    m_strengthValue = m_texture.normal.amount;
    m_strengthGroup = new QGroupBox(QStringLiteral("Normal"), this);
    auto* grid = new QGridLayout(m_strengthGroup);
    m_strength =
        MakeSlider(grid, 0, QStringLiteral("S&trength"), 0, 100, QStringLiteral("strength"));
    OwnColumn()->addWidget(m_strengthGroup);
    // The normal has no colour map and no gradient axes.
    ColorMapButton()->hide();
    SettingsButton()->hide();

    OnFocusLost(m_strength.edit, [this] {
        if (m_reading)
            return;
        if (!ReadFields())
            return;
        const QSignalBlocker quiet(m_strength.slider);
        m_strength.slider->setValue(m_strengthValue);
        CopyIntoPattern();
    });

    Initialise();
}

int NormalPage::Kind() const {
    return m_texture.normal.kind;
}

void NormalPage::SetKind(int kind) {
    m_texture.normal.kind = static_cast<std::uint8_t>(kind);
}

void NormalPage::TypeApplied(int type) {
    m_strengthGroup->setEnabled(type == Procedural);
}

void NormalPage::ReadOwnFields(Validation::FieldReader& reader) {
    reader.Integer(m_strength.edit, m_strengthValue, 0, 100);
}

void NormalPage::ShowOwnFields() {
    m_strength.edit->setText(QString::number(m_strengthValue));
    const QSignalBlocker quiet(m_strength.slider);
    m_strength.slider->setValue(m_strengthValue);
}

void NormalPage::TakeOwnSliders() {
    if (m_strength.slider->value() != m_strengthValue) {
        m_strengthValue = m_strength.slider->value();
        m_strength.edit->setText(QString::number(m_strengthValue));
    }
}

void NormalPage::CopyOwnFields() {
    m_texture.normal.amount = static_cast<std::uint8_t>(std::clamp(m_strengthValue, 0, 100));
}
