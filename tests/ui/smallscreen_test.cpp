// The editors on a small screen: 1600 x 1000 pixels at twice the scale (800 x 500 to the
// program), as the test run "ui_small_screen" starts them (tests/CMakeLists.txt). In the
// ordinary run the screen is large enough and these tests are skipped.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/editors/textureeditsheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>
#include <QTest>

namespace {

constexpr int kSmallScreenHeight = 600; ///< logical pixels; above it the tests have no subject

QRect Global(const QWidget* widget) {
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

std::string Describe(const QRect& rect) {
    return QStringLiteral("%1,%2 %3x%4")
        .arg(rect.x())
        .arg(rect.y())
        .arg(rect.width())
        .arg(rect.height())
        .toStdString();
}

class SmallScreenTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        m_screen = QApplication::primaryScreen()->availableGeometry();
        if (m_screen.height() > kSmallScreenHeight)
            GTEST_SKIP() << "the screen is not small; run ctest -R ui_small_screen";
    }
    QRect m_screen;
};

} // namespace

TEST_F(SmallScreenTest, TheSheetsOkAndCancelStayOnScreenAndThePreviewLeavesThemFree) {
    SimpleTexture texture;
    texture.SetName("Oak");
    texture.pigment.pattern = Pigment::Wood;
    auto sheet =
        MakeTextureEditSheet(m_services, texture, QStringLiteral("Modify Simple Texture"), nullptr);
    sheet->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(sheet.get()));
    QWidget* preview = sheet->PreviewWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }));
    QPushButton* ok = sheet->Buttons()->button(QDialogButtonBox::Ok);
    QPushButton* cancel = sheet->Buttons()->button(QDialogButtonBox::Cancel);
    for (int page = 0; page < sheet->PageCount(); ++page) {
        ASSERT_TRUE(sheet->SetCurrentIndex(page));
        const auto placed = [&] {
            const QRect covered = preview->frameGeometry();
            return m_screen.contains(sheet->frameGeometry()) && m_screen.contains(Global(ok)) &&
                   m_screen.contains(Global(cancel)) && !covered.intersects(Global(ok)) &&
                   !covered.intersects(Global(cancel));
        };
        EXPECT_TRUE(QTest::qWaitFor(placed))
            << "page " << page << ": screen " << Describe(m_screen) << ", sheet "
            << Describe(sheet->frameGeometry()) << ", OK " << Describe(Global(ok)) << ", Cancel "
            << Describe(Global(cancel)) << ", preview " << Describe(preview->frameGeometry());
    }
    SaveScreenshot(sheet.get(), QStringLiteral("sheet-on-a-small-screen"));
}
