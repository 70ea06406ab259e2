// The editors on a small screen: 1600 x 1000 pixels at twice the scale (800 x 500 to the
// program), as the test run "ui_small_screen" starts them (tests/CMakeLists.txt). In the
// ordinary run the screen is large enough and these tests are skipped.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/editors/textureeditsheet.h"
#include "ui/editors/texturepage.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <algorithm>

namespace {

constexpr int kSmallScreenHeight = 600; ///< logical pixels; above it the tests have no subject

QRect Global(const QWidget* widget) {
    return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
}

class SmallScreenTest : public EditorTest {
protected:
    void SetUp() override {
        EditorTest::SetUp();
        m_screen = QApplication::primaryScreen()->availableGeometry();
        if (m_screen.height() > kSmallScreenHeight)
            GTEST_SKIP() << "the screen is not small; run ctest -R ui_small_screen";
    }
    /// The sheet on a wood texture, shown and active.
    std::unique_ptr<TextureEditSheet> OpenSheet() {
        SimpleTexture texture;
        texture.SetName("Oak");
        texture.pigment.pattern = Pigment::Wood;
        auto sheet = MakeTextureEditSheet(m_services, texture,
                                          QStringLiteral("Modify Simple Texture"), nullptr);
        sheet->show();
        QApplication::setActiveWindow(sheet.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
        return sheet;
    }
    QRect m_screen;
};

} // namespace

TEST_F(SmallScreenTest, TheSheetsOkAndCancelStayOnScreenAndThePreviewLeavesThemFree) {
    auto sheet = OpenSheet();
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

TEST_F(SmallScreenTest, TheKeysTurnThePagesAndTabBringsEachControlIntoSight) {
    auto sheet = OpenSheet();
    auto* pages = sheet->findChild<QScrollArea*>();
    ASSERT_TRUE(pages);
    QTabBar* tabs = sheet->Tabs()->tabBar();
    tabs->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tabs, Qt::Key_Tab, Qt::ControlModifier);
    ASSERT_EQ(sheet->CurrentIndex(), 1);
    QScrollBar* bar = pages->verticalScrollBar();
    ASSERT_GT(bar->maximum(), 0) << "the Pigment page does not scroll on this screen";

    // From the tab bar into the page, and on through every control of it to OK: each one the
    // focus lands on is scrolled into sight.
    tabs->setFocus(Qt::TabFocusReason);
    QTest::keyClick(tabs, Qt::Key_Tab);
    QPushButton* ok = sheet->Buttons()->button(QDialogButtonBox::Ok);
    int lowest = bar->value();
    for (int step = 0; step < 100 && QApplication::focusWidget() != ok; ++step) {
        QWidget* focus = QApplication::focusWidget();
        ASSERT_TRUE(focus);
        ASSERT_TRUE(sheet->Page(1)->isAncestorOf(focus)) << focus->objectName().toStdString();
        const QRect seen(focus->mapTo(pages->viewport(), QPoint(0, 0)), focus->size());
        EXPECT_TRUE(pages->viewport()->rect().intersects(seen))
            << focus->objectName().toStdString() << " at " << Describe(seen);
        lowest = std::max(lowest, bar->value());
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    EXPECT_EQ(QApplication::focusWidget(), ok);
    EXPECT_GT(lowest, 0) << "the page never scrolled";
    // The other way: Ctrl+Shift+Tab from OK turns back a page.
    QTest::keyClick(ok, Qt::Key_Tab, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 0);
}
