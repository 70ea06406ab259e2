// The program's small dialogs driven the way a user drives them: typing, clicking, answering
// the message boxes (through the prompt responders) and reading what ends up in the settings,
// on the clipboard and in files.

#include "core/catalog/catalog.h"
#include "core/catalog/exportsource.h"
#include "core/model/simpletexture.h"
#include "core/shapes/shapelist.h"
#include "fakeappservices.h"
#include "povrayrequired.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"
#include "screenshot.h"
#include "testfiles.h"
#include "ui/dialogs/aboutdialog.h"
#include "ui/dialogs/clipboard.h"
#include "ui/dialogs/exportdialog.h"
#include "ui/dialogs/preferencesdialog.h"
#include "ui/dialogs/startupnoticedialog.h"
#include "ui/dialogs/thumbnailoptionsdialog.h"
#include "ui/dialogs/validation.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/framework/appservices.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QVBoxLayout>
#include <QWheelEvent>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

// ---------------------------------------------------------------------------------------------
// Helpers

struct ShownMessage {
    Prompts::Icon icon;
    QString title;
    QString text;
};

/// Answers every message box with `answer` and remembers what it was shown; answers file
/// dialogs with `filePath` and remembers their caption and proposal.
class PromptRecorder {
public:
    PromptRecorder() {
        Prompts::SetMessageResponder([this](Prompts::Icon icon, const QString& title,
                                            const QString& text, QMessageBox::StandardButtons) {
            messages.push_back({icon, title, text});
            return answer;
        });
        Prompts::SetFileResponder([this](const QString& caption, const QString& start) {
            fileCaptions.push_back(caption);
            fileStarts.push_back(start);
            return filePath;
        });
    }
    ~PromptRecorder() {
        Prompts::SetMessageResponder(nullptr);
        Prompts::SetFileResponder(nullptr);
    }
    PromptRecorder(const PromptRecorder&) = delete;
    PromptRecorder& operator=(const PromptRecorder&) = delete;

    QStringList Texts() const {
        QStringList texts;
        for (const ShownMessage& message : messages)
            texts << message.text;
        return texts;
    }

    std::vector<ShownMessage> messages;
    QMessageBox::StandardButton answer = QMessageBox::Ok;
    QString filePath;
    QStringList fileCaptions;
    QStringList fileStarts;
};

/// Runs `action` on the modal dialog of type T as soon as one runs its loop (the dialog under
/// test is then inside exec()). Gives up after a few seconds, closing whatever is modal, so a
/// failing test cannot hang the run.
template <typename T> void WhenModal(std::function<void(T&)> action) {
    auto* timer = new QTimer;
    auto* waited = new int(0);
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, waited, action] {
        if (auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            action(*dialog);
            return;
        }
        if (++*waited > 500) {
            timer->stop();
            timer->deleteLater();
            delete waited;
            ADD_FAILURE() << "no modal " << T::staticMetaObject.className() << " appeared";
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget()))
                dialog->reject();
        }
    });
    timer->start();
}

/// Clicks a radio button or check box on its indicator, which is inside the clickable area
/// however wide a layout makes the button.
void ClickIndicator(QAbstractButton* button) {
    ASSERT_NE(button, nullptr);
    QTest::mouseClick(button, Qt::LeftButton, {}, QPoint(6, button->height() / 2));
}

void TypeInto(QLineEdit* field, const QString& text) {
    field->clear();
    QTest::keyClicks(field, text);
}

QPushButton* StandardButton(QDialog& dialog, QDialogButtonBox::StandardButton which) {
    for (QDialogButtonBox* box : dialog.findChildren<QDialogButtonBox*>())
        if (QPushButton* button = box->button(which))
            return button;
    return nullptr;
}

/// Two textures with a finish and a normal of their own, so that leaving them out shows.
Catalog TwoTextureCatalog() {
    Catalog catalog;
    for (const char* name : {"Polished Oak", "Rough Slate"}) {
        SimpleTexture texture;
        texture.SetName(name);
        texture.SetDescription(std::string("The texture ") + name);
        texture.pigment.color = {200, 120, 40, 0};
        texture.finish.phong = 80;
        texture.finish.reflection = 20;
        texture.normal.kind = Normal::Bumps;
        texture.normal.amount = 50;
        catalog.AddTexture(texture);
    }
    return catalog;
}

std::string AllSource(const Catalog& catalog, SourceFlags flags) {
    std::vector<int> indices;
    for (int index = 0; index < catalog.GetCount(); ++index)
        indices.push_back(index);
    return ExportSourceText(catalog, indices, flags);
}

// ---------------------------------------------------------------------------------------------
// Reading fields

TEST(FieldParsing, NumbersAreReadWithAPointWhateverTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    EXPECT_EQ(Validation::ParseNumber(QStringLiteral("1.5")), 1.5);
    EXPECT_EQ(Validation::ParseNumber(QStringLiteral("  2.25\t")), 2.25);
    EXPECT_EQ(Validation::ParseNumber(QStringLiteral("-.5")), -0.5);
    EXPECT_EQ(Validation::ParseNumber(QStringLiteral("+3.")), 3.0);
    EXPECT_EQ(Validation::ParseNumber(QStringLiteral("1e2")), 100.0);
    EXPECT_EQ(Validation::ParseNumber(QStringLiteral("7")), 7.0);
    for (const char* bad :
         {"", " ", "abc", "1,5", "1.5x", "1.5 2", ".", "-", "1e", "inf", "nan", "0x10", "1..2"})
        EXPECT_FALSE(Validation::ParseNumber(QString::fromLatin1(bad))) << bad;
    QLocale::setDefault(saved);
}

TEST(FieldParsing, IntegersAreDigitsWithAnOptionalSign) {
    EXPECT_EQ(Validation::ParseInteger(QStringLiteral("42")), 42);
    EXPECT_EQ(Validation::ParseInteger(QStringLiteral(" -7 ")), -7);
    EXPECT_EQ(Validation::ParseInteger(QStringLiteral("+3")), 3);
    for (const char* bad : {"", "4.0", "12a", "1 2", "--1", "+", "99999999999", "1e3"})
        EXPECT_FALSE(Validation::ParseInteger(QString::fromLatin1(bad))) << bad;
}

TEST(FieldParsing, MessagesNameTheFieldFirstAndShowTheBoundsAsTheFieldsDo) {
    EXPECT_EQ(Validation::IntegerRangeMessage(0, 200, QStringLiteral("Turbulence strength")),
              QStringLiteral("Turbulence strength: please enter a whole number from 0 to 200."));
    EXPECT_EQ(Validation::NumberRangeMessage(0.0f, 3.0f, QStringLiteral("Threshold")),
              QStringLiteral("Threshold: please enter a number from 0.0 to 3.0."));
    EXPECT_EQ(Validation::NumberRangeMessage(-1.5f, 0.25f),
              QStringLiteral("Please enter a number from -1.5 to 0.25."));
    EXPECT_EQ(Validation::IntegerRangeMessage(10, 8192),
              QStringLiteral("Please enter a whole number from 10 to 8192."));
    EXPECT_EQ(Validation::IntegerMessage(), QStringLiteral("Please enter a whole number."));
    EXPECT_EQ(Validation::NumberMessage(QStringLiteral("Scale X")),
              QStringLiteral("Scale X: please enter a number."));
}

TEST(FieldParsing, AFieldIsNamedByItsAccessibleNameOrItsLabelInSentenceCase) {
    QDialog dialog;
    auto* named = new QLineEdit(&dialog);
    named->setAccessibleName(QStringLiteral("Turbulence Strength"));
    auto* axis = new QLineEdit(&dialog);
    axis->setAccessibleName(QStringLiteral("Scale X"));
    auto* acronym = new QLineEdit(&dialog);
    acronym->setAccessibleName(QStringLiteral("IOR"));
    auto* labelled = new QLineEdit(&dialog);
    (new QLabel(QStringLiteral("Bump &Size:"), &dialog))->setBuddy(labelled);
    auto* anonymous = new QLineEdit(&dialog);
    EXPECT_EQ(Validation::FieldName(named), QStringLiteral("Turbulence strength"));
    EXPECT_EQ(Validation::FieldName(axis), QStringLiteral("Scale X"));
    EXPECT_EQ(Validation::FieldName(acronym), QStringLiteral("IOR"));
    EXPECT_EQ(Validation::FieldName(labelled), QStringLiteral("Bump size"));
    EXPECT_EQ(Validation::FieldName(anonymous), QString());
}

class FieldReading : public ::testing::Test {
protected:
    void SetUp() override {
        m_first = new QLineEdit(&m_dialog);
        m_second = new QLineEdit(&m_dialog);
        m_dialog.show();
    }

    PromptRecorder m_prompts;
    QDialog m_dialog;
    QLineEdit* m_first = nullptr;
    QLineEdit* m_second = nullptr;
};

TEST_F(FieldReading, AFailingNumberShowsTheStandardMessageAndTakesTheFocus) {
    m_second->setFocus();
    m_first->setText(QStringLiteral("3.5"));
    EXPECT_FALSE(Validation::ReadNumber(m_first, 0.0f, 3.0f));
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].title, QStringLiteral("Velvane"));
    EXPECT_EQ(m_prompts.messages[0].text, QStringLiteral("Please enter a number from 0.0 to 3.0."));
    EXPECT_EQ(m_dialog.focusWidget(), m_first);
    EXPECT_EQ(m_first->selectedText(), QStringLiteral("3.5"));

    // Text that is no number gets the same message, with the field's name when it has one.
    m_second->setFocus();
    m_first->setAccessibleName(QStringLiteral("Threshold"));
    m_first->setText(QStringLiteral("abc"));
    EXPECT_FALSE(Validation::ReadNumber(m_first, 0.0f, 3.0f));
    EXPECT_EQ(m_prompts.messages.back().text,
              QStringLiteral("Threshold: please enter a number from 0.0 to 3.0."));
    EXPECT_EQ(m_dialog.focusWidget(), m_first);

    m_first->setText(QStringLiteral(" 3.0 "));
    EXPECT_EQ(Validation::ReadNumber(m_first, 0.0f, 3.0f), 3.0f);
    m_first->setText(QStringLiteral("1e40"));
    EXPECT_FALSE(Validation::ReadNumber(m_first));
    EXPECT_EQ(m_prompts.messages.back().text, QStringLiteral("Threshold: please enter a number."));
}

TEST_F(FieldReading, AFailingIntegerShowsTheStandardMessage) {
    m_first->setText(QStringLiteral("17"));
    EXPECT_FALSE(Validation::ReadInteger(m_first, 1, 16));
    m_first->setText(QStringLiteral("2.5"));
    EXPECT_FALSE(Validation::ReadInteger(m_first, 1, 16));
    m_first->setText(QStringLiteral("x"));
    EXPECT_FALSE(Validation::ReadInteger(m_first));
    m_first->setText(QStringLiteral("12345678901234"));
    EXPECT_FALSE(Validation::ReadInteger(m_first, 1, 16));
    EXPECT_EQ(m_prompts.Texts(),
              (QStringList{QStringLiteral("Please enter a whole number from 1 to 16."),
                           QStringLiteral("Please enter a whole number from 1 to 16."),
                           QStringLiteral("Please enter a whole number."),
                           QStringLiteral("Please enter a whole number from 1 to 16.")}));
    m_first->setText(QStringLiteral(" 16"));
    EXPECT_EQ(Validation::ReadInteger(m_first, 1, 16), 16);
}

TEST_F(FieldReading, ReadingStopsAtTheFirstFailingField) {
    m_first->setText(QStringLiteral("oops"));
    m_second->setText(QStringLiteral("also wrong"));
    float threshold = 9.0f;
    int width = 9;
    Validation::FieldReader reader(&m_dialog);
    EXPECT_FALSE(reader.Number(m_first, threshold, 0.0f, 3.0f));
    EXPECT_FALSE(reader.Integer(m_second, width, 10, 8192));
    EXPECT_FALSE(reader.Ok());
    EXPECT_EQ(m_prompts.messages.size(), 1u) << "only the first failure is reported";
    EXPECT_EQ(m_dialog.focusWidget(), m_first);
    EXPECT_EQ(threshold, 9.0f);
    EXPECT_EQ(width, 9);

    m_first->setText(QStringLiteral("0.5"));
    m_second->setText(QStringLiteral("640"));
    Validation::FieldReader good(&m_dialog);
    EXPECT_TRUE(good.Number(m_first, threshold, 0.0f, 3.0f));
    EXPECT_TRUE(good.Integer(m_second, width, 10, 8192));
    EXPECT_TRUE(good.Ok());
    EXPECT_EQ(threshold, 0.5f);
    EXPECT_EQ(width, 640);
}

// ---------------------------------------------------------------------------------------------
// Preferences

TEST(Preferences, APageOnItsOwnShowsItsDefaults) {
    PathsPage page;
    EXPECT_TRUE(page.ProgramDirectoryEdit()->text().isEmpty());
    EXPECT_TRUE(page.ExecutableEdit()->text().isEmpty());
    EXPECT_EQ(page.ThresholdEdit()->text(), QStringLiteral("0.200"));
    EXPECT_TRUE(page.RaysButton(1)->isChecked());
    EXPECT_EQ(page.RaysButton(0)->text(), QStringLiteral("&2x2"));
    EXPECT_EQ(page.RaysButton(2)->text(), QStringLiteral("&4x4"));
    EXPECT_EQ(page.StyleCombo()->count(), 3);
    EXPECT_EQ(page.StyleCombo()->itemText(2), QStringLiteral("POV-Ray 3.7"));
    EXPECT_EQ(page.ParallelSpin()->minimum(), 0);
    EXPECT_EQ(page.ParallelSpin()->text(), QStringLiteral("Automatic (4)"));
    EXPECT_EQ(page.ParallelSpin()->maximum(), 64);
    // What the number means is said under it, and read out with it.
    const auto* note = page.findChild<QLabel*>(QStringLiteral("parallelNote"));
    ASSERT_TRUE(note);
    EXPECT_TRUE(note->text().startsWith(QStringLiteral("Parallel Renders: how many POV-Ray runs")));
    EXPECT_EQ(page.ParallelSpin()->accessibleDescription(), note->text());
    // The time limit: two minutes by default, None at 0, the default said in its description,
    // and reached by its label's key.
    EXPECT_EQ(page.TimeLimitSpin()->value(), 120);
    EXPECT_EQ(page.TimeLimitSpin()->text(), QStringLiteral("120 s"));
    EXPECT_EQ(page.TimeLimitSpin()->specialValueText(), QStringLiteral("None"));
    EXPECT_TRUE(page.TimeLimitSpin()->accessibleDescription().contains(
        QStringLiteral("Unless you choose otherwise it is 120 s")));
    EXPECT_EQ(page.TimeLimitSpin()->minimum(), 0);
    const auto labels = page.findChildren<QLabel*>();
    const auto label = std::find_if(labels.begin(), labels.end(),
                                    [&](QLabel* l) { return l->buddy() == page.TimeLimitSpin(); });
    ASSERT_NE(label, labels.end());
    EXPECT_EQ((*label)->text(), QStringLiteral("Render Time &Limit"));
}

class PreferencesTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_app.settings.programDirectory = QStringLiteral("/srv/velvane");
        m_app.settings.povExecutable = QStringLiteral("/opt/povray/bin/povray");
        m_app.settings.antialiasingThreshold = 1.5f;
        m_app.settings.raysPerPixel = 3;
        m_app.settings.povCommandStyle = 1;
        m_app.settings.parallelRenders = 2;
        m_app.settings.parallelRendersChosen = true;
        m_app.settings.renderTimeLimit = 90;
    }

    PromptRecorder m_prompts;
    FakeAppServices m_app;
};

TEST_F(PreferencesTest, OkStoresTheFieldsAndSavesAtOnce) {
    bool checked = false;
    WhenModal<PreferencesDialog>([&](PreferencesDialog& sheet) {
        PathsPage& page = sheet.Page();
        EXPECT_EQ(sheet.windowTitle(), QStringLiteral("Preferences"));
        EXPECT_EQ(page.ProgramDirectoryEdit()->text(), QStringLiteral("/srv/velvane"));
        EXPECT_EQ(page.ExecutableEdit()->text(), QStringLiteral("/opt/povray/bin/povray"));
        EXPECT_EQ(page.ThresholdEdit()->text(), QStringLiteral("1.500"));
        EXPECT_TRUE(page.RaysButton(1)->isChecked()) << "3 rays per pixel is the 3x3 button";
        EXPECT_EQ(page.StyleCombo()->currentIndex(), 1);
        EXPECT_EQ(page.ParallelSpin()->value(), 2);
        EXPECT_EQ(page.TimeLimitSpin()->value(), 90);
        EXPECT_TRUE(page.WrapCheck()->isChecked());
        EXPECT_EQ(page.GammaCombo()->currentText(), QStringLiteral("as older scenes"));
        EXPECT_FALSE(page.PovRayNumbersCheck()->isChecked());
        SaveScreenshot(&sheet, QStringLiteral("preferences"));

        TypeInto(page.ProgramDirectoryEdit(), QStringLiteral("/home/ann/velvane"));
        TypeInto(page.ThresholdEdit(), QStringLiteral("2.25"));
        ClickIndicator(page.RaysButton(2));
        page.StyleCombo()->setCurrentIndex(2);
        page.ParallelSpin()->setValue(8);
        page.GammaCombo()->setCurrentText(
            QStringLiteral("as POV-Ray 3.7 scenes: assumed_gamma 1.0"));
        page.TimeLimitSpin()->setFocus();
        page.TimeLimitSpin()->selectAll();
        QTest::keyClicks(page.TimeLimitSpin(), QStringLiteral("300"));
        // Reached by Alt+W, it turns the wrapping of source lines off.
        EXPECT_EQ(page.WrapCheck()->text(),
                  QStringLiteral("&Wrap long lines in the source editor"));
        page.WrapCheck()->click();
        EXPECT_EQ(page.PovRayNumbersCheck()->text(),
                  QStringLiteral("Show &values as POV-Ray writes them"));
        page.PovRayNumbersCheck()->click();
        checked = true;
        QTest::mouseClick(StandardButton(sheet, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(RunPreferences(m_app, nullptr));
    ASSERT_TRUE(checked);
    EXPECT_EQ(m_app.saves, 1);
    EXPECT_EQ(m_app.saved.programDirectory, QStringLiteral("/home/ann/velvane"));
    EXPECT_EQ(m_app.saved.povExecutable, QStringLiteral("/opt/povray/bin/povray"));
    EXPECT_EQ(m_app.saved.antialiasingThreshold, 2.25f);
    EXPECT_EQ(m_app.saved.raysPerPixel, 4);
    EXPECT_EQ(m_app.saved.povCommandStyle, 2);
    EXPECT_EQ(m_app.saved.parallelRenders, 8);
    EXPECT_EQ(m_app.saved.renderTimeLimit, 300);
    EXPECT_FALSE(m_app.saved.wrapSourceLines);
    EXPECT_EQ(m_app.saved.sceneGamma, SceneGamma::Pov37);
    EXPECT_TRUE(m_app.saved.povRayNumbers);
    EXPECT_TRUE(m_app.saved.renderTimeLimitChosen);
    EXPECT_TRUE(m_app.saved.parallelRendersChosen);
    EXPECT_TRUE(m_prompts.messages.empty());
}

TEST_F(PreferencesTest, CancelChangesNothing) {
    WhenModal<PreferencesDialog>([&](PreferencesDialog& sheet) {
        TypeInto(sheet.Page().ExecutableEdit(), QStringLiteral("/usr/local/bin/povray"));
        ClickIndicator(sheet.Page().RaysButton(0));
        TypeInto(sheet.Page().ThresholdEdit(), QStringLiteral("0.1"));
        QTest::mouseClick(StandardButton(sheet, QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    const ProgramSettings before = m_app.settings;
    EXPECT_FALSE(RunPreferences(m_app, nullptr));
    EXPECT_EQ(m_app.saves, 0);
    EXPECT_EQ(m_app.settings.povExecutable, before.povExecutable);
    EXPECT_EQ(m_app.settings.raysPerPixel, before.raysPerPixel);
    EXPECT_EQ(m_app.settings.antialiasingThreshold, before.antialiasingThreshold);
}

TEST_F(PreferencesTest, ParallelRendersLeftAloneKeepFollowingTheMachine) {
    m_app.settings.parallelRenders = 24; // the machine's default, not the user's choice
    m_app.settings.parallelRendersChosen = false;
    const QString automatic = QStringLiteral("Automatic (%1)").arg(DefaultParallelRenders());
    WhenModal<PreferencesDialog>([&](PreferencesDialog& sheet) {
        EXPECT_EQ(sheet.Page().ParallelSpin()->value(), 0);
        EXPECT_EQ(sheet.Page().ParallelSpin()->text(), automatic);
        TypeInto(sheet.Page().ThresholdEdit(), QStringLiteral("1.0"));
        QTest::mouseClick(StandardButton(sheet, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(RunPreferences(m_app, nullptr));
    EXPECT_EQ(m_app.saved.parallelRenders, DefaultParallelRenders());
    EXPECT_FALSE(m_app.saved.parallelRendersChosen)
        << "OK alone does not make the number the user's";

    // A number chosen shows as it is; stepping down past 1 goes back to Automatic.
    m_app.settings = m_app.saved;
    m_app.settings.parallelRenders = 1;
    m_app.settings.parallelRendersChosen = true;
    WhenModal<PreferencesDialog>([&](PreferencesDialog& sheet) {
        QSpinBox* spin = sheet.Page().ParallelSpin();
        EXPECT_EQ(spin->text(), QStringLiteral("1"));
        spin->setFocus();
        QTest::keyClick(spin, Qt::Key_Down);
        EXPECT_EQ(spin->text(), automatic);
        QTest::mouseClick(StandardButton(sheet, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(RunPreferences(m_app, nullptr));
    EXPECT_FALSE(m_app.saved.parallelRendersChosen);
}

TEST_F(PreferencesTest, ABadThresholdKeepsTheSheetOpen) {
    bool stayedOpen = false;
    WhenModal<PreferencesDialog>([&](PreferencesDialog& sheet) {
        QLineEdit* threshold = sheet.Page().ThresholdEdit();
        TypeInto(threshold, QStringLiteral("3.5"));
        QTest::mouseClick(StandardButton(sheet, QDialogButtonBox::Ok), Qt::LeftButton);
        EXPECT_EQ(m_prompts.Texts(),
                  QStringList{QStringLiteral("Threshold: please enter a number from 0.0 to 3.0.")});
        EXPECT_EQ(sheet.focusWidget(), threshold);

        TypeInto(threshold, QStringLiteral("abc"));
        QTest::keyClick(&sheet, Qt::Key_Return);
        EXPECT_EQ(m_prompts.messages.back().text,
                  QStringLiteral("Threshold: please enter a number from 0.0 to 3.0."));
        stayedOpen = sheet.isVisible();

        TypeInto(threshold, QStringLiteral("0"));
        QTest::mouseClick(StandardButton(sheet, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_TRUE(RunPreferences(m_app, nullptr));
    EXPECT_TRUE(stayedOpen);
    EXPECT_EQ(m_prompts.messages.size(), 2u);
    EXPECT_EQ(m_app.saved.antialiasingThreshold, 0.0f);
}

TEST_F(PreferencesTest, EmptySettingsProposeTheUsersFolderAndThePovRayOnThePath) {
    m_app.settings.programDirectory.clear();
    m_app.settings.povExecutable.clear();
    WhenModal<PreferencesDialog>([&](PreferencesDialog& sheet) {
        EXPECT_EQ(sheet.Page().ProgramDirectoryEdit()->text(), DefaultProgramDirectory());
        EXPECT_EQ(sheet.Page().ExecutableEdit()->text(), DefaultPovExecutable());
        // What leaving the field empty means.
        EXPECT_TRUE(sheet.Page().ExecutableEdit()->placeholderText().startsWith(
            QStringLiteral("povray on the PATH")));
        EXPECT_FALSE(sheet.WelcomeLabel()) << "the command itself does not welcome";
        sheet.accept();
    });
    EXPECT_TRUE(RunPreferences(m_app, nullptr));
    EXPECT_EQ(m_app.saved.programDirectory, DefaultProgramDirectory());
}

TEST_F(PreferencesTest, HelpAndBrowse) {
    PreferencesDialog sheet(&m_app);
    sheet.Page().SetValues(
        {QStringLiteral("/srv"), QStringLiteral("/usr/bin/povray"), 0.3f, 0, 0, 4});
    sheet.show();
    QTest::mouseClick(StandardButton(sheet, QDialogButtonBox::Help), Qt::LeftButton);
    EXPECT_EQ(m_app.helpContexts, std::vector<int>{2});
    EXPECT_TRUE(sheet.isVisible()) << "Help does not close the sheet";

    m_prompts.filePath = QStringLiteral("/opt/povray-3.7/bin/povray");
    QTest::mouseClick(sheet.Page().BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(m_prompts.fileCaptions, QStringList{QStringLiteral("Browse")});
    EXPECT_EQ(m_prompts.fileStarts, QStringList{QStringLiteral("/usr/bin/povray")});
    EXPECT_EQ(sheet.Page().ExecutableEdit()->text(), QStringLiteral("/opt/povray-3.7/bin/povray"));

    m_prompts.filePath.clear(); // the user cancels the file dialog
    QTest::mouseClick(sheet.Page().BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(sheet.Page().ExecutableEdit()->text(), QStringLiteral("/opt/povray-3.7/bin/povray"));
}

TEST_F(PreferencesTest, TestingAMissingPovRayShowsWhyItCannotRun) {
    PathsPage page;
    page.show();
    TypeInto(page.ExecutableEdit(), QStringLiteral("/nonexistent/bin/povray"));
    QSignalSpy finished(&page, &PathsPage::testFinished);
    QTest::mouseClick(page.TestButton(), Qt::LeftButton);
    // The test runs while the dialog goes on; the button waits for it.
    EXPECT_TRUE(page.IsTesting());
    EXPECT_FALSE(page.TestButton()->isEnabled());
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text, QString::fromUtf8(RenderMessages::CannotStart));
    EXPECT_EQ(m_prompts.messages[0].icon, Prompts::Icon::Warning);
    EXPECT_TRUE(page.TestButton()->isEnabled());
}

TEST_F(PreferencesTest, TestingTheInstalledPovRayNamesItsVersion) {
    VELVANE_SKIP_WITHOUT_POVRAY(DefaultPovExecutable().isEmpty(), "povray is not installed");
    PathsPage page;
    page.show();
    page.ExecutableEdit()->clear(); // empty: the povray on the PATH
    QSignalSpy finished(&page, &PathsPage::testFinished);
    QTest::mouseClick(page.TestButton(), Qt::LeftButton);
    ASSERT_TRUE(finished.wait(30000));
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    const QString text = m_prompts.messages[0].text;
    EXPECT_TRUE(text.startsWith(QStringLiteral("POV-Ray 3."))) << text.toStdString();
    EXPECT_TRUE(text.endsWith(QStringLiteral(" renders correctly."))) << text.toStdString();
    EXPECT_EQ(m_prompts.messages[0].icon, Prompts::Icon::Information);
}

// ---------------------------------------------------------------------------------------------
// Export

TEST(ExportNames, TheFileNameComesFromTheTitleUpToItsFirstDot) {
    EXPECT_EQ(ExportDialog::ProposedFileName(QStringLiteral("Wood.vlv")),
              QStringLiteral("Wood.inc"));
    EXPECT_EQ(ExportDialog::ProposedFileName(QStringLiteral("Catalog1")),
              QStringLiteral("Catalog1.inc"));
    EXPECT_EQ(ExportDialog::ProposedFileName(QStringLiteral("my.wood.vlv")),
              QStringLiteral("my.inc"));
    Catalog catalog = TwoTextureCatalog();
    ExportDialog dialog(catalog, QStringLiteral("my.wood.vlv"));
    EXPECT_EQ(dialog.FileNameEdit()->text(), QStringLiteral("my.inc"));
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Export Texture(s)"));
}

class ExportTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(m_dir.isValid());
        m_catalog = TwoTextureCatalog();
    }
    QString Path(const QString& name) const { return m_dir.filePath(name); }

    /// Opens the dialog on all textures with `path` as its file and presses OK.
    void ExportTo(ExportDialog& dialog, const QString& path) {
        dialog.show();
        TypeInto(dialog.FileNameEdit(), path);
        QTest::mouseClick(StandardButton(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    }

    /// Answers the "File already exists" question with `button` (a ExportSourceDialog button).
    void AnswerExists(const QString& path,
                      std::function<QPushButton*(ExportSourceDialog&)> button) {
        WhenModal<ExportSourceDialog>([this, path, button](ExportSourceDialog& ask) {
            ++m_asked;
            EXPECT_EQ(ask.windowTitle(), QStringLiteral("Export Source"));
            EXPECT_EQ(ask.Text(), QStringLiteral("File already exists:\n") + path);
            EXPECT_TRUE(ask.CancelButton()->isDefault());
            QTest::mouseClick(button(ask), Qt::LeftButton);
        });
    }

    PromptRecorder m_prompts;
    QTemporaryDir m_dir;
    Catalog m_catalog;
    int m_asked = 0;
};

TEST_F(ExportTest, WithNothingSelectedAllTexturesAreExported) {
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    EXPECT_TRUE(dialog.AllRadio()->isChecked());
    EXPECT_FALSE(dialog.SelectedRadio()->isChecked());
    EXPECT_FALSE(dialog.SelectedRadio()->isEnabled());
    EXPECT_EQ(dialog.SourceText(), AllSource(m_catalog, SourceFlag::Declare));
}

TEST_F(ExportTest, ThePreviewFollowsTheScopeAndTheExclusions) {
    m_catalog.Select(1);
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    dialog.show();
    EXPECT_TRUE(dialog.SelectedRadio()->isChecked());
    EXPECT_TRUE(dialog.SelectedRadio()->isEnabled());
    EXPECT_EQ(dialog.SourceText(), ExportSourceText(m_catalog, {1}, SourceFlag::Declare));
    // The preview shows the lines without their carriage returns; the text keeps them.
    EXPECT_EQ(dialog.Preview()->toPlainText(),
              QString::fromStdString(dialog.SourceText())
                  .replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    EXPECT_TRUE(dialog.Preview()->isReadOnly());

    ClickIndicator(dialog.AllRadio());
    EXPECT_EQ(dialog.SourceText(), AllSource(m_catalog, SourceFlag::Declare));

    ClickIndicator(dialog.FinishCheck());
    EXPECT_EQ(dialog.SourceText(),
              AllSource(m_catalog, SourceFlag::Declare | SourceFlag::NoFinish));
    EXPECT_EQ(dialog.SourceText().find("finish"), std::string::npos);
    EXPECT_NE(dialog.SourceText().find("normal"), std::string::npos);

    ClickIndicator(dialog.NormalCheck());
    EXPECT_EQ(dialog.SourceText(), AllSource(m_catalog, SourceFlag::Declare | SourceFlag::NoFinish |
                                                            SourceFlag::NoNormal));
    EXPECT_EQ(dialog.SourceText().find("normal"), std::string::npos);
    EXPECT_FALSE(dialog.Preview()->toPlainText().contains(QStringLiteral("normal")));

    ClickIndicator(dialog.SelectedRadio());
    EXPECT_EQ(dialog.SourceText(),
              ExportSourceText(m_catalog, {1},
                               SourceFlag::Declare | SourceFlag::NoFinish | SourceFlag::NoNormal));
    SaveScreenshot(&dialog, QStringLiteral("export"));
}

TEST_F(ExportTest, ANewFileReceivesThePreviewByteForByte) {
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    const QString path = Path(QStringLiteral("Wood.inc"));
    ExportTo(dialog, path);
    EXPECT_EQ(m_asked, 0);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_FALSE(dialog.isVisible());
    const QByteArray written = FileBytes(path);
    EXPECT_EQ(written, QByteArray::fromStdString(AllSource(m_catalog, SourceFlag::Declare)));
    EXPECT_TRUE(written.endsWith("}\r\n\r\n"));
    EXPECT_FALSE(written.contains("\r\r\n"));
}

TEST_F(ExportTest, AppendingTheSameExportDoublesTheFile) {
    const QString path = Path(QStringLiteral("Wood.inc"));
    const QByteArray once = QByteArray::fromStdString(AllSource(m_catalog, SourceFlag::Declare));
    ASSERT_TRUE(PutFile(path, once));
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    AnswerExists(path, [](ExportSourceDialog& ask) { return ask.AppendButton(); });
    ExportTo(dialog, path);
    EXPECT_EQ(m_asked, 1);
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(FileBytes(path), once + once);
}

TEST_F(ExportTest, OverwritingReplacesTheFile) {
    const QString path = Path(QStringLiteral("Wood.inc"));
    ASSERT_TRUE(
        PutFile(path, QByteArray("// an older export that is much longer than nothing\r\n")));
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    ClickIndicator(dialog.FinishCheck());
    AnswerExists(path, [](ExportSourceDialog& ask) { return ask.OverwriteButton(); });
    ExportTo(dialog, path);
    EXPECT_EQ(m_asked, 1);
    EXPECT_EQ(FileBytes(path), QByteArray::fromStdString(AllSource(
                                   m_catalog, SourceFlag::Declare | SourceFlag::NoFinish)));
}

TEST_F(ExportTest, CancelLeavesTheFileAloneAndTheDialogOpen) {
    const QString path = Path(QStringLiteral("Wood.inc"));
    const QByteArray before("#declare Keep = texture { }\r\n");
    ASSERT_TRUE(PutFile(path, before));
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    AnswerExists(path, [](ExportSourceDialog& ask) { return ask.CancelButton(); });
    ExportTo(dialog, path);
    EXPECT_EQ(m_asked, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(FileBytes(path), before);

    // Escape in the question is Cancel too.
    WhenModal<ExportSourceDialog>(
        [](ExportSourceDialog& ask) { QTest::keyClick(&ask, Qt::Key_Escape); });
    QTest::mouseClick(StandardButton(dialog, QDialogButtonBox::Ok), Qt::LeftButton);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(FileBytes(path), before);
}

TEST_F(ExportTest, AFileThatCannotBeWrittenIsReportedAndNothingIsWritten) {
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    const QString path = Path(QStringLiteral("no-such-folder/Wood.inc"));
    ExportTo(dialog, path);
    ASSERT_EQ(m_prompts.messages.size(), 1u);
    EXPECT_EQ(m_prompts.messages[0].text, path + QStringLiteral(" was not found."));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_FALSE(QFile::exists(path));
}

TEST_F(ExportTest, BrowseTakesTheChosenPathAndGivesItTheIncludeExtension) {
    ExportDialog dialog(m_catalog, QStringLiteral("Wood.vlv"));
    dialog.show();
    m_prompts.filePath = Path(QStringLiteral("textures"));
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(m_prompts.fileCaptions, QStringList{QStringLiteral("Browse")});
    EXPECT_EQ(m_prompts.fileStarts, QStringList{QStringLiteral("Wood.inc")});
    EXPECT_EQ(dialog.FileName(), Path(QStringLiteral("textures.inc")));

    m_prompts.filePath = Path(QStringLiteral("scene.pov"));
    QTest::mouseClick(dialog.BrowseButton(), Qt::LeftButton);
    EXPECT_EQ(dialog.FileName(), Path(QStringLiteral("scene.pov")));
}

// ---------------------------------------------------------------------------------------------
// View Source

const QString kSource = QStringLiteral(
    "// Oak\r\n#declare Oak = texture {\r\n  pigment { color rgb <1, 0.5, 0> }\r\n}\r\n\r\n");

TEST(ViewSource, ShowsTheTextAndCopiesItExactly) {
    PromptRecorder prompts;
    ViewSourceDialog dialog(kSource);
    dialog.show();
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("View Source"));
    EXPECT_TRUE(dialog.windowFlags() & Qt::WindowMaximizeButtonHint);
    auto* edit = dialog.findChild<QPlainTextEdit*>();
    ASSERT_NE(edit, nullptr);
    EXPECT_TRUE(edit->isReadOnly());
    EXPECT_EQ(edit->toPlainText(),
              QString(kSource).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    auto* group = dialog.findChild<QGroupBox*>();
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->title(), QStringLiteral("Texture Source"));

    QGuiApplication::clipboard()->setText(QStringLiteral("something else"));
    auto* copy = dialog.findChild<QPushButton*>(QStringLiteral("copyButton"));
    ASSERT_NE(copy, nullptr);
    EXPECT_EQ(copy->text(), QStringLiteral("Copy to Clipboard"));
    QTest::mouseClick(copy, Qt::LeftButton);
    EXPECT_EQ(QGuiApplication::clipboard()->text(), kSource);
    EXPECT_TRUE(prompts.messages.empty());
    EXPECT_TRUE(dialog.isVisible()) << "copying does not close the dialog";
    EXPECT_TRUE(CopyTextToClipboard(QStringLiteral("a\r\nb")));
    EXPECT_EQ(QGuiApplication::clipboard()->text(), QStringLiteral("a\r\nb"));
}

TEST(ViewSource, TheTextGrowsWithTheWindowAndTheButtonsStayAtTheBottom) {
    ViewSourceDialog::ForgetGeometry();
    ViewSourceDialog dialog(kSource);
    dialog.resize(400, 400);
    dialog.show();
    auto* edit = dialog.findChild<QPlainTextEdit*>();
    auto* close = dialog.findChild<QPushButton*>(QStringLiteral("closeButton"));
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return dialog.height() == 400 && edit->height() > 100; }, 5000));
    const QSize editBefore = edit->size();
    const int bottomGap = dialog.height() - close->geometry().bottom();
    const int closeLeft = close->x();

    dialog.resize(520, 470);
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->width() == editBefore.width() + 120; }, 5000));
    EXPECT_EQ(edit->height(), editBefore.height() + 70);
    EXPECT_EQ(dialog.height() - close->geometry().bottom(), bottomGap);
    EXPECT_EQ(close->x(), closeLeft);
    dialog.accept();
}

TEST(ViewSource, TheLastPlaceIsRememberedForTheNextOne) {
    ViewSourceDialog::ForgetGeometry();
    EXPECT_TRUE(ViewSourceDialog::LastGeometry().isNull());
    const QRect first(130, 90, 610, 430);
    {
        ViewSourceDialog dialog(kSource);
        dialog.show();
        dialog.setGeometry(first);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.geometry() == first; }, 5000));
        QTest::mouseClick(dialog.findChild<QPushButton*>(QStringLiteral("closeButton")),
                          Qt::LeftButton);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(ViewSourceDialog::LastGeometry(), first);

    const QRect second(60, 70, 480, 520);
    {
        ViewSourceDialog dialog(QStringLiteral("other"));
        dialog.show();
        EXPECT_EQ(dialog.geometry(), first);
        dialog.setGeometry(second);
        ASSERT_TRUE(QTest::qWaitFor([&] { return dialog.geometry() == second; }, 5000));
        QTest::keyClick(&dialog, Qt::Key_Escape);
        EXPECT_FALSE(dialog.isVisible());
    }
    EXPECT_EQ(ViewSourceDialog::LastGeometry(), second);

    {
        ViewSourceDialog dialog(QStringLiteral("third"));
        dialog.show();
        EXPECT_EQ(dialog.geometry(), second);
        dialog.close(); // the close box
    }
    EXPECT_EQ(ViewSourceDialog::LastGeometry(), second);
    ViewSourceDialog::ForgetGeometry();
}

// ---------------------------------------------------------------------------------------------
// Small dialogs

TEST(ThumbnailOptions, ReturnsTheChosenOption) {
    ThumbnailOptionsDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("Render Thumbnail(s)"));
    EXPECT_EQ(dialog.Prompt(),
              QStringLiteral("Which thumbnails of the layered textures would you like to render?"));
    EXPECT_EQ(dialog.GetOption(), 2);
    EXPECT_TRUE(dialog.OptionButton(2)->isChecked());

    WhenModal<ThumbnailOptionsDialog>([](ThumbnailOptionsDialog& shown) {
        ClickIndicator(shown.OptionButton(1));
        QTest::mouseClick(StandardButton(shown, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_EQ(dialog.GetOption(), 1);

    ThumbnailOptionsDialog clear;
    clear.SetPrompt(
        QStringLiteral("Which thumbnails of the layered textures would you like to clear?"));
    EXPECT_EQ(clear.findChild<QLabel*>(QStringLiteral("promptLabel"))->text(), clear.Prompt());
    WhenModal<ThumbnailOptionsDialog>([](ThumbnailOptionsDialog& shown) {
        ClickIndicator(shown.OptionButton(0));
        QTest::mouseClick(StandardButton(shown, QDialogButtonBox::Help), Qt::LeftButton);
        EXPECT_TRUE(shown.isVisible()) << "Help does nothing";
        QTest::mouseClick(StandardButton(shown, QDialogButtonBox::Cancel), Qt::LeftButton);
    });
    EXPECT_EQ(clear.exec(), QDialog::Rejected);
}

TEST(StartupNotice, TheCheckBoxTellsWhetherToShowItAgain) {
    StartupNoticeDialog dialog;
    ASSERT_NE(dialog.DisplayAgainCheck(), nullptr);
    EXPECT_EQ(dialog.DisplayAgainCheck()->text(), QStringLiteral("&Display this message again."));
    EXPECT_FALSE(dialog.DisplayAgain()) << "the box starts clear";
    WhenModal<StartupNoticeDialog>([](StartupNoticeDialog& shown) {
        ClickIndicator(shown.DisplayAgainCheck());
        QTest::mouseClick(StandardButton(shown, QDialogButtonBox::Ok), Qt::LeftButton);
    });
    EXPECT_EQ(dialog.exec(), QDialog::Accepted);
    EXPECT_TRUE(dialog.DisplayAgain());
}

TEST(About, NamesTheProgramAndItsVersion) {
    const QString saved = QCoreApplication::applicationVersion();
    QCoreApplication::setApplicationVersion(QStringLiteral("1.2.3"));
    AboutDialog dialog;
    EXPECT_EQ(dialog.windowTitle(), QStringLiteral("About Velvane"));
    auto* name = dialog.findChild<QLabel*>(QStringLiteral("nameLabel"));
    ASSERT_NE(name, nullptr);
    EXPECT_EQ(name->text(), QStringLiteral("Velvane 1.2.3"));
    QCoreApplication::setApplicationVersion(saved);
}

} // namespace
