// The catalog grid as Qt's list view: one selection for every window of a catalog, the textures
// as accessible items, the zoom, and the commands the main window declares once.

#include "appfixture.h"
#include "core/model/simpletexture.h"
#include "render/settings/programsettings.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"
#include "ui/catalog/catalogfilter.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QAccessibleTableInterface>
#include <QItemSelectionModel>
#include <QLabel>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QPrintDialog>
#include <QScrollBar>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <set>

namespace {

/// The rows the window's own selection model holds, as catalog indices.
std::vector<int> WindowSelection(CatalogView* view) {
    std::vector<int> indices;
    for (const QModelIndex& index : view->selectionModel()->selectedIndexes())
        indices.push_back(view->Shown().mapToSource(index).row());
    std::sort(indices.begin(), indices.end());
    return indices;
}

void CtrlWheel(CatalogView* view, QPoint at, int delta,
               Qt::KeyboardModifiers modifiers = Qt::ControlModifier) {
    QWheelEvent event(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, delta),
                      Qt::NoButton, modifiers, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &event);
}

QMenu* MenuTitled(QMenuBar* bar, const QString& title) {
    for (QAction* action : bar->actions())
        if (action->text() == title)
            return action->menu();
    return nullptr;
}

} // namespace

// ---- one selection --------------------------------------------------------------------------

TEST_F(AppTest, EveryWindowOfACatalogShowsTheOneSelection) {
    CatalogView* first = OpenSample();
    ASSERT_TRUE(first);
    m_app->OpenAnotherWindow(first->Document());
    auto* second = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_TRUE(second && second != first);
    second->parentWidget()->resize(640, 520);
    QApplication::processEvents();

    ClickTexture(second, 3);
    ClickTexture(second, 5, Qt::ControlModifier);
    EXPECT_EQ(Selected(first), (std::vector<int>{3, 5}));
    EXPECT_EQ(WindowSelection(first), (std::vector<int>{3, 5}));
    // The other way, through the first window's selection model (what keys and assistive
    // technology change).
    first->selectionModel()->select(first->Shown().index(8, 0), QItemSelectionModel::Select);
    EXPECT_EQ(Selected(second), (std::vector<int>{3, 5, 8}));
    EXPECT_EQ(WindowSelection(second), (std::vector<int>{3, 5, 8}));

    // Steps change the flags; both windows follow.
    first->Commands().OnDelete();
    EXPECT_TRUE(WindowSelection(first).empty());
    EXPECT_TRUE(WindowSelection(second).empty());
    first->Document().UndoStack().undo();
    EXPECT_EQ(WindowSelection(first), (std::vector<int>{3, 5, 8}));
    EXPECT_EQ(WindowSelection(second), (std::vector<int>{3, 5, 8}));

    // Find in one window hides textures there: they leave the selection everywhere.
    first->Commands().OnFind();
    QTest::keyClicks(first->FindField(), QStringLiteral("marble"));
    EXPECT_EQ(Selected(second), std::vector<int>{3});
    EXPECT_EQ(WindowSelection(second), std::vector<int>{3});
    EXPECT_EQ(second->Shown().rowCount(), 17);
}

TEST_F(AppTest, ATexturePutIntoASelectedRunDoesNotJoinTheSelection) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    ClickTexture(view, 2);
    ClickTexture(view, 5, Qt::ShiftModifier);
    std::vector<std::unique_ptr<Texture>> newcomer;
    newcomer.push_back(std::make_unique<SimpleTexture>());
    view->Document().Apply(new InsertTexturesEdit(view->Document(), QStringLiteral("Paste"), {4},
                                                  std::move(newcomer), false));
    EXPECT_EQ(Selected(view), (std::vector<int>{2, 3, 5, 6}));
    EXPECT_EQ(WindowSelection(view), (std::vector<int>{2, 3, 5, 6}));
}

TEST_F(AppTest, ATextureRenamedOutOfFindLeavesTheSelection) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->Settings().updateThumbnail = false;
    view->Commands().OnFind();
    QTest::keyClicks(view->FindField(), QStringLiteral("marble"));
    ASSERT_EQ(view->Shown().rowCount(), 3);
    ClickTexture(view, 0); // White Marble, catalog index 2
    ASSERT_EQ(Selected(view), std::vector<int>{2});
    m_editors.editSimple = [](SimpleTexture& texture) {
        texture.SetName("Plain Stone");
        texture.SetDescription("Grey all through");
    };
    view->Commands().OnModify();
    EXPECT_EQ(view->Shown().rowCount(), 2);
    EXPECT_TRUE(Selected(view).empty());
    EXPECT_FALSE(Enabled("Delete"));
}

// ---- accessibility --------------------------------------------------------------------------

TEST_F(AppTest, EveryTextureIsAnAccessibleItemWhoseSelectionIsTheCatalogs) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const Catalog& catalog = view->Document().Contents();
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    ASSERT_TRUE(list);
    EXPECT_EQ(list->role(), QAccessible::List);
    EXPECT_EQ(list->text(QAccessible::Name), "Textures");
    ASSERT_EQ(list->childCount(), 17);
    for (int i : {0, 4, 16}) {
        QAccessibleInterface* item = list->child(i);
        ASSERT_TRUE(item) << i;
        EXPECT_EQ(item->role(), QAccessible::ListItem);
        EXPECT_EQ(item->text(QAccessible::Name).toStdString(), catalog.GetTexture(i).GetName());
        EXPECT_EQ(item->text(QAccessible::Description).toStdString(),
                  catalog.GetTexture(i).GetDescription());
        // Where a screen magnifier or a click by voice looks for it: on its cell.
        const QRect cell = item->rect();
        EXPECT_EQ(view->indexAt(view->viewport()->mapFromGlobal(cell.center())).row(), i);
    }
    EXPECT_FALSE(catalog.GetTexture(4).GetDescription().empty());

    // Changed through the interface: the catalog's selection, the one commands act on.
    QAccessibleTableInterface* table = list->tableInterface();
    ASSERT_TRUE(table);
    EXPECT_TRUE(table->selectRow(2));
    EXPECT_TRUE(table->selectRow(6));
    EXPECT_EQ(Selected(view), (std::vector<int>{2, 6}));
    QAccessibleActionInterface* toggle = list->child(6)->actionInterface();
    ASSERT_TRUE(toggle);
    toggle->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_EQ(Selected(view), std::vector<int>{2});
    EXPECT_TRUE(Enabled("Modify"));
    EXPECT_TRUE(table->unselectRow(2));
    EXPECT_TRUE(Selected(view).empty());

    // Read through the interface after the mouse chose.
    ClickTexture(view, 4);
    EXPECT_EQ(table->selectedRowCount(), 1);
    EXPECT_EQ(table->selectedRows(), QList<int>{4});
    EXPECT_TRUE(list->child(4)->state().selected);
    EXPECT_FALSE(list->child(3)->state().selected);
}

TEST_F(AppTest, TheFocusCellIsTheFocusedItem) {
    // (That it is announced on the accessibility bus as it moves is checked with the real
    // program by tests/xvfb/accessibility.py: offscreen there is no bus to announce on.)
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_app->Frame()));
    view->setFocus();
    QTRY_VERIFY(view->hasFocus());
    QAccessibleInterface* list = QAccessible::queryAccessibleInterface(view);
    ASSERT_TRUE(list);
    auto focused = [list] {
        std::vector<int> rows;
        for (int i = 0; i < list->childCount(); ++i)
            if (list->child(i)->state().focused)
                rows.push_back(i);
        return rows;
    };
    EXPECT_TRUE(focused().empty()) << "no focus cell until a key or a click makes one";
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(focused(), std::vector<int>{0});
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(focused(), std::vector<int>{1});
    QTest::keyClick(view, Qt::Key_Down, Qt::ControlModifier); // four columns: a row down
    EXPECT_EQ(focused(), std::vector<int>{5});
    EXPECT_FALSE(list->child(5)->state().selected);
    EXPECT_TRUE(list->child(1)->state().selected);
    EXPECT_EQ(view->FocusIndex(), 5);
}

// ---- zoom -----------------------------------------------------------------------------------

TEST_F(AppTest, ZoomScalesTheCellsInStepsFromHalfToFourTimes) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Zoom(), 100);
    QAction* in = m_app->Frame().Action(QStringLiteral("Zoom In"));
    QAction* out = m_app->Frame().Action(QStringLiteral("Zoom Out"));
    QAction* actual = m_app->Frame().Action(QStringLiteral("Actual Size"));
    ASSERT_TRUE(in && out && actual);
    EXPECT_TRUE(in->shortcuts().contains(QKeySequence(QKeySequence::ZoomIn)));
    EXPECT_TRUE(out->shortcuts().contains(QKeySequence(QKeySequence::ZoomOut)));
    QMenu* view_menu = MenuTitled(m_app->Frame().menuBar(), QStringLiteral("&View"));
    ASSERT_TRUE(view_menu);
    EXPECT_TRUE(view_menu->actions().contains(in));
    EXPECT_TRUE(view_menu->actions().contains(actual));
    EXPECT_FALSE(Enabled("Actual Size"));
    // The zoom shows in the status bar and the View menu.
    auto* status = m_app->Frame().findChild<QLabel*>(QStringLiteral("ZoomStatus"));
    QAction* level = m_app->Frame().Action(QStringLiteral("Zoom Level"));
    ASSERT_TRUE(status && level);
    EXPECT_TRUE(view_menu->actions().contains(level));
    auto shows = [&](const char* percent) {
        return status->isVisibleTo(&m_app->Frame()) && status->text() == QLatin1String(percent) &&
               level->text() == QStringLiteral("Zoom: ") + QLatin1String(percent);
    };
    EXPECT_TRUE(shows("100%"));

    auto cellWidth = [view] {
        const CellRect cell = view->Layout().Cell(0);
        return cell.right - cell.left;
    };
    EXPECT_EQ(cellWidth(), 120 + 26);
    in->trigger();
    EXPECT_EQ(view->Zoom(), 125);
    EXPECT_EQ(cellWidth(), 150 + 26);
    EXPECT_TRUE(shows("125%"));
    for (int i = 0; i < 10; ++i)
        if (Enabled("Zoom In"))
            in->trigger();
    EXPECT_EQ(view->Zoom(), 400);
    EXPECT_EQ(cellWidth(), 480 + 26);
    EXPECT_EQ(view->Layout().Columns(), 1);
    actual->trigger();
    EXPECT_EQ(view->Zoom(), 100);
    for (int i = 0; i < 10; ++i)
        if (Enabled("Zoom Out"))
            out->trigger();
    EXPECT_EQ(view->Zoom(), 50);
    EXPECT_EQ(cellWidth(), 60 + 26);
    EXPECT_TRUE(shows("50%"));
    EXPECT_GT(view->Layout().Columns(), 4);
    // Clicks and keys find the textures where the zoomed grid shows them.
    ClickTexture(view, 9);
    EXPECT_EQ(Selected(view), std::vector<int>{9});
    QTest::keyClick(view, Qt::Key_Right);
    EXPECT_EQ(Selected(view), std::vector<int>{10});

    // A texture map's zoom, between whole percents; the start page has none.
    ASSERT_TRUE(
        m_app->OpenDocumentFile(QStringLiteral(VELVANE_TEST_DATA_DIR "/bitmap/grid2x2.bmp")));
    out->trigger();
    EXPECT_TRUE(shows("66.7%"));
    m_app->Frame().Action(QStringLiteral("Close"))->trigger();
    m_app->Frame().Action(QStringLiteral("Close"))->trigger();
    EXPECT_FALSE(status->isVisibleTo(&m_app->Frame()));
}

TEST_F(AppTest, CtrlWheelZoomsAboutTheTextureUnderTheMouse) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    view->verticalScrollBar()->setValue(0);
    const auto [x, y] = view->Layout().ThumbnailPosition(5);
    const QPoint at(x + 30, y + 30);
    const int before = view->Layout().Cell(5).top - view->verticalScrollBar()->value();
    CtrlWheel(view, at, 120);
    EXPECT_EQ(view->Zoom(), 125);
    EXPECT_EQ(view->Layout().Cell(5).top - view->verticalScrollBar()->value(), before);
    // Half notches add up; without Ctrl the wheel scrolls.
    CtrlWheel(view, at, -60);
    EXPECT_EQ(view->Zoom(), 125);
    CtrlWheel(view, at, -60);
    EXPECT_EQ(view->Zoom(), 100);
    const int scrolled = view->verticalScrollBar()->value();
    CtrlWheel(view, at, -120, Qt::NoModifier);
    EXPECT_EQ(view->Zoom(), 100);
    EXPECT_GT(view->verticalScrollBar()->value(), scrolled);
}

TEST_F(AppTest, EachWindowKeepsItsZoomAndTheLastChosenIsStored) {
    CatalogView* first = OpenSample();
    ASSERT_TRUE(first);
    first->SetZoom(200);
    m_app->OpenAnotherWindow(first->Document());
    auto* second = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_TRUE(second && second != first);
    EXPECT_EQ(second->Zoom(), 200) << "a new window starts at the last zoom chosen";
    m_app->Frame().Action(QStringLiteral("Zoom Out"))->trigger();
    EXPECT_EQ(second->Zoom(), 150);
    EXPECT_EQ(first->Zoom(), 200);
    m_app->Frame().close();
    m_app.reset();
    EXPECT_EQ(OpenSettingsStore()->value(QStringLiteral("Settings/Catalog Zoom")).toInt(), 150);
    m_app = std::make_unique<Application>();
    m_app->SetEditors(&m_editors);
    ASSERT_TRUE(m_app->Startup({}));
    CatalogView* again = OpenSample();
    ASSERT_TRUE(again);
    EXPECT_EQ(again->Zoom(), 150);
}

TEST_F(AppTest, ZoomedThumbnailsAreSmoothlyScaled) {
    m_app->OnFileNew();
    auto* view = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_TRUE(view);
    view->parentWidget()->resize(640, 520);
    // Columns one pixel wide, black and white by turns.
    SimpleTexture striped;
    std::vector<std::uint8_t> pixels(120 * 120 * 3);
    for (std::size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = (i / 3) % 2 ? 255 : 0;
    striped.Thumbnail().SetBits(120, 120, pixels, false);
    view->Document().Contents().AddTexture(striped);
    view->Document().Changed();
    QApplication::processEvents();
    auto greys = [view] {
        const QImage shot = view->viewport()->grab().toImage();
        const auto [x, y] = view->Layout().ThumbnailPosition(0);
        const int side = view->Layout().Cell(0).right - view->Layout().Cell(0).left - 26;
        int count = 0;
        for (int dx = 4; dx < side - 4; ++dx) {
            const QColor pixel = shot.pixelColor(x + dx, y + side / 2);
            count += pixel.red() > 60 && pixel.red() < 195;
        }
        return count;
    };
    EXPECT_EQ(greys(), 0) << "at their own size the stripes stay black and white";
    view->SetZoom(50);
    QApplication::processEvents();
    EXPECT_GT(greys(), 40) << "halved, each pair of stripes is averaged to grey";
    view->SetZoom(300);
    QApplication::processEvents();
    EXPECT_GT(greys(), 100) << "enlarged, the stripes blend into each other";
}

// ---- one command road -----------------------------------------------------------------------

TEST_F(AppTest, CtrlPPrintsAndPreferencesHasNoKey) {
    QAction* preferences = m_app->Frame().Action(QStringLiteral("Preferences"));
    ASSERT_TRUE(preferences);
    EXPECT_EQ(preferences->text(), "&Preferences");
    EXPECT_TRUE(preferences->shortcuts().isEmpty());
    QSignalSpy asked(&m_app->Frame(), &MainWindow::preferencesRequested);
    m_app->Frame().activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_app->Frame()));
    // A dialog the key might open is closed again, so that the test goes on to say so.
    QString opened;
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&opened] {
        if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
            opened = dialog->windowTitle();
            dialog->reject();
        }
    });
    closer.start(20);
    QTest::keyClick(&m_app->Frame(), Qt::Key_P, Qt::ControlModifier);
    closer.stop();
    EXPECT_EQ(asked.count(), 0) << "without a catalog there is nothing to print";
    EXPECT_TRUE(opened.isEmpty()) << opened.toStdString();

    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    bool printing = false;
    WhenShownThenClose<QPrintDialog>([&printing](QPrintDialog*) { printing = true; });
    QTest::keyClick(view, Qt::Key_P, Qt::ControlModifier);
    EXPECT_TRUE(printing);
    EXPECT_EQ(asked.count(), 0);
    // No other command has the key.
    QStringList printing_keys;
    for (QAction* action : m_app->Frame().findChildren<QAction*>())
        if (action->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_P)))
            printing_keys << action->objectName();
    EXPECT_EQ(printing_keys, QStringList{"Print"});
}

TEST_F(AppTest, MenuItemsShowTheirKeysAndAreNamedWithoutAccessKeyMarks) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    std::set<QString> names;
    for (QAction* title : m_app->Frame().menuBar()->actions()) {
        QMenu* menu = title->menu();
        ASSERT_TRUE(menu);
        m_app->Frame().UpdateCommands();
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(menu);
        ASSERT_TRUE(accessible);
        for (int i = 0; i < accessible->childCount(); ++i) {
            const QString name = accessible->child(i)->text(QAccessible::Name);
            EXPECT_FALSE(name.contains('&')) << name.toStdString();
            names.insert(name);
        }
        for (QAction* action : menu->actions())
            EXPECT_FALSE(action->text().contains('\t')) << action->text().toStdString();
    }
    EXPECT_TRUE(names.count("Create Texture Map..."));
    QAction* map = m_app->Frame().Action(QStringLiteral("Create Texture Map"));
    ASSERT_TRUE(map);
    EXPECT_EQ(map->text(), "Create &Texture Map...");
    EXPECT_EQ(map->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_T));
    // The keys the program has always had stand beside the platform's standard ones.
    auto keys = [this](const char* name) {
        return m_app->Frame().Action(QString::fromLatin1(name))->shortcuts();
    };
    EXPECT_TRUE(keys("Undo").contains(QKeySequence(Qt::CTRL | Qt::Key_Z)));
    EXPECT_TRUE(keys("Undo").contains(QKeySequence(Qt::ALT | Qt::Key_Backspace)));
    EXPECT_TRUE(keys("Redo").contains(QKeySequence(Qt::CTRL | Qt::Key_Y)));
    EXPECT_TRUE(keys("Redo").contains(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)));
    EXPECT_TRUE(keys("Cut").contains(QKeySequence(Qt::SHIFT | Qt::Key_Delete)));
    EXPECT_TRUE(keys("Copy").contains(QKeySequence(Qt::CTRL | Qt::Key_Insert)));
    EXPECT_TRUE(keys("Paste").contains(QKeySequence(Qt::SHIFT | Qt::Key_Insert)));
    EXPECT_EQ(keys("Delete"), QList<QKeySequence>{QKeySequence(Qt::Key_Delete)});
}

TEST_F(AppTest, UndoFollowsTheActiveCatalogsSteps) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    ClickTexture(view, 0);
    view->Commands().OnDelete();
    QAction* undo = m_app->Frame().Action(QStringLiteral("Undo"));
    ASSERT_TRUE(undo);
    EXPECT_EQ(undo->text(), "&Undo Delete 1 Texture");
    m_app->OnFileNew();
    EXPECT_FALSE(Enabled("Undo"));
    EXPECT_EQ(undo->text(), "&Undo");
    m_app->Frame().MdiArea()->setActiveSubWindow(
        qobject_cast<QMdiSubWindow*>(view->parentWidget()));
    EXPECT_TRUE(Enabled("Undo"));
    EXPECT_EQ(undo->text(), "&Undo Delete 1 Texture");
    undo->trigger();
    EXPECT_EQ(view->Document().Contents().GetCount(), 17);
    EXPECT_EQ(m_app->Frame().Action(QStringLiteral("Redo"))->text(), "&Redo Delete 1 Texture");
}
