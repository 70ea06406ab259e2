#include "ui/dialogs/validation.h"

#include "core/model/numberformat.h"
#include "ui/framework/prompts.h"

#include <QLabel>
#include <QLineEdit>
#include <QStringList>
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

namespace {

/// Words after the first start in lower case, unless they are all capitals ("X", "IOR").
QString SentenceCase(const QString& name) {
    QStringList words = name.simplified().split(QLatin1Char(' '));
    for (qsizetype i = 1; i < words.size(); ++i)
        if (words[i] != words[i].toUpper())
            words[i][0] = words[i][0].toLower();
    return words.join(QLatin1Char(' '));
}

/// The label that leads to `field`, in the same window.
const QLabel* LabelOf(const QWidget* field) {
    for (const QLabel* label : field->window()->findChildren<QLabel*>())
        if (label->buddy() == field)
            return label;
    return nullptr;
}

/// "Name: phrase." or, without a name, "Phrase."
QString Message(const QString& field, const QString& phrase) {
    if (field.isEmpty())
        return phrase.left(1).toUpper() + phrase.mid(1);
    return field + QStringLiteral(": ") + phrase;
}

QString Bound(float value) {
    return QString::fromStdString(FloatToText(value));
}

} // namespace

QString FieldName(const QWidget* field) {
    if (!field)
        return {};
    QString name = field->accessibleName();
    if (name.isEmpty())
        if (const QLabel* label = LabelOf(field))
            name = label->text().remove(QLatin1Char('&')).trimmed();
    while (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    return name.isEmpty() ? QString() : SentenceCase(name);
}

QString IntegerRangeMessage(int minimum, int maximum, const QString& field) {
    return Message(
        field,
        QStringLiteral("please enter a whole number from %1 to %2.").arg(minimum).arg(maximum));
}

QString IntegerMessage(const QString& field) {
    return Message(field, QStringLiteral("please enter a whole number."));
}

QString NumberRangeMessage(float minimum, float maximum, const QString& field) {
    return NumberRangeMessage(Bound(minimum), Bound(maximum), field);
}

QString NumberRangeMessage(const QString& minimum, const QString& maximum, const QString& field) {
    return Message(field,
                   QStringLiteral("please enter a number from %1 to %2.").arg(minimum, maximum));
}

QString NumberMessage(const QString& field) {
    return Message(field, QStringLiteral("please enter a number."));
}

std::optional<float> AsFloat(const std::optional<double>& value) {
    if (!value || std::fabs(*value) > static_cast<double>(std::numeric_limits<float>::max()))
        return std::nullopt;
    return static_cast<float>(*value);
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
        RefuseField(field, IntegerMessage(FieldName(field)), parent);
    return value;
}

std::optional<int> ReadInteger(QLineEdit* field, int minimum, int maximum, QWidget* parent) {
    const auto value = ParseInteger(field->text());
    if (!value || *value < minimum || *value > maximum) {
        RefuseField(field, IntegerRangeMessage(minimum, maximum, FieldName(field)), parent);
        return std::nullopt;
    }
    return value;
}

std::optional<float> ReadNumber(QLineEdit* field, QWidget* parent) {
    const auto value = AsFloat(ParseNumber(field->text()));
    if (!value)
        RefuseField(field, NumberMessage(FieldName(field)), parent);
    return value;
}

std::optional<float> ReadNumber(QLineEdit* field, float minimum, float maximum, QWidget* parent) {
    const auto value = AsFloat(ParseNumber(field->text()));
    if (!value || *value < minimum || *value > maximum) {
        RefuseField(field, NumberRangeMessage(minimum, maximum, FieldName(field)), parent);
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

void LabelFor(QLabel* label, QWidget* widget) {
    label->setBuddy(widget);
    const QString text = label->text();
    QString name;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == QLatin1Char('&') && i + 1 < text.size())
            ++i;
        name += text[i];
    }
    name = name.trimmed();
    while (name.endsWith(QLatin1Char(':')))
        name.chop(1);
    widget->setAccessibleName(name.trimmed());
}
