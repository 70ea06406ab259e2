// The Finish page and the refraction presets, driven as a user drives them.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "render/files/sidefiles.h"
#include "testfiles.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/iorpresetsdialog.h"
#include "ui/editors/iorvaluedialog.h"

#include <QCheckBox>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

class FinishTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_services.settings.programDirectory = m_dir.path();
        m_page = std::make_unique<FinishPage>(m_services, m_texture);
        m_line = new FieldMessageLine(m_page.get());
        m_page->resize(520, 480);
        m_page->show();
        QApplication::setActiveWindow(m_page.get());
        ASSERT_TRUE(QTest::qWaitForWindowActive(m_page.get()));
        QObject::connect(m_page.get(), &TexturePage::textureChanged, [this] { ++m_changes; });
    }
    void TearDown() override {
        m_page.reset();
        EditorTest::TearDown();
    }
    QString IorFile() const { return IorFilePath(m_dir.path()); }
    /// The page's message line while it shows (the sheet gives its pages one).
    QString FieldMessage() const { return m_line->isHidden() ? QString() : m_line->text(); }

    QTemporaryDir m_dir;
    SimpleTexture m_texture;
    std::unique_ptr<FinishPage> m_page;
    FieldMessageLine* m_line = nullptr;
    int m_changes = 0;
};

} // namespace

TEST_F(FinishTest, TheBrillianceSliderShowsTwoDecimalsUntilThePageIsShownAgain) {
    m_page->BrillianceSlider()->setValue(25);
    EXPECT_EQ(m_texture.finish.brilliance, 2.5f);
    EXPECT_EQ(m_page->BrillianceEdit()->text(), "2.50");
    EXPECT_EQ(m_changes, 1);
    m_page->ShowFields();
    EXPECT_EQ(m_page->BrillianceEdit()->text(), "2.5");
}

TEST_F(FinishTest, SlidersWriteTheirValueAtOnce) {
    m_page->Slider(FinishPage::Phong)->setValue(80);
    EXPECT_EQ(m_texture.finish.phong, 80);
    EXPECT_EQ(m_page->Edit(FinishPage::Phong)->text(), "80");
    m_page->Slider(FinishPage::PhongSize)->setValue(250);
    EXPECT_EQ(m_texture.finish.phongSize, 250);
    QTest::keyClick(m_page->Slider(FinishPage::Reflection), Qt::Key_End); // by keyboard too
    EXPECT_EQ(m_texture.finish.reflection, 100);
    EXPECT_EQ(m_changes, 3);
}

TEST_F(FinishTest, AnAmbientOf150IsTakenAndStaysWhileOtherSlidersMove) {
    TypeAndLeave(m_page->Edit(FinishPage::Ambient), QStringLiteral("150"),
                 m_page->Edit(FinishPage::Diffuse));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_texture.finish.ambient, 150);
    EXPECT_EQ(m_page->Slider(FinishPage::Ambient)->value(), 100); // at its end
    m_page->Slider(FinishPage::Diffuse)->setValue(70);
    EXPECT_EQ(m_texture.finish.diffuse, 70);
    EXPECT_EQ(m_texture.finish.ambient, 150); // not pulled back to the slider's end
}

TEST_F(FinishTest, AValueOutOfItsRangeIsRefusedAndTheFinishKeepsItsValue) {
    TypeAndLeave(m_page->Edit(FinishPage::Diffuse), QStringLiteral("150"), m_page->CrandEdit());
    EXPECT_EQ(FieldMessage(), "Diffuse: please enter a whole number from 0 to 100.");
    EXPECT_EQ(m_texture.finish.diffuse, 60);
    EXPECT_TRUE(m_page->CrandEdit()->hasFocus());
    EXPECT_FALSE(m_page->ReadFields());
    EXPECT_TRUE(m_page->Edit(FinishPage::Diffuse)->hasFocus());

    m_page->Edit(FinishPage::Diffuse)->setText(QStringLiteral("60"));
    EXPECT_TRUE(FieldMessage().isEmpty());
    TypeAndLeave(m_page->BrillianceEdit(), QStringLiteral("0.5"), m_page->CrandEdit());
    EXPECT_EQ(FieldMessage(), "Brilliance: please enter a number from 1.0 to 10.0.");
    EXPECT_EQ(m_texture.finish.brilliance, 1.0f);

    m_page->BrillianceEdit()->setText(QStringLiteral("3.25"));
    TypeAndLeave(m_page->CrandEdit(), QStringLiteral("x"), m_page->Edit(FinishPage::Ambient));
    EXPECT_EQ(FieldMessage(), "Crand: please enter a number from 0.0 to 2.0.");

    TypeAndLeave(m_page->CrandEdit(), QStringLiteral("0.25"), m_page->Edit(FinishPage::Ambient));
    EXPECT_TRUE(FieldMessage().isEmpty());
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(m_texture.finish.crand, 0.25f);
    EXPECT_EQ(m_texture.finish.brilliance, 3.25f);
    EXPECT_EQ(m_page->BrillianceSlider()->value(), 32);
}

TEST_F(FinishTest, EveryWordValueIsRefusedOutsideWhatTheFileKeepsAndNeverWraps) {
    struct Case {
        FinishPage::Value value;
        const char* refused;
        const char* message;
    };
    // -5 was taken before and came back from a saved file as 65531 (655.31).
    const Case cases[] = {
        {FinishPage::Ambient, "-5", "Ambient: please enter a whole number from 0 to 65535."},
        {FinishPage::Ambient, "65536", "Ambient: please enter a whole number from 0 to 65535."},
        {FinishPage::Diffuse, "-5", "Diffuse: please enter a whole number from 0 to 100."},
        {FinishPage::Reflection, "-1", "Reflection: please enter a whole number from 0 to 100."},
        {FinishPage::Phong, "101", "Phong strength: please enter a whole number from 0 to 100."},
        {FinishPage::PhongSize, "0", "Phong size: please enter a whole number from 1 to 500."},
        {FinishPage::Specular, "-5",
         "Specular strength: please enter a whole number from 0 to 100."},
        {FinishPage::Roughness, "0",
         "Specular roughness: please enter a whole number from 1 to 100."},
    };
    for (const Case& c : cases) {
        const int before = m_page->Edit(c.value)->text().toInt();
        TypeAndLeave(m_page->Edit(c.value), QString::fromLatin1(c.refused), m_page->CrandEdit());
        EXPECT_EQ(FieldMessage(), QString::fromLatin1(c.message)) << c.refused;
        EXPECT_FALSE(m_page->ReadFields());
        EXPECT_EQ(m_page->focusWidget(), m_page->Edit(c.value)) << c.message;
        m_page->ShowFields(); // the page shows the finish again, as a page change back does
        EXPECT_EQ(m_page->Edit(c.value)->text().toInt(), before) << c.message;
        EXPECT_TRUE(m_page->ReadFields());
    }
    // The largest word is taken (the file keeps it, see the archive's tests).
    TypeAndLeave(m_page->Edit(FinishPage::Ambient), QStringLiteral("65535"), m_page->CrandEdit());
    EXPECT_EQ(m_texture.finish.ambient, 65535);
}

TEST_F(FinishTest, RefractionEnablesTheIndexAndItsPresetsWithoutChangingIt) {
    m_texture.finish.ior = 1.33f;
    m_page->ShowFields();
    EXPECT_FALSE(m_page->IorEdit()->isEnabled());
    EXPECT_FALSE(m_page->IorLabel()->isEnabled());
    EXPECT_FALSE(m_page->PresetsButton()->isEnabled());
    m_page->RefractionCheck()->click();
    EXPECT_EQ(m_texture.finish.refraction, 1);
    EXPECT_TRUE(m_page->IorEdit()->isEnabled());
    EXPECT_TRUE(m_page->PresetsButton()->isEnabled());
    EXPECT_EQ(m_texture.finish.ior, 1.33f);
    EXPECT_EQ(m_page->IorEdit()->text(), "1.33");

    TypeAndLeave(m_page->IorEdit(), QStringLiteral("6"), m_page->CrandEdit());
    EXPECT_EQ(FieldMessage(), "IOR: please enter a number from 1.0 to 5.0.");

    m_page->MetallicCheck()->click();
    EXPECT_EQ(m_texture.finish.metallic, 1);
    m_page->UpdateThumbnailCheck()->click();
    EXPECT_EQ(m_services.settings.updateThumbnail, 0);
}

TEST_F(FinishTest, RefractionAndMetallicFollowTheirBoxesHoweverTheyChange) {
    ASSERT_TRUE(ToggleAccessibly(m_page->RefractionCheck()));
    EXPECT_EQ(m_texture.finish.refraction, 1);
    EXPECT_TRUE(m_page->IorEdit()->isEnabled());
    EXPECT_TRUE(m_page->PresetsButton()->isEnabled());
    m_page->RefractionCheck()->setChecked(false);
    EXPECT_EQ(m_texture.finish.refraction, 0);
    EXPECT_FALSE(m_page->IorEdit()->isEnabled());
    ASSERT_TRUE(ToggleAccessibly(m_page->MetallicCheck()));
    EXPECT_EQ(m_texture.finish.metallic, 1);
    ASSERT_TRUE(ToggleAccessibly(m_page->MetallicCheck()));
    EXPECT_EQ(m_texture.finish.metallic, 0);
    EXPECT_EQ(m_changes, 4);
    // Showing the page again writes the boxes without changing the finish.
    m_page->ShowFields();
    EXPECT_EQ(m_changes, 4);
}

TEST_F(FinishTest, TheFirstPresetsDialogOffersTheCommonPresetsAndItsOkWritesTheFile) {
    ASSERT_FALSE(QFile::exists(IorFile()));
    m_texture.finish.refraction = 1;
    m_texture.finish.ior = 2.0f;
    m_page->ShowFields();
    QStringList lines;
    bool stillUnwritten = false;
    WhenShown<IorPresetsDialog>([&](IorPresetsDialog* dialog) {
        EXPECT_EQ(dialog->windowTitle(), "IOR Presets");
        for (int row = 0; row < dialog->List()->count(); ++row)
            lines << dialog->List()->item(row)->text();
        stillUnwritten = !QFile::exists(IorFile()); // offered, not written, until OK
        EXPECT_FALSE(dialog->OkButton()->isEnabled());
        EXPECT_FALSE(dialog->RemoveButton()->isEnabled());
        EXPECT_FALSE(dialog->ModifyButton()->isEnabled());
        dialog->List()->setCurrentRow(2);
        SaveScreenshot(dialog, QStringLiteral("ior-presets"));
        if (dialog->OkButton()->isEnabled())
            dialog->OkButton()->click();
        else
            dialog->reject(); // never left open, whatever went wrong
    });
    m_page->PresetsButton()->click();
    EXPECT_EQ(lines, (QStringList{"Vacuum\t1", "Air\t1.0003", "Water\t1.333", "Ice\t1.31",
                                  "Glass\t1.5", "Crown glass\t1.52", "Flint glass\t1.62",
                                  "Quartz\t1.544", "Sapphire\t1.77", "Diamond\t2.417"}));
    EXPECT_TRUE(stillUnwritten);
    EXPECT_EQ(m_texture.finish.ior, 1.333f);
    EXPECT_EQ(m_page->IorEdit()->text(), "1.333");
    // Ten CIORValues: count 10, a new class "CIORValue" of schema 1 for the first, its tag after.
    const QByteArray bytes = FileBytes(IorFile());
    EXPECT_EQ(bytes.left(28), QByteArray("\x0A\x00\xFF\xFF\x01\x00\x09\x00"
                                         "CIORValue\x06"
                                         "Vacuum\x00\x00\x80\x3F",
                                         28));
    EXPECT_EQ(bytes.mid(28, 10), QByteArray("\x01\x80\x03"
                                            "Air\x9A\x09\x80\x3F",
                                            10));
    EXPECT_EQ(bytes.size(), 150);
    EXPECT_TRUE(bytes.endsWith(QByteArray("\x07"
                                          "Diamond\x21\xB0\x1A\x40",
                                          12)));
}

TEST_F(FinishTest, CancelledPresetsChangeNothing) {
    m_texture.finish.refraction = 1;
    m_texture.finish.ior = 2.0f;
    WhenShown<IorPresetsDialog>([](IorPresetsDialog* dialog) {
        dialog->List()->setCurrentRow(0);
        dialog->reject();
    });
    m_page->ChoosePreset();
    EXPECT_EQ(m_texture.finish.ior, 2.0f);
    EXPECT_FALSE(QFile::exists(IorFile()));
}

TEST_F(FinishTest, RemovingTheLastPresetLeavesOnlyCancel) {
    IorPresetList one;
    one.push_back(std::make_unique<IorPreset>("Vacuum", 1.0f));
    ASSERT_FALSE(SaveIorPresets(m_dir.path(), one));
    IorPresetsDialog dialog(m_services);
    dialog.List()->setCurrentRow(0);
    dialog.RemoveButton()->click();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Confirmation");
    EXPECT_EQ(m_messages[0].text, "Are you sure that you want to delete the selected IOR value?");
    EXPECT_EQ(m_messages[0].icon, Prompts::Icon::Stop);
    EXPECT_EQ(dialog.List()->count(), 0);
    EXPECT_FALSE(dialog.OkButton()->isEnabled());
    EXPECT_FALSE(dialog.RemoveButton()->isEnabled());
    EXPECT_FALSE(dialog.ModifyButton()->isEnabled());
}

TEST_F(FinishTest, RemovingSelectsTheSameLineOrTheLast) {
    IorPresetList presets;
    for (const auto& [name, value] :
         {std::pair{"Water", 1.333f}, {"Glass", 1.5f}, {"Diamond", 2.42f}})
        presets.push_back(std::make_unique<IorPreset>(name, value));
    ASSERT_FALSE(SaveIorPresets(m_dir.path(), presets));
    IorPresetsDialog dialog(m_services);
    ASSERT_EQ(dialog.List()->count(), 3);
    EXPECT_EQ(dialog.List()->item(0)->text(), "Water\t1.333");
    m_answer = QMessageBox::No;
    dialog.List()->setCurrentRow(1);
    dialog.Remove();
    EXPECT_EQ(dialog.List()->count(), 3);
    m_answer = QMessageBox::Yes;
    dialog.Remove();
    EXPECT_EQ(dialog.List()->currentRow(), 1);
    EXPECT_EQ(dialog.List()->currentItem()->text(), "Diamond\t2.42");
    dialog.Remove();
    EXPECT_EQ(dialog.List()->currentRow(), 0);
    dialog.reject();
    std::optional<SideFileNotice> notice;
    EXPECT_EQ(LoadIorPresets(m_dir.path(), notice).size(), 3u); // Cancel wrote nothing
}

TEST_F(FinishTest, AModifiedPresetShowsFourDecimalsUntilReopened) {
    {
        IorPresetsDialog dialog(m_services);
        dialog.List()->setCurrentRow(0);
        WhenShown<IorValueDialog>([](IorValueDialog* value) {
            EXPECT_EQ(value->windowTitle(), "IOR Value Dialog");
            EXPECT_EQ(value->DescriptionEdit()->text(), "Vacuum");
            EXPECT_EQ(value->ValueEdit()->text(), "1.0");
            value->DescriptionEdit()->setText(QStringLiteral("Glass"));
            value->ValueEdit()->setText(QStringLiteral("1.5"));
            value->accept();
        });
        dialog.Modify();
        EXPECT_EQ(dialog.List()->item(0)->text(), "Glass\t1.5000");
        EXPECT_EQ(dialog.List()->currentRow(), 0);
        dialog.accept();
        EXPECT_EQ(dialog.SelectedIndex(), 0);
        EXPECT_EQ(dialog.SelectedValue(), 1.5f);
    }
    IorPresetsDialog again(m_services);
    ASSERT_EQ(again.List()->count(), 10);
    EXPECT_EQ(again.List()->item(0)->text(), "Glass\t1.5");
}

TEST_F(FinishTest, AddAppendsSelectsAndEnables) {
    IorPresetsDialog dialog(m_services);
    WhenShown<IorValueDialog>([](IorValueDialog* value) {
        EXPECT_EQ(value->DescriptionEdit()->text(), "");
        EXPECT_EQ(value->ValueEdit()->text(), "1.0");
        value->DescriptionEdit()->setText(QStringLiteral("Water"));
        value->ValueEdit()->setText(QStringLiteral("1.333"));
        value->accept();
    });
    dialog.Add();
    ASSERT_EQ(dialog.List()->count(), 11);
    EXPECT_EQ(dialog.List()->item(10)->text(), "Water\t1.333");
    EXPECT_EQ(dialog.List()->currentRow(), 10);
    EXPECT_TRUE(dialog.OkButton()->isEnabled());
}

TEST_F(FinishTest, AnIorBelowOneIsRefusedAndOneIsTaken) {
    IorValueDialog dialog;
    dialog.SetPreset("Thin air", 1.25f);
    EXPECT_EQ(dialog.ValueEdit()->text(), "1.25");
    dialog.ValueEdit()->setText(QStringLiteral("0.5"));
    dialog.accept();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "Invalid IOR Value");
    EXPECT_EQ(m_messages[0].text, "Please enter an IOR value of 1.0 or greater.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.ValueEdit()->setText(QStringLiteral("one"));
    dialog.accept();
    EXPECT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(dialog.findChild<FieldMessageLine*>()->text(), "Value: please enter a number.");
    EXPECT_NE(dialog.result(), QDialog::Accepted);
    dialog.ValueEdit()->setText(QStringLiteral("1.0"));
    dialog.accept();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
    EXPECT_EQ(dialog.Value(), 1.0f);
    EXPECT_EQ(dialog.Description(), "Thin air");
}

TEST_F(FinishTest, ADamagedPresetsFileIsReportedAndOnlyOkReplacesIt) {
    const QByteArray damaged("\x02\x00\xFF\xFF\x01\x00\x09\x00"
                             "CIORValue\x05Wat",
                             21);
    {
        QFile file(IorFile());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(damaged);
    }
    {
        IorPresetsDialog dialog(m_services);
        ASSERT_EQ(m_messages.size(), 1u);
        EXPECT_TRUE(m_messages[0].text.contains(IorFile()));
        ASSERT_EQ(dialog.List()->count(), 10);
        EXPECT_EQ(dialog.List()->item(0)->text(), "Vacuum\t1");
        dialog.reject();
    }
    EXPECT_EQ(FileBytes(IorFile()), damaged);
    IorPresetsDialog dialog(m_services);
    dialog.List()->setCurrentRow(0);
    dialog.accept();
    std::optional<SideFileNotice> notice;
    EXPECT_EQ(LoadIorPresets(m_dir.path(), notice).size(), 10u);
    EXPECT_FALSE(notice);
}

TEST_F(FinishTest, APresetsFileThatCannotBeWrittenIsReportedAndTheDialogStillCloses) {
    m_services.settings.programDirectory = QStringLiteral("/proc/velvane-cannot-exist");
    IorPresetsDialog dialog(m_services);
    dialog.List()->setCurrentRow(0);
    dialog.accept();
    ASSERT_EQ(m_messages.size(), 1u);
    EXPECT_EQ(m_messages[0].title, "IO Error");
    // The message's first line, then the file and the reason.
    EXPECT_TRUE(m_messages[0].text.startsWith("Error opening iorvalue.dat\n"))
        << m_messages[0].text.toStdString();
    EXPECT_TRUE(m_messages[0].text.contains("/proc/velvane-cannot-exist"))
        << m_messages[0].text.toStdString();
    EXPECT_EQ(dialog.result(), QDialog::Accepted);
}
