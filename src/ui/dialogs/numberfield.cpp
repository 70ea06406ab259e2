#include "ui/dialogs/numberfield.h"

#include "core/model/numberformat.h"
#include "ui/dialogs/focuswatch.h"
#include "ui/dialogs/validation.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QDialogButtonBox>
#include <QEvent>
#include <QLineEdit>
#include <algorithm>
#include <cmath>
#include <string>

namespace {

/// The background of an edit whose text is no good: a light red, or a dark one on dark themes.
QColor MarkColour(const QPalette& palette) {
    return palette.color(QPalette::Base).lightness() >= 128 ? QColor(255, 214, 214)
                                                            : QColor(110, 30, 30);
}

/// True when the focus went to one of a dialog's buttons. Leaving an edit for one calls for no
/// message: Cancel needs none, OK shows it itself, and a line appearing above the buttons would
/// move them from under the pointer before the click is done.
bool FocusIsOnDialogButton() {
    auto* button = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
    return button && qobject_cast<QDialogButtonBox*>(button->parentWidget());
}

/// A bound of a field of parts as its message gives it: "0", "0.01", "1", "655.35".
QString PartsBound(double value) {
    std::string text = FloatToText(static_cast<float>(value));
    if (text.ends_with(".0"))
        text.resize(text.size() - 2);
    return QString::fromStdString(text);
}

/// "Name: phrase" or, without a name, the phrase alone.
QString Named(const QString& name, const QString& phrase) {
    return name.isEmpty() ? phrase : name + QStringLiteral(": ") + phrase;
}

} // namespace

NumberField::NumberField(QLineEdit* edit, bool integer, bool ranged, double minimum, double maximum,
                         std::optional<Parts> povRayParts)
    : QObject(edit), m_edit(edit), m_integer(integer), m_ranged(ranged), m_minimum(minimum),
      m_maximum(maximum), m_parts(povRayParts), m_toolTip(edit->toolTip()),
      m_description(edit->accessibleDescription()), m_describedTip(m_toolTip) {
    if (const auto value = Read(edit->text()))
        m_value = *value;
    else if (!edit->text().isEmpty()) // an edit not filled in yet is not marked
        Mark(false);
    connect(edit, &QLineEdit::textChanged, this, &NumberField::TextChanged);
    OnUserLeaving(edit, [this] { UserLeft(); });
    edit->installEventFilter(this);
}

bool NumberField::eventFilter(QObject* watched, QEvent* event) {
    // An edit the user cannot reach any more has nothing to tell them.
    if (watched == m_edit && ((event->type() == QEvent::EnabledChange && !m_edit->isEnabled()) ||
                              event->type() == QEvent::HideToParent))
        ClearFieldMessage(m_edit);
    return QObject::eventFilter(watched, event);
}

NumberField* NumberField::Integer(QLineEdit* edit, int minimum, int maximum) {
    return new NumberField(edit, true, true, minimum, maximum);
}

NumberField* NumberField::PartsOf(QLineEdit* edit, Parts parts, int minimum, int maximum,
                                  bool asPovRay) {
    return new NumberField(edit, true, true, minimum, maximum,
                           asPovRay ? std::optional(parts) : std::nullopt);
}

NumberField* NumberField::Number(QLineEdit* edit) {
    return new NumberField(edit, false, false, 0.0, 0.0);
}

NumberField* NumberField::Number(QLineEdit* edit, float minimum, float maximum) {
    return new NumberField(edit, false, true, minimum, maximum);
}

double NumberField::PerOne() const {
    return m_parts == Parts::Bytes ? 255.0 : 100.0;
}

QString NumberField::IntegerText(int value) const {
    if (!AsPovRay())
        return QString::number(value);
    if (m_parts == Parts::Bytes)
        return QString::fromStdString(ChannelText(static_cast<std::uint8_t>(value)));
    return QString::fromStdString(PercentText(value));
}

std::optional<double> NumberField::Read(const QString& text) const {
    std::optional<double> value;
    if (AsPovRay()) {
        // The bounds are whole parts, so a number within them never rounds beyond them.
        const auto number = Validation::ParseNumber(text);
        if (!number || *number < m_minimum / PerOne() || *number > m_maximum / PerOne())
            return std::nullopt;
        return std::round(*number * PerOne());
    }
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
    if (AsPovRay())
        return Validation::NumberRangeMessage(PartsBound(m_minimum / PerOne()),
                                              PartsBound(m_maximum / PerOne()), name);
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
    Show(IntegerText(value));
}

void NumberField::ShowNumber(float value) {
    Show(QString::fromStdString(FloatToText(value)));
}

void NumberField::TextChanged() {
    const auto value = Read(m_edit->text());
    Mark(value.has_value());
    if (value)
        m_value = *value;
    m_roundingNote = value && !m_showing ? RoundingNote() : QString();
    Describe();
    if (!value)
        return;
    // Typed text counts even when it reads as the value shown ("0.50" typed over "0.50" stands
    // for what 0.50 gives, which may differ from what the text was made from).
    if (!m_showing)
        emit typed();
}

QString NumberField::RoundingNote() const {
    if (!AsPovRay())
        return {};
    const QString held = IntegerText(IntegerValue());
    const QString typed = m_edit->text().trimmed();
    if (Validation::ParseNumber(typed) == Validation::ParseNumber(held))
        return {};
    const QString nearest = m_parts == Parts::Bytes
                                ? QStringLiteral("the nearest of the 256 steps from 0 to 1")
                                : QStringLiteral("the nearest hundredth");
    return Named(Validation::FieldName(m_edit),
                 QStringLiteral("%1 is taken as %2, %3.").arg(typed, held, nearest));
}

void NumberField::UserLeft() {
    if (m_good) {
        // Once left, the edit shows the number held; the tool tip still tells what was typed.
        if (!m_roundingNote.isEmpty()) {
            const QString note = m_roundingNote;
            Show(IntegerText(IntegerValue()));
            m_roundingNote = note;
            Describe();
        }
        emit left();
        return;
    }
    // The user may go on; the message stays beside the work until the text is mended.
    if (FocusIsOnDialogButton())
        return;
    if (FieldMessageLine* line = FieldMessageLine::For(m_edit))
        line->Show(m_edit, Message());
}

bool NumberField::Check(QWidget* parent) {
    if (m_good)
        return true;
    RefuseAtField(m_edit, Message(), parent);
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
    } else {
        m_edit->setPalette(m_ownPalette ? m_palette : QPalette());
        ClearFieldMessage(m_edit);
    }
    Describe();
}

void NumberField::Describe() {
    const QString tip = !m_good                     ? Message()
                        : !m_roundingNote.isEmpty() ? m_roundingNote
                                                    : m_toolTip;
    // Only a change of what there is to tell touches the edit's own tool tip.
    if (tip == m_describedTip)
        return;
    m_describedTip = tip;
    m_edit->setToolTip(tip);
    m_edit->setAccessibleDescription(m_good && m_roundingNote.isEmpty() ? m_description : tip);
}

FieldMessageLine::FieldMessageLine(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("fieldMessage"));
    setWordWrap(true);
    setTextFormat(Qt::PlainText);
    // A note in the colours of a tool tip, which the pointer goes through.
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setForegroundRole(QPalette::ToolTipText);
    setBackgroundRole(QPalette::ToolTipBase);
    setAutoFillBackground(true);
    setFrameShape(QFrame::Box);
    setMargin(3);
    hide();
    connect(qApp, &QApplication::focusChanged, this, [this] {
        if (!isHidden())
            Place();
    });
}

FieldMessageLine* FieldMessageLine::For(const QWidget* field) {
    for (const QWidget* widget = field; widget; widget = widget->parentWidget()) {
        if (auto* line =
                widget->findChild<FieldMessageLine*>(QString(), Qt::FindDirectChildrenOnly))
            return line;
        if (widget->isWindow())
            break;
    }
    return nullptr;
}

void FieldMessageLine::Show(QWidget* field, const QString& message) {
    std::erase_if(m_messages, [field](const auto& entry) { return entry.first == field; });
    m_messages.emplace_back(field, message);
    Update();
}

void FieldMessageLine::Clear(QWidget* field) {
    std::erase_if(m_messages, [field](const auto& entry) { return entry.first == field; });
    Update();
}

QWidget* FieldMessageLine::Field() const {
    return m_messages.empty() ? nullptr : m_messages.back().first.data();
}

void FieldMessageLine::Update() {
    std::erase_if(m_messages, [](const auto& entry) { return entry.first.isNull(); });
    const QString message = m_messages.empty() ? QString() : m_messages.back().second;
    Watch(Field());
    if (message == text()) {
        Place();
        return;
    }
    setText(message);
    Place();
    if (!message.isEmpty()) {
        QAccessibleEvent event(this, QAccessible::Alert);
        QAccessible::updateAccessibility(&event);
        emit announced(message);
    }
}

void FieldMessageLine::Watch(QWidget* field) {
    for (const QPointer<QWidget>& widget : m_watched)
        if (widget)
            widget->removeEventFilter(this);
    m_watched.clear();
    for (QWidget* widget = field; widget && widget != parentWidget();
         widget = widget->parentWidget()) {
        widget->installEventFilter(this);
        m_watched.emplace_back(widget);
    }
}

bool FieldMessageLine::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::Move:
    case QEvent::Resize:
    case QEvent::Show:
    case QEvent::Hide:
        Place();
        break;
    default:
        break;
    }
    return QLabel::eventFilter(watched, event);
}

void FieldMessageLine::Place() {
    QWidget* field = Field();
    QWidget* room = parentWidget();
    if (!field || !room || text().isEmpty() || !field->isVisibleTo(room)) {
        hide();
        return;
    }
    constexpr int kGap = 2;
    const QRect at(field->mapTo(room, QPoint(0, 0)), field->size());
    // On one line where the window is wide enough.
    const int natural = fontMetrics().horizontalAdvance(text()) + 2 * (margin() + frameWidth()) + 2;
    const int width =
        std::min(std::max(at.width(), natural), std::max(1, room->width() - 2 * kGap));
    const int height = heightForWidth(width);
    const int x = std::clamp(at.left(), kGap, std::max(kGap, room->width() - width - kGap));
    QRect note(x, at.bottom() + 1 + kGap, width, height);
    // Above the field when below it would hide where the user went on to, and there is room.
    if (const QWidget* focus = QApplication::focusWidget();
        focus && focus != field && room->isAncestorOf(focus) &&
        note.intersects(QRect(focus->mapTo(room, QPoint(0, 0)), focus->size())) &&
        at.top() - kGap - height >= 0)
        note.moveBottom(at.top() - 1 - kGap);
    setGeometry(note);
    raise();
    show();
}

void RefuseAtField(QLineEdit* field, const QString& message, QWidget* parent) {
    FieldMessageLine* line = FieldMessageLine::For(field);
    if (!line) {
        Validation::RefuseField(field, message, parent);
        return;
    }
    line->Show(field, message);
    field->setFocus(Qt::OtherFocusReason);
    field->selectAll();
}

void ClearFieldMessage(QWidget* field) {
    if (FieldMessageLine* line = FieldMessageLine::For(field))
        line->Clear(field);
}

bool CheckFields(std::initializer_list<NumberField*> fields, QWidget* parent) {
    for (NumberField* field : fields)
        if (field && field->Edit()->isEnabled() && !field->Check(parent))
            return false;
    return true;
}
