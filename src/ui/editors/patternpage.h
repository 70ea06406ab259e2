#pragma once

#include "ui/editors/texturepage.h"

#include <QStringList>
#include <array>
#include <functional>
#include <string_view>
#include <utility>
#include <vector>

class ImageMap;
class NumberField;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSlider;
class QVBoxLayout;
class TransformEdits;
struct PatternFields;

/// What the Pigment and Normal pages share: the type buttons (plain / image / procedural) with
/// the sorted pattern list, the image "Settings..." button, phase and frequency, turbulence,
/// the pattern's own translate, scale and rotate, "&View Source..." and "&Update Thumbnail".
/// Every change goes into the working texture at once. The pages add what only they have (the
/// colour swatch and gradient axes, or the normal's strength) through the hooks below.
class PatternPage : public TexturePage {
    Q_OBJECT
public:
    enum Type { Plain = 0, Image = 1, Procedural = 2 };

    /// One slider with its edit and the edit's number field.
    struct SliderPair {
        QLabel* label = nullptr;
        QSlider* slider = nullptr;
        QLineEdit* edit = nullptr;
        NumberField* field = nullptr;
    };

    QRadioButton* TypeButton(int type) const {
        return m_typeButtons[static_cast<std::size_t>(type)];
    }
    QComboBox* PatternList() const { return m_pattern; }
    QPushButton* SettingsButton() const { return m_settings; }
    QPushButton* ColorMapButton() const { return m_colorMap; }
    const SliderPair& Phase() const { return m_phase; }
    const SliderPair& Frequency() const { return m_frequency; }
    const SliderPair& TurbulenceStrength() const { return m_amount; }
    const SliderPair& Octaves() const { return m_octaves; }
    const SliderPair& Omega() const { return m_omega; }
    const SliderPair& Lambda() const { return m_lambda; }
    TransformEdits* Transforms() const { return m_transforms; }
    QCheckBox* UpdateThumbnailCheck() const { return m_updateThumbnail; }
    QPushButton* ViewSourceButton() const { return m_viewSource; }
    QGroupBox* TurbulenceGroup() const { return m_turbulenceGroup; }
    QGroupBox* PatternGroup() const { return m_patternGroup; }
    QGroupBox* TransformGroup() const { return m_transformGroup; }

    bool ReadFields() override;
    void ShowFields() override;

protected:
    /// What a page tells the shared part about its pattern kinds.
    struct Kinds {
        const char* typeCaption;                ///< "Pigment Type"
        std::array<const char*, 3> typeButtons; ///< "&Color", "&Image", "Proce&dural"
        /// Each pattern's name and kind; the list shows them sorted by name.
        std::vector<std::pair<QString, int>> patterns;

        /// The item of the pattern POV-Ray calls `keyword`, named by the language table.
        static std::pair<QString, int> Pattern(std::string_view keyword, int kind);
        int plainKind;     ///< kind of type 0 (10 or 5)
        int imageKind;     ///< kind of type 1 (11 or 6)
        bool withBumpSize; ///< the Image Mapping dialog shows "Bump &Size"
    };

    PatternPage(AppServices& services, SimpleTexture& texture, PatternFields& fields,
                const Kinds& kinds, QWidget* parent);
    /// Called by the page's constructor once its own controls exist: takes the fields from the
    /// pattern, writes the controls and applies the type (the page's initialisation).
    void Initialise();

    virtual int Kind() const = 0;
    virtual void SetKind(int kind) = 0;
    /// Shows, hides, enables and disables the page's own groups for a type.
    virtual void TypeApplied(int type) = 0;
    /// The page's own checks, made before the shared fields'.
    virtual bool CheckOwnFields() { return true; }
    /// The user chose a procedural pattern (the type or the list).
    virtual void PatternChosen() {}
    /// Writes the page's own fields into the controls.
    virtual void ShowOwnFields() {}
    /// Compares the page's own sliders first when a slider moves and takes what differs.
    virtual void TakeOwnSliders() {}
    /// Copies the page's own values into the pattern with the shared ones.
    virtual void CopyOwnFields() {}

    /// The column under the type buttons where a page puts its own groups.
    QVBoxLayout* OwnColumn() const { return m_ownColumn; }
    /// The place under that column shared by groups of which only one shows at a time (the
    /// image "Settings..." button, the colour swatch, the gradient axes).
    QGridLayout* OwnCell() const { return m_ownCell; }
    /// Makes a slider row with its label, the slider's range and accessible names; the caller
    /// gives the edit its number field.
    SliderPair MakeSlider(QGridLayout* grid, int row, const QString& caption, int minimum,
                          int maximum, const QString& objectName);
    /// Runs `handler` when the user types a good value into the pair's edit.
    void OnTyped(const SliderPair& pair, const std::function<void()>& handler);
    /// Copies the slider fields into the pattern (clamped to what the pattern can hold) and
    /// tells the Preview.
    void CopyIntoPattern();
    /// Runs the Image Mapping dialog on the pattern's image; true on OK.
    bool EditImage();
    /// The kind the list selection stands for.
    int Selection() const;

    void ApplyType(int type);
    void OnSliderMoved();
    /// Moves a slider without it reporting a move.
    static void SetSlider(QSlider* slider, int position);

    PatternFields& m_fields;
    Kinds m_kinds;
    int m_type = Plain;
    int m_octavesValue = 6;
    int m_omegaValue = 50;
    float m_lambdaValue = 2.0f;
    int m_amountValue = 0;
    int m_phaseValue = 0;
    int m_frequencyValue = 1;

private:
    void OnTypeToggled(int type, bool checked);
    void OnPatternChosen();
    void BuildControls();
    void SetSliders();

    QGroupBox* m_typeGroup = nullptr;
    std::array<QRadioButton*, 3> m_typeButtons{};
    QComboBox* m_pattern = nullptr;
    QPushButton* m_settings = nullptr;
    QGroupBox* m_patternGroup = nullptr;
    SliderPair m_phase;
    SliderPair m_frequency;
    QPushButton* m_colorMap = nullptr;
    QGroupBox* m_turbulenceGroup = nullptr;
    SliderPair m_amount;
    SliderPair m_octaves;
    SliderPair m_omega;
    SliderPair m_lambda;
    QGroupBox* m_transformGroup = nullptr;
    TransformEdits* m_transforms = nullptr;
    QCheckBox* m_updateThumbnail = nullptr;
    QPushButton* m_viewSource = nullptr;
    QVBoxLayout* m_ownColumn = nullptr;
    QGridLayout* m_ownCell = nullptr;
};
