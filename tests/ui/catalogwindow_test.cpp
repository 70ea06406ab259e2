// The catalog window for real work: scrolling, the keyboard, Undo and Redo, Find, drag and
// drop, printing and the placement of windows.

#include "appfixture.h"
#include "core/catalog/exportsource.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "render/settings/programsettings.h"
#include "ui/catalog/batchbar.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogdragdrop.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogprinter.h"
#include "ui/catalog/catalogprintlayout.h"
#include "ui/catalog/catalogrenders.h"
#include "ui/dialogs/exportdialog.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMimeData>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <QWheelEvent>
#include <set>

namespace {

Catalog& CatalogOf(CatalogView* view) {
    return view->Document().Contents();
}

/// A texture whose thumbnail is one colour that tells its number: red and green the number,
/// blue 77.
SimpleTexture Numbered(int number) {
    SimpleTexture texture;
    texture.SetName("Numbered " + std::to_string(number));
    std::vector<std::uint8_t> pixels(120 * 120 * 3);
    for (std::size_t i = 0; i < pixels.size(); i += 3) {
        pixels[i] = 77; // blue, green, red
        pixels[i + 1] = static_cast<std::uint8_t>(number / 256);
        pixels[i + 2] = static_cast<std::uint8_t>(number % 256);
    }
    texture.Thumbnail().SetBits(120, 120, pixels, false);
    return texture;
}

/// Scrolls by `notches` notches of a mouse wheel (positive: towards the user, down the grid).
void Wheel(CatalogView* view, int notches) {
    const QPointF at(50, 50);
    QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120 * notches),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
}

void Key(CatalogView* view, Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
    QTest::keyClick(view, key, modifiers);
}

std::vector<std::uint8_t> Bytes(const Catalog& catalog) {
    return catalog.Save();
}

} // namespace

class CatalogWindowTest : public AppTest {
protected:
    /// The sample catalog grown to `count` textures with numbered thumbnails, saved and clean.
    CatalogView* OpenLarge(int count) {
        CatalogView* view = OpenSample();
        if (!view)
            return nullptr;
        Catalog& catalog = CatalogOf(view);
        for (int i = catalog.GetCount(); i < count; ++i)
            catalog.AddTexture(Numbered(i));
        view->Document().Changed();
        EXPECT_TRUE(view->Document().Save(view));
        return view;
    }
    QString UndoText() {
        m_app->Frame().UpdateCommands();
        return m_app->Frame().Action(QStringLiteral("Undo"))->text();
    }
    QString SubWindowTitle(CatalogView* view) { return view->parentWidget()->windowTitle(); }
};

// ---- scrolling ----------------------------------------------------------------------------

TEST_F(CatalogWindowTest, WheelAndPageStepsDoNotGrowWithTheCatalog) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QScrollBar* bar = view->verticalScrollBar();
    const int row = view->Layout().RowPitch();
    ASSERT_GT(bar->maximum(), 4 * row / 3) << "the sample must scroll";
    for (int count : {17, 2000}) {
        if (count > 17) {
            for (int i = CatalogOf(view).GetCount(); i < count; ++i)
                CatalogOf(view).AddTexture(Numbered(i));
            view->Document().Changed();
        }
        bar->setValue(0);
        Wheel(view, 1);
        // A notch is about a third of a row, in the small catalog and the large one alike.
        EXPECT_GE(bar->value(), row / 4) << count;
        EXPECT_LE(bar->value(), row / 2) << count;
        const int notch = bar->value();
        Wheel(view, 3);
        EXPECT_EQ(bar->value(), 4 * notch) << count;
        Wheel(view, -4);
        EXPECT_EQ(bar->value(), 0) << count;
        // A page is the visible height; an arrow line the same as a notch.
        EXPECT_EQ(bar->pageStep(), view->viewport()->height()) << count;
        EXPECT_EQ(bar->singleStep(), notch) << count;
    }
}

// ---- keyboard -----------------------------------------------------------------------------

TEST_F(CatalogWindowTest, KeysSelectAsTheMouseDoes) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const int columns = view->Layout().Columns();
    ASSERT_EQ(columns, 4);
    Key(view, Qt::Key_Right); // no focus cell yet: the first texture
    EXPECT_EQ(Selected(view), std::vector<int>{0});
    Key(view, Qt::Key_Right);
    Key(view, Qt::Key_Right);
    EXPECT_EQ(Selected(view), std::vector<int>{2});
    EXPECT_EQ(view->Anchor(), 2);
    // Shift extends from the anchor, as Shift-click does.
    for (int i = 0; i < 3; ++i)
        Key(view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(Selected(view), (std::vector<int>{2, 3, 4, 5}));
    Key(view, Qt::Key_Home, Qt::ShiftModifier);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(view->Anchor(), 2);
    // Ctrl moves the focus alone; Space toggles as Ctrl-click does.
    Key(view, Qt::Key_Right, Qt::ControlModifier);
    EXPECT_EQ(view->FocusIndex(), 1);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 1, 2}));
    Key(view, Qt::Key_Space);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 2}));
    EXPECT_EQ(view->Anchor(), 2); // deselecting leaves the anchor
    for (int i = 0; i < 6; ++i)
        Key(view, Qt::Key_Right, Qt::ControlModifier);
    Key(view, Qt::Key_Space);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 2, 7}));
    EXPECT_EQ(view->Anchor(), 7);
    // Up and Down go a row; End and Home to the ends; the grid scrolls the focus into view.
    Key(view, Qt::Key_Down);
    EXPECT_EQ(Selected(view), std::vector<int>{7 + columns});
    Key(view, Qt::Key_End);
    EXPECT_EQ(Selected(view), std::vector<int>{16});
    const CellRect last = view->Layout().Cell(16);
    const int offset = view->verticalScrollBar()->value();
    EXPECT_GE(last.top, offset);
    EXPECT_LE(last.bottom, offset + view->viewport()->height());
    Key(view, Qt::Key_PageUp);
    EXPECT_LT(Selected(view)[0], 16);
    Key(view, Qt::Key_Home);
    EXPECT_EQ(Selected(view), std::vector<int>{0});
    EXPECT_EQ(view->verticalScrollBar()->value(), 0);
    // A click moves the focus cell too, so the keys go on from there.
    ClickTexture(view, 9);
    Key(view, Qt::Key_Left, Qt::ShiftModifier);
    EXPECT_EQ(Selected(view), (std::vector<int>{8, 9}));

    // Return opens Modify on the focus cell.
    m_editors.editSimple = [](SimpleTexture& texture) { texture.SetName("Keyed"); };
    m_app->Settings().updateThumbnail = false;
    Key(view, Qt::Key_Right);
    Key(view, Qt::Key_Return);
    EXPECT_EQ(m_editors.titles.back(), "Modify Simple Texture");
    EXPECT_EQ(CatalogOf(view).GetTexture(9).GetName(), "Keyed");
}

TEST_F(CatalogWindowTest, SelectAllAndSelectNoneFromTheEditMenu) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QAction* all = m_app->Frame().Action(QStringLiteral("Select All"));
    ASSERT_TRUE(all);
    EXPECT_EQ(all->text(), "Select &All");
    EXPECT_EQ(all->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_A));
    all->trigger();
    EXPECT_EQ(CatalogOf(view).GetSelectedCount(), 17);
    EXPECT_TRUE(Enabled("Delete"));
    QAction* none = m_app->Frame().Action(QStringLiteral("Select None"));
    ASSERT_TRUE(none);
    EXPECT_EQ(none->text(), "Select &None");
    none->trigger();
    EXPECT_TRUE(Selected(view).empty());
    EXPECT_FALSE(Enabled("Delete"));
}

TEST_F(CatalogWindowTest, ScreenshotOfTheFocusFrame) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->Frame().activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&m_app->Frame()));
    view->setFocus();
    Key(view, Qt::Key_Right);
    Key(view, Qt::Key_Right, Qt::ShiftModifier);
    Key(view, Qt::Key_Right, Qt::ControlModifier);
    Key(view, Qt::Key_Right, Qt::ControlModifier); // focus on texture 3, which is not selected
    QApplication::processEvents();
    EXPECT_EQ(view->FocusIndex(), 3);
    QDir().mkpath(QStringLiteral("screenshots"));
    const QImage shot = view->grab().toImage();
    ASSERT_TRUE(shot.save(QStringLiteral("screenshots/focusframe.png")));
    // The focus frame is drawn on the grey between thumbnail and cell edge of texture 3.
    const CellRect cell = view->Layout().Cell(3);
    bool framed = false;
    for (int x = cell.left + 1; x < cell.right - 1 && !framed; ++x) {
        const QColor pixel =
            shot.pixelColor(view->viewport()->mapTo(view, QPoint(x, cell.top + 2)));
        framed = pixel != QColor(192, 192, 192);
    }
    EXPECT_TRUE(framed);
}

// ---- undo and redo ------------------------------------------------------------------------

TEST_F(CatalogWindowTest, SelectAllDeleteUndoRestoresTheBytesAndTheSavedState) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const std::vector<std::uint8_t> saved = Bytes(CatalogOf(view));
    EXPECT_FALSE(Enabled("Undo"));
    EXPECT_EQ(UndoText(), "&Undo");
    m_app->Frame().Action(QStringLiteral("Select All"))->trigger();
    view->Commands().OnDelete();
    EXPECT_EQ(CatalogOf(view).GetCount(), 0);
    EXPECT_TRUE(view->Document().IsModified());
    EXPECT_TRUE(SubWindowTitle(view).endsWith('*'));
    EXPECT_EQ(UndoText(), "&Undo Delete 17 Textures");
    ASSERT_TRUE(Enabled("Undo"));

    m_app->Frame().Action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(Bytes(CatalogOf(view)), saved);
    EXPECT_EQ(CatalogOf(view).GetSelectedCount(), 17); // back as they were, selected
    EXPECT_FALSE(view->Document().IsModified());
    EXPECT_FALSE(SubWindowTitle(view).endsWith('*'));
    EXPECT_FALSE(Enabled("Undo"));
    ASSERT_TRUE(Enabled("Redo"));
    EXPECT_TRUE(m_app->Frame()
                    .Action(QStringLiteral("Redo"))
                    ->text()
                    .startsWith("&Redo Delete 17 Textures"));

    m_app->Frame().Action(QStringLiteral("Redo"))->trigger();
    EXPECT_EQ(CatalogOf(view).GetCount(), 0);
    EXPECT_TRUE(view->Document().IsModified());

    // Saved after the delete: Undo then leaves the saved state, Redo returns to it.
    ASSERT_TRUE(view->Document().Save(view));
    EXPECT_FALSE(view->Document().IsModified());
    m_app->Frame().Action(QStringLiteral("Undo"))->trigger();
    EXPECT_TRUE(view->Document().IsModified());
    m_app->Frame().Action(QStringLiteral("Redo"))->trigger();
    EXPECT_FALSE(view->Document().IsModified());
}

TEST_F(CatalogWindowTest, UndoingADeleteOfTwoThousandTexturesRestoresThemInOrder) {
    CatalogView* view = OpenLarge(2000);
    ASSERT_TRUE(view);
    const std::vector<std::uint8_t> saved = Bytes(CatalogOf(view));
    // Every other texture, so that they must go back between the others.
    for (int i = 0; i < 2000; i += 2)
        CatalogOf(view).Select(i);
    view->Commands().OnDelete();
    EXPECT_EQ(CatalogOf(view).GetCount(), 1000);
    EXPECT_EQ(UndoText(), "&Undo Delete 1000 Textures");
    view->Document().UndoStack().undo();
    EXPECT_EQ(Bytes(CatalogOf(view)), saved);
    EXPECT_FALSE(view->Document().IsModified());
}

TEST_F(CatalogWindowTest, EveryChangeToTheTexturesIsOneStep) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    const std::vector<std::uint8_t> saved = Bytes(catalog);
    m_app->Settings().updateThumbnail = false;
    QUndoStack& steps = view->Document().UndoStack();

    m_editors.editSimple = [](SimpleTexture& texture) { texture.SetName("Fresh"); };
    view->Commands().OnNewSimple();
    EXPECT_EQ(UndoText(), "&Undo New Texture");
    ClickTexture(view, 4);
    m_editors.editSimple = [](SimpleTexture& texture) { texture.SetName("Changed Granite"); };
    view->Commands().OnModify();
    EXPECT_EQ(catalog.GetTexture(4).GetName(), "Changed Granite");
    EXPECT_EQ(UndoText(), "&Undo Modify Changed Granite");
    ClickTexture(view, 1);
    view->Commands().OnCut();
    EXPECT_EQ(UndoText(), "&Undo Cut 1 Texture");
    view->Commands().OnPaste();
    EXPECT_EQ(UndoText(), "&Undo Paste 1 Texture");
    ClickTexture(view, 0);
    ClickTexture(view, 2, Qt::ShiftModifier);
    view->Commands().OnClearThumbnails();
    EXPECT_EQ(UndoText(), "&Undo Clear 3 Thumbnails");
    EXPECT_EQ(catalog.GetTexture(1).GetThumbnailWidth(), 0);
    EXPECT_EQ(steps.count(), 5);

    // Back step by step to the file as it was saved, then all again.
    std::vector<std::vector<std::uint8_t>> states;
    for (int i = 0; i < 5; ++i) {
        states.push_back(Bytes(catalog));
        steps.undo();
    }
    EXPECT_EQ(Bytes(catalog), saved);
    EXPECT_FALSE(view->Document().IsModified());
    for (int i = 4; i >= 0; --i) {
        steps.redo();
        EXPECT_EQ(Bytes(catalog), states[static_cast<std::size_t>(i)]) << i;
    }
    // A cancelled editor leaves no step.
    m_editors.accept = false;
    view->Commands().OnNewSimple();
    EXPECT_EQ(steps.count(), 5);
}

TEST_F(CatalogWindowTest, RenderedThumbnailsAreOneStepAndAStoppedRenderChangesNothing) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    ClickTexture(view, 0);
    const std::vector<std::uint8_t> saved = Bytes(catalog);
    // Stopped before any picture came: the catalog stays unmodified, no step is recorded.
    view->Commands().OnRenderThumbnails();
    QTest::mouseClick(view->BatchProgress()->Button(), Qt::LeftButton);
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_FALSE(view->Document().IsModified());
    EXPECT_FALSE(Enabled("Undo"));
    EXPECT_EQ(Bytes(catalog), saved);

    // Cleared and rendered: Undo brings the empty picture back, Redo the new one.
    ClickTexture(view, 0);
    view->Commands().OnClearThumbnails();
    const std::vector<std::uint8_t> cleared = Bytes(catalog);
    view->Commands().OnRenderThumbnails();
    ASSERT_TRUE(WaitForRenders(view));
    ASSERT_TRUE(view->Document().IsModified());
    const std::vector<std::uint8_t> rendered = Bytes(catalog);
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 120);
    EXPECT_EQ(UndoText(), "&Undo Render 1 Thumbnail");
    view->Document().UndoStack().undo();
    EXPECT_EQ(Bytes(catalog), cleared);
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 0);
    view->Document().UndoStack().redo();
    EXPECT_EQ(Bytes(catalog), rendered);
    view->Document().UndoStack().undo();
    view->Document().UndoStack().undo();
    EXPECT_EQ(Bytes(catalog), saved);
    EXPECT_FALSE(view->Document().IsModified());
}

// ---- find ---------------------------------------------------------------------------------

TEST_F(CatalogWindowTest, FindNarrowsTheGridAndCommandsActOnShownTextures) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->Frame().Action(QStringLiteral("Select All"))->trigger();
    QAction* find = m_app->Frame().Action(QStringLiteral("Find"));
    ASSERT_TRUE(find);
    EXPECT_EQ(find->text(), "&Find...");
    EXPECT_EQ(find->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_F));
    find->trigger();
    ASSERT_TRUE(view->FindField()->isVisible());
    QTest::keyClicks(view->FindField(), QStringLiteral("MARBLE"));
    // Names and descriptions alike, case ignored: two marbles and the stone with marble veins.
    ASSERT_EQ(view->Shown().rowCount(), 3);
    EXPECT_EQ(view->ShownIndices()[2], 16);
    auto* status = m_app->Frame().findChild<QLabel*>(QStringLiteral("ViewStatus"));
    ASSERT_TRUE(status);
    m_app->Frame().UpdateCommands();
    EXPECT_EQ(status->text(), "3 of 17 textures");
    EXPECT_EQ(Selected(view), (std::vector<int>{2, 3, 16})); // hidden textures left the selection
    const CellRect first = view->Layout().Cell(0);
    EXPECT_EQ(view->Layout().HitTest(first.left + 20, first.top + 20), 0);

    // Commands act on the selected textures that are shown.
    ClickTexture(view, 1); // the second shown: Green Marble
    EXPECT_EQ(Selected(view), std::vector<int>{3});
    m_app->Frame().Action(QStringLiteral("Select All"))->trigger();
    view->Commands().OnDelete();
    EXPECT_EQ(CatalogOf(view).GetCount(), 14);
    EXPECT_EQ(view->Shown().rowCount(), 0);
    m_app->Frame().UpdateCommands();
    EXPECT_EQ(status->text(), "0 of 14 textures");
    view->Document().UndoStack().undo();
    EXPECT_EQ(view->Shown().rowCount(), 3);

    // Escape clears the filter.
    QTest::keyClick(view->FindField(), Qt::Key_Escape);
    EXPECT_FALSE(view->IsFiltered());
    EXPECT_EQ(view->Shown().rowCount(), 17);
    EXPECT_FALSE(view->FindField()->isVisible());
    m_app->Frame().UpdateCommands();
    EXPECT_FALSE(status->isVisible());
}

TEST_F(CatalogWindowTest, FindCountsASingleTextureInTheSingular) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    while (catalog.GetCount() > 1)
        catalog.RemoveTexture(catalog.GetCount() - 1);
    view->Document().Changed();
    auto* status = m_app->Frame().findChild<QLabel*>(QStringLiteral("ViewStatus"));
    ASSERT_TRUE(status);
    view->SetFilter(QString::fromStdString(catalog.GetTexture(0).GetName()));
    m_app->Frame().UpdateCommands();
    EXPECT_EQ(status->text(), "1 of 1 texture");
    view->SetFilter(QStringLiteral("no texture is called this"));
    m_app->Frame().UpdateCommands();
    EXPECT_EQ(status->text(), "0 of 1 texture");
}

TEST_F(CatalogWindowTest, ScreenshotOfTheFindBar) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    view->Commands().OnFind();
    QTest::keyClicks(view->FindField(), QStringLiteral("gr"));
    ClickTexture(view, 1);
    view->verticalScrollBar()->setValue(0);
    m_app->Frame().UpdateCommands();
    QApplication::processEvents();
    QDir().mkpath(QStringLiteral("screenshots"));
    ASSERT_TRUE(m_app->Frame().grab().save(QStringLiteral("screenshots/findbar.png")));
    EXPECT_GT(view->FindField()->mapTo(view, QPoint(0, 0)).y(), -1);
    EXPECT_GE(view->viewport()->geometry().top(),
              view->FindField()->mapTo(view, QPoint(0, view->FindField()->height())).y());
}

TEST_F(CatalogWindowTest, ReturnAndTheArrowsInTheFindFieldGoOnToTheNarrowedGrid) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Down, Qt::Key_Up}) {
        view->Commands().OnFind();
        ASSERT_EQ(view->window()->focusWidget(), view->FindField());
        QTest::keyClicks(view->FindField(), QStringLiteral("marble"));
        QTest::keyClick(view->FindField(), key);
        EXPECT_EQ(view->window()->focusWidget(), view) << key;
        EXPECT_TRUE(view->FindField()->isVisible()) << key;
        EXPECT_EQ(view->Shown().rowCount(), 3) << key << ": the narrowed list stays";
        view->FindField()->clear();
    }
    // Escape in the grid closes the bar as it does in the field.
    view->SetFilter(QStringLiteral("marble"));
    QTest::keyClick(view, Qt::Key_Escape);
    EXPECT_FALSE(view->FindField()->isVisible());
    EXPECT_EQ(view->Shown().rowCount(), 17);
}

// ---- drag and drop ------------------------------------------------------------------------

TEST_F(CatalogWindowTest, DraggingWithinTheWindowMovesAsOneStep) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const std::vector<std::uint8_t> saved = Bytes(CatalogOf(view));
    ClickTexture(view, 0);
    ClickTexture(view, 1, Qt::ShiftModifier);
    std::unique_ptr<QMimeData> data(view->DragDrop().DragData());
    // Dropped on the right half of texture 5: they go after it.
    const auto [x, y] = view->Layout().ThumbnailPosition(5);
    view->verticalScrollBar()->setValue(0);
    view->DragDrop().DropTextures(data.get(), QPoint(x + 100, y + 60), true);
    const Catalog& catalog = CatalogOf(view);
    EXPECT_EQ(catalog.GetTexture(4).GetName(), "Cherry Wood");
    EXPECT_EQ(catalog.GetTexture(5).GetName(), "Pine Planks");
    EXPECT_EQ(catalog.GetTexture(3).GetName(), "Pink Granite");
    EXPECT_EQ(catalog.GetCount(), 17);
    EXPECT_EQ(Selected(view), (std::vector<int>{4, 5}));
    EXPECT_EQ(UndoText(), "&Undo Move 2 Textures");
    view->Document().UndoStack().undo();
    EXPECT_EQ(Bytes(CatalogOf(view)), saved);
    EXPECT_FALSE(view->Document().IsModified());
}

TEST_F(CatalogWindowTest, DraggedTexturesCopyIntoAnotherCatalogAndGiveTheirSourceText) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    ClickTexture(view, 3);
    ClickTexture(view, 16, Qt::ControlModifier);
    std::unique_ptr<QMimeData> data(view->DragDrop().DragData());
    EXPECT_EQ(data->text().toStdString(),
              ExportSourceText(CatalogOf(view), {3, 16}, SourceFlag::Declare));
    m_app->OnFileNew();
    auto* other = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_TRUE(other && other != view);
    other->DragDrop().DropTextures(data.get(), QPoint(10, 10), false);
    ASSERT_EQ(CatalogOf(other).GetCount(), 2);
    EXPECT_EQ(CatalogOf(other).GetTexture(1).GetSource(SourceFlag::Declare),
              CatalogOf(view).GetTexture(16).GetSource(SourceFlag::Declare));
    EXPECT_NE(CatalogOf(other).GetTexture(1).Kind(), TextureKind::Simple);
    EXPECT_EQ(CatalogOf(other).GetTexture(0).Thumbnail().Width(), 120);
    EXPECT_EQ(CatalogOf(view).GetCount(), 17); // the source keeps its textures
    EXPECT_TRUE(other->Document().IsModified());
    other->Document().UndoStack().undo();
    EXPECT_EQ(CatalogOf(other).GetCount(), 0);
}

TEST_F(CatalogWindowTest, DroppedCatalogAndBitmapFilesOpen) {
    const QString catalog = Path(QStringLiteral("dropped.vlv"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv"), catalog));
    QFile bitmap(Path(QStringLiteral("dropped.bmp")));
    ASSERT_TRUE(bitmap.open(QIODevice::WriteOnly));
    Bitmap dib;
    std::vector<std::uint8_t> pixels(4 * 4 * 3, 90);
    dib.SetBits(4, 4, pixels, false);
    const std::vector<std::uint8_t> bmp = dib.ToBMP();
    bitmap.write(reinterpret_cast<const char*>(bmp.data()), static_cast<qint64>(bmp.size()));
    bitmap.close();
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(catalog), QUrl::fromLocalFile(bitmap.fileName()),
                  QUrl::fromLocalFile(Path(QStringLiteral("notes.txt")))});
    QMainWindow& frame = m_app->Frame();
    const QPoint centre = frame.rect().center();
    QDragEnterEvent enter(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &enter);
    EXPECT_TRUE(enter.isAccepted());
    QDropEvent drop(centre, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(&frame, &drop);
    ASSERT_EQ(m_app->Documents().size(), 2u);
    EXPECT_EQ(m_app->Documents()[0]->Title(), "dropped.vlv");
    EXPECT_EQ(m_app->Documents()[1]->Title(), "dropped.bmp");

    // Dropped on a catalog window, they open all the same; the catalog stays as it was.
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(Path(QStringLiteral("second.vlv")))});
    ASSERT_TRUE(QFile::copy(catalog, Path(QStringLiteral("second.vlv"))));
    QDragEnterEvent enterView(QPoint(30, 30), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &enterView);
    EXPECT_TRUE(enterView.isAccepted());
    QDropEvent dropOnView(QPoint(30, 30), Qt::CopyAction, &one, Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &dropOnView);
    ASSERT_EQ(m_app->Documents().size(), 4u);
    EXPECT_EQ(m_app->Documents()[3]->Title(), "second.vlv");
    EXPECT_EQ(CatalogOf(view).GetCount(), 17);
    EXPECT_FALSE(view->Document().IsModified());
}

// ---- printing -----------------------------------------------------------------------------

TEST_F(CatalogWindowTest, PrintedPagesHoldEveryTextureOnceWithReadableNames) {
    Catalog catalog;
    for (int i = 0; i < 60; ++i)
        catalog.AddTexture(Numbered(i));
    catalog.Select(3); // the selection is not printed
    // An A4 page at 150 dots per inch, 10 mm margins.
    const int dpi = 150;
    const QRect page(0, 0, static_cast<int>((210 - 20) / 25.4 * dpi),
                     static_cast<int>((297 - 20) / 25.4 * dpi));
    QFont font;
    font.setPointSize(9);
    const CatalogPrintLayout layout(catalog, nullptr, QStringLiteral("numbers.vlv"), font, page,
                                    dpi);
    ASSERT_GT(layout.PageCount(), 1);
    std::map<int, int> pageOf;
    for (int number = 0; number < layout.PageCount(); ++number) {
        QImage image(page.size(), QImage::Format_RGB32);
        image.fill(Qt::white);
        image.setDotsPerMeterX(static_cast<int>(dpi / 0.0254));
        image.setDotsPerMeterY(static_cast<int>(dpi / 0.0254));
        {
            QPainter painter(&image);
            layout.PaintPage(painter, number);
        }
        if (number == 0) {
            QDir().mkpath(QStringLiteral("screenshots"));
            image.save(QStringLiteral("screenshots/printpage.png"));
        }
        int grey = 0;
        std::set<int> found;
        int top = image.height();
        int nameTop = -1;
        int nameBottom = -1;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const QColor pixel = image.pixelColor(x, y);
                if (pixel == QColor(192, 192, 192))
                    ++grey;
                if (pixel.blue() == 77 && pixel.green() < 1) {
                    found.insert(pixel.red());
                    top = std::min(top, y);
                }
            }
        EXPECT_LT(grey, 100) << "no window background on paper";
        ASSERT_FALSE(found.empty()) << "page " << number;
        for (int index : found) {
            EXPECT_EQ(pageOf.count(index), 0u) << index << " printed twice";
            pageOf[index] = number;
        }
        // The first name: black pixels in the band below the first thumbnail, at the left.
        const int thumbnail = dpi * 120 / 96; // a window pixel is a 96th of an inch
        for (int y = top + thumbnail; y < top + thumbnail + dpi / 3 && y < image.height(); ++y)
            for (int x = 0; x < page.width() / 4; ++x)
                if (image.pixelColor(x, y).value() < 100) {
                    if (nameTop < 0)
                        nameTop = y;
                    nameBottom = y;
                }
        // At 9 points the letters stand between about 1.5 and 4 millimetres high.
        const double millimetres = (nameBottom - nameTop + 1) * 25.4 / dpi;
        EXPECT_GT(millimetres, 1.5) << "page " << number;
        EXPECT_LT(millimetres, 4.0) << "page " << number;
    }
    EXPECT_EQ(pageOf.size(), 60u);
    // A thumbnail is 120 window pixels: about 32 millimetres on paper.
}

TEST_F(CatalogWindowTest, PrintPreviewShowsThePages) {
    CatalogView* view = OpenLarge(60);
    ASSERT_TRUE(view);
    int pages = 0;
    WhenShownThenClose<QPrintPreviewDialog>([&](QPrintPreviewDialog* dialog) {
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        ASSERT_TRUE(preview);
        pages = preview->pageCount();
        dialog->resize(900, 700);
        preview->setZoomMode(QPrintPreviewWidget::FitInView);
        QApplication::processEvents();
        QDir().mkpath(QStringLiteral("screenshots"));
        dialog->grab().save(QStringLiteral("screenshots/printpreview.png"));
    });
    m_app->Frame().Action(QStringLiteral("Print Preview"))->trigger();
    EXPECT_GT(pages, 1);
}

TEST_F(CatalogWindowTest, PrintingANarrowedWindowPrintsOnlyTheTexturesShown) {
    CatalogView* view = OpenLarge(60);
    ASSERT_TRUE(view);
    auto pages = [&](const QString& name) {
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(Path(name));
        view->Commands().Printer().Print(printer);
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        return bytes.count("/Type /Page\n") + bytes.count("/Type /Page\r") +
               bytes.count("/Type /Page ");
    };
    EXPECT_GT(pages(QStringLiteral("all.pdf")), 1);
    view->SetFilter(QStringLiteral("Numbered 42"));
    ASSERT_EQ(view->Shown().rowCount(), 1);
    EXPECT_EQ(pages(QStringLiteral("narrowed.pdf")), 1);
}

// ---- windows ------------------------------------------------------------------------------

TEST_F(CatalogWindowTest, NewWindowsOpenInsideTheWorkspace) {
    m_app->Frame().resize(800, 600);
    QApplication::processEvents();
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QMdiArea* area = m_app->Frame().MdiArea();
    const QRect room = area->viewport()->rect();
    QMdiSubWindow* first = area->activeSubWindow();
    first->move(room.width() - first->width(), room.height() - first->height()); // bottom-right
    for (int i = 0; i < 6; ++i) {
        m_app->OnFileNew();
        QMdiSubWindow* window = area->activeSubWindow();
        EXPECT_TRUE(room.contains(window->geometry())) << i;
    }
    // They cascade: each one a step right and down of the one before, or back in the corner.
    const QList<QMdiSubWindow*> windows = area->subWindowList();
    int cascaded = 0;
    for (qsizetype i = 2; i < windows.size(); ++i) {
        const QPoint step = windows[i]->pos() - windows[i - 1]->pos();
        if (windows[i]->pos() != QPoint(0, 0)) {
            EXPECT_EQ(step.x(), step.y()) << i;
            EXPECT_GT(step.x(), 0) << i;
            ++cascaded;
        }
    }
    EXPECT_GE(cascaded, 2);
}

TEST_F(CatalogWindowTest, ARestoredWindowIsFittedToTheScreen) {
    m_app->Frame().close();
    m_app.reset();
    {
        auto store = OpenSettingsStore();
        store->setValue(QStringLiteral("Application State/Left"), 100);
        store->setValue(QStringLiteral("Application State/Top"), 50);
        store->setValue(QStringLiteral("Application State/Right"), 6100);
        store->setValue(QStringLiteral("Application State/Bottom"), 4050);
        store->setValue(QStringLiteral("Application State/Zoomed"), 0);
    }
    m_app = std::make_unique<Application>();
    ASSERT_TRUE(m_app->Startup({}));
    QApplication::processEvents();
    const QRect available = m_app->Frame().screen()->availableGeometry();
    EXPECT_TRUE(available.contains(m_app->Frame().frameGeometry()))
        << m_app->Frame().frameGeometry().width() << "x" << m_app->Frame().frameGeometry().height();
}

TEST_F(CatalogWindowTest, WindowsLeftMaximizedOpenMaximizedAgainAlsoAfterARestart) {
    auto reopen = [this] {
        const QString path = Path(QStringLiteral("sample.vlv"));
        while (!m_app->Documents().empty())
            EXPECT_TRUE(m_app->CloseDocument(*m_app->Documents().front()));
        EXPECT_TRUE(m_app->OpenDocumentFile(path));
        return m_app->Frame().MdiArea()->activeSubWindow();
    };
    ASSERT_TRUE(OpenSample());
    m_app->Frame().MdiArea()->activeSubWindow()->showMaximized();
    EXPECT_TRUE(reopen()->isMaximized());
    m_app->Frame().close();
    m_app.reset();
    m_app = std::make_unique<Application>();
    m_app->SetEditors(&m_editors);
    ASSERT_TRUE(m_app->Startup({}));
    m_app->Frame().show();
    QMdiSubWindow* window = reopen();
    ASSERT_TRUE(window);
    EXPECT_TRUE(window->isMaximized());
    window->showNormal();
    EXPECT_FALSE(reopen()->isMaximized());
}

TEST_F(CatalogWindowTest, ExportSourceStartsFromTheFileTheCatalogWasLastExportedTo) {
    ASSERT_TRUE(OpenSample());
    const QString exported = Path(QStringLiteral("out/Sample Textures.inc"));
    ASSERT_TRUE(QDir().mkpath(Path(QStringLiteral("out"))));
    // Shows the export dialog; `fileName`, when given, is typed and written.
    auto exportSource = [this](const QString& fileName) {
        QString offered;
        WhenShownOrFail<ExportDialog>([&](ExportDialog* dialog) {
            offered = dialog->FileName();
            if (fileName.isEmpty()) {
                dialog->reject();
                return;
            }
            dialog->FileNameEdit()->setText(fileName);
            dialog->accept();
        });
        m_app->Frame().Action(QStringLiteral("Export Source"))->trigger();
        return offered;
    };
    EXPECT_EQ(exportSource(exported), QFileInfo(Path(QStringLiteral("sample.inc"))).filePath())
        << "at first beside the catalog";
    ASSERT_TRUE(QFile::exists(exported));
    EXPECT_EQ(exportSource(QString()), exported);
    // Kept for the catalog in the next session too.
    m_app->Frame().close();
    m_app.reset();
    m_app = std::make_unique<Application>();
    m_app->SetEditors(&m_editors);
    ASSERT_TRUE(m_app->Startup({}));
    ASSERT_TRUE(m_app->OpenDocumentFile(Path(QStringLiteral("sample.vlv"))));
    EXPECT_EQ(exportSource(QString()), exported);
}

TEST_F(CatalogWindowTest, TheTitleFollowsSaveAsAndTheActiveWindow) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->OnFileNew();
    EXPECT_EQ(m_app->Frame().windowTitle(), "Velvane - Catalog1");
    m_app->Frame().MdiArea()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(view->parentWidget()));
    EXPECT_EQ(m_app->Frame().windowTitle(), "Velvane - sample.vlv");
    const QString renamed = Path(QStringLiteral("renamed.vlv"));
    Prompts::SetFileResponder([&](const QString&, const QString&) { return renamed; });
    m_app->Frame().Action(QStringLiteral("Save As"))->trigger();
    EXPECT_EQ(m_app->Frame().windowTitle(), "Velvane - renamed.vlv");
    EXPECT_EQ(SubWindowTitle(view), "renamed.vlv");
    EXPECT_TRUE(QFile::exists(renamed));
}

TEST_F(CatalogWindowTest, TabbedWindowsAreASetting) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QAction* tabbed = m_app->Frame().Action(QStringLiteral("Tabbed Windows"));
    ASSERT_TRUE(tabbed);
    EXPECT_EQ(tabbed->text(), "Ta&bbed Windows");
    EXPECT_FALSE(tabbed->isChecked());
    tabbed->trigger();
    EXPECT_EQ(m_app->Frame().MdiArea()->viewMode(), QMdiArea::TabbedView);
    m_app->Frame().UpdateCommands();
    EXPECT_TRUE(tabbed->isChecked());
    m_app->Frame().close();
    m_app.reset();
    EXPECT_EQ(OpenSettingsStore()->value(QStringLiteral("Settings/Tabbed Windows")).toInt(), 1);
    m_app = std::make_unique<Application>();
    m_app->SetEditors(&m_editors);
    ASSERT_TRUE(m_app->Startup({}));
    EXPECT_EQ(m_app->Frame().MdiArea()->viewMode(), QMdiArea::TabbedView);
}

TEST_F(CatalogWindowTest, APressOnASelectionWaitsForTheReleaseBeforeSelectingOne) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    ClickTexture(view, 1);
    ClickTexture(view, 3, Qt::ShiftModifier);
    view->verticalScrollBar()->setValue(0);
    const auto [x, y] = view->Layout().ThumbnailPosition(2);
    const QPoint on(x + 10, y + 10);
    // Pressed and dragged: the selection of three goes along as it is.
    QTest::mousePress(view->viewport(), Qt::LeftButton, Qt::NoModifier, on);
    EXPECT_EQ(Selected(view), (std::vector<int>{1, 2, 3}));
    QMouseEvent move(QEvent::MouseMove, on + QPoint(40, 40),
                     view->viewport()->mapToGlobal(on + QPoint(40, 40)), Qt::NoButton,
                     Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(view->viewport(), &move);
    QTest::mouseRelease(view->viewport(), Qt::LeftButton, Qt::NoModifier, on + QPoint(40, 40));
    EXPECT_EQ(Selected(view), (std::vector<int>{1, 2, 3}));
    // Pressed and released in place: a plain click, that texture alone.
    QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier, on);
    EXPECT_EQ(Selected(view), std::vector<int>{2});
    EXPECT_EQ(view->Anchor(), 2);
}
