// "Show values as POV-Ray writes them": hundredths and colour bytes shown and typed as POV-Ray's
// numbers, with '.' as the decimal point whatever the locale.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/normalpage.h"
#include "ui/editors/pigmentpage.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QLocale>
#include <QSlider>
#include <QTest>
#include <QTreeWidget>
#include <clocale>

namespace {

class PovRayNumbersTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        m_services.settings.povRayNumbers = true;
        // Where "1,5" would be the way to write one and a half.
        std::setlocale(LC_ALL, "de_DE.UTF-8");
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
    void TearDown() override {
        QLocale::setDefault(QLocale::c());
        std::setlocale(LC_ALL, "C");
        EditorTest::TearDown();
    }

    /// Shows `window` active, as the user has it.
    static void Activate(QWidget& window) {
        window.show();
        QApplication::setActiveWindow(&window);
        EXPECT_TRUE(QTest::qWaitForWindowActive(&window));
    }
    static QString Shown(const FieldMessageLine* line) {
        return line->isHidden() ? QString() : line->text();
    }
};

enum class Page { Finish, Normal, Pigment };

struct SheetCase {
    Page page;
    const char* edit;
    int (*stored)(const SimpleTexture&); ///< the value the edit stands for
    const char* shown;                   ///< what the edit shows of the texture below
    const char* typed;
    int held;            ///< what the texture holds after it
    const char* after;   ///< what the edit shows once left
    const char* message; ///< under the field once left, or as its tool tip when it rounded
};

} // namespace

TEST_F(PovRayNumbersTest, TheSheetShowsAndTakesPovRaysNumbersAndRefusesInTheirTerms) {
    const SheetCase cases[] = {
        {Page::Finish, "ambientEdit", [](const SimpleTexture& t) { return t.finish.ambient; },
         "0.1", "0.805", 81, "0.81", "Ambient: 0.805 is taken as 0.81, the nearest hundredth."},
        {Page::Finish, "diffuseEdit", [](const SimpleTexture& t) { return t.finish.diffuse; },
         "0.6", "2", 60, "2", "Diffuse: please enter a number from 0 to 1."},
        {Page::Finish, "phongSizeEdit", [](const SimpleTexture& t) { return t.finish.phongSize; },
         "40", "0.5", 40, "0.5", "Phong size: please enter a whole number from 1 to 500."},
        {Page::Normal, "strengthEdit", [](const SimpleTexture& t) { return int{t.normal.amount}; },
         "0.8", "0.35", 35, "0.35", ""},
        {Page::Pigment, "omegaEdit",
         [](const SimpleTexture& t) { return int{t.pigment.turbulence.omega}; }, "0.5", "0.001", 50,
         "0.001", "Omega: please enter a number from 0.01 to 1."},
        {Page::Pigment, "turbulenceEdit",
         [](const SimpleTexture& t) { return int{t.pigment.turbulence.amount}; }, "0.0", "1,5", 0,
         "1,5", "Turbulence strength: please enter a number from 0 to 2."},
        {Page::Pigment, "phaseEdit", [](const SimpleTexture& t) { return int{t.pigment.phase}; },
         "0.25", "1.", 100, "1.", ""},
    };
    for (const SheetCase& c : cases) {
        SCOPED_TRACE(c.edit);
        SimpleTexture texture;
        texture.normal.kind = Normal::Bumps;
        texture.normal.amount = 80;
        texture.pigment.pattern = Pigment::Marble;
        texture.pigment.phase = 25;
        std::unique_ptr<TexturePage> page;
        if (c.page == Page::Finish)
            page = std::make_unique<FinishPage>(m_services, texture);
        else if (c.page == Page::Normal)
            page = std::make_unique<NormalPage>(m_services, texture);
        else
            page = std::make_unique<PigmentPage>(m_services, texture);
        auto* line = new FieldMessageLine(page.get());
        Activate(*page);
        auto* edit = page->findChild<QLineEdit*>(QString::fromLatin1(c.edit));
        ASSERT_TRUE(edit);
        EXPECT_EQ(edit->text(), c.shown);

        TypeAndLeave(edit, QString::fromLatin1(c.typed),
                     page->findChild<QCheckBox*>(QStringLiteral("updateThumbnail")));
        EXPECT_EQ(c.stored(texture), c.held);
        EXPECT_EQ(edit->text(), c.after);
        const bool refused = QString::fromLatin1(c.message).contains("please");
        EXPECT_EQ(Shown(line), refused ? c.message : "");
        const bool rounded = !refused && *c.message;
        EXPECT_EQ(edit->toolTip().contains("taken as"), rounded) << edit->toolTip().toStdString();
        if (rounded) {
            EXPECT_EQ(edit->toolTip(), c.message);
        }
        EXPECT_TRUE(m_messages.empty());
    }
}

TEST_F(PovRayNumbersTest, TheColorSelectorShowsChannelsFromZeroToOneAndHueInDegrees) {
    ColorSelectorDialog selector(m_services, ColorSelectorDialog::MapEntryColor);
    selector.SetColor({128, 0, 255, 0});
    Activate(selector);
    using C = ColorSelectorDialog;
    EXPECT_EQ(selector.IntegerEdit(C::Red)->text(), "0.502");
    EXPECT_EQ(selector.IntegerEdit(C::Blue)->text(), "1.000");
    EXPECT_EQ(selector.IntegerEdit(C::Hue)->text(), QString::number(selector.Value(C::Hue)));
    EXPECT_EQ(selector.Slider(C::Red)->maximum(), 255);
    EXPECT_TRUE(selector.DecimalCheck()->isChecked());
    EXPECT_FALSE(selector.DecimalCheck()->isEnabled());

    QLineEdit* green = selector.IntegerEdit(C::Green);
    TypeKeys(green, QStringLiteral("0.5"));
    EXPECT_EQ(selector.Value(C::Green), 128);
    EXPECT_EQ(green->text(), "0.5") << "the text being typed stays as it is";
    EXPECT_EQ(green->toolTip(), "Green: 0.5 is taken as 0.502, the nearest of the 256 steps from 0 "
                                "to 1.");
    TypeAndLeave(selector.IntegerEdit(C::Filter), QStringLiteral("1.5"), green);
    EXPECT_EQ(green->text(), "0.502");
    auto* line = selector.findChild<FieldMessageLine*>();
    EXPECT_EQ(Shown(line), "Filter: please enter a number from 0 to 1.");
    EXPECT_EQ(selector.Value(C::Filter), 0);
    selector.accept();
    EXPECT_EQ(selector.result(), QDialog::Rejected);
    EXPECT_EQ(selector.focusWidget(), selector.IntegerEdit(C::Filter));
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(PovRayNumbersTest, TheColorMapListsAndTakesChannelsAsPovRayWritesThem) {
    SimpleTexture texture;
    texture.pigment.pattern = Pigment::Marble;
    texture.pigment.colorMap.colors[1] = {255, 0, 0, 0};
    ColorMapDialog dialog(m_services, texture);
    Activate(dialog);
    using M = ColorMapDialog;
    const auto line = [&dialog](int index) {
        QStringList columns;
        for (int c = 0; c < 5; ++c)
            columns << dialog.List()->topLevelItem(index)->text(c);
        return columns.join(' ');
    };
    EXPECT_EQ(line(1), "1.00 1.000 0.000 0.000 0.000");
    EXPECT_TRUE(dialog.DecimalCheck()->isChecked());
    EXPECT_FALSE(dialog.DecimalCheck()->isEnabled());

    dialog.SelectLine(1);
    TypeAndLeave(dialog.IntegerEdit(M::Blue), QStringLiteral("0.25"), dialog.IntegerEdit(M::Red));
    EXPECT_EQ(texture.pigment.colorMap.colors[1].blue, 64);
    EXPECT_EQ(dialog.IntegerEdit(M::Blue)->text(), "0.251");
    EXPECT_EQ(dialog.ChannelSlider(M::Blue)->value(), 64);
    EXPECT_EQ(line(1), "1.00 1.000 0.000 0.251 0.000");
    TypeAndLeave(dialog.IntegerEdit(M::Blue), QStringLiteral("2"), dialog.IntegerEdit(M::Red));
    EXPECT_EQ(Shown(dialog.findChild<FieldMessageLine*>()),
              "Blue: please enter a number from 0 to 1.");
    EXPECT_EQ(texture.pigment.colorMap.colors[1].blue, 64);
    EXPECT_TRUE(m_messages.empty());
}
