// Pictures of the editors at work for the README's tour: the sample's "Green Glass" in the edit
// sheet on its Finish page with its Preview rendered beside it, and the sample's layered
// texture in the Layered Texture dialog. Written to build/tests/screenshots/tour-*.png.

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/shapes/builtinshapes.h"
#include "editorfixture.h"
#include "samplecatalog.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/layeredtexturedialog.h"
#include "ui/editors/pictureframe.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/textureeditsheet.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QListWidget>
#include <QTemporaryDir>
#include <QTest>

namespace {

class TourTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        ASSERT_TRUE(m_dir.isValid());
        m_services.settings.programDirectory = m_dir.path();
        m_services.settings.povExecutable = DefaultPovExecutable();
        m_services.settings.antialiasing = 1;
        m_services.settings.autoPreview = 1; // as a first start has it
        m_services.Shapes() = BuiltinShapes();
    }
    const Texture& Sample(const std::string& name) {
        for (int index = 0; index < m_sample.GetCount(); ++index)
            if (m_sample.GetTexture(index).GetName() == name)
                return m_sample.GetTexture(index);
        ADD_FAILURE() << name;
        return m_sample.GetTexture(0);
    }
    /// Renders the Preview and waits until its picture is on the screen.
    static bool RenderPreview(PreviewWindow* preview) {
        const int shown = preview->Frame()->ShownPictures();
        preview->Render();
        QElapsedTimer clock;
        clock.start();
        while (preview->Frame()->ShownPictures() == shown && clock.elapsed() < 30000)
            QTest::qWait(20);
        return preview->Frame()->ShownPictures() > shown;
    }
    static void ExpectPicture(const QString& name) {
        const QFileInfo file(QStringLiteral(VELVANE_BINARY_DIR "/screenshots/") + name +
                             QStringLiteral(".png"));
        EXPECT_TRUE(file.exists()) << name.toStdString();
        EXPECT_GT(file.size(), 2000) << name.toStdString();
    }

    QTemporaryDir m_dir;
    Catalog m_sample = BuildSampleCatalog();
};

} // namespace

TEST_F(TourTest, TheSheetOnItsFinishPageWithTheRenderedPreview) {
    if (m_services.settings.povExecutable.isEmpty())
        GTEST_SKIP() << "povray is not installed";
    const auto& glass = static_cast<const SimpleTexture&>(Sample("Green Glass"));
    auto sheet =
        MakeTextureEditSheet(m_services, glass, QStringLiteral("Modify Simple Texture"), nullptr);
    sheet->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    ASSERT_TRUE(sheet->SetCurrentIndex(3));
    auto* preview = qobject_cast<PreviewWindow*>(sheet->PreviewWindow());
    ASSERT_NE(preview, nullptr);
    QTest::qWait(100);
    ASSERT_TRUE(RenderPreview(preview));
    EXPECT_TRUE(m_messages.empty()) << MessageTexts().join("\n").toStdString();
    SaveScreenshot(sheet.get(), QStringLiteral("tour-finish-page"));
    SaveScreenshot(preview, QStringLiteral("tour-preview"));
    ExpectPicture(QStringLiteral("tour-finish-page"));
    ExpectPicture(QStringLiteral("tour-preview"));
}

TEST_F(TourTest, TheLayeredDialogWithItsLayersThumbnails) {
    if (m_services.settings.povExecutable.isEmpty())
        GTEST_SKIP() << "povray is not installed";
    LayeredTexture veined = static_cast<const LayeredTexture&>(Sample("Veined Stone"));
    for (int index = 0; index < veined.GetLayerCount(); ++index)
        ASSERT_TRUE(RenderThumbnail(m_services, *veined.GetLayer(index), 100, 100));
    LayeredTextureDialog dialog(m_services, veined);
    dialog.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&dialog));
    dialog.List()->setCurrentRow(1);
    QTest::qWait(100);
    ASSERT_TRUE(RenderPreview(dialog.Preview()));
    SaveScreenshot(&dialog, QStringLiteral("tour-layered"));
    SaveScreenshot(dialog.Preview(), QStringLiteral("tour-layered-preview"));
    ExpectPicture(QStringLiteral("tour-layered"));
}
