#pragma once

#include "ui/editors/texturepage.h"

#include <array>
#include <cstdint>

class NumberField;
class QCheckBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSlider;

/// The Finish page of the texture edit sheet: ambient, diffuse, brilliance, reflection, phong,
/// specular (each an edit with a slider), crand, refraction with its index of refraction (and
/// the presets), and metallic. Every change goes into the working texture's finish at once.
class FinishPage : public TexturePage {
    Q_OBJECT
public:
    /// The seven whole-number values with a slider, in reading order.
    enum Value { Ambient, Diffuse, Reflection, Phong, PhongSize, Specular, Roughness, ValueCount };

    FinishPage(AppServices& services, SimpleTexture& texture, QWidget* parent = nullptr);

    /// Values go into the finish as they are typed; this checks them in reading order: ambient,
    /// diffuse, brilliance, reflection, phong, phong size, specular, roughness, crand, IOR.
    bool ReadFields() override;
    void ShowFields() override;

    QSlider* Slider(Value value) const { return m_pairs[value].slider; }
    QLineEdit* Edit(Value value) const { return m_pairs[value].edit; }
    QSlider* BrillianceSlider() const { return m_brillianceSlider; }
    QLineEdit* BrillianceEdit() const { return m_brillianceEdit; }
    QLineEdit* CrandEdit() const { return m_crand; }
    QLineEdit* IorEdit() const { return m_ior; }
    QLabel* IorLabel() const { return m_iorLabel; }
    QCheckBox* RefractionCheck() const { return m_refraction; }
    QCheckBox* MetallicCheck() const { return m_metallic; }
    QCheckBox* UpdateThumbnailCheck() const { return m_updateThumbnail; }
    QPushButton* PresetsButton() const { return m_presets; }
    QPushButton* ViewSourceButton() const { return m_viewSource; }

    /// Opens the IOR Presets dialog; its OK puts the chosen preset's value in the finish.
    void ChoosePreset();

private:
    struct Pair {
        QLabel* label = nullptr;
        QSlider* slider = nullptr;
        QLineEdit* edit = nullptr;
        NumberField* field = nullptr;
    };

    int& Field(Value value);
    void SliderMoved(Value value);
    void BrillianceMoved();
    void Typed(Value value);
    void ShowSliders();
    void EnableRefraction(bool on);
    /// Sets a flag of the finish; a change goes to the Preview.
    void SetFlag(std::uint8_t& flag, bool on);

    std::array<Pair, ValueCount> m_pairs;
    QSlider* m_brillianceSlider = nullptr;
    QLineEdit* m_brillianceEdit = nullptr;
    NumberField* m_brilliance = nullptr;
    QLineEdit* m_crand = nullptr;
    NumberField* m_crandField = nullptr;
    QLineEdit* m_ior = nullptr;
    NumberField* m_iorField = nullptr;
    QLabel* m_iorLabel = nullptr;
    QCheckBox* m_refraction = nullptr;
    QCheckBox* m_metallic = nullptr;
    QCheckBox* m_updateThumbnail = nullptr;
    QPushButton* m_presets = nullptr;
    QPushButton* m_viewSource = nullptr;
};
