// The texture edit sheet and its General page, driven as a user drives them.

#include "core/model/simpletexture.h"
#include "editorfixture.h"
#include "ui/dialogs/numberfield.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/editors/colormapdialog.h"
#include "ui/editors/colorselectordialog.h"
#include "ui/editors/finishpage.h"
#include "ui/editors/generalpage.h"
#include "ui/editors/normalpage.h"
#include "ui/editors/pictureframe.h"
#include "ui/editors/pigmentpage.h"
#include "ui/editors/previewwindow.h"
#include "ui/editors/sidebyside.h"
#include "ui/editors/textureeditorset.h"
#include "ui/editors/textureeditsheet.h"
#include "ui/editors/transformedits.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScreen>
#include <QSet>
#include <QSlider>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <map>

namespace {

class SheetTest : public EditorTest {
protected:
    std::unique_ptr<TextureEditSheet>
    Open(const SimpleTexture& texture,
         const QString& title = QStringLiteral("New Simple Texture")) {
        auto sheet = MakeTextureEditSheet(m_services, texture, title, nullptr);
        sheet->show();
        QApplication::setActiveWindow(sheet.get());
        EXPECT_TRUE(QTest::qWaitForWindowActive(sheet.get()));
        return sheet;
    }
    /// The line under the pages while it shows.
    static QString ShownMessage(const TextureEditSheet& sheet) {
        return sheet.FieldMessage()->isVisible() ? sheet.FieldMessage()->text() : QString();
    }
    static GeneralPage* General(TextureEditSheet& sheet) {
        return static_cast<GeneralPage*>(sheet.Page(0));
    }
};

SimpleTexture Oak() {
    SimpleTexture texture;
    texture.SetName("Oak");
    texture.SetDescription("Old wood\r\nfrom the barn");
    texture.transformations.translate = {1.0f, 2.5f, -3.0f};
    texture.transformations.scale = {0.25f, 1.0f, 100.0f};
    texture.transformations.rotate = {0.0f, 45.0f, 90.0f};
    texture.pigment.pattern = Pigment::Wood;
    return texture;
}

} // namespace

TEST_F(SheetTest, PagesComeInTheirOrderAndHelpFollowsThePage) {
    auto sheet = Open(SimpleTexture());
    ASSERT_EQ(sheet->PageCount(), 4);
    EXPECT_EQ(sheet->Tabs()->tabText(0), "&General");
    EXPECT_EQ(sheet->Tabs()->tabText(1), "&Pigment");
    EXPECT_EQ(sheet->Tabs()->tabText(2), "N&ormal");
    EXPECT_EQ(sheet->Tabs()->tabText(3), "Finis&h");
    EXPECT_EQ(sheet->windowTitle(), "New Simple Texture");
    EXPECT_TRUE(qobject_cast<GeneralPage*>(sheet->Page(0)));
    EXPECT_TRUE(qobject_cast<PigmentPage*>(sheet->Page(1)));
    EXPECT_TRUE(qobject_cast<NormalPage*>(sheet->Page(2)));
    EXPECT_TRUE(qobject_cast<FinishPage*>(sheet->Page(3)));
    for (int page = 0; page < 4; ++page) {
        ASSERT_TRUE(sheet->SetCurrentIndex(page));
        sheet->Buttons()->button(QDialogButtonBox::Help)->click();
    }
    EXPECT_EQ(m_services.helpContexts, (std::vector<int>{3, 4, 5, 6}));
}

TEST_F(SheetTest, ANewTextureShowsItsDefaults) {
    m_services.settings.updateThumbnail = false;
    auto sheet = Open(SimpleTexture());
    GeneralPage* page = General(*sheet);
    EXPECT_EQ(page->NameEdit()->text(), "Untitled");
    EXPECT_EQ(page->DescriptionEdit()->toPlainText(), "");
    for (int axis = 0; axis < 3; ++axis) {
        EXPECT_EQ(page->Transforms()->Edit(TransformEdits::Translate, axis)->text(), "0.0");
        EXPECT_EQ(page->Transforms()->Edit(TransformEdits::Scale, axis)->text(), "1.0");
        EXPECT_EQ(page->Transforms()->Edit(TransformEdits::Rotate, axis)->text(), "0.0");
    }
    EXPECT_FALSE(page->UpdateThumbnailCheck()->isChecked());
}

TEST_F(SheetTest, AnExistingTextureShowsItsValuesAsNumberText) {
    auto sheet = Open(Oak(), QStringLiteral("Modify Simple Texture"));
    GeneralPage* page = General(*sheet);
    EXPECT_EQ(page->NameEdit()->text(), "Oak");
    EXPECT_EQ(page->DescriptionEdit()->toPlainText(), "Old wood\nfrom the barn");
    TransformEdits* edits = page->Transforms();
    EXPECT_EQ(edits->Edit(TransformEdits::Translate, 1)->text(), "2.5");
    EXPECT_EQ(edits->Edit(TransformEdits::Translate, 2)->text(), "-3.0");
    EXPECT_EQ(edits->Edit(TransformEdits::Scale, 0)->text(), "0.25");
    EXPECT_EQ(edits->Edit(TransformEdits::Scale, 2)->text(), "100.0");
    EXPECT_EQ(edits->Edit(TransformEdits::Rotate, 2)->text(), "90.0");
}

TEST_F(SheetTest, LettersInScaleXAreRefusedAndTheOldScaleKept) {
    auto sheet = Open(Oak());
    GeneralPage* page = General(*sheet);
    QLineEdit* scaleX = page->Transforms()->Edit(TransformEdits::Scale, 0);
    QLineEdit* scaleY = page->Transforms()->Edit(TransformEdits::Scale, 1);
    page->Transforms()->Edit(TransformEdits::Translate, 0)->setText(QStringLiteral("7"));
    EXPECT_EQ(sheet->Working().transformations.translate[0], 7.0f); // taken as typed
    TypeAndLeave(scaleX, QStringLiteral("big"), scaleY);
    EXPECT_EQ(ShownMessage(*sheet), "Scale X: please enter a number.");
    EXPECT_EQ(QApplication::focusWidget(), scaleY) << "the user goes on";
    EXPECT_EQ(sheet->Working().transformations.scale[0], 0.25f);
    // Nor can the user leave the page while it fails; the focus goes back to the field.
    EXPECT_FALSE(sheet->SetCurrentIndex(1));
    EXPECT_EQ(sheet->CurrentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), scaleX);
    EXPECT_EQ(ShownMessage(*sheet), "Scale X: please enter a number.");
    EXPECT_TRUE(m_messages.empty());
    scaleX->setText(QStringLiteral(" 3.5 "));
    EXPECT_TRUE(ShownMessage(*sheet).isEmpty());
    EXPECT_TRUE(sheet->SetCurrentIndex(1));
    EXPECT_EQ(sheet->Working().transformations.scale[0], 3.5f);
    EXPECT_EQ(sheet->Working().transformations.translate[0], 7.0f);
}

TEST_F(SheetTest, NameAndDescriptionGoIntoTheWorkingTexture) {
    auto sheet = Open(SimpleTexture());
    GeneralPage* page = General(*sheet);
    TypeAndLeave(page->NameEdit(), QStringLiteral("Birch"), page->DescriptionEdit());
    EXPECT_EQ(sheet->Working().GetName(), "Birch");
    page->DescriptionEdit()->setPlainText(QStringLiteral("Pale\nand smooth"));
    page->NameEdit()->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(sheet->Working().GetDescription(), "Pale\r\nand smooth");
    // An empty name is taken as it is.
    TypeAndLeave(page->NameEdit(), QString(), page->DescriptionEdit());
    EXPECT_EQ(sheet->Working().GetName(), "");
}

TEST_F(SheetTest, OkTakesWhatIsTypedInTheFocusedEdit) {
    SimpleTexture texture = Oak();
    TextureEditorSet editors(m_services);
    WhenShown<TextureEditSheet>([](TextureEditSheet* sheet) {
        GeneralPage* page = static_cast<GeneralPage*>(sheet->Page(0));
        QLineEdit* rotateY = page->Transforms()->Edit(TransformEdits::Rotate, 1);
        rotateY->setFocus();
        rotateY->setText(QStringLiteral("30"));
        page->NameEdit()->setText(QStringLiteral("Oak 2"));
        sheet->Buttons()->button(QDialogButtonBox::Ok)->animateClick();
    });
    ASSERT_TRUE(editors.EditSimple(texture, QStringLiteral("Modify Simple Texture"), nullptr));
    EXPECT_EQ(texture.transformations.rotate[1], 30.0f);
    EXPECT_EQ(texture.GetName(), "Oak 2");
}

TEST_F(SheetTest, OkIsRefusedWhileAFieldFails) {
    auto sheet = Open(Oak());
    QLineEdit* rotateX = General(*sheet)->Transforms()->Edit(TransformEdits::Rotate, 0);
    rotateX->setText(QStringLiteral("1,5"));
    sheet->Buttons()->button(QDialogButtonBox::Ok)->click();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_EQ(ShownMessage(*sheet), "Rotate X: please enter a number.");
    EXPECT_EQ(QApplication::focusWidget(), rotateX);
    EXPECT_TRUE(m_messages.empty());
    // Once mended, OK takes it.
    rotateX->setText(QStringLiteral("1.5"));
    sheet->Buttons()->button(QDialogButtonBox::Ok)->click();
    EXPECT_FALSE(sheet->isVisible());
}

TEST_F(SheetTest, CancelLeavesTheTextureButKeepsTheUpdateThumbnailChange) {
    m_services.settings.updateThumbnail = true;
    SimpleTexture texture = Oak();
    const std::string before = texture.GetSource(SourceFlag::Declare);
    TextureEditorSet editors(m_services);
    WhenShown<TextureEditSheet>([this](TextureEditSheet* sheet) {
        GeneralPage* page = static_cast<GeneralPage*>(sheet->Page(0));
        TypeAndLeave(page->NameEdit(), QStringLiteral("Changed"), page->DescriptionEdit());
        TypeAndLeave(page->Transforms()->Edit(TransformEdits::Scale, 1), QStringLiteral("9"),
                     page->NameEdit());
        page->UpdateThumbnailCheck()->click();
        EXPECT_EQ(sheet->Working().GetName(), "Changed");
        EXPECT_EQ(m_services.settings.updateThumbnail, 0);
        sheet->Buttons()->button(QDialogButtonBox::Cancel)->click();
    });
    EXPECT_FALSE(editors.EditSimple(texture, QStringLiteral("Modify Simple Texture"), nullptr));
    EXPECT_EQ(texture.GetSource(SourceFlag::Declare), before);
    EXPECT_EQ(texture.GetName(), "Oak");
    EXPECT_EQ(m_services.settings.updateThumbnail, 0);
}

TEST_F(SheetTest, ViewSourceShowsTheWholeDeclaredWorkingTexture) {
    auto sheet = Open(Oak());
    GeneralPage* page = General(*sheet);
    TypeAndLeave(page->Transforms()->Edit(TransformEdits::Scale, 1), QStringLiteral("2"),
                 page->NameEdit());
    QString shown;
    WhenShown<ViewSourceDialog>([&shown](ViewSourceDialog* dialog) {
        shown = dialog->Text();
        dialog->accept();
    });
    page->ViewSourceButton()->click();
    SimpleTexture expected = Oak();
    expected.transformations.scale[1] = 2.0f;
    EXPECT_EQ(shown.toStdString(), expected.GetSource(SourceFlag::Declare));
    EXPECT_TRUE(shown.contains("#declare Oak = texture\r\n"));
}

TEST_F(SheetTest, EveryControlIsNamedForKeyboardAndScreenReader) {
    auto sheet = Open(Oak());
    for (int index = 0; index < sheet->PageCount(); ++index) {
        ASSERT_TRUE(sheet->SetCurrentIndex(index));
        for (QWidget* control : sheet->Page(index)->findChildren<QWidget*>()) {
            if (!qobject_cast<QLineEdit*>(control) && !qobject_cast<QPlainTextEdit*>(control) &&
                !control->inherits("QSlider") && !control->inherits("QComboBox"))
                continue;
            EXPECT_FALSE(control->accessibleName().isEmpty())
                << control->objectName().toStdString();
            EXPECT_TRUE(control->focusPolicy() & Qt::TabFocus)
                << control->objectName().toStdString();
        }
        // Every label with an access key leads somewhere.
        for (QLabel* label : sheet->Page(index)->findChildren<QLabel*>()) {
            if (label->text().contains('&')) {
                EXPECT_TRUE(label->buddy()) << label->text().toStdString();
            }
        }
    }
}

TEST(SideBySide, ThePreviewStandsBesideTheSheet) {
    const QRect desktop(0, 0, 1280, 900);
    // Room enough: the sheet stays, the Preview goes 10 pixels right of it.
    SideBySide place = ComputeSideBySide(desktop, QRect(100, 50, 500, 400), QRect(0, 0, 300, 280));
    EXPECT_EQ(place.owner, QPoint(100, 50));
    EXPECT_EQ(place.preview, QPoint(610, 50));
    // Too narrow at its place: the sheet moves left so the Preview ends 10 pixels before the
    // edge (20 pixels spare less the 10-pixel gap).
    place = ComputeSideBySide(desktop, QRect(600, 50, 500, 400), QRect(0, 0, 300, 280));
    EXPECT_EQ(place.owner, QPoint(1280 - 500 - 300 - 20, 50));
    EXPECT_EQ(place.preview.x() + 300, 1280 - 10);
    // Exactly 20 pixels to spare: nothing moves.
    place = ComputeSideBySide(desktop, QRect(460, 0, 500, 400), QRect(0, 0, 300, 280));
    EXPECT_EQ(place.owner, QPoint(460, 0));
    // A Preview taller than the room under the sheet's top is lifted onto the desktop.
    place = ComputeSideBySide(desktop, QRect(100, 700, 500, 150), QRect(0, 0, 300, 280));
    EXPECT_EQ(place.preview, QPoint(610, 900 - 280));
}

TEST(SideBySide, BelowWhenTheDesktopIsTooNarrowForBoth) {
    // 600 + 300 + 20 > 800: the Preview goes 10 pixels under the sheet, left edges level.
    SideBySide place =
        ComputeSideBySide(QRect(0, 0, 800, 900), QRect(100, 50, 600, 400), QRect(0, 0, 300, 280));
    EXPECT_EQ(place.owner, QPoint(100, 50));
    EXPECT_EQ(place.preview, QPoint(100, 460));
    // Without room under it, the sheet moves up just enough.
    place =
        ComputeSideBySide(QRect(0, 0, 800, 700), QRect(100, 300, 600, 400), QRect(0, 0, 300, 280));
    EXPECT_EQ(place.owner, QPoint(100, 10));
    EXPECT_EQ(place.preview, QPoint(100, 420));
    // A Preview wider than the room right of the sheet's left edge stays on the desktop.
    place =
        ComputeSideBySide(QRect(0, 0, 800, 900), QRect(650, 0, 600, 400), QRect(0, 0, 300, 280));
    EXPECT_EQ(place.owner, QPoint(200, 0));
    EXPECT_EQ(place.preview, QPoint(200, 410));
}

TEST(SideBySide, WithoutRoomForEitherThePreviewLeavesTheButtonsFree) {
    const QRect desktop(0, 0, 800, 600);
    const QRect sheet(100, 50, 600, 400);
    const QRect buttons(500, 410, 190, 30); // OK and Cancel at the bottom right
    const QRect preview(0, 0, 300, 280);
    SideBySide place = ComputeSideBySide(desktop, sheet, preview, buttons);
    const QRect sheetThen(place.owner, sheet.size());
    const QRect previewThen(place.preview, preview.size());
    EXPECT_TRUE(desktop.contains(sheetThen));
    EXPECT_TRUE(desktop.contains(previewThen));
    EXPECT_FALSE(previewThen.intersects(buttons.translated(place.owner - sheet.topLeft())));
    // Of the corners that do, the one that covers least of the sheet: the sheet to the right,
    // the Preview at the bottom left.
    EXPECT_EQ(place.owner, QPoint(200, 50));
    EXPECT_EQ(place.preview, QPoint(0, 320));

    // The sheet at twice the size on a 1600 x 1000 screen: 800 x 500, and as tall as that.
    const QRect small(0, 0, 800, 500);
    const QRect tallSheet(128, 0, 572, 500);
    const QRect sheetButtons(128 + 330, 460, 235, 30);
    place = ComputeSideBySide(small, tallSheet, QRect(0, 0, 388, 480), sheetButtons);
    EXPECT_TRUE(small.contains(QRect(place.owner, tallSheet.size())));
    EXPECT_FALSE(QRect(place.preview, QSize(388, 480))
                     .intersects(sheetButtons.translated(place.owner - tallSheet.topLeft())));
}

namespace {

/// A Preview window stand-in that is also a window, as the real one will be.
class PreviewStandIn : public QWidget, public CountingPreview {
public:
    explicit PreviewStandIn(QWidget* sheet) : QWidget(sheet, Qt::Tool) { resize(150, 150); }
};

} // namespace

TEST_F(SheetTest, APreviewWindowPlugsInBesideTheSheetAndHearsEveryChange) {
    auto sheet =
        MakeTextureEditSheet(m_services, Oak(), QStringLiteral("Modify Simple Texture"), nullptr);
    auto* preview = new PreviewStandIn(sheet.get());
    sheet->SetPreview(preview, preview);
    sheet->move(10, 80);
    sheet->show();
    QApplication::processEvents();
    EXPECT_TRUE(preview->isVisible());
    EXPECT_EQ(preview->frameGeometry().left(), sheet->frameGeometry().right() + 1 + 10);
    EXPECT_EQ(preview->frameGeometry().top(), sheet->frameGeometry().top());
    ASSERT_TRUE(sheet->SetCurrentIndex(1));
    auto* pigment = static_cast<PigmentPage*>(sheet->Page(1));
    EXPECT_EQ(pigment->Preview(), preview);
    const int before = preview->changes;
    pigment->Phase().slider->setValue(40);
    EXPECT_GT(preview->changes, before);
    sheet->reject();
    EXPECT_FALSE(preview->isVisible());
}

TEST_F(SheetTest, ThePreviewStandsBesideTheColorMapDialogWhileItIsOpen) {
    auto sheet = Open(Oak(), QStringLiteral("Modify Simple Texture"));
    QWidget* preview = sheet->PreviewWindow();
    ASSERT_TRUE(preview);
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }));
    ASSERT_TRUE(sheet->SetCurrentIndex(1));
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const auto global = [](QWidget* widget) {
        return QRect(widget->mapToGlobal(QPoint(0, 0)), widget->size());
    };
    bool selectorClosed = false;
    bool clear = false;
    QString where;
    WhenShown<ColorMapDialog>([&](ColorMapDialog* dialog) {
        // The Color Selector hides the Preview; when it closes, the Preview comes back beside
        // the Color Map dialog, clear of its OK and Cancel.
        WhenShown<ColorSelectorDialog>([&](ColorSelectorDialog* selector) {
            selectorClosed = true;
            selector->reject();
        });
        dialog->SelectButton()->click();
        QDialogButtonBox* buttons = dialog->findChild<QDialogButtonBox*>();
        const bool room =
            dialog->frameGeometry().width() + preview->frameGeometry().width() + 20 <=
                screen.width() ||
            dialog->frameGeometry().height() + preview->frameGeometry().height() + 10 <=
                screen.height();
        clear = QTest::qWaitFor([&] {
            const QRect placed = preview->frameGeometry();
            return preview->isVisible() && !placed.intersects(global(buttons)) &&
                   (!room || !placed.intersects(dialog->frameGeometry()));
        });
        where = QStringLiteral("dialog %1,%2 %3x%4, preview %5,%6 %7x%8")
                    .arg(dialog->frameGeometry().x())
                    .arg(dialog->frameGeometry().y())
                    .arg(dialog->frameGeometry().width())
                    .arg(dialog->frameGeometry().height())
                    .arg(preview->frameGeometry().x())
                    .arg(preview->frameGeometry().y())
                    .arg(preview->frameGeometry().width())
                    .arg(preview->frameGeometry().height());
        dialog->reject();
    });
    static_cast<PigmentPage*>(sheet->Page(1))->ColorMapButton()->click();
    EXPECT_TRUE(selectorClosed);
    EXPECT_TRUE(clear) << where.toStdString();
    // Back beside the sheet once the Color Map dialog has closed.
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return !preview->frameGeometry().intersects(global(sheet->Buttons())); }));
}

TEST_F(SheetTest, ThePreviewMadeLargerRendersAtItsSizeAndIsStillPlacedBesideTheSheet) {
    m_services.settings.autoPreview = ProgramSettings().autoPreview;
    auto sheet = Open(Oak(), QStringLiteral("Modify Simple Texture"));
    auto* preview = static_cast<PreviewWindow*>(sheet->PreviewWindow());
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }));
    EXPECT_TRUE(preview->AutoBox()->isChecked());
    // Both on the screen, the sheet's buttons free, and side by side where there is room.
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    const auto placed = [&] {
        const QRect buttons(sheet->Buttons()->mapToGlobal(QPoint(0, 0)), sheet->Buttons()->size());
        const QRect sheetFrame = sheet->frameGeometry();
        const QRect previewFrame = preview->frameGeometry();
        const bool room = sheetFrame.width() + previewFrame.width() + 20 <= screen.width();
        return screen.contains(sheetFrame) && screen.contains(previewFrame) &&
               !previewFrame.intersects(buttons) && (!room || !previewFrame.intersects(sheetFrame));
    };
    const auto where = [&] {
        return "sheet " + Describe(sheet->frameGeometry()) + ", preview " +
               Describe(preview->frameGeometry());
    };
    ASSERT_TRUE(QTest::qWaitFor(placed)) << where();

    // Made larger, the picture follows and Auto renders it at that size.
    PictureFrame* frame = preview->Frame();
    const QSize small = frame->PictureSize();
    const QSize larger = preview->size() + QSize(40, 40);
    preview->resize(larger);
    ASSERT_TRUE(QTest::qWaitFor([&] { return frame->PictureSize().height() > small.height(); }));
    EXPECT_TRUE(frame->IsBusy());
    // The sheet moved: the Preview stays where it is, at the size it was given.
    ASSERT_TRUE(QTest::qWaitFor([&] { return !SideBySideKeeper::For(preview)->IsSettling(); }));
    const QRect before = preview->frameGeometry();
    sheet->move(sheet->pos() + QPoint(-30, 20));
    QApplication::processEvents();
    EXPECT_EQ(preview->frameGeometry(), before) << where();
    EXPECT_EQ(preview->size(), larger);
}

TEST(SideBySide, NearestClearPlaceMovesAsLittleAsItCan) {
    const QRect desktop(0, 0, 1000, 800);
    const QRect sheet(300, 200, 400, 300);
    // Already clear: it stays.
    EXPECT_EQ(NearestClearPlace(desktop, QRect(720, 200, 200, 100), {sheet}), QPoint(720, 200));
    // On the sheet's right part: out to the right, 10 pixels away, rather than above or below.
    EXPECT_EQ(NearestClearPlace(desktop, QRect(600, 250, 200, 100), {sheet}), QPoint(710, 250));
    // On its top: up, 10 pixels away.
    EXPECT_EQ(NearestClearPlace(desktop, QRect(350, 150, 200, 100), {sheet}), QPoint(350, 90));
    // A window as tall as the desktop beside a wide one: flush with it where the gap won't fit.
    const QRect wide(100, 0, 700, 800);
    EXPECT_EQ(NearestClearPlace(desktop, QRect(500, 0, 200, 800), {wide}), QPoint(800, 0));
    // Kept on the desktop, clear of both of two windows.
    const QRect dialog(710, 200, 280, 300);
    const std::optional<QPoint> place =
        NearestClearPlace(desktop, QRect(600, 250, 200, 100), {sheet, dialog});
    ASSERT_TRUE(place);
    const QRect placed(*place, QSize(200, 100));
    EXPECT_TRUE(desktop.contains(placed));
    EXPECT_FALSE(placed.intersects(sheet));
    EXPECT_FALSE(placed.intersects(dialog));
    EXPECT_EQ(*place, QPoint(600, 90)) << "straight up is the shortest way out";
    // No room anywhere.
    EXPECT_FALSE(NearestClearPlace(desktop, QRect(0, 0, 400, 600), {QRect(100, 100, 800, 600)}));
    EXPECT_FALSE(NearestClearPlace(desktop, QRect(0, 0, 1200, 100), {}));
}

namespace {

QString Where(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    return QStringLiteral("%1,%2 %3x%4")
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height());
}

} // namespace

TEST_F(SheetTest, ThePreviewStaysPutWhileDialogsOfThePigmentPageOpenAndCloseClearOfIt) {
    auto sheet = Open(Oak(), QStringLiteral("Modify Simple Texture"));
    QWidget* preview = sheet->PreviewWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }));
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    // Beside the sheet where the screen has room; settled there.
    const bool room =
        sheet->frameGeometry().width() + preview->frameGeometry().width() + 20 <= screen.width();
    ASSERT_TRUE(QTest::qWaitFor([&] {
        return !room || !preview->frameGeometry().intersects(sheet->frameGeometry());
    })) << Where(sheet.get()).toStdString()
        << ", preview " << Where(preview).toStdString();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !SideBySideKeeper::For(preview)->IsSettling(); }));
    const QRect placed = preview->frameGeometry();
    ASSERT_TRUE(sheet->SetCurrentIndex(1));
    auto* pigment = static_cast<PigmentPage*>(sheet->Page(1));

    // The Color Map dialog and the Color Selector open clear of the Preview, which stays.
    QStringList covered;
    const auto look = [&](QWidget* dialog, const QString& what) {
        const QRect frame = dialog->frameGeometry();
        auto* box = dialog->findChild<QDialogButtonBox*>();
        const QRect buttons(box->mapToGlobal(QPoint(0, 0)), box->size());
        // Where the screen has no room for the two apart, the Preview leaves OK and Cancel free.
        const bool room = frame.width() + placed.width() + 10 <= screen.width() ||
                          frame.height() + placed.height() + 10 <= screen.height();
        if (!dialog->isVisible() || !preview->isVisible() ||
            preview->frameGeometry().intersects(room ? frame : buttons) ||
            (room && preview->frameGeometry() != placed))
            covered << what + QStringLiteral(" ") + Where(dialog) + QStringLiteral(", preview ") +
                           Where(preview);
    };
    WhenShown<ColorMapDialog>([&](ColorMapDialog* dialog) {
        look(dialog, QStringLiteral("Color Map"));
        dialog->reject();
    });
    pigment->ColorMapButton()->click();
    WhenShown<ColorSelectorDialog>([&](ColorSelectorDialog* selector) {
        look(selector, QStringLiteral("Color Selector"));
        selector->reject();
    });
    pigment->SelectButton()->click();
    EXPECT_EQ(covered, QStringList()) << covered.join(QLatin1Char('\n')).toStdString();
    EXPECT_TRUE(QTest::qWaitFor([&] { return preview->frameGeometry() == placed; }));

    // Where the user put it, it stays: shown again, with the sheet moved, and after a dialog
    // that has to open elsewhere for it.
    const QPoint chosen = sheet->frameGeometry().center() - QPoint(40, 40);
    preview->move(chosen);
    QApplication::processEvents();
    EXPECT_TRUE(SideBySideKeeper::For(preview)->MovedByUser());
    sheet->Preview()->HideForDialog();
    sheet->Preview()->ShowAfterDialog();
    sheet->move(sheet->pos() + QPoint(5, 5));
    QApplication::processEvents();
    EXPECT_EQ(preview->pos(), chosen);
    WhenShown<ColorMapDialog>([&](ColorMapDialog* dialog) {
        if (dialog->frameGeometry().intersects(preview->frameGeometry()))
            covered << QStringLiteral("Color Map over the moved Preview ") + Where(dialog);
        dialog->reject();
    });
    pigment->ColorMapButton()->click();
    EXPECT_EQ(covered, QStringList()) << covered.join(QLatin1Char('\n')).toStdString();
    EXPECT_EQ(preview->pos(), chosen);
}

TEST_F(SheetTest, APreviewWithNoRoomBesideTheColorMapDialogStepsAsideAndComesBack) {
    auto sheet = Open(Oak(), QStringLiteral("Modify Simple Texture"));
    QWidget* preview = sheet->PreviewWindow();
    ASSERT_TRUE(QTest::qWaitFor([&] { return preview->isVisible(); }));
    ASSERT_TRUE(sheet->SetCurrentIndex(1));
    const QRect screen = QApplication::primaryScreen()->availableGeometry();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !SideBySideKeeper::For(preview)->IsSettling(); }));
    // The sheet in the middle of the screen, the Preview made by the user as wide as the screen
    // and put across the middle: the dialog fits neither above nor under it.
    sheet->move(screen.center() - sheet->rect().center());
    preview->move(screen.x(), screen.y() + screen.height() * 3 / 8);
    preview->resize(screen.width() - 10, screen.height() / 4);
    QApplication::processEvents();
    const QRect chosen = preview->frameGeometry();
    QString seen;
    WhenShown<ColorMapDialog>([&](ColorMapDialog* dialog) {
        const QRect buttons(dialog->findChild<QDialogButtonBox*>()->mapToGlobal(QPoint(0, 0)),
                            dialog->findChild<QDialogButtonBox*>()->size());
        const bool room =
            dialog->frameGeometry().height() + preview->frameGeometry().height() + 10 <=
            screen.height();
        if (preview->frameGeometry() == chosen)
            seen = QStringLiteral("the Preview did not move");
        else if (preview->frameGeometry().intersects(buttons))
            seen = QStringLiteral("the Preview covers OK and Cancel");
        else if (room && preview->frameGeometry().intersects(dialog->frameGeometry()))
            seen = QStringLiteral("the Preview covers the dialog");
        else
            seen = QStringLiteral("clear");
        seen += QStringLiteral(": dialog ") + Where(dialog) + QStringLiteral(", preview ") +
                Where(preview);
        dialog->reject();
    });
    static_cast<PigmentPage*>(sheet->Page(1))->ColorMapButton()->click();
    EXPECT_TRUE(seen.startsWith(QStringLiteral("clear"))) << seen.toStdString();
    EXPECT_EQ(preview->frameGeometry(), chosen) << "back where the user had it";
}

// ---------------------------------------------------------------------------------------------
// The edit loop: what is typed is in the working texture at once; OK on an unchanged texture
// gives it back as it was; the pages from the keyboard.

TEST_F(SheetTest, TypedNumbersAreInTheWorkingTextureBeforeTheEditIsLeft) {
    auto sheet = Open(Oak());
    TypeKeys(General(*sheet)->Transforms()->Edit(TransformEdits::Scale, 1), QStringLiteral("2.5"));
    EXPECT_EQ(sheet->Working().transformations.scale[1], 2.5f);

    ASSERT_TRUE(sheet->SetCurrentIndex(1));
    auto* pigment = static_cast<PigmentPage*>(sheet->Page(1));
    TypeKeys(pigment->Lambda().edit, QStringLiteral("3.25"));
    EXPECT_EQ(sheet->Working().pigment.turbulence.lambda, 3.25f);
    EXPECT_EQ(pigment->Lambda().slider->value(), 32);
    // Text that is no number keeps the last good value; the edit still has the focus.
    TypeKeys(pigment->Phase().edit, QStringLiteral("4o"));
    EXPECT_EQ(sheet->Working().pigment.phase, 4);
    EXPECT_TRUE(m_messages.empty());

    // Changing page reports it, names the field, and keeps the page.
    EXPECT_FALSE(sheet->SetCurrentIndex(3));
    EXPECT_EQ(ShownMessage(*sheet), "Phase: please enter a whole number from 0 to 100.");
    EXPECT_TRUE(m_messages.empty());
    TypeKeys(pigment->Phase().edit, QStringLiteral("40"));
    ASSERT_TRUE(sheet->SetCurrentIndex(3));
    auto* finish = static_cast<FinishPage*>(sheet->Page(3));
    TypeKeys(finish->Edit(FinishPage::Ambient), QStringLiteral("35"));
    EXPECT_EQ(sheet->Working().finish.ambient, 35);
    EXPECT_EQ(finish->Slider(FinishPage::Ambient)->value(), 35);
    EXPECT_EQ(sheet->Working().pigment.phase, 40);
}

TEST_F(SheetTest, OkOnAnUnchangedTextureGivesItBackExactly) {
    // Numbers with more places than the edits show must not come back rounded.
    SimpleTexture original = Oak();
    original.transformations.translate[0] = 0.123456f;
    original.pigment.pattern = Pigment::Bozo;
    original.pigment.turbulence.lambda = 2.123456f;
    original.pigment.transformations.rotate[1] = 33.333333f;
    original.finish.brilliance = 1.234567f;
    original.finish.crand = 0.0123456f;
    original.finish.refraction = 1;
    original.finish.ior = 1.333333f;
    original.normal.kind = Normal::Dents;
    original.normal.image.bumpSize = 0.123456f;
    original.SetDescription("Line one\nline two with a lone line feed");
    SimpleTexture texture = original;
    TextureEditorSet editors(m_services);
    WhenShown<TextureEditSheet>([](TextureEditSheet* sheet) {
        for (int page = 0; page < sheet->PageCount(); ++page)
            sheet->SetCurrentIndex(page); // every page shown and read
        sheet->Buttons()->button(QDialogButtonBox::Ok)->animateClick();
    });
    ASSERT_TRUE(editors.EditSimple(texture, QStringLiteral("Modify Simple Texture"), nullptr));
    EXPECT_TRUE(texture == original);
    EXPECT_EQ(texture.transformations.translate[0], 0.123456f);
    EXPECT_EQ(texture.pigment.turbulence.lambda, 2.123456f);
    EXPECT_EQ(texture.finish.ior, 1.333333f);
    EXPECT_EQ(texture.GetDescription(), original.GetDescription());
}

TEST_F(SheetTest, PagesTurnWithCtrlTabAndCtrlPageKeysFromAnyControl) {
    auto sheet = Open(Oak());
    QLineEdit* name = General(*sheet)->NameEdit();
    name->setFocus(Qt::TabFocusReason);
    QTest::keyClick(name, Qt::Key_Tab, Qt::ControlModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 1);
    // From a slider too, which would otherwise take page keys for itself.
    auto* pigment = static_cast<PigmentPage*>(sheet->Page(1));
    QSlider* phase = pigment->Phase().slider;
    phase->setFocus(Qt::TabFocusReason);
    const int position = phase->value();
    QTest::keyClick(phase, Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 2);
    EXPECT_EQ(phase->value(), position);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageUp, Qt::ControlModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 1);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab,
                    Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 3); // round to the last page
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_PageDown, Qt::ControlModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 0);
}

TEST_F(SheetTest, TabAccessKeysTurnThePageInsteadOfTyping) {
    auto sheet = Open(Oak());
    QLineEdit* name = General(*sheet)->NameEdit();
    name->setFocus(Qt::TabFocusReason);
    name->deselect();
    QTest::keyClick(name, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 1);
    EXPECT_EQ(name->text(), "Oak");
    EXPECT_EQ(sheet->Working().GetName(), "Oak");
    ASSERT_TRUE(sheet->SetCurrentIndex(0));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_H, Qt::AltModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 3);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_G, Qt::AltModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 0);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(sheet->CurrentIndex(), 2);
    // Every caption shows its access key, and no two pages share one.
    QSet<QChar> keys;
    for (int page = 0; page < sheet->PageCount(); ++page) {
        const QString caption = sheet->Tabs()->tabText(page);
        const qsizetype at = caption.indexOf(QLatin1Char('&'));
        ASSERT_GE(at, 0) << caption.toStdString();
        keys.insert(caption.at(at + 1).toLower());
    }
    EXPECT_EQ(keys.size(), sheet->PageCount());
    // The pigment's kinds have keys of their own beside the tabs'.
    ASSERT_TRUE(sheet->SetCurrentIndex(1));
    auto* pigment = qobject_cast<PigmentPage*>(sheet->Page(1));
    ASSERT_TRUE(pigment);
    // A button's key clicks it as a press seen for a moment.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_C, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return pigment->TypeButton(PatternPage::Plain)->isChecked(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_D, Qt::AltModifier);
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return pigment->TypeButton(PatternPage::Procedural)->isChecked(); }));
    EXPECT_EQ(sheet->CurrentIndex(), 1);
}

TEST_F(SheetTest, ShiftTabFromTheFirstFieldReachesTheTabBarAndTabComesBack) {
    auto sheet = Open(Oak());
    QLineEdit* name = General(*sheet)->NameEdit();
    name->setFocus(Qt::TabFocusReason);
    QTest::keyClick(name, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(sheet->Tabs()->tabBar()));
    QTest::keyClick(sheet->Tabs()->tabBar(), Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), name);
    QTest::keyClick(name, Qt::Key_Tab);
    EXPECT_EQ(QApplication::focusWidget(), General(*sheet)->DescriptionEdit());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab, Qt::ShiftModifier);
    QTest::keyClick(sheet->Tabs()->tabBar(), Qt::Key_Right); // the tab bar turns the page
    EXPECT_EQ(sheet->CurrentIndex(), 1);
    QTest::keyClick(sheet->Tabs()->tabBar(), Qt::Key_Tab);
    QWidget* first = QApplication::focusWidget();
    EXPECT_TRUE(sheet->Page(1)->isAncestorOf(first)) << first->objectName().toStdString();
    QTest::keyClick(first, Qt::Key_Backtab, Qt::ShiftModifier);
    EXPECT_EQ(QApplication::focusWidget(), static_cast<QWidget*>(sheet->Tabs()->tabBar()));
}

TEST_F(SheetTest, ReturnInTheNameShowsTheSourceAndOnOtherPagesPressesOk) {
    auto sheet = Open(Oak());
    QLineEdit* name = General(*sheet)->NameEdit();
    name->setFocus(Qt::TabFocusReason);
    TypeKeys(name, QStringLiteral("Oak 3"));
    QString shown;
    WhenShown<ViewSourceDialog>([&shown](ViewSourceDialog* dialog) {
        shown = dialog->Text();
        dialog->accept();
    });
    QTest::keyClick(name, Qt::Key_Return);
    EXPECT_TRUE(shown.contains("#declare Oak_3 = texture")) << shown.toStdString();
    EXPECT_TRUE(sheet->isVisible());
    EXPECT_TRUE(General(*sheet)->ViewSourceButton()->isDefault());

    ASSERT_TRUE(sheet->SetCurrentIndex(3));
    EXPECT_FALSE(General(*sheet)->ViewSourceButton()->isDefault());
    EXPECT_TRUE(sheet->Buttons()->button(QDialogButtonBox::Ok)->isDefault());
    auto* finish = static_cast<FinishPage*>(sheet->Page(3));
    finish->CrandEdit()->setFocus(Qt::TabFocusReason);
    QTest::keyClick(finish->CrandEdit(), Qt::Key_Return);
    EXPECT_FALSE(sheet->isVisible());
    EXPECT_EQ(sheet->result(), QDialog::Accepted);
}

TEST_F(SheetTest, NoTwoControlsOfTheGeneralAndFinishPagesShareAShortcutLetter) {
    auto sheet = Open(Oak());
    sheet->show();
    for (int page : {0, 3}) {
        ASSERT_TRUE(sheet->SetCurrentIndex(page));
        // The tabs' letters, and those of every control the page shows.
        std::map<QChar, QStringList> owners;
        const auto add = [&owners](const QString& text) {
            const qsizetype at = text.indexOf(QRegularExpression(QStringLiteral("&[^&]")));
            if (at >= 0)
                owners[text.at(at + 1).toLower()] << text;
        };
        for (int tab = 0; tab < sheet->PageCount(); ++tab)
            add(sheet->Tabs()->tabText(tab));
        for (const QWidget* widget : sheet->Page(page)->findChildren<QWidget*>()) {
            if (!widget->isVisibleTo(sheet.get()))
                continue;
            if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
                add(button->text());
            else if (const auto* label = qobject_cast<const QLabel*>(widget);
                     label && label->buddy())
                add(label->text());
            else if (const auto* group = qobject_cast<const QGroupBox*>(widget))
                add(group->title());
        }
        for (const auto& [key, texts] : owners)
            EXPECT_EQ(texts.size(), 1) << "page " << page << ": " << texts.join(", ").toStdString();
    }
}
