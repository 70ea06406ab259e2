#pragma once

#include <QLabel>
#include <QObject>
#include <QPalette>
#include <QPointer>
#include <QString>
#include <initializer_list>
#include <optional>
#include <utility>
#include <vector>

class QLineEdit;
class QWidget;

/// A number edit whose value follows what the user types. Text that reads as a number of the
/// field's kind within its range is taken at once (typed()); any other text keeps the last good
/// value and marks the edit: a reddish background, and the message as its tool tip and its
/// accessible description. The message itself ("Lambda: please enter a number from 0.0 to
/// 6.0.") shows under the edit (see FieldMessageLine) when the user leaves the edit for another
/// control of the window, or when the field is checked (OK, a page change); it stays there until
/// the text is good again. The field belongs to its edit.
///
/// The program writes into the edit through Show(), so that only the user's changes count as
/// typed. Every editor with number fields uses this one class.
///
/// A field of parts (hundredths, colour bytes) holds a whole number, and shows it either so or as
/// the number POV-Ray writes for it ("0.8" for 80 hundredths, "0.502" for the byte 128). There a
/// typed number is held as the nearest part; when that is not the number typed, the tool tip
/// says what it was taken as, and leaving the edit shows the number held.
class NumberField : public QObject {
    Q_OBJECT
public:
    /// What the whole number of a field of parts counts.
    enum class Parts {
        Hundredths, ///< 80 stands for 0.8 (PercentText)
        Bytes,      ///< 255 stands for 1.0, written with three decimals (ChannelText)
    };

    /// A whole number from `minimum` to `maximum`.
    static NumberField* Integer(QLineEdit* edit, int minimum, int maximum);
    /// A whole number of `parts` from `minimum` to `maximum`, shown as POV-Ray writes it when
    /// `asPovRay` is set, else as the whole number.
    static NumberField* PartsOf(QLineEdit* edit, Parts parts, int minimum, int maximum,
                                bool asPovRay);
    /// Any number a 32-bit float holds.
    static NumberField* Number(QLineEdit* edit);
    /// A number from `minimum` to `maximum`.
    static NumberField* Number(QLineEdit* edit, float minimum, float maximum);

    QLineEdit* Edit() const { return m_edit; }
    /// The last good value, as typed or shown.
    int IntegerValue() const { return static_cast<int>(m_value); }
    float NumberValue() const { return static_cast<float>(m_value); }
    /// True when the text reads as a value of the field.
    bool IsGood() const { return m_good; }
    /// The message for text that is no good, naming the field and what it takes.
    QString Message() const;

    /// Writes the program's text; nothing is emitted and any mark goes. While the user is typing
    /// a text that reads as the same value, the text is left as typed.
    void Show(const QString& text);
    void ShowInteger(int value);
    /// The number as number fields show it (FloatToText).
    void ShowNumber(float value);

    /// True when the text is good; otherwise shows the message, gives the edit the focus with its
    /// text selected, and returns false. Only a window without a message line shows a message
    /// box, which belongs to `parent`, or to the edit's window when it is null.
    bool Check(QWidget* parent = nullptr);

signals:
    /// The user changed the text to a good value (the value holds it).
    void typed();
    /// The user left the edit with good text.
    void left();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    NumberField(QLineEdit* edit, bool integer, bool ranged, double minimum, double maximum,
                std::optional<Parts> povRayParts = std::nullopt);

    /// True for a field of parts shown as POV-Ray writes them.
    bool AsPovRay() const { return m_parts.has_value(); }
    /// How many parts make one.
    double PerOne() const;
    /// The whole number as the edit shows it.
    QString IntegerText(int value) const;
    std::optional<double> Read(const QString& text) const;
    void TextChanged();
    void UserLeft();
    void Mark(bool good);
    /// The tool tip and accessible description for the state of the text.
    void Describe();
    /// What typed text that is not a whole number of parts was taken as; empty when it is one.
    QString RoundingNote() const;

    QLineEdit* m_edit;
    bool m_integer;
    bool m_ranged;
    double m_minimum;
    double m_maximum;
    double m_value = 0.0;
    bool m_good = true;
    bool m_showing = false;
    std::optional<Parts> m_parts; ///< set when shown as POV-Ray writes the parts
    QString m_roundingNote;
    QString m_toolTip;
    QString m_description;
    QString m_describedTip; ///< the tool tip Describe() gave the edit last
    bool m_ownPalette = false;
    QPalette m_palette;
};

/// Where the fields of a window tell what is wrong with their text: a note right under the field
/// that told, over what lies below it (clicks go through), or above the field when below it
/// would hide the control the user went on to. Of several fields, the one that told last shows;
/// once its text is good, the one before it shows again. A message that appears is announced to
/// screen readers (besides being the field's accessible description).
///
/// A field finds the line among the children of its ancestors, up to its window; a window makes
/// one line, outside its layouts, for all its fields.
class FieldMessageLine : public QLabel {
    Q_OBJECT
public:
    explicit FieldMessageLine(QWidget* parent);

    /// The line serving `field`, or null when its window has none.
    static FieldMessageLine* For(const QWidget* field);

    void Show(QWidget* field, const QString& message);
    void Clear(QWidget* field);
    /// The field whose message shows, or null.
    QWidget* Field() const;

signals:
    /// A message came into sight and was announced.
    void announced(const QString& message);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Update();
    /// Puts the note under (or above) the field that shows, following it as it moves.
    void Place();
    void Watch(QWidget* field);

    std::vector<std::pair<QPointer<QWidget>, QString>> m_messages; ///< the latest last
    std::vector<QPointer<QWidget>> m_watched; ///< the field and its ancestors below the parent
};

/// Shows `message` for `field` on its window's message line and gives the field the focus with
/// its text selected; a window without a line shows a message box, owned by `parent` or else
/// the field's window.
void RefuseAtField(QLineEdit* field, const QString& message, QWidget* parent = nullptr);
/// Takes the field's message off its window's message line.
void ClearFieldMessage(QWidget* field);

/// Checks fields in order and stops at the first that is no good, whose message is then shown.
bool CheckFields(std::initializer_list<NumberField*> fields, QWidget* parent = nullptr);
