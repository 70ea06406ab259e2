// The main window's menus reached from the keyboard: each item of a menu has a letter of its own.

#include "appfixture.h"

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <map>

namespace {

/// The letter after a single '&' of a menu text, as Alt+letter picks it; a null QChar when none.
QChar Mnemonic(const QString& text) {
    for (qsizetype i = 0; i + 1 < text.size(); ++i) {
        if (text[i] != QLatin1Char('&'))
            continue;
        if (text[i + 1] != QLatin1Char('&'))
            return text[i + 1].toLower();
        ++i; // "&&" is an ampersand
    }
    return QChar();
}

/// Every pair of items of `menu` and of its submenus that share a letter, as "Menu: A / B".
QStringList Clashes(QMenu* menu) {
    emit menu->aboutToShow(); // menus that fill themselves as they open
    QStringList clashes;
    std::map<QChar, QString> taken;
    for (QAction* action : menu->actions()) {
        if (action->isSeparator() || !action->isVisible())
            continue;
        const QChar letter = Mnemonic(action->text());
        if (!letter.isNull()) {
            const auto [at, added] = taken.emplace(letter, action->text());
            if (!added)
                clashes << menu->title() + QStringLiteral(": ") + at->second +
                               QStringLiteral(" / ") + action->text();
        }
        if (action->menu())
            clashes << Clashes(action->menu());
    }
    return clashes;
}

QStringList MenuBarClashes(MainWindow& frame, int& menus) {
    QStringList clashes;
    std::map<QChar, QString> taken;
    menus = 0;
    for (QAction* action : frame.menuBar()->actions()) {
        if (!action->menu() || !action->isVisible())
            continue;
        ++menus;
        const auto [at, added] = taken.emplace(Mnemonic(action->text()), action->text());
        if (!added)
            clashes << QStringLiteral("menu bar: ") + at->second + QStringLiteral(" / ") +
                           action->text();
        clashes << Clashes(action->menu());
    }
    return clashes;
}

} // namespace

TEST(MenuMnemonic, IsTheLetterAfterASingleAmpersand) {
    EXPECT_EQ(Mnemonic(QStringLiteral("Ta&bbed Windows")), QLatin1Char('b'));
    EXPECT_EQ(Mnemonic(QStringLiteral("&Toolbar")), QLatin1Char('t'));
    EXPECT_EQ(Mnemonic(QStringLiteral("Salt && &Pepper")), QLatin1Char('p'));
    EXPECT_TRUE(Mnemonic(QStringLiteral("Next Pane")).isNull());
}

TEST_F(AppTest, EveryMenuGivesItsItemsLettersOfTheirOwn) {
    int menus = 0;
    EXPECT_EQ(MenuBarClashes(m_app->Frame(), menus), QStringList()) << "with no window";
    EXPECT_GT(menus, 0);

    ASSERT_TRUE(OpenSample());
    m_app->Frame().AddRecentFile(Path(QStringLiteral("other.vlv")));
    const QStringList clashes = MenuBarClashes(m_app->Frame(), menus);
    EXPECT_EQ(clashes, QStringList()) << clashes.join(QLatin1Char('\n')).toStdString();
    EXPECT_GE(menus, 6) << "File, Edit, View, Texture, Options, Window, Help";
}

TEST_F(AppTest, LockIndicatorsGoWhereTheWindowSystemCannotTellTheLocks) {
    // The tests run on the offscreen platform, which keeps no keyboard lights: rather than a
    // guess (the kernel's lights say nothing on a remote session), no indicator shows.
    m_app->Frame().show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_app->Frame()));
    for (const char* name : {"CAPIndicator", "NUMIndicator", "SCRLIndicator"}) {
        const auto* indicator = m_app->Frame().findChild<QLabel*>(QLatin1String(name));
        ASSERT_TRUE(indicator) << name;
        EXPECT_FALSE(indicator->isVisible()) << name;
    }
}
