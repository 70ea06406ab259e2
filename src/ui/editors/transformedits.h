#pragma once

#include <QWidget>
#include <array>
#include <functional>

class NumberField;
class QLabel;
class QLineEdit;
class Transformations;

/// The nine number edits of a translate, scale and rotate set, in a grid under the headings X,
/// Y and Z with "&Translate", "&Scale" and "&Rotate" before the rows. Each label leads to its
/// row's X edit; every edit is named for screen readers ("Scale Y"). What the user types goes
/// to the owner at once (OnTyped); text that is no number keeps the last number.
class TransformEdits : public QWidget {
    Q_OBJECT
public:
    enum Row { Translate = 0, Scale = 1, Rotate = 2 };

    explicit TransformEdits(QWidget* parent = nullptr);

    QLineEdit* Edit(Row row, int axis) const;
    NumberField* Field(Row row, int axis) const { return m_fields[row][axis]; }
    QLabel* Label(Row row) const { return m_labels[row]; }

    /// Writes the nine numbers into the edits as number text.
    void ShowValues(const Transformations& values);
    /// Checks the nine edits in the editors' reading order (rotate, scale, translate, X to Z
    /// each); the first that holds no number shows its message and takes the focus.
    bool Check(QWidget* parent = nullptr) const;
    /// Runs `handler` with the row, the axis and the number when the user types a number.
    void OnTyped(const std::function<void(Row, int, float)>& handler);

    /// The number of `values` that an edit stands for.
    static float& ValueOf(Transformations& values, Row row, int axis);

private:
    std::array<std::array<NumberField*, 3>, 3> m_fields{};
    std::array<QLabel*, 3> m_labels{};
};

/// Number text for an edit (FloatToText).
QString NumberText(float value);
