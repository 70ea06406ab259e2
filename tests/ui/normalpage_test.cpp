// The Normal page: the shared pattern controls with a strength, bump maps and no gradient.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/imagemapdialog.h"
#include "ui/editors/normalpage.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

namespace {

class NormalTest : public EditorTest {
protected:
    NormalPage* Open(const SimpleTexture& texture = SimpleTexture()) {
        m_texture = texture;
        m_page = std::make_unique<NormalPage>(m_services, m_texture);
        m_page->SetPreview(&m_preview);
        m_line = new FieldMessageLine(m_page.get());
        m_page->show();
        QApplication::setActiveWindow(m_page.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(m_page.get()));
        return m_page.get();
    }
    /// The page's message line while it shows (the sheet gives its pages one).
    QString FieldMessage() const { return m_line->isHidden() ? QString() : m_line->text(); }
    bool GradientShown() const {
        for (QGroupBox* group : m_page->findChildren<QGroupBox*>())
            if (group->title() == "&Gradient" && group->isVisible())
                return true;
        return false;
    }

    SimpleTexture m_texture;
    std::unique_ptr<NormalPage> m_page;
    FieldMessageLine* m_line = nullptr;
    CountingPreview m_preview;
};

} // namespace

TEST_F(NormalTest, ANewTextureHasNoNormalAndItsGroupsOff) {
    NormalPage* page = Open();
    EXPECT_TRUE(page->TypeButton(0)->isChecked());
    EXPECT_EQ(page->TypeButton(0)->text(), "&None");
    EXPECT_EQ(m_texture.normal.kind, Normal::None);
    EXPECT_FALSE(page->StrengthGroup()->isEnabled());
    EXPECT_FALSE(page->TurbulenceGroup()->isEnabled());
    EXPECT_FALSE(page->PatternGroup()->isEnabled());
    EXPECT_FALSE(page->TransformGroup()->isEnabled());
    EXPECT_FALSE(page->ColorMapButton()->isVisible());
    QStringList names;
    for (int i = 0; i < page->PatternList()->count(); ++i)
        names << page->PatternList()->itemText(i);
    EXPECT_EQ(names, (QStringList{"Bumps", "Dents", "Ripples", "Waves", "Wrinkles"}));
}

TEST_F(NormalTest, RipplesNeverShowsTheGradientFrame) {
    NormalPage* page = Open();
    EXPECT_FALSE(GradientShown());
    page->PatternList()->setCurrentIndex(Normal::Ripples);
    page->TypeButton(2)->click();
    EXPECT_EQ(m_texture.normal.kind, Normal::Ripples);
    EXPECT_FALSE(GradientShown());
    EXPECT_TRUE(page->StrengthGroup()->isEnabled());
    EXPECT_TRUE(page->PatternGroup()->isEnabled());
    page->PatternList()->setCurrentIndex(Normal::Waves);
    EXPECT_EQ(m_texture.normal.kind, Normal::Waves);
    EXPECT_FALSE(GradientShown());
}

TEST_F(NormalTest, ImageCancelledFallsBackToNone) {
    SimpleTexture texture;
    texture.normal.kind = Normal::Dents;
    texture.normal.amount = 40;
    NormalPage* page = Open(texture);
    bool bumpShown = false;
    QString bumpText;
    WhenShown<ImageMapDialog>([&](ImageMapDialog* dialog) {
        bumpShown = dialog->BumpSizeEdit()->isVisible();
        bumpText = dialog->BumpSizeEdit()->text();
        dialog->reject();
    });
    page->TypeButton(1)->click();
    EXPECT_TRUE(bumpShown);
    EXPECT_EQ(bumpText, "4.0");
    EXPECT_TRUE(page->TypeButton(0)->isChecked());
    EXPECT_EQ(m_texture.normal.kind, Normal::None);
    EXPECT_FALSE(page->StrengthGroup()->isEnabled());
    EXPECT_EQ(m_preview.hides, 1);
    EXPECT_EQ(m_preview.shows, 1);
}

TEST_F(NormalTest, ABumpMapTakesItsBumpSizeAndRefusesZero) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("relief.PNG"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("x");
    file.close();
    NormalPage* page = Open();
    bool refused = false;
    WhenShown<ImageMapDialog>([&](ImageMapDialog* dialog) {
        dialog->FileEdit()->setText(path);
        dialog->BumpSizeEdit()->setText(QStringLiteral("-0.0"));
        dialog->accept();
        refused = dialog->isVisible();
        dialog->BumpSizeEdit()->setText(QStringLiteral("2.5"));
        dialog->accept();
    });
    page->TypeButton(1)->click();
    EXPECT_TRUE(refused);
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages[0].title, "Error");
    EXPECT_EQ(m_messages[0].text, "Bump Size cannot be zero.");
    EXPECT_EQ(m_texture.normal.kind, Normal::BumpMap);
    EXPECT_EQ(m_texture.normal.image.bumpSize, 2.5f);
    EXPECT_EQ(m_texture.normal.image.fileType, ImageMap::kPng);
    EXPECT_TRUE(page->SettingsButton()->isVisible());
    EXPECT_FALSE(page->StrengthGroup()->isEnabled());
    EXPECT_TRUE(page->TurbulenceGroup()->isEnabled());
    EXPECT_FALSE(page->PatternGroup()->isEnabled());
}

TEST_F(NormalTest, Strength150IsRefusedWithTheBoundsZeroAndHundred) {
    SimpleTexture texture;
    texture.normal.kind = Normal::Bumps;
    texture.normal.amount = 30;
    NormalPage* page = Open(texture);
    TypeAndLeave(page->Strength().edit, QStringLiteral("150"), page->Phase().edit);
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(FieldMessage(), "Strength: please enter a whole number from 0 to 100.");
    EXPECT_EQ(QApplication::focusWidget(), page->Phase().edit);
    EXPECT_EQ(m_texture.normal.amount, 30);
    EXPECT_FALSE(page->ReadFields());
    EXPECT_EQ(QApplication::focusWidget(), page->Strength().edit);
    page->Strength().edit->setText(QStringLiteral("75"));
    EXPECT_TRUE(FieldMessage().isEmpty());
    page->Phase().edit->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(page->Strength().slider->value(), 75);
    EXPECT_EQ(m_texture.normal.amount, 75);
    page->Strength().slider->setValue(20);
    EXPECT_EQ(page->Strength().edit->text(), "20");
    EXPECT_EQ(m_texture.normal.amount, 20);
}

TEST_F(NormalTest, SlidersWriteTheNormalNotThePigment) {
    SimpleTexture texture;
    texture.normal.kind = Normal::Wrinkles;
    NormalPage* page = Open(texture);
    page->TurbulenceStrength().slider->setValue(120);
    page->Phase().slider->setValue(30);
    EXPECT_EQ(m_texture.normal.turbulence.amount, 120);
    EXPECT_EQ(m_texture.normal.phase, 30);
    EXPECT_EQ(m_texture.pigment.turbulence.amount, 0);
    EXPECT_EQ(m_texture.pigment.phase, 0);
}

TEST_F(NormalTest, APatternChosenAtStrengthZeroGetsAVisibleStrength) {
    NormalPage* page = Open();
    ASSERT_EQ(m_texture.normal.amount, 0);
    page->TypeButton(PatternPage::Procedural)->click();
    EXPECT_EQ(m_texture.normal.kind, Normal::Bumps);
    EXPECT_EQ(m_texture.normal.amount, 50);
    EXPECT_EQ(page->Strength().edit->text(), "50");
    EXPECT_EQ(page->Strength().slider->value(), 50);

    // Set to 0 by the user and then another pattern chosen: visible again.
    TypeAndLeave(page->Strength().edit, QStringLiteral("0"), page->Phase().edit);
    EXPECT_EQ(m_texture.normal.amount, 0);
    page->PatternList()->setCurrentIndex(Normal::Waves);
    EXPECT_EQ(m_texture.normal.amount, 50);

    // A strength of the user's own stays when the pattern changes.
    TypeAndLeave(page->Strength().edit, QStringLiteral("30"), page->Phase().edit);
    page->PatternList()->setCurrentIndex(Normal::Dents);
    EXPECT_EQ(m_texture.normal.amount, 30);
}

TEST_F(NormalTest, OpeningAPatternOfStrengthZeroLeavesItAsItIs) {
    SimpleTexture texture;
    texture.normal.kind = Normal::Ripples;
    texture.normal.amount = 0;
    Open(texture);
    EXPECT_EQ(m_texture.normal.amount, 0);
    EXPECT_TRUE(m_texture == texture);
}
