#pragma once

#include "ui/editors/patternpage.h"

/// The Normal page: no normal, an image used as a bump map, or one of five normal patterns with
/// a strength.
class NormalPage : public PatternPage {
    Q_OBJECT
public:
    NormalPage(AppServices& services, SimpleTexture& texture, QWidget* parent = nullptr);

    const SliderPair& Strength() const { return m_strength; }
    QGroupBox* StrengthGroup() const { return m_strengthGroup; }

protected:
    int Kind() const override;
    void SetKind(int kind) override;
    void TypeApplied(int type) override;
    bool CheckOwnFields() override;
    void PatternChosen() override;
    void ShowOwnFields() override;
    void TakeOwnSliders() override;
    void CopyOwnFields() override;

private:
    QGroupBox* m_strengthGroup = nullptr;
    SliderPair m_strength;
    int m_strengthValue = 0;
};
