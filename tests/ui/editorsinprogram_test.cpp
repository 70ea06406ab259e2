// The editors as the shipped program installs them: started from the real start-up, driven
// through the menu, rendered with the real POV-Ray.

#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/app/application.h"
#include "ui/app/mainwindow.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogview.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/generalpage.h"
#include "ui/editors/pigmentpage.h"
#include "ui/editors/textureeditsheet.h"
#include "ui/framework/document.h"

#include <QAction>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>
#include <set>

namespace {

using EditorsInProgramTest = InProgramEditorTest;

} // namespace

TEST_F(EditorsInProgramTest, NewSimpleMakesAMarbleWithARenderedThumbnail) {
    ASSERT_FALSE(DefaultPovExecutable().isEmpty()) << "POV-Ray is needed";
    Application app;
    ASSERT_TRUE(app.Startup({}));
    m_messages.clear(); // the first start announces the shape file it writes
    ASSERT_NE(app.Editors(), nullptr);
    app.Frame().resize(900, 700);
    app.OnFileNew();
    CatalogView* view = dynamic_cast<CatalogView*>(app.Frame().ActiveView());
    ASSERT_TRUE(view);
    app.Frame().UpdateCommands();
    QAction* newSimple = app.Frame().Action(QStringLiteral("New Simple"));
    ASSERT_TRUE(newSimple->isEnabled());
    EXPECT_EQ(newSimple->shortcut(), QKeySequence(Qt::Key_N));

    QString title;
    WhenShown<TextureEditSheet>([&title](TextureEditSheet* sheet) {
        title = sheet->windowTitle();
        auto* general = static_cast<GeneralPage*>(sheet->Page(0));
        general->NameEdit()->setText(QStringLiteral("Blue Marble"));
        general->DescriptionEdit()->setPlainText(QStringLiteral("Veined stone"));
        ASSERT_TRUE(sheet->SetCurrentIndex(1));
        auto* pigment = static_cast<PigmentPage*>(sheet->Page(1));
        pigment->PatternList()->setCurrentIndex(Pigment::Marble);
        pigment->TypeButton(2)->click();
        pigment->TurbulenceStrength().slider->setValue(60);
        pigment->Phase().slider->setValue(25);
        WhenShown<ColorMapDialog>([](ColorMapDialog* dialog) {
            dialog->SelectLine(0);
            dialog->ChannelSlider(ColorMapDialog::Blue)->setValue(128);
            dialog->accept();
        });
        pigment->ColorMapButton()->click();
        sheet->Buttons()->button(QDialogButtonBox::Ok)->click();
    });
    newSimple->trigger();

    EXPECT_EQ(title, "New Simple Texture");
    const Catalog& catalog = view->Document().Contents();
    ASSERT_EQ(catalog.GetCount(), 1);
    const Texture& texture = catalog.GetTexture(0);
    EXPECT_EQ(texture.GetName(), "Blue Marble");
    EXPECT_EQ(texture.GetSource(SourceFlag::Declare),
              "// Veined stone\r\n"
              "#declare Blue_Marble = texture\r\n"
              "{\r\n"
              "  pigment\r\n"
              "  {\r\n"
              "    marble\r\n"
              "    turbulence 0.6\r\n"
              "    color_map\r\n"
              "    {\r\n"
              "      [0.00 color rgb<0.000, 0.000, 0.502>]\r\n"
              "      [1.00 color rgb<1.000, 1.000, 1.000>]\r\n"
              "    }\r\n"
              "    phase 0.25\r\n"
              "  }\r\n"
              "}");
    // Rendered by POV-Ray at the catalog's thumbnail size, in the background: a picture, not a
    // blank.
    ASSERT_TRUE(QTest::qWaitFor([&texture] { return texture.GetThumbnailWidth() > 0; }, 30000));
    ASSERT_EQ(texture.GetThumbnailWidth(), 120);
    ASSERT_EQ(texture.GetThumbnailHeight(), 120);
    std::set<std::uint8_t> values(texture.Thumbnail().Bits().begin(),
                                  texture.Thumbnail().Bits().end());
    EXPECT_GT(values.size(), 20u);
    EXPECT_TRUE(view->Document().IsModified());
    EXPECT_TRUE(m_messages.empty()) << (m_messages.empty() ? "" : m_messages[0].text.toStdString());

    // Modify through the same sheet; Cancel changes nothing.
    view->Document().Contents().Select(0);
    WhenShown<TextureEditSheet>([&title](TextureEditSheet* sheet) {
        title = sheet->windowTitle();
        static_cast<GeneralPage*>(sheet->Page(0))->NameEdit()->setText(QStringLiteral("Other"));
        sheet->reject();
    });
    app.Frame().UpdateCommands();
    app.Frame().Action(QStringLiteral("Modify"))->trigger();
    EXPECT_EQ(title, "Modify Simple Texture");
    EXPECT_EQ(catalog.GetTexture(0).GetName(), "Blue Marble");

    for (const auto& document : app.Documents())
        document->SetModifiedFlag(false);
    app.Frame().close();
}
