// The whole program from its real start-up, with its own editors and the real POV-Ray: a new
// catalog, a marble texture with an edited colour map, a layered texture of two layers, saved,
// reopened and exported.

#include "appfixture.h"
#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "povrayrequired.h"
#include "testfiles.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/dialogs/exportdialog.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/generalpage.h"
#include "ui/editors/layeredtexturedialog.h"
#include "ui/editors/pigmentpage.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/textureeditorset.h"
#include "ui/editors/textureeditsheet.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QTest>

namespace {

QPushButton* Ok(QDialog* dialog) {
    for (QDialogButtonBox* box : dialog->findChildren<QDialogButtonBox*>())
        if (QPushButton* ok = box->button(QDialogButtonBox::Ok))
            return ok;
    return nullptr;
}

/// Names the texture on the General page, as typed and left.
void Rename(TextureEditSheet* sheet, const QString& name) {
    auto* general = static_cast<GeneralPage*>(sheet->Page(0));
    general->NameEdit()->setFocus();
    general->NameEdit()->setText(name);
    general->DescriptionEdit()->setFocus();
}

class EndToEnd : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        m_real = std::make_unique<TextureEditorSet>(*m_app);
        m_app->SetEditors(m_real.get());
    }
    void TearDown() override {
        AppTest::TearDown();
        m_real.reset();
    }
    std::unique_ptr<TextureEditorSet> m_real;
};

} // namespace

TEST_F(EndToEnd, ANewCatalogOfAMarbleAndALayeredTextureIsSavedReopenedAndExported) {
    VELVANE_SKIP_WITHOUT_POVRAY(DefaultPovExecutable().isEmpty(), "povray is not installed");
    m_messages.clear(); // whatever the start-up said
    m_app->OnFileNew();
    CatalogView* view = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_NE(view, nullptr);

    // A marble with a colour map from red to white, made in the sheet and the colour map dialog.
    WhenShownOrFail<TextureEditSheet>([](TextureEditSheet* sheet) {
        EXPECT_EQ(sheet->windowTitle(), "New Simple Texture");
        EXPECT_TRUE(sheet->PreviewWindow()->isVisible()); // beside the sheet
        Rename(sheet, QStringLiteral("Red Marble"));
        ASSERT_TRUE(sheet->SetCurrentIndex(1));
        auto* pigment = static_cast<PigmentPage*>(sheet->Page(1));
        pigment->TypeButton(PatternPage::Procedural)->click();
        pigment->PatternList()->setCurrentIndex(
            pigment->PatternList()->findText(QStringLiteral("Marble")));
        WhenShownOrFail<ColorMapDialog>([](ColorMapDialog* colors) {
            colors->SelectLine(0);
            colors->ChannelSlider(ColorMapDialog::Red)->setValue(255);
            colors->ChannelSlider(ColorMapDialog::Green)->setValue(0);
            colors->ChannelSlider(ColorMapDialog::Blue)->setValue(0);
            Ok(colors)->click();
        });
        pigment->ColorMapButton()->click();
        ASSERT_TRUE(sheet->SetCurrentIndex(3));
        auto* finish = static_cast<FinishPage*>(sheet->Page(3));
        finish->Slider(FinishPage::Phong)->setValue(60);
        Ok(sheet)->click();
    });
    view->Commands().OnNewSimple();
    Catalog& catalog = view->Document().Contents();
    ASSERT_EQ(catalog.GetCount(), 1);
    EXPECT_EQ(catalog.GetTexture(0).GetName(), "Red Marble");
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 120); // rendered by POV-Ray

    // A layered texture of two layers, each made in the sheet from the layered dialog.
    auto layer = [](const QString& name, int reflection) {
        WhenShownOrFail<TextureEditSheet>([name, reflection](TextureEditSheet* sheet) {
            Rename(sheet, name);
            ASSERT_TRUE(sheet->SetCurrentIndex(3));
            static_cast<FinishPage*>(sheet->Page(3))
                ->Slider(FinishPage::Reflection)
                ->setValue(reflection);
            Ok(sheet)->click();
        });
    };
    WhenShownOrFail<LayeredTextureDialog>([&](LayeredTextureDialog* dialog) {
        EXPECT_FALSE(dialog->Preview()->isVisible());
        layer(QStringLiteral("Under Coat"), 10);
        dialog->Button(QStringLiteral("newButton"))->click();
        layer(QStringLiteral("Top Coat"), 30);
        dialog->Button(QStringLiteral("newButton"))->click();
        EXPECT_EQ(dialog->List()->count(), 2);
        EXPECT_TRUE(dialog->Preview()->isVisible());
        // The layers' thumbnails come while the dialog stays open.
        ASSERT_TRUE(QTest::qWaitFor(
            [dialog] { return dialog->Working().GetLayer(1)->GetThumbnailWidth() == 100; }, 30000));
        dialog->NameEdit()->setText(QStringLiteral("Two Coats"));
        Ok(dialog)->click();
    });
    view->Commands().OnNewLayered();
    ASSERT_EQ(catalog.GetCount(), 2);
    const Texture& layered = catalog.GetTexture(1);
    EXPECT_EQ(layered.GetName(), "Two Coats");
    EXPECT_NE(layered.Kind(), TextureKind::Simple);
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(layered.GetThumbnailWidth(), 120);
    EXPECT_TRUE(m_messages.empty()) << m_messages.front().text.toStdString();

    // Saved, closed, opened again.
    const QString path = Path(QStringLiteral("coats.vlv"));
    Prompts::SetFileResponder([path](const QString&, const QString&) { return path; });
    ASSERT_TRUE(view->Document().SaveAs(&m_app->Frame()));
    ASSERT_TRUE(m_app->CloseDocument(view->Document()));
    ASSERT_NE(m_app->OpenDocumentFile(path), nullptr);
    view = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_NE(view, nullptr);
    ASSERT_EQ(view->Document().Contents().GetCount(), 2);
    EXPECT_EQ(view->Document().Contents().GetTexture(1).GetThumbnailWidth(), 120);

    // Exported, and the file holds exactly the expected source.
    const QString exported = Path(QStringLiteral("coats.inc"));
    WhenShownOrFail<ExportDialog>([exported](ExportDialog* dialog) {
        dialog->AllRadio()->click();
        dialog->FileNameEdit()->setText(exported);
        Ok(dialog)->click();
    });
    view->Commands().OnExportSource();
    const QByteArray expected =
        FileBytes(QStringLiteral(VELVANE_TEST_DATA_DIR "/endtoend/coats.inc"));
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(FileBytes(exported), expected) << FileBytes(exported).toStdString();
}

TEST_F(EndToEnd, APreviewShapeChosenInTheEditorReachesTheCatalogOnlyOnOk) {
    CatalogView* view = OpenSample();
    ASSERT_NE(view, nullptr);
    m_app->Settings().updateThumbnail = false;
    Catalog& catalog = view->Document().Contents();
    int index = -1;
    for (int at = 0; at < catalog.GetCount() && index < 0; ++at)
        if (catalog.GetTexture(at).Kind() == TextureKind::Simple)
            index = at;
    ASSERT_GE(index, 0);
    const int before = catalog.GetTexture(index).GetPreviewShape();
    const int other = before == 3 ? 4 : 3;
    auto choose = [other](bool accept) {
        WhenShownOrFail<TextureEditSheet>([other, accept](TextureEditSheet* sheet) {
            auto* preview = qobject_cast<PreviewWindow*>(sheet->PreviewWindow());
            ASSERT_NE(preview, nullptr);
            preview->ShapeListWidget()->setCurrentRow(other);
            EXPECT_EQ(sheet->Working().GetPreviewShape(), other); // at once in the working copy
            if (accept)
                Ok(sheet)->click();
            else
                sheet->reject();
        });
    };
    ClickTexture(view, index);
    ASSERT_EQ(Selected(view), std::vector<int>{index});
    choose(false);
    view->Commands().OnModify();
    EXPECT_EQ(catalog.GetTexture(index).GetPreviewShape(), before);
    choose(true);
    view->Commands().OnModify();
    EXPECT_EQ(catalog.GetTexture(index).GetPreviewShape(), other);
}
