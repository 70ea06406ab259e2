// Number fields: what the user types goes to the owner at once, and text that is no good is
// marked and told under the edit when the user leaves it, without a box.

#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

namespace {

class NumberFieldTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        auto* layout = new QVBoxLayout(&m_dialog);
        m_edit = new QLineEdit(&m_dialog);
        m_edit->setAccessibleName(QStringLiteral("Turbulence Strength"));
        m_edit->setToolTip(QStringLiteral("How much the pattern is stirred"));
        m_next = new QLineEdit(&m_dialog);
        m_buttons =
            new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &m_dialog);
        layout->addWidget(m_edit);
        layout->addWidget(m_next);
        m_line = new FieldMessageLine(&m_dialog);
        layout->addWidget(m_buttons);
        m_field = NumberField::Integer(m_edit, 0, 200);
        m_field->ShowInteger(40);
        m_dialog.show();
        QApplication::setActiveWindow(&m_dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
        QObject::connect(m_line, &FieldMessageLine::announced, [this] { ++m_alerts; });
    }

    /// The message line's text while it shows.
    QString ShownMessage() const { return m_line->isHidden() ? QString() : m_line->text(); }

    static constexpr const char* kMessage =
        "Turbulence strength: please enter a whole number from 0 to 200.";

    QDialog m_dialog;
    QLineEdit* m_edit = nullptr;
    QLineEdit* m_next = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    NumberField* m_field = nullptr;
    FieldMessageLine* m_line = nullptr;
    int m_alerts = 0; ///< announcements of the line
};

} // namespace

TEST_F(NumberFieldTest, EveryGoodTextIsTakenAsItIsTypedAndTheProgramsOwnIsNot) {
    QSignalSpy typed(m_field, &NumberField::typed);
    TypeKeys(m_edit, QStringLiteral("125"));
    // "1", "12", "125": each is good and taken at once, without leaving the edit.
    EXPECT_EQ(typed.count(), 3);
    EXPECT_EQ(m_field->IntegerValue(), 125);
    EXPECT_TRUE(m_edit->hasFocus());

    m_field->ShowInteger(7);
    EXPECT_EQ(typed.count(), 3);
    EXPECT_EQ(m_field->IntegerValue(), 7);
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(NumberFieldTest, BadTextKeepsTheLastGoodValueAndMarksTheEditUntilItIsGoodAgain) {
    const QColor base = m_edit->palette().color(QPalette::Base);
    QSignalSpy typed(m_field, &NumberField::typed);
    TypeKeys(m_edit, QStringLiteral("20x"));
    EXPECT_EQ(m_field->IntegerValue(), 20); // "2" and "20" were taken, "20x" is not
    EXPECT_FALSE(m_field->IsGood());
    EXPECT_NE(m_edit->palette().color(QPalette::Base), base);
    EXPECT_EQ(m_edit->toolTip(), kMessage);
    EXPECT_EQ(m_edit->accessibleDescription(), kMessage);
    EXPECT_TRUE(ShownMessage().isEmpty()) << "no message while the user is still in the edit";

    QTest::keyClick(m_edit, Qt::Key_Backspace);
    EXPECT_TRUE(m_field->IsGood());
    EXPECT_EQ(m_edit->palette().color(QPalette::Base), base);
    EXPECT_EQ(m_edit->toolTip(), QStringLiteral("How much the pattern is stirred"));
    EXPECT_TRUE(m_edit->accessibleDescription().isEmpty());

    // Out of range counts as bad as no number at all.
    TypeKeys(m_edit, QStringLiteral("201"));
    EXPECT_EQ(m_field->IntegerValue(), 20);
    EXPECT_FALSE(m_field->IsGood());
}

TEST_F(NumberFieldTest, LeavingBadTextShowsTheMessageOnTheLineAndLetsTheUserGoOn) {
    TypeAndLeave(m_edit, QStringLiteral("abc"), m_next);
    EXPECT_TRUE(m_messages.empty()) << "no message box";
    EXPECT_EQ(ShownMessage(), kMessage);
    EXPECT_EQ(m_line->Field(), m_edit);
    EXPECT_EQ(m_edit->accessibleDescription(), kMessage);
    EXPECT_EQ(QApplication::focusWidget(), m_next);
    EXPECT_EQ(m_alerts, 1);

    // Going on from field to field leaves the message where it is.
    TypeAndLeave(m_next, QStringLiteral("anything"), m_buttons->button(QDialogButtonBox::Ok));
    EXPECT_EQ(ShownMessage(), kMessage);

    TypeKeys(m_edit, QStringLiteral("12"));
    EXPECT_TRUE(ShownMessage().isEmpty()) << "mended text takes the message away";
    EXPECT_TRUE(m_line->isHidden());
    EXPECT_EQ(m_edit->accessibleDescription(), QString());
}

TEST_F(NumberFieldTest, TheMessageStandsUnderItsFieldOrAboveItWhenItWouldHideTheNextControl) {
    // A second row below: the field left, a control beside it, another far below.
    auto* grid = new QGridLayout;
    auto* lambda = new QLineEdit(&m_dialog);
    auto* beside = new QLineEdit(&m_dialog);
    grid->addWidget(lambda, 0, 0);
    grid->addWidget(beside, 0, 1);
    grid->setRowMinimumHeight(1, 80);
    auto* rows = static_cast<QVBoxLayout*>(m_dialog.layout());
    rows->insertLayout(2, grid);
    rows->insertSpacing(0, 60); // room above m_edit
    m_dialog.resize(420, 300);
    lambda->setAccessibleName(QStringLiteral("Lambda"));
    lambda->show();
    beside->show();
    NumberField::Number(lambda, 0.0f, 6.0f);
    auto place = [this](const QWidget* field) {
        const QRect at(field->mapTo(&m_dialog, QPoint(0, 0)), field->size());
        const QRect note = m_line->geometry();
        return note.top() > at.bottom() && note.top() - at.bottom() < 8   ? "under"
               : note.bottom() < at.top() && at.top() - note.bottom() < 8 ? "above"
                                                                          : "elsewhere";
    };
    TypeAndLeave(lambda, QStringLiteral("x"), beside);
    ASSERT_EQ(ShownMessage(), "Lambda: please enter a number from 0.0 to 6.0.");
    EXPECT_STREQ(place(lambda), "under");
    EXPECT_EQ(m_line->parentWidget(), &m_dialog);
    EXPECT_TRUE(m_line->testAttribute(Qt::WA_TransparentForMouseEvents)) << "clicks go through";

    // m_next is right under m_edit, and the keyboard goes on to it.
    TypeAndLeave(m_edit, QStringLiteral("abc"), m_next);
    ASSERT_EQ(ShownMessage(), kMessage);
    EXPECT_STREQ(place(m_edit), "above");
    EXPECT_FALSE(m_line->geometry().intersects(m_next->geometry()));
    // The note follows its field when the window changes.
    const QPoint before = m_edit->pos();
    m_dialog.resize(520, 420);
    QApplication::processEvents();
    ASSERT_NE(m_edit->pos(), before);
    EXPECT_STRNE(place(m_edit), "elsewhere");
    EXPECT_FALSE(m_line->geometry().intersects(m_next->geometry()));
}

TEST_F(NumberFieldTest, CheckingABadFieldFocusesItAndAnnouncesItsMessageOnce) {
    TypeAndLeave(m_edit, QStringLiteral("abc"), m_next);
    EXPECT_FALSE(CheckFields({m_field}, &m_dialog));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(QApplication::focusWidget(), m_edit);
    EXPECT_EQ(m_edit->selectedText(), "abc");
    EXPECT_EQ(ShownMessage(), kMessage);
    EXPECT_EQ(m_alerts, 1) << "the message showing already is not announced again";
}

TEST_F(NumberFieldTest, TheLastMessageShowsAndTheOneBeforeComesBackWhenItIsMended) {
    auto* lambda = new QLineEdit(&m_dialog);
    lambda->setAccessibleName(QStringLiteral("Lambda"));
    lambda->show();
    NumberField* second = NumberField::Number(lambda, 0.0f, 6.0f);
    TypeAndLeave(m_edit, QStringLiteral("abc"), lambda);
    TypeAndLeave(lambda, QStringLiteral("7"), m_next);
    EXPECT_EQ(ShownMessage(), "Lambda: please enter a number from 0.0 to 6.0.");
    EXPECT_EQ(m_alerts, 2);

    second->ShowNumber(2.0f);
    EXPECT_EQ(ShownMessage(), kMessage);
    EXPECT_EQ(m_line->Field(), m_edit);
    m_field->ShowInteger(3);
    EXPECT_TRUE(ShownMessage().isEmpty());
}

TEST_F(NumberFieldTest, AnEditDisabledOrHiddenTakesItsMessageAway) {
    TypeAndLeave(m_edit, QStringLiteral("abc"), m_next);
    ASSERT_EQ(ShownMessage(), kMessage);
    m_edit->setEnabled(false);
    EXPECT_TRUE(ShownMessage().isEmpty());

    m_edit->setEnabled(true);
    EXPECT_TRUE(ShownMessage().isEmpty()) << "until the field is left or checked again";
    EXPECT_FALSE(m_field->Check());
    EXPECT_EQ(ShownMessage(), kMessage);
    m_edit->hide();
    EXPECT_TRUE(ShownMessage().isEmpty());
}

TEST_F(NumberFieldTest, AWindowWithoutAMessageLineShowsABoxOnlyWhenChecked) {
    QDialog lone;
    auto* edit = new QLineEdit(&lone);
    edit->setAccessibleName(QStringLiteral("Octaves"));
    auto* next = new QLineEdit(&lone);
    auto* layout = new QVBoxLayout(&lone);
    layout->addWidget(edit);
    layout->addWidget(next);
    NumberField* field = NumberField::Integer(edit, 1, 10);
    lone.show();
    QApplication::setActiveWindow(&lone);
    ASSERT_TRUE(QTest::qWaitForWindowActive(&lone));
    TypeAndLeave(edit, QStringLiteral("20"), next);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(edit->accessibleDescription(), "Octaves: please enter a whole number from 1 to 10.");
    EXPECT_EQ(QApplication::focusWidget(), next);

    EXPECT_FALSE(field->Check());
    EXPECT_EQ(MessageTexts(), QStringList{"Octaves: please enter a whole number from 1 to 10."});
    EXPECT_EQ(QApplication::focusWidget(), edit);
    EXPECT_EQ(m_line->Field(), nullptr) << "another window's line is not used";
}

TEST_F(NumberFieldTest, FocusMovedByTheProgramOrToTheDialogsButtonsBringsNoMessage) {
    m_edit->setFocus(Qt::TabFocusReason);
    m_edit->setText(QStringLiteral("abc"));
    m_next->setFocus(Qt::OtherFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(ShownMessage().isEmpty());

    m_edit->setFocus(Qt::TabFocusReason);
    m_buttons->button(QDialogButtonBox::Cancel)->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(ShownMessage().isEmpty());
    // OK, pressed, checks the field itself.
    m_edit->setFocus(Qt::TabFocusReason);
    m_buttons->button(QDialogButtonBox::Ok)->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(ShownMessage().isEmpty());
    EXPECT_EQ(m_alerts, 0);

    // Good text left is announced to the owner.
    QSignalSpy left(m_field, &NumberField::left);
    TypeAndLeave(m_edit, QStringLiteral("12"), m_next);
    EXPECT_EQ(left.count(), 1);
}

TEST_F(NumberFieldTest, TheProgramDoesNotRewriteWhatTheUserIsTyping) {
    auto* lambda = new QLineEdit(&m_dialog);
    lambda->setAccessibleName(QStringLiteral("Lambda"));
    lambda->show();
    NumberField* field = NumberField::Number(lambda, 0.0f, 6.0f);
    field->ShowNumber(2.0f);
    EXPECT_EQ(lambda->text(), "2.0");
    TypeKeys(lambda, QStringLiteral("2.5"));
    field->Show(QStringLiteral("2.50")); // the same value in the program's words
    EXPECT_EQ(lambda->text(), "2.5");
    field->Show(QStringLiteral("3.1")); // another value is shown
    EXPECT_EQ(lambda->text(), "3.1");
    m_next->setFocus(Qt::TabFocusReason);
    field->Show(QStringLiteral("2.50")); // not being typed into: shown as the program words it
    EXPECT_EQ(lambda->text(), "2.50");
}

TEST_F(NumberFieldTest, CheckingStopsAtTheFirstBadFieldAndPassesOverDisabledOnes) {
    auto* number = new QLineEdit(&m_dialog);
    (new QLabel(QStringLiteral("&Bump Size:"), &m_dialog))->setBuddy(number);
    number->show();
    NumberField* second = NumberField::Number(number);
    number->setText(QStringLiteral("big"));
    m_edit->setText(QStringLiteral("900"));
    m_edit->setEnabled(false); // the user cannot mend it, so it is not held against them
    EXPECT_FALSE(CheckFields({m_field, second}, &m_dialog));
    EXPECT_EQ(ShownMessage(), "Bump size: please enter a number.");
    EXPECT_EQ(QApplication::focusWidget(), number);

    m_edit->setEnabled(true);
    EXPECT_FALSE(CheckFields({m_field, second}, &m_dialog));
    EXPECT_EQ(ShownMessage(), kMessage);
    EXPECT_EQ(QApplication::focusWidget(), m_edit);
    EXPECT_TRUE(m_messages.empty());
    number->setText(QStringLiteral("2.5e1"));
    m_edit->setText(QStringLiteral("-0"));
    EXPECT_TRUE(CheckFields({m_field, second}, &m_dialog));
    EXPECT_EQ(second->NumberValue(), 25.0f);
    EXPECT_EQ(m_field->IntegerValue(), 0);
}
