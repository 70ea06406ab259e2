#include "ui/dialogs/numberfield.h"

#include "core/model/sourcetext.h"
#include "ui/dialogs/focuswatch.h"
#include "ui/dialogs/validation.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QTimer>

namespace {

/// The background of an edit whose text is no good: a light red, or a dark one on dark themes.
QColor MarkColour(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() >= 128 ? QColor(255, 214, 214)
                                                            : QColor(110, 30, 30);
}

/// True when the focus went to a dialog's Cancel: leaving an edit for it calls for no message.
bool FocusIsOnCancel() {
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    auto* box = button ? qobject_cast<QDialogButtonBox*>(button->parentWidget()) : nullptr;
    return box && box->buttonRole(button) == QDialogButtonBox::RejectRole;
}

} // namespace

NumberField::NumberField(QLineEdit* edit, bool integer, bool ranged, double minimum, double maximum)
    : QObject(edit), m_edit(edit), m_integer(integer), m_ranged(ranged), m_minimum(minimum),
      m_maximum(maximum), m_toolTip(edit->toolTip()), m_description(edit->accessibleDescription()) {
    if (const auto value = Read(edit->text()))
        m_value = *value;
    else if (!edit->text().isEmpty()) // an edit not filled in yet is not marked
        Mark(false);
    connect(edit, &QLineEdit::textChanged, this, &NumberField::TextChanged);
    OnUserLeaving(edit, [this] { UserLeft(); });
}

NumberField* NumberField::Integer(QLineEdit* edit, int minimum, int maximum) {
    return new NumberField(edit, true, true, minimum, maximum);
}

NumberField* NumberField::Number(QLineEdit* edit) {
    return new NumberField(edit, false, false, 0.0, 0.0);
}

NumberField* NumberField::Number(QLineEdit* edit, float minimum, float maximum) {
    return new NumberField(edit, false, true, minimum, maximum);
}

std::optional<double> NumberField::Read(const QString& text) const {
    std::optional<double> value;
    if (m_integer) {
        if (const auto integer = Validation::ParseInteger(text))
            value = *integer;
    } else if (const auto number = Validation::AsFloat(Validation::ParseNumber(text))) {
        value = *number;
    }
    if (value && m_ranged && (*value < m_minimum || *value > m_maximum))
        return std::nullopt;
    return value;
}

QString NumberField::Message() const {
    const QString name = Validation::FieldName(m_edit);
    if (m_integer)
        return m_ranged ? Validation::IntegerRangeMessage(static_cast<int>(m_minimum),
                                                          static_cast<int>(m_maximum), name)
                        : Validation::IntegerMessage(name);
    return m_ranged ? Validation::NumberRangeMessage(static_cast<float>(m_minimum),
                                                     static_cast<float>(m_maximum), name)
                    : Validation::NumberMessage(name);
}

void NumberField::Show(const QString& text) {
    // Rewriting the text under the user's cursor ("2.50" for the "2.5" being typed) would get in
    // the way of the next keystroke.
    if (m_edit->hasFocus() && m_good) {
        const auto typed = Read(m_edit->text());
        if (typed && typed == Read(text))
            return;
    }
    m_showing = true;
    m_edit->setText(text);
    m_showing = false;
}

void NumberField::ShowInteger(int value) {
    Show(QString::number(value));
}

void NumberField::ShowNumber(float value) {
    Show(QString::fromStdString(FloatToText(value)));
}

void NumberField::TextChanged() {
    const auto value = Read(m_edit->text());
    Mark(value.has_value());
    if (!value)
        return;
    m_value = *value;
    // Typed text counts even when it reads as the value shown ("0.50" typed over "0.50" stands
    // for what 0.50 gives, which may differ from what the text was made from).
    if (!m_showing)
        emit typed();
}

void NumberField::UserLeft() {
    if (m_good) {
        emit left();
        return;
    }
    // The message waits until the click or key that moved the focus is done: when it was OK or
    // a page change, that shows the message itself, and once is enough.
    const int reports = m_reports;
    QTimer::singleShot(0, this, [this, reports] {
        if (reports != m_reports || m_good || !m_edit->isVisible() || m_edit->hasFocus() ||
            FocusIsOnCancel())
            return;
        Report(nullptr);
    });
}

void NumberField::Report(QWidget* parent) {
    ++m_reports;
    Validation::RefuseField(m_edit, Message(), parent);
}

bool NumberField::Check(QWidget* parent) {
    if (m_good)
        return true;
    Report(parent);
    return false;
}

void NumberField::Mark(bool good) {
    if (good == m_good)
        return;
    m_good = good;
    if (!good) {
        m_ownPalette = m_edit->testAttribute(Qt::WA_SetPalette);
        m_palette = m_edit->palette();
        QPalette marked = m_palette;
        marked.setColor(QPalette::Base, MarkColour(m_palette));
        m_edit->setPalette(marked);
        const QString message = Message();
        m_edit->setToolTip(message);
        m_edit->setAccessibleDescription(message);
    } else {
        m_edit->setPalette(m_ownPalette ? m_palette : QPalette());
        m_edit->setToolTip(m_toolTip);
        m_edit->setAccessibleDescription(m_description);
    }
}

bool CheckFields(std::initializer_list<NumberField*> fields, QWidget* parent) {
    for (NumberField* field : fields)
        if (field && field->Edit()->isEnabled() && !field->Check(parent))
            return false;
    return true;
}
