#pragma once

#include <QWidget>
#include <array>
#include <functional>

class QLabel;
class QLineEdit;
class Transformations;

namespace Validation {
class FieldReader;
}

/// The nine number edits of a translate, scale and rotate set, in a grid under the headings X,
/// Y and Z with "&Translate", "&Scale" and "&Rotate" before the rows. Each label leads to its
/// row's X edit; every edit is named for screen readers ("Scale Y").
class TransformEdits : public QWidget {
    Q_OBJECT
public:
    enum Row { Translate = 0, Scale = 1, Rotate = 2 };

    explicit TransformEdits(QWidget* parent = nullptr);

    QLineEdit* Edit(Row row, int axis) const { return m_edits[row][axis]; }
    QLabel* Label(Row row) const { return m_labels[row]; }

    /// Writes the nine numbers into the edits as number text.
    void ShowValues(const Transformations& values);
    /// Reads the nine edits into `values` in the editors' reading order (rotate, scale, translate,
    /// X to Z each), stopping at the first that is no number.
    void ReadValues(Validation::FieldReader& reader, Transformations& values) const;
    /// Runs `handler` with the row and axis when an edit loses the focus.
    void OnEditLeft(const std::function<void(Row, int)>& handler);

private:
    std::array<std::array<QLineEdit*, 3>, 3> m_edits{};
    std::array<QLabel*, 3> m_labels{};
};

/// Number text for an edit (FloatToText).
QString NumberText(float value);
/// The value the standard number conversion reads from the start of `text` (the leading
/// numeric part, 0 when there is none), as the editors take a number the moment an edit is left.
float LeadingNumber(const QString& text);
/// The same for a whole number.
int LeadingInteger(const QString& text);
