#include "appfixture.h"
#include "core/catalog/exportsource.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "ui/catalog/batchbar.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/dialogs/viewsourcedialog.h"

#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSettings>
#include <QTest>
#include <QTimer>
#include <QUndoStack>
#include <algorithm>

namespace {

QStringList EnabledItems(QMenu* menu) {
    QStringList items;
    for (QAction* action : menu->actions())
        if (!action->isSeparator() && action->isEnabled())
            items << action->text().section(QLatin1Char('\t'), 0, 0).remove(QLatin1Char('&'));
    return items;
}

Catalog& CatalogOf(CatalogView* view) {
    return view->Document().Contents();
}

} // namespace

TEST_F(AppTest, MenusFollowTheActiveWindowKind) {
    EXPECT_EQ(m_app->Frame().MenuTitles(), (QStringList{"&File", "&View", "&Options", "&Help"}));
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    EXPECT_EQ(m_app->Frame().MenuTitles(),
              (QStringList{"&File", "&Edit", "&View", "&Texture", "&Options", "&Window", "&Help"}));
    EXPECT_EQ(m_app->Frame().windowTitle(), "Velvane - sample.vlv");
}

TEST_F(AppTest, NewCatalogsAreNumberedAndOfferSavingWhenClosed) {
    m_app->OnFileNew();
    m_app->OnFileNew();
    Document* second = m_app->Frame().ActiveDocument();
    ASSERT_TRUE(second);
    EXPECT_EQ(second->Title(), "Catalog2");
    EXPECT_FALSE(second->IsModified());
    dynamic_cast<CatalogView*>(m_app->Frame().ActiveView())->Document().Changed();
    m_answer = QMessageBox::Cancel;
    EXPECT_FALSE(m_app->CloseDocument(*second));
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().text, "Save changes to Catalog2?");
    m_answer = QMessageBox::No;
    EXPECT_TRUE(m_app->CloseDocument(*second));
    EXPECT_EQ(m_app->Documents().size(), 1u);
}

TEST_F(AppTest, ClickSelectionRules) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    ClickTexture(view, 2);
    EXPECT_EQ(Selected(view), std::vector<int>{2});
    EXPECT_EQ(view->Anchor(), 2);
    ClickTexture(view, 5, Qt::ShiftModifier);
    EXPECT_EQ(Selected(view), (std::vector<int>{2, 3, 4, 5}));
    ClickTexture(view, 0, Qt::ShiftModifier);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 1, 2}));
    EXPECT_EQ(view->Anchor(), 2);
    ClickTexture(view, 1, Qt::ControlModifier); // a selected texture: deselected, anchor stays
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 2}));
    EXPECT_EQ(view->Anchor(), 2);
    ClickTexture(view, 7, Qt::ControlModifier);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 2, 7}));
    EXPECT_EQ(view->Anchor(), 7);
    ClickTexture(view, 9, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 2, 7}));
    view->verticalScrollBar()->setValue(0);
    Click(view, 5, 5); // outside every cell
    EXPECT_TRUE(Selected(view).empty());
    EXPECT_EQ(view->Anchor(), 7);
    // The pixel column cells 0 and 1 share belongs to texture 0.
    const CellRect cell = view->Layout().Cell(0);
    Click(view, cell.right - 1, cell.top + 20);
    EXPECT_EQ(Selected(view), std::vector<int>{0});
}

TEST_F(AppTest, ShiftClickWithoutAnAnchorSelectsThatTextureAlone) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Anchor(), -1);
    ClickTexture(view, 3, Qt::ShiftModifier);
    EXPECT_EQ(Selected(view), std::vector<int>{3});
    EXPECT_EQ(view->Anchor(), 3);
}

TEST_F(AppTest, ContextMenuSelectsAndGreysItems) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QStringList enabled;
    WhenShownThenClose<QMenu>([&](QMenu* menu) { enabled = EnabledItems(menu); });
    const auto [x, y] = view->Layout().ThumbnailPosition(1);
    Click(view, x + 5, y + 5, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(Selected(view), std::vector<int>{1});
    EXPECT_EQ(enabled, (QStringList{"New Simple...", "New Layered...", "Delete", "Modify...",
                                    "View Source", "Export Source...", "Create Texture Map",
                                    "Clear Thumbnail(s)", "Render Thumbnail(s)"}));

    ClickTexture(view, 4, Qt::ControlModifier);
    WhenShownThenClose<QMenu>([&](QMenu* menu) { enabled = EnabledItems(menu); });
    view->verticalScrollBar()->setValue(0);
    Click(view, x + 5, y + 5, Qt::NoModifier, Qt::RightButton);
    EXPECT_EQ(Selected(view), (std::vector<int>{1, 4})); // a selection stays as it is
    EXPECT_FALSE(enabled.contains("Modify..."));
    EXPECT_FALSE(enabled.contains("Create Texture Map"));
    EXPECT_TRUE(enabled.contains("Delete"));
}

TEST_F(AppTest, CommandsAreEnabledByTheSelection) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    for (const char* command :
         {"Delete", "Modify", "View Source", "Create Texture Map", "Clear Thumbnail(s)",
          "Render Thumbnail(s)", "Cut", "Copy", "Paste", "Undo"})
        EXPECT_FALSE(Enabled(command)) << command;
    for (const char* command :
         {"New Simple", "New Layered", "Export Source", "Save", "Close", "Print"})
        EXPECT_TRUE(Enabled(command)) << command;
    ClickTexture(view, 0);
    ClickTexture(view, 1, Qt::ControlModifier);
    EXPECT_TRUE(Enabled("Delete"));
    EXPECT_FALSE(Enabled("Modify"));
    EXPECT_FALSE(Enabled("Create Texture Map"));
    view->Commands().OnCopy();
    EXPECT_TRUE(Enabled("Paste"));
    EXPECT_FALSE(Enabled("Undo"));
    m_app->SetEditors(nullptr); // without an editor there is nothing to create textures with
    EXPECT_FALSE(Enabled("New Simple"));
    m_app->SetEditors(&m_editors);
}

TEST_F(AppTest, DeleteAndCutRemoveTheSelectedTextures) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    while (catalog.GetCount() > 5)
        catalog.RemoveTexture(catalog.GetCount() - 1);
    view->Document().Changed();
    ClickTexture(view, 1);
    ClickTexture(view, 3, Qt::ControlModifier);
    m_answer = QMessageBox::No;
    view->Commands().OnDelete();
    EXPECT_EQ(catalog.GetCount(), 5);
    // Deleting can be undone: a plain question that counts the textures.
    EXPECT_EQ(m_messages.back().icon, Prompts::Icon::Question);
    EXPECT_EQ(m_messages.back().title, "Delete Textures");
    EXPECT_EQ(m_messages.back().text, "Delete the 2 selected textures?");
    ClickTexture(view, 3);
    view->Commands().OnDelete();
    EXPECT_EQ(catalog.GetCount(), 5);
    EXPECT_EQ(m_messages.back().icon, Prompts::Icon::Question);
    EXPECT_EQ(m_messages.back().title, "Delete Texture");
    EXPECT_EQ(m_messages.back().text, "Delete the selected texture?");
    ClickTexture(view, 1);
    ClickTexture(view, 3, Qt::ControlModifier);
    m_answer = QMessageBox::Yes;
    view->Commands().OnDelete();
    ASSERT_EQ(catalog.GetCount(), 3);
    EXPECT_EQ(catalog.GetTexture(0).GetName(), "Cherry Wood");
    EXPECT_EQ(catalog.GetTexture(1).GetName(), "White Marble");
    EXPECT_EQ(catalog.GetTexture(2).GetName(), "Grey Granite");
    EXPECT_TRUE(Selected(view).empty());
    EXPECT_EQ(view->Anchor(), -1);
    EXPECT_TRUE(view->Document().IsModified());

    ClickTexture(view, 2);
    view->Commands().OnCut();
    EXPECT_EQ(catalog.GetCount(), 2);
    EXPECT_TRUE(Selected(view).empty());
    EXPECT_FALSE(Enabled("Modify"));
    EXPECT_EQ(m_app->CopyList().size(), 1u);
}

TEST_F(AppTest, CopyAndPasteTwice) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    ClickTexture(view, 0);
    ClickTexture(view, 16, Qt::ControlModifier);
    view->Commands().OnCopy();
    EXPECT_EQ(QApplication::clipboard()->text().toStdString(),
              ExportSourceText(catalog, {0, 16}, SourceFlag::Declare));
    view->Commands().OnPaste();
    view->Commands().OnPaste();
    ASSERT_EQ(catalog.GetCount(), 21);
    EXPECT_EQ(catalog.GetTexture(17).GetName(), "Cherry Wood");
    EXPECT_EQ(catalog.GetTexture(18).GetName(), "Veined Stone");
    EXPECT_NE(catalog.GetTexture(20).Kind(), TextureKind::Simple);
    EXPECT_EQ(catalog.GetTexture(19).GetSource(SourceFlag::Declare),
              catalog.GetTexture(0).GetSource(SourceFlag::Declare));
    EXPECT_GT(view->verticalScrollBar()->maximum(), 0);
}

TEST_F(AppTest, ViewSourceShowsEachSourceFollowedByAnEmptyLine) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    ClickTexture(view, 3);
    ClickTexture(view, 1, Qt::ControlModifier);
    QString shown;
    WhenShownThenClose<ViewSourceDialog>([&](ViewSourceDialog* dialog) { shown = dialog->Text(); });
    view->Commands().OnViewSource();
    const Catalog& catalog = CatalogOf(view);
    EXPECT_EQ(shown.toStdString(),
              catalog.GetTexture(1).GetSource(SourceFlag::Declare) + "\r\n\r\n" +
                  catalog.GetTexture(3).GetSource(SourceFlag::Declare) + "\r\n\r\n");
}

TEST_F(AppTest, ASourceTextureIsShownAsItsTextAndNeverTakenForALayeredOne) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    auto source = std::make_unique<SourceTexture>();
    source->SetName("Glass_Text");
    source->SetText("material { texture { pigment { rgbf 1 } } interior { ior 1.5 } }");
    std::vector<std::unique_ptr<Texture>> added;
    added.push_back(std::move(source));
    view->Document().Model().InsertTextures(std::vector<int>{17}, std::move(added), true);
    const Catalog& catalog = CatalogOf(view);
    ASSERT_EQ(catalog.GetCount(), 18);
    EXPECT_EQ(view->Document().Model().index(17).data(CatalogModel::KindRole).toInt(),
              static_cast<int>(TextureKind::Source));

    // View Source shows the text; Modify opens the source editor. Cancel in it changes
    // nothing and makes no step.
    const int steps = view->Document().UndoStack().count();
    QString shown;
    WhenShownThenClose<ViewSourceDialog>([&](ViewSourceDialog* dialog) { shown = dialog->Text(); });
    ClickTexture(view, 17);
    view->Commands().OnViewSource();
    EXPECT_EQ(shown.toStdString(),
              catalog.GetTexture(17).GetSource(SourceFlag::Declare) + "\r\n\r\n");
    m_editors.accept = false;
    view->Commands().OnModify();
    ASSERT_FALSE(m_editors.titles.empty());
    EXPECT_EQ(m_editors.titles.back(), "Modify Source Texture");
    EXPECT_EQ(view->Document().UndoStack().count(), steps);
    EXPECT_TRUE(dynamic_cast<const SourceTexture*>(&catalog.GetTexture(17)));
}

TEST_F(AppTest, NewSimpleAndModifyRunTheirFlows) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    m_editors.editSimple = [](SimpleTexture& texture) {
        texture.SetName("Fresh Wood");
        texture.pigment.pattern = Pigment::Wood;
    };
    m_editors.accept = false;
    view->Commands().OnNewSimple();
    EXPECT_EQ(catalog.GetCount(), 17);
    EXPECT_EQ(m_editors.titles.back(), "New Simple Texture");

    m_editors.accept = true;
    view->Commands().OnNewSimple();
    ASSERT_EQ(catalog.GetCount(), 18);
    EXPECT_EQ(catalog.GetTexture(17).GetName(), "Fresh Wood");
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(catalog.GetTexture(17).GetThumbnailWidth(), 120); // rendered with Update Thumbnail on
    EXPECT_TRUE(view->Document().IsModified());

    // With Update Thumbnail off a modified texture keeps its old picture.
    view->Commands().OnUpdateThumbnail();
    EXPECT_EQ(m_app->Settings().updateThumbnail, 0);
    ClickTexture(view, 0);
    const std::vector<std::uint8_t> before(catalog.GetTexture(0).Thumbnail().Bits().begin(),
                                           catalog.GetTexture(0).Thumbnail().Bits().end());
    m_editors.editSimple = [](SimpleTexture& texture) { texture.SetName("Renamed"); };
    view->Commands().OnModify();
    EXPECT_EQ(m_editors.titles.back(), "Modify Simple Texture");
    EXPECT_EQ(catalog.GetTexture(0).GetName(), "Renamed");
    EXPECT_TRUE(
        std::equal(before.begin(), before.end(), catalog.GetTexture(0).Thumbnail().Bits().begin()));
}

TEST_F(AppTest, OkOnAnUnchangedTextureIsNoChange) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    const int index = SimpleIndices(view, 1).at(0);
    m_app->Settings().updateThumbnail = true;
    // A picture no render gives, so a render would show.
    for (std::uint8_t& byte : catalog.GetTexture(index).Thumbnail().Bits())
        byte = 7;
    ClickTexture(view, index);
    const int steps = view->Document().UndoStack().count();
    m_editors.editSimple = [](SimpleTexture&) {}; // OK without a change
    view->Commands().OnModify();
    EXPECT_EQ(m_editors.titles.back(), "Modify Simple Texture");
    EXPECT_FALSE(view->Document().IsModified());
    EXPECT_EQ(view->Document().Model().StateOf(index), CatalogModel::Shown) << "no render";
    EXPECT_EQ(view->Document().UndoStack().count(), steps);
    const auto bits = catalog.GetTexture(index).Thumbnail().Bits();
    EXPECT_TRUE(std::all_of(bits.begin(), bits.end(), [](std::uint8_t byte) { return byte == 7; }));

    // The smallest real change is one.
    m_editors.editSimple = [](SimpleTexture& texture) { texture.finish.crand += 0.001f; };
    view->Commands().OnModify();
    EXPECT_TRUE(view->Document().IsModified());
    EXPECT_EQ(view->Document().UndoStack().count(), steps + 1);
    ASSERT_TRUE(WaitForRenders(view));
    const auto rendered = catalog.GetTexture(index).Thumbnail().Bits();
    EXPECT_FALSE(
        std::all_of(rendered.begin(), rendered.end(), [](std::uint8_t byte) { return byte == 7; }));
}

TEST_F(AppTest, AThumbnailThatComesWhileTheEditorIsOpenIsNoChangeOfTheUsers) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    const int index = SimpleIndices(view, 1).at(0);
    m_app->Settings().updateThumbnail = true;
    const auto stale = [&] {
        const auto bits = catalog.GetTexture(index).Thumbnail().Bits();
        return std::all_of(bits.begin(), bits.end(), [](std::uint8_t byte) { return byte == 7; });
    };
    // A picture no render gives, so a rendered one shows.
    for (std::uint8_t& byte : catalog.GetTexture(index).Thumbnail().Bits())
        byte = 7;
    ClickTexture(view, index);
    m_answer = QMessageBox::Yes;
    view->Commands().OnRenderThumbnails();
    const int steps = view->Document().UndoStack().count();
    // The batch's picture comes while the editor is open; the user presses OK without a change.
    std::vector<std::uint8_t> rendered;
    m_editors.editSimple = [&](SimpleTexture&) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !stale(); }, 60000));
        const auto bits = catalog.GetTexture(index).Thumbnail().Bits();
        rendered.assign(bits.begin(), bits.end());
    };
    view->Commands().OnModify();
    ASSERT_FALSE(rendered.empty());
    EXPECT_EQ(m_editors.titles.back(), "Modify Simple Texture");
    EXPECT_TRUE(std::equal(rendered.begin(), rendered.end(),
                           catalog.GetTexture(index).Thumbnail().Bits().begin()))
        << "the new thumbnail stays";
    ASSERT_TRUE(WaitForRenders(view));
    // The batch's own step, which took the picture in, and none for the editor.
    const QUndoStack& stack = view->Document().UndoStack();
    EXPECT_EQ(stack.count(), steps);
    EXPECT_EQ(stack.undoText(), QStringLiteral("Render 1 Thumbnail"));
    for (int step = 0; step < stack.count(); ++step)
        EXPECT_FALSE(stack.text(step).startsWith("Modify")) << stack.text(step).toStdString();
    EXPECT_TRUE(std::equal(rendered.begin(), rendered.end(),
                           catalog.GetTexture(index).Thumbnail().Bits().begin()));

    // A real change made meanwhile is one, and keeps the newer picture until its own comes.
    for (std::uint8_t& byte : catalog.GetTexture(index).Thumbnail().Bits())
        byte = 7;
    m_app->Settings().updateThumbnail = false;
    ClickTexture(view, index);
    view->Commands().OnRenderThumbnails();
    m_editors.editSimple = [&](SimpleTexture& texture) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return !stale(); }, 60000));
        texture.SetName("Renamed Meanwhile");
    };
    view->Commands().OnModify();
    EXPECT_EQ(catalog.GetTexture(index).GetName(), "Renamed Meanwhile");
    EXPECT_TRUE(stack.text(stack.index() - 1).startsWith("Modify"))
        << stack.text(stack.index() - 1).toStdString();
    EXPECT_FALSE(stale()) << "the thumbnail from before the batch came back";
}

TEST_F(AppTest, BatchRenderingAndStop) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    ClickTexture(view, 0);
    ClickTexture(view, 1, Qt::ShiftModifier);
    m_answer = QMessageBox::Yes;
    view->Commands().OnClearThumbnails();
    EXPECT_EQ(m_messages.back().title, "Clear Thumbnail(s)");
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 0);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 1}));

    const std::size_t asked = m_messages.size();
    view->Commands().OnRenderThumbnails();
    EXPECT_EQ(m_messages.size(), asked) << "simple textures only: nothing to ask";
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 120);
    EXPECT_EQ(catalog.GetTexture(1).GetThumbnailWidth(), 120);
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 1})) << "a batch leaves the selection alone";

    // Stopped as soon as it began: nothing finished, both stay selected, no message, and the
    // bar offers the rest.
    view->Commands().OnClearThumbnails();
    ClickTexture(view, 0);
    ClickTexture(view, 1, Qt::ShiftModifier);
    view->Commands().OnClearThumbnails();
    const std::size_t messages = m_messages.size();
    view->Commands().OnRenderThumbnails();
    BatchBar* bar = view->BatchProgress();
    ASSERT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->Button()->text(), QStringLiteral("&Stop"));
    QTest::mouseClick(bar->Button(), Qt::LeftButton);
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(Selected(view), (std::vector<int>{0, 1}));
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 0);
    EXPECT_EQ(m_messages.size(), messages);
    EXPECT_TRUE(bar->IsShowingSummary());
    EXPECT_TRUE(bar->SummaryText().startsWith(QStringLiteral("0 rendered. Stopped after ")))
        << bar->SummaryText().toStdString();
    EXPECT_TRUE(bar->SummaryText().endsWith(QStringLiteral("; 2 not rendered.")));
    ASSERT_TRUE(bar->RestButton()->isVisible());
    EXPECT_EQ(bar->RestButton()->text(), QStringLiteral("Render the &Rest"));
    // Both buttons stay clear of the scroll bar, which runs beside the bar.
    m_app->Frame().MdiArea()->activeSubWindow()->resize(420, 360);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view->verticalScrollBar()->isVisible(); }, 5000));
    const QScrollBar* scroll = view->verticalScrollBar();
    EXPECT_FALSE(
        bar->geometry().intersects(QRect(scroll->mapTo(view, QPoint(0, 0)), scroll->size())));
    // The user's selection changed meanwhile; the rest is what the batch left.
    ClickTexture(view, 5);
    QTest::mouseClick(bar->RestButton(), Qt::LeftButton);
    EXPECT_EQ(bar->JobText(), QStringLiteral("0 of 2 textures"));
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(catalog.GetTexture(0).GetThumbnailWidth(), 120);
    EXPECT_EQ(catalog.GetTexture(1).GetThumbnailWidth(), 120);
    EXPECT_FALSE(bar->RestButton()->isVisible());
    EXPECT_EQ(Selected(view), std::vector<int>{5});
}

TEST_F(AppTest, AFailedSaveLeavesTheFileAndTheModifiedFlag) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QFile file(Path(QStringLiteral("sample.vlv")));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray before = file.readAll();
    file.close();
    // A thumbnail too wide for the stored form cannot be saved.
    SimpleTexture wide;
    std::vector<std::uint8_t> pixels(70000 * 3);
    wide.Thumbnail().SetBits(70000, 1, pixels, false);
    CatalogOf(view).AddTexture(wide);
    view->Document().Changed();
    EXPECT_FALSE(view->Document().Save(view));
    // The standard text, then which file and why.
    EXPECT_EQ(m_messages.back().text.section('\n', 0, 0), "Failed to save document.");
    EXPECT_EQ(m_messages.back().text.section('\n', 1),
              Path(QStringLiteral("sample.vlv")) +
                  " could not be written: value too large for the archive's stored form.");
    EXPECT_TRUE(view->Document().IsModified());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), before);
    EXPECT_EQ(QDir(m_dir.path()).entryList({QStringLiteral("sample.vlv*")}, QDir::Files).size(), 1);
}

TEST_F(AppTest, WindowPlacementIsRestored) {
    m_app->Frame().move(60, 40);
    m_app->Frame().resize(700, 500);
    QApplication::processEvents();
    const QRect placed = m_app->Frame().frameGeometry();
    m_app->Frame().close();
    m_app.reset();
    m_app = std::make_unique<Application>();
    ASSERT_TRUE(m_app->Startup({}));
    EXPECT_EQ(m_app->Frame().frameGeometry().topLeft(), placed.topLeft());
    EXPECT_EQ(m_app->Frame().frameGeometry().size(), placed.size());
    auto store = OpenSettingsStore();
    EXPECT_EQ(store->value(QStringLiteral("Application State/Right")).toInt(),
              placed.left() + placed.width());
}

TEST_F(AppTest, ScreenshotOfTheMainWindow) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->Frame().MdiArea()->activeSubWindow()->showMaximized();
    ClickTexture(view, 1);
    ClickTexture(view, 6, Qt::ControlModifier);
    view->verticalScrollBar()->setValue(0);
    QApplication::processEvents();
    const QString folder = QStringLiteral(VELVANE_TEST_OUTPUT_DIR "/screenshots");
    QDir().mkpath(folder);
    const QString path = folder + QStringLiteral("/mainwindow.png");
    ASSERT_TRUE(m_app->Frame().grab().save(path));
    EXPECT_GT(QFile(path).size(), 10000);
}

TEST_F(AppTest, OpeningAFileThatIsNotACatalogShowsTheStandardMessages) {
    QFile bad(Path(QStringLiteral("bad.vlv")));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("\x01\x01\x00\xFF\xFF\x01\x00\x04\x00"
              "CDIB",
              13);
    bad.close();
    EXPECT_EQ(m_app->OpenDocumentFile(bad.fileName()), nullptr);
    EXPECT_EQ(m_messages.back().text,
              "Unexpected file format.\n" + bad.fileName() +
                  ": the file ends in the middle of a value (it is cut short).");
    const QString missing = Path(QStringLiteral("missing.vlv"));
    EXPECT_EQ(m_app->OpenDocumentFile(missing), nullptr);
    EXPECT_EQ(m_messages.back().text, missing + " was not found.");
    EXPECT_TRUE(m_app->Documents().empty());
    // Opening a catalog that is already open brings its window forward instead.
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    EXPECT_EQ(m_app->OpenDocumentFile(Path(QStringLiteral("sample.vlv"))), &view->Document());
    EXPECT_EQ(m_app->Documents().size(), 1u);
}

TEST_F(AppTest, TextureMapWindowsHaveTheirOwnMenus) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    ClickTexture(view, 13);
    Document* map = m_app->NewDocument(m_app->TextureMapTemplate());
    ASSERT_TRUE(map);
    EXPECT_EQ(map->Title(), "Texture Map1");
    EXPECT_EQ(m_app->Frame().MenuTitles(),
              (QStringList{"&File", "&View", "&Image Tiling", "&Options", "&Window", "&Help"}));
    EXPECT_TRUE(Enabled("Show Tiling"));
    EXPECT_FALSE(Enabled("Cut"));
    EXPECT_FALSE(Enabled("Print"));
    // Back in the catalog window its own menus return.
    m_app->Frame().MdiArea()->activatePreviousSubWindow();
    EXPECT_EQ(m_app->Frame().MenuTitles(),
              (QStringList{"&File", "&Edit", "&View", "&Texture", "&Options", "&Window", "&Help"}));
    EXPECT_FALSE(Enabled("Show Tiling"));
    EXPECT_TRUE(Enabled("Create Texture Map"));
}
