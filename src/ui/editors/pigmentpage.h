#pragma once

#include "ui/editors/patternpage.h"

#include <array>

class ColorSwatch;

/// The Pigment page: a plain colour (with the swatch and "Select..."), an image map, or one of
/// ten colour-mapped patterns (with "Color &Map..." and, for Gradient, the axes).
class PigmentPage : public PatternPage {
    Q_OBJECT
public:
    PigmentPage(AppServices& services, SimpleTexture& texture, QWidget* parent = nullptr);

    ColorSwatch* Swatch() const { return m_swatch; }
    QPushButton* SelectButton() const { return m_select; }
    QGroupBox* GradientGroup() const { return m_gradient; }
    QCheckBox* GradientAxis(int axis) const { return m_axes[static_cast<std::size_t>(axis)]; }
    QWidget* ColorGroup() const { return m_colorGroup; }

protected:
    int Kind() const override;
    void SetKind(int kind) override;
    void TypeApplied(int type) override;
    void ShowOwnFields() override;

private:
    void ApplyGradientRule();
    void OnAxisToggled(int axis);
    void OnSelectColor();
    void OnColorMap();
    void ShowSwatch();

    QWidget* m_colorGroup = nullptr;
    ColorSwatch* m_swatch = nullptr;
    QPushButton* m_select = nullptr;
    QGroupBox* m_gradient = nullptr;
    std::array<QCheckBox*, 3> m_axes{};
};
