#include "ui/editors/transformedits.h"

#include "core/model/numberformat.h"
#include "core/model/transformations.h"
#include "ui/dialogs/numberfield.h"

#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace {

const char* const kRowCaptions[] = {"&Translate", "&Scale", "&Rotate"};
const char* const kRowNames[] = {"Translate", "Scale", "Rotate"};
const char* const kAxes[] = {"X", "Y", "Z"};

} // namespace

QString NumberText(float value) {
    return QString::fromStdString(FloatToText(value));
}

float& TransformEdits::ValueOf(Transformations& values, Row row, int axis) {
    std::array<float, 3>& numbers = row == Translate ? values.translate
                                    : row == Scale   ? values.scale
                                                     : values.rotate;
    return numbers[static_cast<std::size_t>(axis)];
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
            m_fields[row][axis] = NumberField::Number(edit);
            grid->addWidget(edit, row + 1, axis + 1);
        }
        m_labels[row]->setBuddy(Edit(static_cast<Row>(row), 0));
    }
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(2, 1);
    grid->setColumnStretch(3, 1);
    // Tab goes along the rows: translate X, Y, Z, then scale, then rotate.
    QWidget* previous = nullptr;
    for (auto& row : m_fields)
        for (NumberField* field : row) {
            if (previous)
                setTabOrder(previous, field->Edit());
            previous = field->Edit();
        }
}

QLineEdit* TransformEdits::Edit(Row row, int axis) const {
    return m_fields[row][axis]->Edit();
}

void TransformEdits::ShowValues(const Transformations& values) {
    Transformations copy = values;
    for (int row = 0; row < 3; ++row)
        for (int axis = 0; axis < 3; ++axis)
            m_fields[row][axis]->ShowNumber(ValueOf(copy, static_cast<Row>(row), axis));
}

bool TransformEdits::Check(QWidget* parent) const {
    for (const int row : {Rotate, Scale, Translate})
        if (!CheckFields({m_fields[row][0], m_fields[row][1], m_fields[row][2]}, parent))
            return false;
    return true;
}

void TransformEdits::OnTyped(const std::function<void(Row, int, float)>& handler) {
    for (int row = 0; row < 3; ++row)
        for (int axis = 0; axis < 3; ++axis) {
            NumberField* field = m_fields[row][axis];
            connect(field, &NumberField::typed, this, [handler, field, row, axis] {
                handler(static_cast<Row>(row), axis, field->NumberValue());
            });
        }
}
