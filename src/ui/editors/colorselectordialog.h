#pragma once

#include "core/model/colorrgbf.h"
#include "ui/editors/colorchannelrow.h"

#include <QDialog>
#include <QImage>
#include <array>

class AppServices;
class ColorSwatch;
class QCheckBox;
class QComboBox;
class QPushButton;
class SimpleTexture;

/// The Color Selector: one colour with a filter, through red, green, blue, filter, hue, value
/// (HSV) and saturation sliders and edits (whole numbers or decimals), a hexadecimal edit
/// (#RRGGBB), a picker square (value across, saturation down) beside a hue strip, and the
/// program's named colours.
class ColorSelectorDialog : public QDialog {
    Q_OBJECT
public:
    enum Mode {
        MapEntryColor = 0, ///< a colour map entry: nothing outside the dialog changes
        PigmentColor = 1,  ///< the pigment colour: every change goes into the texture at once
    };
    enum Channel { Red, Green, Blue, Filter, Hue, HsvValue, Saturation, ChannelCount };

    ColorSelectorDialog(AppServices& services, Mode mode, QWidget* parent = nullptr);

    /// The colour the dialog starts from (before it is shown).
    void SetColor(const ColorRGBF& color);
    ColorRGBF Color() const;
    /// The texture whose pigment colour follows the dialog in PigmentColor mode.
    void SetTexture(SimpleTexture* texture) { m_texture = texture; }

    int Value(Channel channel) const { return m_value[channel]; }
    float Decimal(Channel channel) const { return m_decimal[channel]; }
    bool IsDecimal() const { return m_decimalView; }

    QSlider* Slider(Channel channel) const { return m_rows[channel]->Slider(); }
    QLineEdit* IntegerEdit(Channel channel) const { return m_rows[channel]->IntegerEdit(); }
    QLineEdit* DecimalEdit(Channel channel) const { return m_rows[channel]->DecimalEdit(); }
    QLineEdit* HexEdit() const { return m_hex; }
    QCheckBox* DecimalCheck() const { return m_decimalCheck; }
    QComboBox* NameList() const { return m_names; }
    QPushButton* AddButton() const { return m_add; }
    QPushButton* RemoveButton() const { return m_remove; }
    QPushButton* SaveButton() const { return m_save; }
    QWidget* Picker() const { return m_picker; }
    QWidget* HueStrip() const { return m_hueStrip; }
    const QImage& PickerImage() const { return m_pickerImage; }

    /// Picks with the mouse as a press (and drag) at a point of the picker or hue strip, in
    /// their own coordinates; outside them the values are clamped.
    void DragPicker(const QPoint& point);
    void DragHue(const QPoint& point);
    void EndDrag();

    /// The marker's centre in the picker, and the arrow's tip height on the hue strip.
    QPoint MarkerCentre() const;
    int HueArrowY() const;

    void accept() override;

signals:
    /// The current colour changed (in PigmentColor mode the texture already has it).
    void colorChanged();

private:
    friend class DragArea;
    friend class HueStripArea;
    friend class PickerSquare;

    /// What the mouse drags: nothing, the picker square or the hue strip.
    enum class Drag { None, Picker, Hue };

    void BuildControls();
    void FillNameList();
    void FromRgb();
    void FromHsv();
    void RecomputeDecimals(int except = -1);
    void WriteEdits();
    void SetSliders(int except = -1);
    void RebuildPicker();
    void Changed();
    /// After the whole numbers changed: the decimals, edits, sliders and the rest follow.
    void ShowChange();
    void OnSliderMoved(Channel channel);
    void OnSliderReleased();
    void OnEditTyped(Channel channel, bool decimalEdit);
    void SetDecimalView(bool decimal);
    void OnDecimalToggled(bool checked);
    /// Shows the colour in the hex edit, unless its text already reads as the colour.
    void ShowHex();
    void OnHexEdited();
    void OnHexFinished();
    void MarkHex(bool good);
    void OnNameChosen(int index);
    void OnAdd();
    void OnRemove();
    void OnSave();

    AppServices& m_services;
    Mode m_mode;
    SimpleTexture* m_texture = nullptr;
    std::array<int, ChannelCount> m_value{255, 255, 255, 0, 0, 255, 0};
    std::array<float, ChannelCount> m_decimal{};
    bool m_decimalView = false;
    /// The colour channels show as POV-Ray writes them; the Decimal box then stays checked and off.
    bool m_povRay = false;
    Drag m_drag = Drag::None;
    bool m_rebuildPicker = false;

    std::array<ColorChannelRow*, ChannelCount> m_rows{};
    QLineEdit* m_hex = nullptr;
    bool m_hexGood = true;
    QCheckBox* m_decimalCheck = nullptr;
    ColorSwatch* m_swatch = nullptr;
    QWidget* m_picker = nullptr;
    QWidget* m_hueStrip = nullptr;
    QImage m_pickerImage;
    QComboBox* m_names = nullptr;
    QPushButton* m_add = nullptr;
    QPushButton* m_remove = nullptr;
    QPushButton* m_save = nullptr;
};
