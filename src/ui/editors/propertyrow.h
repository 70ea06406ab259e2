#pragma once

#include "core/povtext/editing/textureoutline.h"

#include <QWidget>
#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;
class QPushButton;
class QSlider;
class QToolButton;

/// The controls of one property of a source texture's outline, made after the kind the
/// language table gives it: a number field with a slider over the value's range, a field (and
/// slider) per component of a vector, a colour swatch with its five channels, a list of
/// choices, a check box for a flag, or the text as written. An expression shows its value and
/// is written over only when the user changes it. The row changes nothing itself: it says what
/// POV-Ray text the user asked for.
class PropertyRow : public QWidget {
    Q_OBJECT
public:
    PropertyRow(const OutlineProperty& property, QWidget* parent = nullptr);

    /// Shows the property's value again, as the text now has it, saying nothing.
    void Show(const OutlineProperty& property);
    /// Whether `property` is shown by the same controls (same path, kind and size).
    bool Fits(const OutlineProperty& property) const;

    const QString& Path() const { return m_path; }
    /// "Turbulence", "Colour", "Phong (2)".
    const QString& Label() const { return m_label; }
    QWidget* FirstControl() const { return m_first; }
    QSlider* Slider(int component = 0) const;
    QLineEdit* Field(int component = 0) const;
    QComboBox* Choice() const { return m_choice; }
    QToolButton* RemoveButton() const { return m_remove; }

    /// The label a property shows, from the table's label for its keyword.
    static QString LabelOf(const OutlineProperty& property);

protected:
    /// Return in a field takes its value; it does not press the dialog's default button.
    bool eventFilter(QObject* watched, QEvent* event) override;

signals:
    /// The user asked for `text` (POV-Ray text) as the value of the property at `path`.
    void valueEdited(const QString& path, const QString& text);
    void removeRequested(const QString& path);
    /// The swatch was clicked: the colour selector is to open for the property.
    void colorPickRequested(const QString& path);

private:
    enum class Shape { Numbers, Color, Choice, Flag, Text };

    void BuildNumbers(int count);
    void BuildColor();
    void BuildChoice(const OutlineProperty& property);
    void BuildText();
    QLineEdit* AddField(const QString& name);
    QSlider* AddSlider(const QString& name, int component);
    void NumbersEdited();
    void SliderMoved(int component, int position);
    void ShowSlider(int component, double value);
    double SliderValue(int position) const;
    QString NumbersText() const;

    QString m_path;
    QString m_label;
    Shape m_shape = Shape::Text;
    int m_size = 0; ///< the numbers shown
    double m_low = 0;
    double m_high = 1;
    bool m_whole = false; ///< the slider steps through whole numbers
    std::vector<double> m_numbers;
    std::vector<QLineEdit*> m_fields;
    std::vector<QSlider*> m_sliders;
    QComboBox* m_choice = nullptr;
    QCheckBox* m_flag = nullptr;
    QLineEdit* m_text = nullptr;
    QPushButton* m_swatch = nullptr;
    QToolButton* m_remove = nullptr;
    QWidget* m_first = nullptr;
    bool m_showing = false; ///< while the value is being shown, edits are not the user's
};
