// Number fields: what the user types goes to the owner at once, and text that is no good is
// marked and reported when the user leaves the edit.

#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"

#include <QDialog>
#include <QDialogButtonBox>
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
        layout->addWidget(m_buttons);
        m_field = NumberField::Integer(m_edit, 0, 200);
        m_field->ShowInteger(40);
        m_dialog.show();
        QApplication::setActiveWindow(&m_dialog);
        ASSERT_TRUE(QTest::qWaitForWindowActive(&m_dialog));
    }

    static constexpr const char* kMessage =
        "Turbulence strength: please enter a whole number from 0 to 200.";

    QDialog m_dialog;
    QLineEdit* m_edit = nullptr;
    QLineEdit* m_next = nullptr;
    QDialogButtonBox* m_buttons = nullptr;
    NumberField* m_field = nullptr;
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
    EXPECT_TRUE(m_messages.empty()) << "no message while the user is still in the edit";

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

TEST_F(NumberFieldTest, LeavingBadTextShowsTheMessageOnceAndBringsTheFocusBack) {
    TypeAndLeave(m_edit, QStringLiteral("abc"), m_next);
    ASSERT_EQ(MessageTexts(), QStringList{kMessage});
    EXPECT_EQ(m_messages[0].title, "Velvane");
    EXPECT_EQ(QApplication::focusWidget(), m_edit);
    EXPECT_EQ(m_edit->selectedText(), "abc");

    // OK right after leaving (the click that moved the focus) shows the message only once.
    m_messages.clear();
    m_next->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(CheckFields({m_field}));
    QApplication::processEvents();
    EXPECT_EQ(MessageTexts(), QStringList{kMessage});
}

TEST_F(NumberFieldTest, FocusMovedByTheProgramOrToCancelBringsNoMessage) {
    m_edit->setFocus(Qt::TabFocusReason);
    m_edit->setText(QStringLiteral("abc"));
    m_next->setFocus(Qt::OtherFocusReason); // a message box giving the focus back, say
    QApplication::processEvents();
    EXPECT_TRUE(m_messages.empty());

    m_edit->setFocus(Qt::TabFocusReason);
    m_buttons->button(QDialogButtonBox::Cancel)->setFocus(Qt::MouseFocusReason);
    QApplication::processEvents();
    EXPECT_TRUE(m_messages.empty());

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
    EXPECT_EQ(MessageTexts(), QStringList{"Bump size: please enter a number."});
    EXPECT_EQ(QApplication::focusWidget(), number);

    m_edit->setEnabled(true);
    m_messages.clear();
    EXPECT_FALSE(CheckFields({m_field, second}, &m_dialog));
    EXPECT_EQ(MessageTexts(), QStringList{kMessage});
    number->setText(QStringLiteral("2.5e1"));
    m_edit->setText(QStringLiteral("-0"));
    EXPECT_TRUE(CheckFields({m_field, second}, &m_dialog));
    EXPECT_EQ(second->NumberValue(), 25.0f);
    EXPECT_EQ(m_field->IntegerValue(), 0);
}
