// The start page: shown in the workspace while no document is open, with the ways to start and
// the recent catalogs, reachable by keyboard and named for screen readers.

#include "appfixture.h"
#include "ui/app/startpage.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/sourceimporter.h"

#include <QAccessible>
#include <QCommandLinkButton>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPushButton>
#include <QTest>

namespace {

class StartPageTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (m_app) {
            m_app->Settings().updateThumbnail = false;
            m_app->Frame().show();
        }
    }
    void TearDown() override {
        Prompts::SetFilesResponder(nullptr);
        AppTest::TearDown();
    }

    StartPage* Page() const { return m_app->Frame().StartPage(); }
    /// Opens a copy of the sample catalog named `name` and closes it again: a recent catalog.
    void OpenAndClose(const QString& name) {
        const QString path = Path(name);
        QFile::remove(path);
        ASSERT_TRUE(QFile::copy(QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        Document* document = m_app->OpenDocumentFile(path);
        ASSERT_TRUE(document);
        ASSERT_TRUE(m_app->CloseDocument(*document));
    }
    static QStringList Names(const QList<QPushButton*>& buttons) {
        QStringList names;
        for (const QPushButton* button : buttons)
            names << button->accessibleName();
        return names;
    }
    /// Waits for the page to come back (or go) as the last window goes (or the first comes).
    bool PageShown(bool shown) const {
        return QTest::qWaitFor([this, shown] { return Page()->isVisible() == shown; }, 5000);
    }
};

} // namespace

TEST_F(StartPageTest, WithNoDocumentThePageShowsTheWaysToStartAndSaysThereIsNothingRecent) {
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_app->Frame()));
    EXPECT_TRUE(Page()->isVisible());
    EXPECT_EQ(Page()->NewButton()->text(), "New Catalog");
    EXPECT_EQ(Page()->OpenButton()->text(), "Open...");
    EXPECT_EQ(Page()->ImportButton()->text(), "Import POV-Ray Files...");
    EXPECT_TRUE(Page()->RecentButtons().isEmpty());
    EXPECT_TRUE(Page()->NoRecentLabel()->isVisible());
    EXPECT_EQ(Page()->NoRecentLabel()->text(), "No recent catalogs");
    // It fills the workspace, its panel in the middle.
    const QWidget* viewport = m_app->Frame().MdiArea()->viewport();
    EXPECT_EQ(Page()->geometry(), viewport->rect());
    const QWidget* panel = Page()->NewButton()->parentWidget();
    const QPoint middle = panel->mapTo(Page(), panel->rect().center());
    EXPECT_LE(std::abs(middle.x() - viewport->width() / 2), 2);
    EXPECT_LE(std::abs(middle.y() - viewport->height() / 2), 2);
}

TEST_F(StartPageTest, TheRecentCatalogsAreListedNewestFirstWithTheirFolders) {
    OpenAndClose(QStringLiteral("a.vlv"));
    OpenAndClose(QStringLiteral("b.vlv"));
    // A texture map is no catalog: the File menu lists it apart.
    const QString map = Path(QStringLiteral("map.bmp"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELVANE_TEST_DATA_DIR "/bitmap/grid2x2.bmp"), map));
    Document* opened = m_app->OpenDocumentFile(map);
    ASSERT_TRUE(opened);
    ASSERT_TRUE(m_app->CloseDocument(*opened));
    EXPECT_EQ(m_app->Frame().RecentTextureMaps(), QStringList{QFileInfo(map).absoluteFilePath()});
    ASSERT_TRUE(PageShown(true)) << "the last window closed";
    EXPECT_EQ(Names(Page()->RecentButtons()), (QStringList{"b.vlv", "a.vlv"}));
    const QString folder = QDir::toNativeSeparators(QFileInfo(Path("b.vlv")).absolutePath());
    EXPECT_EQ(Page()->RecentButtons()[0]->accessibleDescription(), folder);
    // The name shows, and under it the folder, smaller.
    const QList<QLabel*> lines = Page()->RecentButtons()[0]->findChildren<QLabel*>();
    ASSERT_EQ(lines.size(), 2);
    EXPECT_EQ(lines[0]->text(), "b.vlv");
    EXPECT_EQ(lines[1]->text(), folder);
    EXPECT_LT(lines[1]->font().pointSizeF(), lines[0]->font().pointSizeF());
    const QWidget* panel = Page()->NewButton()->parentWidget();
    EXPECT_TRUE(QTest::qWaitFor([&] {
        return lines[1]->y() >= lines[0]->y() + lines[0]->sizeHint().height() &&
               lines[1]->geometry().bottom() < lines[1]->parentWidget()->height() &&
               lines[1]->mapTo(panel, QPoint(0, lines[1]->height())).y() < panel->height();
    })) << "one line under the other, inside the button and the panel";
    // The list has room for every entry, one under the other.
    const QPushButton* last = Page()->RecentButtons().back();
    EXPECT_LE(last->geometry().bottom(), last->parentWidget()->height());
    EXPECT_GE(last->y(), Page()->RecentButtons()[0]->geometry().bottom());
    EXPECT_FALSE(Page()->NoRecentLabel()->isVisible());
    // The same files as the File menu's list.
    EXPECT_EQ(m_app->Frame().RecentFiles().size(), 2);
}

TEST_F(StartPageTest, ClickingARecentCatalogOpensItAndClosingItBringsThePageBack) {
    OpenAndClose(QStringLiteral("a.vlv"));
    OpenAndClose(QStringLiteral("b.vlv"));
    ASSERT_TRUE(PageShown(true));
    QTest::mouseClick(Page()->RecentButtons()[1], Qt::LeftButton);
    ASSERT_EQ(m_app->Documents().size(), 1u);
    EXPECT_EQ(m_app->Documents().front()->Path(), QFileInfo(Path("a.vlv")).absoluteFilePath());
    EXPECT_TRUE(PageShown(false));
    // A second window on it: the page waits for the last one.
    m_app->OpenAnotherWindow(*m_app->Documents().front());
    ASSERT_EQ(m_app->Frame().MdiArea()->subWindowList().size(), 2);
    m_app->Frame().MdiArea()->subWindowList().front()->close();
    QApplication::processEvents();
    EXPECT_FALSE(Page()->isVisible());
    m_app->Frame().MdiArea()->subWindowList().front()->close();
    EXPECT_TRUE(PageShown(true));
    EXPECT_TRUE(m_app->Documents().empty());
    EXPECT_EQ(Names(Page()->RecentButtons()), (QStringList{"a.vlv", "b.vlv"}));
}

TEST_F(StartPageTest, NewCatalogAndOpenDoWhatTheFileMenuDoes) {
    QTest::mouseClick(Page()->NewButton(), Qt::LeftButton);
    ASSERT_EQ(m_app->Documents().size(), 1u);
    auto* view = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(view->Document().Contents().GetCount(), 0);
    EXPECT_TRUE(PageShown(false));

    m_app->CloseAllDocuments();
    ASSERT_TRUE(PageShown(true));
    const QString path = Path(QStringLiteral("c.vlv"));
    ASSERT_TRUE(QFile::copy(QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv"), path));
    QString caption;
    Prompts::SetFileResponder([&](const QString& asked, const QString&) {
        caption = asked;
        return path;
    });
    QTest::mouseClick(Page()->OpenButton(), Qt::LeftButton);
    EXPECT_EQ(caption, "Open");
    ASSERT_EQ(m_app->Documents().size(), 1u);
    EXPECT_EQ(m_app->Documents().front()->Path(), QFileInfo(path).absoluteFilePath());
}

TEST_F(StartPageTest, ImportMakesANewCatalogAndImportsTheChosenFilesIntoIt) {
    const QString source = QStringLiteral(VELVANE_SOURCE_DIR "/examples/library-selection.inc");
    QString caption;
    Prompts::SetFilesResponder([&](const QString& asked, const QString&) {
        caption = asked;
        return QStringList{source};
    });
    QTest::mouseClick(Page()->ImportButton(), Qt::LeftButton);
    auto* view = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_TRUE(view);
    EXPECT_EQ(caption, "Import Source");
    ASSERT_TRUE(QTest::qWaitFor([view] { return !view->Commands().Importer().Busy(); }, 60000));
    EXPECT_GT(view->Document().Contents().GetCount(), 0);
    EXPECT_EQ(m_app->Documents().size(), 1u);

    // Cancelled, the import leaves just the new, empty catalog.
    Prompts::SetFilesResponder([](const QString&, const QString&) { return QStringList(); });
    m_app->Documents().front()->SetModifiedFlag(false);
    m_app->CloseAllDocuments();
    ASSERT_TRUE(PageShown(true));
    QTest::mouseClick(Page()->ImportButton(), Qt::LeftButton);
    auto* empty = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    ASSERT_TRUE(empty);
    EXPECT_EQ(empty->Document().Contents().GetCount(), 0);
}

TEST_F(StartPageTest, TabMovesThroughTheButtonsAndTheRecentListAndReturnActivates) {
    OpenAndClose(QStringLiteral("a.vlv"));
    ASSERT_TRUE(PageShown(true));
    QApplication::setActiveWindow(&m_app->Frame());
    ASSERT_TRUE(QTest::qWaitForWindowActive(&m_app->Frame()));
    ASSERT_TRUE(QTest::qWaitFor([this] { return Page()->NewButton()->hasFocus(); }, 5000))
        << "the page starts on New Catalog";
    const QList<QWidget*> order = {Page()->OpenButton(), Page()->ImportButton(),
                                   Page()->RecentButtons().value(0)};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_EQ(QApplication::focusWidget(), next);
    }
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(m_app->Documents().size(), 1u);
    EXPECT_EQ(QFileInfo(m_app->Documents().front()->Path()).fileName(), "a.vlv");
    EXPECT_TRUE(PageShown(false));

    // Back on the page, Return on New Catalog makes one.
    m_app->CloseAllDocuments();
    ASSERT_TRUE(PageShown(true));
    ASSERT_TRUE(QTest::qWaitFor([this] { return Page()->NewButton()->hasFocus(); }, 5000));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    ASSERT_EQ(m_app->Documents().size(), 1u);
    EXPECT_TRUE(m_app->Documents().front()->Path().isEmpty());
}

TEST_F(StartPageTest, EveryControlHasAnAccessibleName) {
    OpenAndClose(QStringLiteral("a.vlv"));
    ASSERT_TRUE(PageShown(true));
    const QList<QPushButton*> buttons = Page()->findChildren<QPushButton*>();
    ASSERT_EQ(buttons.size(), 4);
    const QStringList names = {"New Catalog", "Open...", "Import POV-Ray Files...", "a.vlv"};
    for (int i = 0; i < buttons.size(); ++i) {
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(buttons[i]);
        ASSERT_TRUE(accessible);
        EXPECT_EQ(accessible->text(QAccessible::Name), names[i]);
        EXPECT_FALSE(accessible->text(QAccessible::Description).isEmpty()) << i;
        EXPECT_TRUE(buttons[i]->focusPolicy() & Qt::TabFocus) << i;
    }
    const QWidget* list = Page()->findChild<QWidget*>(QStringLiteral("RecentCatalogs"));
    ASSERT_TRUE(list);
    EXPECT_EQ(list->accessibleName(), "Recent Catalogs");
}
