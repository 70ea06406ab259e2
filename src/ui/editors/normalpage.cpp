#include "ui/editors/normalpage.h"

#include "core/model/simpletexture.h"
#include "render/settings/programsettings.h"
#include "ui/dialogs/numberfield.h"
#include "ui/framework/appservices.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <algorithm>

namespace {

constexpr int kVisibleStrength = 50; ///< the strength a pattern chosen at strength 0 gets
}

NormalPage::NormalPage(AppServices& services, SimpleTexture& texture, QWidget* parent)
    : PatternPage(
          services, texture, texture.normal,
          Kinds{"Normal Type",
                {"&None", "&Image", "Proce&dural"},
                {Kinds::Pattern("bumps", Normal::Bumps), Kinds::Pattern("dents", Normal::Dents),
                 Kinds::Pattern("ripples", Normal::Ripples), Kinds::Pattern("waves", Normal::Waves),
                 Kinds::Pattern("wrinkles", Normal::Wrinkles)},
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

    m_strength.field = NumberField::PartsOf(m_strength.edit, NumberField::Parts::Hundredths, 0, 100,
                                            m_services.Settings().povRayNumbers);
    OnTyped(m_strength, [this] {
        m_strengthValue = m_strength.field->IntegerValue();
        SetSlider(m_strength.slider, m_strengthValue);
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

bool NormalPage::CheckOwnFields() {
    return m_strength.field->Check(this);
}

void NormalPage::PatternChosen() {
    // A pattern of strength 0 shows nothing: the choice is made visible.
    if (m_strengthValue != 0)
        return;
    m_strengthValue = kVisibleStrength;
    m_strength.field->ShowInteger(m_strengthValue);
    SetSlider(m_strength.slider, m_strengthValue);
    CopyOwnFields();
}

void NormalPage::ShowOwnFields() {
    m_strength.field->ShowInteger(m_strengthValue);
    SetSlider(m_strength.slider, m_strengthValue);
}

void NormalPage::TakeOwnSliders() {
    if (m_strength.slider->value() != m_strengthValue) {
        m_strengthValue = m_strength.slider->value();
        m_strength.field->ShowInteger(m_strengthValue);
    } else if (!m_strength.field->IsGood()) {
        m_strength.field->ShowInteger(m_strengthValue);
    }
}

void NormalPage::CopyOwnFields() {
    m_texture.normal.amount = static_cast<std::uint8_t>(std::clamp(m_strengthValue, 0, 100));
}
