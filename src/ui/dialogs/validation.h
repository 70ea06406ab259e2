#pragma once

#include <QString>
#include <optional>

class QLineEdit;
class QWidget;

/// Reading numbers from dialog fields with the program's standard messages. Text is read the
/// same way whatever the user's locale: "." is the decimal point, blanks around the number are
/// allowed, anything else after it is not. A field that fails shows its message (title
/// "Velvane"), gets the focus back with its text selected, and the caller stops reading.
///
/// A message names the field and what it takes, for text that is no number and for a number out
/// of range alike: "Turbulence strength: please enter a whole number from 0 to 200."
namespace Validation {

/// An optionally signed whole number in the range of int, or nothing.
std::optional<int> ParseInteger(const QString& text);
/// A decimal number ("1.5", "-.25", "3.", "1e-3"), or nothing. No infinities, no NaN.
std::optional<double> ParseNumber(const QString& text);

/// The name a message gives a field: its accessible name, or else the text of the label that
/// leads to it, in sentence case ("Turbulence Strength" gives "Turbulence strength"; "Scale X"
/// and "IOR" stay as they are). Empty when the field has neither.
QString FieldName(const QWidget* field);

/// "Octaves: please enter a whole number from 1 to 10." ("Please enter a whole number from 1 to
/// 10." for a field without a name).
QString IntegerRangeMessage(int minimum, int maximum, const QString& field = {});
/// "Count: please enter a whole number."
QString IntegerMessage(const QString& field = {});
/// "Lambda: please enter a number from 0.0 to 6.0." (bounds written as number fields show them).
QString NumberRangeMessage(float minimum, float maximum, const QString& field = {});
/// The same with the bounds written as given ("Red: please enter a number from 0 to 1.").
QString NumberRangeMessage(const QString& minimum, const QString& maximum,
                           const QString& field = {});
/// "Scale X: please enter a number."
QString NumberMessage(const QString& field = {});

/// The 32-bit float a parsed number gives a field; nothing for values beyond its range.
std::optional<float> AsFloat(const std::optional<double>& value);

/// Reads an integer from `field`; on failure shows the message, focuses the field and returns
/// nothing. The message box belongs to `parent`, or to the field's window when it is null.
std::optional<int> ReadInteger(QLineEdit* field, QWidget* parent = nullptr);
std::optional<int> ReadInteger(QLineEdit* field, int minimum, int maximum,
                               QWidget* parent = nullptr);
/// Reads a 32-bit float from `field`, with the same rules.
std::optional<float> ReadNumber(QLineEdit* field, QWidget* parent = nullptr);
std::optional<float> ReadNumber(QLineEdit* field, float minimum, float maximum,
                                QWidget* parent = nullptr);

/// Shows `message` for `field` and gives the field the focus with its text selected.
void RefuseField(QLineEdit* field, const QString& message, QWidget* parent = nullptr);

/// Reads a dialog's fields one after another and stops at the first that fails: once a read
/// has failed, later reads leave their targets alone and show nothing.
///
///     FieldReader reader(this);
///     reader.Number(m_threshold, threshold, 0.0f, 3.0f);
///     reader.Integer(m_width, width, 10, 8192);
///     if (!reader.Ok()) return;
class FieldReader {
public:
    explicit FieldReader(QWidget* parent = nullptr) : m_parent(parent) {}

    bool Integer(QLineEdit* field, int& target);
    bool Integer(QLineEdit* field, int& target, int minimum, int maximum);
    bool Number(QLineEdit* field, float& target);
    bool Number(QLineEdit* field, float& target, float minimum, float maximum);

    bool Ok() const { return m_ok; }
    explicit operator bool() const { return m_ok; }

private:
    template <typename T> bool Take(const std::optional<T>& value, T& target);

    QWidget* m_parent;
    bool m_ok = true;
};

} // namespace Validation

class QLabel;

/// Makes `label` lead to `widget` (its buddy) and names the widget after it: the label's text
/// without the mnemonic marker ("&&" stays a plain "&") and a closing colon. A screen reader
/// then announces a combo box or list by its label rather than by the value it shows.
void LabelFor(QLabel* label, QWidget* widget);
