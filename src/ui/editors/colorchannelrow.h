#pragma once

#include <QObject>
#include <QString>

class NumberField;
class QGridLayout;
class QLabel;
class QLineEdit;
class QSlider;
class QWidget;

/// One colour channel as the colour dialogs show it, on a row of their grid: the caption, a
/// slider, and in one place an edit of whole numbers (0 to the maximum) or of decimals (0 to 1),
/// whichever view is on. The slider runs over the whole numbers, or over hundredths in the
/// decimal view. A colour byte can show its whole number as POV-Ray writes it (0.502 for 128),
/// in the edit of whole numbers.
class ColorChannelRow : public QObject {
    Q_OBJECT
public:
    /// Builds the row's widgets in `grid` at `row`. `name` names them for tests and assistive
    /// technology ("Red": "redSlider", "redInteger", "redDecimal", "redLabel"); `pageStep` is the
    /// slider's step over whole numbers (a tenth in the decimal view); `povRayByte` shows the
    /// whole number, a byte, as POV-Ray writes it.
    ColorChannelRow(QWidget* dialog, QGridLayout* grid, int row, const QString& caption,
                    const QString& name, int maximum, int pageStep, bool povRayByte = false);

    QLabel* Label() const { return m_label; }
    QSlider* Slider() const { return m_slider; }
    QLineEdit* IntegerEdit() const { return m_integerEdit; }
    QLineEdit* DecimalEdit() const { return m_decimalEdit; }
    NumberField* IntegerField() const { return m_integerField; }
    NumberField* DecimalField() const { return m_decimalField; }
    /// The field of the view that is on: the one OK checks.
    NumberField* ShownField() const { return m_decimalView ? m_decimalField : m_integerField; }

    /// Shows whole numbers or decimals: which edit is there and which one the caption leads to.
    void SetDecimalView(bool decimal);
    /// Writes `whole` into the whole-number edit and `decimal` (two places) into the other.
    void ShowInEdits(int whole, double decimal);
    /// Puts the slider, without a signal, at `whole`, or in the decimal view at `hundredths`.
    void SetSlider(int whole, int hundredths);
    /// Makes the widgets follow `previous` in the tab order; returns the last of them.
    QWidget* FollowInTabOrder(QWidget* previous);

signals:
    /// The slider's value changed: dragged, or moved with the keys.
    void sliderChanged();
    void sliderReleased();
    /// Something was typed into one of the edits.
    void typed(bool decimalEdit);

private:
    int m_maximum;
    int m_pageStep;
    bool m_decimalView = false;
    QLabel* m_label;
    QSlider* m_slider;
    QLineEdit* m_integerEdit;
    QLineEdit* m_decimalEdit;
    NumberField* m_integerField;
    NumberField* m_decimalField;
};
