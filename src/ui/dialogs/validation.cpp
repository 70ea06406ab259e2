#include "ui/dialogs/validation.h"

#include "core/model/sourcetext.h"
#include "ui/framework/prompts.h"

#include <QLineEdit>
#include <charconv>
#include <cmath>
#include <limits>
#include <string>

namespace Validation {
namespace {

constexpr const char* kTitle = "Velvane";

/// The field's text without the blanks around it, as plain bytes; non-ASCII text can never be
/// a number, so it becomes a character that fails every parse.
std::string Trimmed(const QString& text) {
    std::string bytes;
    for (const QChar c : text.trimmed())
        bytes += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7f';
    return bytes;
}

bool IsDigit(char c) {
    return c >= '0' && c <= '9';
}

QWidget* Owner(QLineEdit* field, QWidget* parent) {
    if (parent)
        return parent;
    return field ? field->window() : nullptr;
}

/// An optional sign and at least one digit, nothing else.
bool HasIntegerShape(const std::string& bytes) {
    std::size_t start = 0;
    if (!bytes.empty() && (bytes[0] == '+' || bytes[0] == '-'))
        start = 1;
    if (start == bytes.size())
        return false;
    for (std::size_t i = start; i < bytes.size(); ++i)
        if (!IsDigit(bytes[i]))
            return false;
    return true;
}

bool HasIntegerShape(const QString& text) {
    return HasIntegerShape(Trimmed(text));
}

} // namespace

std::optional<int> ParseInteger(const QString& text) {
    const std::string bytes = Trimmed(text);
    if (!HasIntegerShape(bytes))
        return std::nullopt;
    // from_chars takes a minus sign but no plus sign.
    const char* first = bytes.data() + (bytes[0] == '+' ? 1 : 0);
    const char* last = bytes.data() + bytes.size();
    int value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last)
        return std::nullopt;
    return value;
}

std::optional<double> ParseNumber(const QString& text) {
    const std::string bytes = Trimmed(text);
    // Check the shape first: sign, digits with at most one point, an optional exponent.
    std::size_t i = 0;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-'))
        ++i;
    const std::size_t mantissa = i;
    int digits = 0;
    while (i < bytes.size() && IsDigit(bytes[i]))
        ++i, ++digits;
    if (i < bytes.size() && bytes[i] == '.') {
        ++i;
        while (i < bytes.size() && IsDigit(bytes[i]))
            ++i, ++digits;
    }
    if (digits == 0)
        return std::nullopt;
    if (i < bytes.size() && (bytes[i] == 'e' || bytes[i] == 'E')) {
        ++i;
        if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-'))
            ++i;
        int exponentDigits = 0;
        while (i < bytes.size() && IsDigit(bytes[i]))
            ++i, ++exponentDigits;
        if (exponentDigits == 0)
            return std::nullopt;
    }
    if (i != bytes.size())
        return std::nullopt;

    const bool negative = mantissa > 0 && bytes[0] == '-';
    const char* first = bytes.data() + mantissa;
    const char* last = bytes.data() + bytes.size();
    double value = 0.0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value))
        return std::nullopt;
    return negative ? -value : value;
}

QString IntegerRangeText(int minimum, int maximum) {
    return QString::fromUtf8(kIntegerRangeMessage).arg(minimum).arg(maximum);
}

QString NumberRangeText(float minimum, float maximum) {
    return QString::fromUtf8(kNumberRangeMessage)
        .arg(QString::fromStdString(FloatToText(minimum)),
             QString::fromStdString(FloatToText(maximum)));
}

void RefuseField(QLineEdit* field, const QString& message, QWidget* parent) {
    Prompts::Message(Owner(field, parent), Prompts::Icon::Warning, QString::fromUtf8(kTitle),
                     message);
    if (field) {
        field->setFocus(Qt::OtherFocusReason);
        field->selectAll();
    }
}

std::optional<int> ReadInteger(QLineEdit* field, QWidget* parent) {
    const auto value = ParseInteger(field->text());
    if (!value)
        RefuseField(field, QString::fromUtf8(kIntegerMessage), parent);
    return value;
}

std::optional<int> ReadInteger(QLineEdit* field, int minimum, int maximum, QWidget* parent) {
    const auto value = ParseInteger(field->text());
    if (!value) {
        // Digits too many for an int are out of range rather than no integer at all.
        RefuseField(field,
                    HasIntegerShape(field->text()) ? IntegerRangeText(minimum, maximum)
                                                   : QString::fromUtf8(kIntegerMessage),
                    parent);
        return std::nullopt;
    }
    if (*value < minimum || *value > maximum) {
        RefuseField(field, IntegerRangeText(minimum, maximum), parent);
        return std::nullopt;
    }
    return value;
}

namespace {

/// The number as the 32-bit float the fields hold; values beyond its range are no number.
std::optional<float> AsFloat(const std::optional<double>& value) {
    if (!value || std::fabs(*value) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(*value);
}

} // namespace

std::optional<float> ReadNumber(QLineEdit* field, QWidget* parent) {
    const auto value = AsFloat(ParseNumber(field->text()));
    if (!value)
        RefuseField(field, QString::fromUtf8(kNumberMessage), parent);
    return value;
}

std::optional<float> ReadNumber(QLineEdit* field, float minimum, float maximum, QWidget* parent) {
    const auto parsed = ParseNumber(field->text());
    if (!parsed) {
        RefuseField(field, QString::fromUtf8(kNumberMessage), parent);
        return std::nullopt;
    }
    const auto value = AsFloat(parsed);
    if (!value || *value < minimum || *value > maximum) {
        RefuseField(field, NumberRangeText(minimum, maximum), parent);
        return std::nullopt;
    }
    return value;
}

template <typename T> bool FieldReader::Take(const std::optional<T>& value, T& target) {
    if (!value) {
        m_ok = false;
        return false;
    }
    target = *value;
    return true;
}

bool FieldReader::Integer(QLineEdit* field, int& target) {
    return m_ok && Take(ReadInteger(field, m_parent), target);
}

bool FieldReader::Integer(QLineEdit* field, int& target, int minimum, int maximum) {
    return m_ok && Take(ReadInteger(field, minimum, maximum, m_parent), target);
}

bool FieldReader::Number(QLineEdit* field, float& target) {
    return m_ok && Take(ReadNumber(field, m_parent), target);
}

bool FieldReader::Number(QLineEdit* field, float& target, float minimum, float maximum) {
    return m_ok && Take(ReadNumber(field, minimum, maximum, m_parent), target);
}

} // namespace Validation
