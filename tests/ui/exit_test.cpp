// Quitting: the key, one question for several unsaved documents, and the recent-file list that
// keeps the order in which the files were used.

#include "appfixture.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "render/settings/programsettings.h"
#include "testfiles.h"
#include "ui/catalog/catalogdocument.h"

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

namespace {

class ExitTest : public AppTest {
protected:
    /// A copy of the sample catalog named `name`, opened.
    CatalogDocument* Open(const QString& name) {
        const QString path = Path(name);
        QFile::remove(path);
        EXPECT_TRUE(QFile::copy(QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv"), path));
        QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
        return dynamic_cast<CatalogDocument*>(m_app->OpenDocumentFile(path));
    }
    static void Change(CatalogDocument* document) {
        SimpleTexture texture;
        texture.SetName("Added");
        document->Contents().AddTexture(texture);
        document->Changed();
    }
    int CountOnDisk(const QString& name) const {
        Catalog catalog;
        const QByteArray bytes = FileBytes(Path(name));
        EXPECT_FALSE(catalog.Load({reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                   static_cast<std::size_t>(bytes.size())}));
        return catalog.GetCount();
    }
    /// Quits; true when the program went.
    bool Quit() {
        if (!m_app->Frame().close())
            return false;
        m_app.reset();
        return true;
    }
};

} // namespace

TEST_F(ExitTest, ExitHasTheStandardQuitKey) {
    const QAction* exit = m_app->Frame().Action(QStringLiteral("Exit"));
    ASSERT_TRUE(exit);
    // The platform's Quit keys, and Ctrl+Q where the platform names none.
    for (const QKeySequence& key : QKeySequence::keyBindings(QKeySequence::Quit))
        EXPECT_TRUE(exit->shortcuts().contains(key)) << key.toString().toStdString();
    EXPECT_TRUE(exit->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_Q)));
    // The key reaches it from the main window.
    m_app->Frame().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_app->Frame()));
    QApplication::setActiveWindow(&m_app->Frame());
    QSignalSpy triggered(exit, &QAction::triggered);
    QTest::keyClick(&m_app->Frame(), Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(triggered.count(), 1);
    m_app.reset();
}

TEST_F(ExitTest, CloseHasThePlatformsCloseKeys) {
    const QAction* close = m_app->Frame().Action(QStringLiteral("Close"));
    ASSERT_TRUE(close);
    const QList<QKeySequence> keys = QKeySequence::keyBindings(QKeySequence::Close);
    ASSERT_FALSE(keys.isEmpty());
    for (const QKeySequence& key : keys)
        EXPECT_TRUE(close->shortcuts().contains(key)) << key.toString().toStdString();
    // Each key reaches it from a catalog's window (which has Close keys of its own).
    m_app->Frame().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_app->Frame()));
    QApplication::setActiveWindow(&m_app->Frame());
    QSignalSpy closed(close, &QAction::triggered);
    for (const QKeySequence& key : keys) {
        ASSERT_TRUE(Open(QStringLiteral("a.vlv")));
        QTest::keyClick(QApplication::focusWidget() ? QApplication::focusWidget() : &m_app->Frame(),
                        key[0].key(), key[0].keyboardModifiers());
    }
    EXPECT_EQ(closed.count(), keys.size());
}

TEST_F(ExitTest, SeveralUnsavedCatalogsAreAskedAboutOnceAndCancelKeepsThem) {
    CatalogDocument* a = Open(QStringLiteral("a.vlv"));
    CatalogDocument* b = Open(QStringLiteral("b.vlv"));
    Open(QStringLiteral("c.vlv")); // unchanged: not named
    ASSERT_TRUE(a && b);
    Change(a);
    Change(b);
    const std::size_t before = m_messages.size();
    m_answer = QMessageBox::Cancel;
    EXPECT_FALSE(m_app->Frame().close());
    ASSERT_EQ(m_messages.size(), before + 1) << "one question";
    const QString question = m_messages.back().text;
    EXPECT_TRUE(question.contains(QStringLiteral("a.vlv"))) << question.toStdString();
    EXPECT_TRUE(question.contains(QStringLiteral("b.vlv"))) << question.toStdString();
    EXPECT_FALSE(question.contains(QStringLiteral("c.vlv"))) << question.toStdString();
    EXPECT_EQ(m_app->Documents().size(), 3u);
    EXPECT_TRUE(a->IsModified());
    EXPECT_TRUE(b->IsModified());
}

TEST_F(ExitTest, SaveAllSavesEachUnsavedCatalogAndQuits) {
    CatalogDocument* a = Open(QStringLiteral("a.vlv"));
    CatalogDocument* b = Open(QStringLiteral("b.vlv"));
    ASSERT_TRUE(a && b);
    const int count = a->Contents().GetCount();
    Change(a);
    Change(b);
    const std::size_t before = m_messages.size();
    m_answer = QMessageBox::SaveAll;
    EXPECT_TRUE(Quit());
    EXPECT_EQ(m_messages.size(), before + 1);
    EXPECT_EQ(CountOnDisk(QStringLiteral("a.vlv")), count + 1);
    EXPECT_EQ(CountOnDisk(QStringLiteral("b.vlv")), count + 1);
}

TEST_F(ExitTest, DiscardQuitsWithoutSaving) {
    CatalogDocument* a = Open(QStringLiteral("a.vlv"));
    CatalogDocument* b = Open(QStringLiteral("b.vlv"));
    ASSERT_TRUE(a && b);
    const QByteArray original = FileBytes(Path(QStringLiteral("a.vlv")));
    Change(a);
    Change(b);
    m_answer = QMessageBox::Discard;
    EXPECT_TRUE(Quit());
    EXPECT_EQ(FileBytes(Path(QStringLiteral("a.vlv"))), original);
    EXPECT_EQ(FileBytes(Path(QStringLiteral("b.vlv"))), original);
}

TEST_F(ExitTest, ASaveCancelledDuringSaveAllKeepsTheProgramOpen) {
    CatalogDocument* a = Open(QStringLiteral("a.vlv"));
    ASSERT_TRUE(a);
    m_app->OnFileNew();
    ASSERT_EQ(m_app->Documents().size(), 2u);
    auto* untitled = dynamic_cast<CatalogDocument*>(m_app->Documents().back().get());
    ASSERT_TRUE(untitled);
    Change(a);
    Change(untitled);
    int asked = 0;
    Prompts::SetFileResponder([&](const QString&, const QString&) {
        ++asked;
        return QString(); // the user cancels Save As
    });
    m_answer = QMessageBox::SaveAll;
    EXPECT_FALSE(m_app->Frame().close());
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(m_app->Documents().size(), 2u);
    EXPECT_TRUE(untitled->IsModified());
}

TEST_F(ExitTest, OneUnsavedCatalogGetsTheUsualQuestion) {
    CatalogDocument* a = Open(QStringLiteral("a.vlv"));
    ASSERT_TRUE(Open(QStringLiteral("b.vlv")));
    ASSERT_TRUE(a);
    Change(a);
    m_answer = QMessageBox::Cancel;
    EXPECT_FALSE(m_app->Frame().close());
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().text, QStringLiteral("Save changes to a.vlv?"));
    m_answer = QMessageBox::No;
    EXPECT_TRUE(Quit());
}

TEST_F(ExitTest, ClosingOneWindowAsksAboutItsOwnDocumentOnly) {
    CatalogDocument* a = Open(QStringLiteral("a.vlv"));
    CatalogDocument* b = Open(QStringLiteral("b.vlv"));
    ASSERT_TRUE(a && b);
    Change(a);
    Change(b);
    m_answer = QMessageBox::Cancel;
    QMdiSubWindow* window = m_app->Frame().MdiArea()->activeSubWindow();
    ASSERT_TRUE(window);
    EXPECT_FALSE(window->close());
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().text, QStringLiteral("Save changes to b.vlv?"));
}

TEST_F(ExitTest, ExitKeepsTheRecentFilesInTheOrderTheyWereOpened) {
    for (const char* name : {"a.vlv", "b.vlv", "c.vlv", "d.vlv", "e.vlv"})
        ASSERT_TRUE(Open(QString::fromLatin1(name)));
    const QStringList opened = m_app->Frame().RecentFiles();
    ASSERT_EQ(opened.size(), 4);
    EXPECT_EQ(QFileInfo(opened.front()).fileName(), QStringLiteral("e.vlv"));
    ASSERT_TRUE(Quit());
    auto store = OpenSettingsStore();
    QStringList stored;
    for (int i = 1; i <= 4; ++i)
        stored << store->value(QStringLiteral("Recent File List/File%1").arg(i)).toString();
    EXPECT_EQ(stored, opened);
    QStringList names;
    for (const QString& path : stored)
        names << QFileInfo(path).fileName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("e.vlv"), QStringLiteral("d.vlv"),
                                  QStringLiteral("c.vlv"), QStringLiteral("b.vlv")}));
}

TEST_F(ExitTest, ClosingOneWindowStillPutsItsFileOnTop) {
    CatalogDocument* a = Open(QStringLiteral("a.vlv"));
    ASSERT_TRUE(Open(QStringLiteral("b.vlv")));
    ASSERT_TRUE(a);
    EXPECT_TRUE(m_app->CloseDocument(*a));
    EXPECT_EQ(QFileInfo(m_app->Frame().RecentFiles().front()).fileName(), QStringLiteral("a.vlv"));
}
