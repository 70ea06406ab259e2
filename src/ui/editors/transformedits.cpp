#include "ui/editors/transformedits.h"

#include "core/model/sourcetext.h"
#include "core/model/transformations.h"
#include "ui/dialogs/validation.h"
#include "ui/editors/focuswatch.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <cstdlib>
#include <string>

namespace {

const char* const kRowCaptions[] = {"&Translate", "&Scale", "&Rotate"};
const char* const kRowNames[] = {"Translate", "Scale", "Rotate"};
const char* const kAxes[] = {"X", "Y", "Z"};

std::array<float, 3>& RowOf(Transformations& values, int row) {
    return row == TransformEdits::Translate ? values.translate
           : row == TransformEdits::Scale   ? values.scale
                                            : values.rotate;
}

std::string Ascii(const QString& text) {
    std::string bytes;
    for (const QChar c : text)
        bytes += c.unicode() < 0x80 ? static_cast<char>(c.unicode()) : '\x7f';
    return bytes;
}

} // namespace

QString NumberText(float value) {
    return QString::fromStdString(FloatToText(value));
}

float LeadingNumber(const QString& text) {
    // strtod in the C locale the program keeps (its numbers always use '.').
    const std::string bytes = Ascii(text);
    std::size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t'))
        ++i;
    std::size_t end = i;
    if (end < bytes.size() && (bytes[end] == '+' || bytes[end] == '-'))
        ++end;
    const std::size_t digitsStart = end;
    while (end < bytes.size() && bytes[end] >= '0' && bytes[end] <= '9')
        ++end;
    if (end < bytes.size() && bytes[end] == '.') {
        ++end;
        while (end < bytes.size() && bytes[end] >= '0' && bytes[end] <= '9')
            ++end;
    }
    if (end == digitsStart || (end == digitsStart + 1 && bytes[digitsStart] == '.'))
        return 0.0f;
    // An exponent only when digits follow it.
    std::size_t withExponent = end;
    if (withExponent < bytes.size() && (bytes[withExponent] == 'e' || bytes[withExponent] == 'E')) {
        std::size_t j = withExponent + 1;
        if (j < bytes.size() && (bytes[j] == '+' || bytes[j] == '-'))
            ++j;
        const std::size_t expDigits = j;
        while (j < bytes.size() && bytes[j] >= '0' && bytes[j] <= '9')
            ++j;
        if (j > expDigits)
            withExponent = j;
    }
    const auto value =
        Validation::ParseNumber(QString::fromStdString(bytes.substr(i, withExponent - i)));
    return value ? static_cast<float>(*value) : 0.0f;
}

int LeadingInteger(const QString& text) {
    const std::string bytes = Ascii(text);
    std::size_t i = 0;
    while (i < bytes.size() && (bytes[i] == ' ' || bytes[i] == '\t'))
        ++i;
    bool negative = false;
    if (i < bytes.size() && (bytes[i] == '+' || bytes[i] == '-'))
        negative = bytes[i++] == '-';
    long long value = 0;
    while (i < bytes.size() && bytes[i] >= '0' && bytes[i] <= '9') {
        value = value * 10 + (bytes[i++] - '0');
        if (value > 2147483647LL)
            value = 2147483647LL + (negative ? 1 : 0);
    }
    return static_cast<int>(negative ? -value : value);
}

TransformEdits::TransformEdits(QWidget* parent) : QWidget(parent) {
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int axis = 0; axis < 3; ++axis) {
        auto* heading = new QLabel(QString::fromLatin1(kAxes[axis]), this);
        heading->setAlignment(Qt::AlignCenter);
        grid->addWidget(heading, 0, axis + 1);
    }
    for (int row = 0; row < 3; ++row) {
        m_labels[row] = new QLabel(QString::fromLatin1(kRowCaptions[row]), this);
        grid->addWidget(m_labels[row], row + 1, 0);
        for (int axis = 0; axis < 3; ++axis) {
            auto* edit = new QLineEdit(this);
            edit->setObjectName(QStringLiteral("%1%2").arg(
                QString::fromLatin1(kRowNames[row]).toLower(), QString::fromLatin1(kAxes[axis])));
            edit->setAccessibleName(QStringLiteral("%1 %2").arg(QString::fromLatin1(kRowNames[row]),
                                                                QString::fromLatin1(kAxes[axis])));
            edit->setMinimumWidth(
                edit->fontMetrics().horizontalAdvance(QStringLiteral("-0000.0000")));
            m_edits[row][axis] = edit;
            grid->addWidget(edit, row + 1, axis + 1);
        }
        m_labels[row]->setBuddy(m_edits[row][0]);
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    // Tab goes along the rows: translate X, Y, Z, then scale, then rotate.
    QWidget* previous = nullptr;
    for (auto& row : m_edits)
        for (QLineEdit* edit : row) {
            if (previous)
                setTabOrder(previous, edit);
            previous = edit;
        }
}

void TransformEdits::ShowValues(const Transformations& values) {
    Transformations copy = values;
    for (int row = 0; row < 3; ++row)
        for (int axis = 0; axis < 3; ++axis)
            m_edits[row][axis]->setText(NumberText(RowOf(copy, row)[axis]));
}

void TransformEdits::ReadValues(Validation::FieldReader& reader, Transformations& values) const {
    for (const int row : {Rotate, Scale, Translate})
        for (int axis = 0; axis < 3; ++axis)
            reader.Number(m_edits[row][axis], RowOf(values, row)[axis]);
}

void TransformEdits::OnEditLeft(const std::function<void(Row, int)>& handler) {
    for (int row = 0; row < 3; ++row)
        for (int axis = 0; axis < 3; ++axis)
            OnFocusLost(m_edits[row][axis],
                        [handler, row, axis] { handler(static_cast<Row>(row), axis); });
}
