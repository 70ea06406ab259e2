// The list of recent files: newest first, four at most, listed in menus and kept in the
// settings.

#include "ui/app/recentfiles.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QSettings>
#include <QSignalSpy>
#include <gtest/gtest.h>

namespace {

QString File(const char* name) {
    return QDir(QStringLiteral(VELVANE_TEST_OUTPUT_DIR)).absoluteFilePath(QLatin1String(name));
}

TEST(RecentFilesTest, TheNewestComeFirstOnceEachAndTheOldestGoBeyondFour) {
    RecentFiles recent;
    for (const char* name : {"a.vlv", "b.vlv", "c.vlv", "d.vlv", "e.vlv"})
        recent.Add(File(name));
    recent.Add(File("c.vlv"));
    recent.Add(QString());
    EXPECT_EQ(recent.Catalogs(),
              (QStringList{File("c.vlv"), File("e.vlv"), File("d.vlv"), File("b.vlv")}));
}

TEST(RecentFilesTest, MenusListTheFilesNumberedAndOpenThem) {
    RecentFiles recent;
    QMenu menu;
    recent.AddMenu(&menu);
    EXPECT_FALSE(menu.isEnabled()) << "nothing to list yet";
    recent.Add(File("a.vlv"));
    recent.Add(File("b.vlv"));
    ASSERT_EQ(menu.actions().size(), 2);
    EXPECT_TRUE(menu.isEnabled());
    EXPECT_TRUE(menu.actions()[0]->text().startsWith(QStringLiteral("&1 ")));
    EXPECT_TRUE(menu.actions()[0]->text().endsWith(QStringLiteral("b.vlv")));
    QSignalSpy open(&recent, &RecentFiles::openRequested);
    menu.actions()[1]->trigger();
    ASSERT_EQ(open.count(), 1);
    EXPECT_EQ(open.first().first().toString(), File("a.vlv"));
}

TEST(RecentFilesTest, TheListIsKeptInTheSettingsAndFewerFilesLeaveNoOldEntries) {
    const QString ini = File("recentfiles_test.ini");
    QFile::remove(ini);
    QSettings store(ini, QSettings::IniFormat);
    RecentFiles saved;
    for (const char* name : {"a.vlv", "b.vlv", "c.vlv"})
        saved.Add(File(name));
    saved.Save(store);
    RecentFiles fewer;
    fewer.Add(File("d.vlv"));
    fewer.Save(store);
    RecentFiles loaded;
    loaded.Load(store);
    EXPECT_EQ(loaded.Catalogs(), QStringList{File("d.vlv")});
    EXPECT_FALSE(store.contains(QStringLiteral("Recent File List/File2")));
    saved.Save(store);
    loaded.Load(store);
    EXPECT_EQ(loaded.Catalogs(), saved.Catalogs());
    QFile::remove(ini);
}

TEST(RecentFilesTest, TextureMapsAreKeptApartFromTheCatalogs) {
    const QString ini = File("recentmaps_test.ini");
    QFile::remove(ini);
    QSettings store(ini, QSettings::IniFormat);
    // An older version kept maps among the catalogs.
    store.setValue(QStringLiteral("Recent File List/File1"), File("old.bmp"));
    store.setValue(QStringLiteral("Recent File List/File2"), File("a.vlv"));
    RecentFiles recent;
    recent.SetTextureMapTest(
        [](const QString& path) { return path.endsWith(QLatin1String(".bmp")); });
    recent.Load(store);
    for (const char* name : {"m1.bmp", "m2.bmp", "m3.bmp", "m4.bmp", "b.vlv"})
        recent.Add(File(name));
    EXPECT_EQ(recent.Catalogs(), (QStringList{File("b.vlv"), File("a.vlv")}))
        << "maps take no catalog's place";
    EXPECT_EQ(recent.TextureMaps(),
              (QStringList{File("m4.bmp"), File("m3.bmp"), File("m2.bmp"), File("m1.bmp")}));

    // The menu lists the catalogs, then the maps.
    QMenu menu;
    recent.AddMenu(&menu);
    ASSERT_EQ(menu.actions().size(), 7);
    EXPECT_TRUE(menu.actions()[1]->text().endsWith(QStringLiteral("a.vlv")));
    EXPECT_TRUE(menu.actions()[2]->isSeparator());
    EXPECT_TRUE(menu.actions()[3]->text().startsWith(QStringLiteral("&3 ")));
    EXPECT_TRUE(menu.actions()[3]->text().endsWith(QStringLiteral("m4.bmp")));

    recent.Save(store);
    RecentFiles loaded;
    loaded.SetTextureMapTest(
        [](const QString& path) { return path.endsWith(QLatin1String(".bmp")); });
    loaded.Load(store);
    EXPECT_EQ(loaded.Catalogs(), recent.Catalogs());
    EXPECT_EQ(loaded.TextureMaps(), recent.TextureMaps());
    QFile::remove(ini);
}

} // namespace
