#include "ui/help/helpbrowser.h"

#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSet>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextDocument>
#include <QUrl>
#include <gtest/gtest.h>
#include <map>

namespace {

QString ReadText(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll());
}

/// The HTML pages bundled under ":/help".
QStringList HelpPages() {
    return QDir(QStringLiteral(":/help"))
        .entryList({QStringLiteral("*.html")}, QDir::Files, QDir::Name);
}

/// The href and src targets of a page.
QStringList LinkTargets(const QString& html) {
    static const QRegularExpression link(QStringLiteral(R"re((?:href|src)\s*=\s*"([^"]*)")re"));
    QStringList targets;
    for (auto it = link.globalMatch(html); it.hasNext();)
        targets << it.next().captured(1);
    return targets;
}

/// The anchors of a page as the help window reads it, which it can scroll to.
QSet<QString> Anchors(const QString& html) {
    QTextDocument document;
    document.setHtml(html);
    QSet<QString> names;
    for (QTextBlock block = document.begin(); block.isValid(); block = block.next())
        for (auto fragment = block.begin(); !fragment.atEnd(); ++fragment)
            for (const QString& name : fragment.fragment().charFormat().anchorNames())
                names.insert(name);
    return names;
}

/// The page names of the user guide, from which the help pages are written.
QStringList GuidePages() {
    QStringList names;
    for (const QString& file : QDir(QStringLiteral(VELVANE_SOURCE_DIR "/docs/guide"))
                                   .entryList({QStringLiteral("*.md")}, QDir::Files, QDir::Name))
        names << file.chopped(3);
    return names;
}

/// The keys of the [Desktop Entry] group of a .desktop file.
std::map<QString, QString> DesktopEntry(const QString& text) {
    std::map<QString, QString> keys;
    bool inGroup = false;
    for (const QString& raw : text.split(QLatin1Char('\n'))) {
        const QString line = raw.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#')))
            continue;
        if (line.startsWith(QLatin1Char('['))) {
            inGroup = line == QLatin1String("[Desktop Entry]");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (inGroup && equals > 0)
            keys[line.left(equals).trimmed()] = line.mid(equals + 1).trimmed();
    }
    return keys;
}

class HelpTest : public ::testing::Test {
protected:
    void TearDown() override { CloseHelpWindow(); }
};

TEST_F(HelpTest, EachContextOpensItsPage) {
    const std::map<int, QString> titles = {
        {0, QStringLiteral("Contents")},
        {2, QStringLiteral("Preferences")},
        {3, QStringLiteral("The General Page")},
        {4, QStringLiteral("The Pigment Page")},
        {5, QStringLiteral("The Normal Page")},
        {6, QStringLiteral("The Finish Page")},
        {8, QStringLiteral("Importing POV-Ray Source")},
        {1, QStringLiteral("Contents")},
        {7, QStringLiteral("Contents")},
        {-1, QStringLiteral("Contents")},
        {12345, QStringLiteral("Contents")},
    };
    for (const auto& [context, title] : titles) {
        SCOPED_TRACE(context);
        const QString page = HelpPagePath(context);
        EXPECT_TRUE(QFile::exists(page)) << page.toStdString();
        ShowHelpTopic(context, nullptr);
        HelpWindow* window = CurrentHelpWindow();
        ASSERT_NE(window, nullptr);
        EXPECT_TRUE(window->isVisible());
        EXPECT_EQ(window->windowTitle(), QStringLiteral("Velvane Help"));
        EXPECT_EQ(window->Browser()->source(), QUrl(QStringLiteral("qrc") + page));
        EXPECT_EQ(window->Browser()->documentTitle(), title);
        EXPECT_GT(window->Browser()->toPlainText().size(), 300);
    }
}

TEST_F(HelpTest, OneWindowServesTheWholeRun) {
    ShowHelpTopic(HelpContext::PigmentPage, nullptr);
    HelpWindow* first = CurrentHelpWindow();
    ASSERT_NE(first, nullptr);
    ShowHelpTopic(HelpContext::FinishPage, nullptr);
    EXPECT_EQ(CurrentHelpWindow(), first);
    first->close();
    EXPECT_FALSE(first->isVisible());
    ShowHelpTopic(HelpContext::Preferences, nullptr);
    EXPECT_EQ(CurrentHelpWindow(), first);
    EXPECT_TRUE(first->isVisible());
    EXPECT_EQ(first->Browser()->documentTitle(), QStringLiteral("Preferences"));
}

TEST_F(HelpTest, StaysOpenWhenItsModalOwnerCloses) {
    auto* dialog = new QDialog;
    dialog->setWindowModality(Qt::ApplicationModal);
    dialog->show();
    ShowHelpTopic(HelpContext::Preferences, dialog);
    HelpWindow* window = CurrentHelpWindow();
    ASSERT_NE(window, nullptr);
    // Belonging to the modal window keeps the help usable while that window runs.
    EXPECT_EQ(window->parentWidget(), dialog);

    dialog->hide();
    EXPECT_EQ(window->parentWidget(), nullptr);
    EXPECT_TRUE(window->isVisible());
    delete dialog;
    EXPECT_EQ(CurrentHelpWindow(), window);
}

TEST_F(HelpTest, EveryLinkLeadsToABundledPage) {
    const QStringList pages = HelpPages();
    ASSERT_TRUE(pages.contains(QStringLiteral("index.html")));
    ASSERT_GE(pages.size(), 10);
    for (const QString& page : pages) {
        const QString html = ReadText(QStringLiteral(":/help/") + page);
        ASSERT_FALSE(html.isEmpty()) << page.toStdString();
        for (const QString& target : LinkTargets(html)) {
            SCOPED_TRACE((page + QStringLiteral(" -> ") + target).toStdString());
            if (target.startsWith(QLatin1String("http://")) ||
                target.startsWith(QLatin1String("https://")))
                continue;
            ASSERT_FALSE(target.contains(QLatin1Char(':'))) << "only bundled pages may be linked";
            const qsizetype hash = target.indexOf(QLatin1Char('#'));
            const QString file = hash < 0 ? target : target.left(hash);
            const QString anchor = hash < 0 ? QString() : target.mid(hash + 1);
            const QString path = QStringLiteral(":/help/") + (file.isEmpty() ? page : file);
            ASSERT_TRUE(QFile::exists(path));
            if (!anchor.isEmpty()) {
                EXPECT_TRUE(Anchors(ReadText(path)).contains(anchor));
            }
        }
    }
}

TEST_F(HelpTest, ContentsLinksEveryPage) {
    const QStringList linked = LinkTargets(ReadText(QStringLiteral(":/help/index.html")));
    for (const QString& page : HelpPages()) {
        if (page != QLatin1String("index.html")) {
            EXPECT_TRUE(linked.contains(page)) << page.toStdString();
        }
    }
}

TEST_F(HelpTest, EveryGuidePageIsAHelpPage) {
    const QStringList guide = GuidePages();
    ASSERT_GE(guide.size(), 10);
    QStringList expected;
    for (const QString& name : guide)
        expected << name + QStringLiteral(".html");
    EXPECT_EQ(HelpPages(), expected);
}

TEST_F(HelpTest, ALinkToAnAnchorScrollsThere) {
    ShowHelpTopic(HelpContext::FinishPage, nullptr);
    QTextBrowser* browser = CurrentHelpWindow()->Browser();
    browser->window()->resize(600, 400);
    EXPECT_EQ(browser->verticalScrollBar()->value(), 0);
    browser->setSource(QUrl(QStringLiteral("qrc:/help/finish.html#crand")));
    EXPECT_GT(browser->verticalScrollBar()->value(), 0);
}

TEST(DesktopIntegration, DesktopFileHasTheRequiredKeys) {
    const QString text = ReadText(QStringLiteral(VELVANE_SOURCE_DIR "/resources/velvane.desktop"));
    ASSERT_FALSE(text.isEmpty());
    ASSERT_TRUE(text.startsWith(QLatin1String("[Desktop Entry]")));
    const std::map<QString, QString> entry = DesktopEntry(text);
    const std::map<QString, QString> required = {
        {QStringLiteral("Type"), QStringLiteral("Application")},
        {QStringLiteral("Name"), QStringLiteral("Velvane")},
        {QStringLiteral("GenericName"), QStringLiteral("POV-Ray Texture Catalog Editor")},
        {QStringLiteral("Exec"), QStringLiteral("velvane %F")},
        {QStringLiteral("Icon"), QStringLiteral("velvane")},
        {QStringLiteral("MimeType"), QStringLiteral("application/x-velvane-catalog;")},
        {QStringLiteral("Categories"), QStringLiteral("Graphics;3DGraphics;")},
    };
    for (const auto& [key, value] : required) {
        SCOPED_TRACE(key.toStdString());
        ASSERT_EQ(entry.count(key), 1u);
        EXPECT_EQ(entry.at(key), value);
    }
}

TEST(DesktopIntegration, MimeTypeMatchesTheDesktopFile) {
    const QString xml = ReadText(QStringLiteral(VELVANE_SOURCE_DIR "/resources/velvane-mime.xml"));
    EXPECT_TRUE(xml.contains(QLatin1String("<mime-type type=\"application/x-velvane-catalog\">")));
    EXPECT_TRUE(xml.contains(QLatin1String("<comment>Ulvor Document</comment>")));
    EXPECT_TRUE(xml.contains(QLatin1String("<glob pattern=\"*.vlv\"/>")));
}

TEST(DesktopIntegration, IconsAreBundledAtTheirSizes) {
    EXPECT_EQ(QImage(QStringLiteral(":/icons/velvane.png")).size(), QSize(256, 256));
    for (int size : {16, 32, 48, 64, 128})
        EXPECT_EQ(QImage(QStringLiteral(":/icons/velvane-%1.png").arg(size)).size(),
                  QSize(size, size))
            << size;
    for (const char* name :
         {"new", "open", "save", "cut", "copy", "paste", "print", "about", "context-help"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(QImage(QStringLiteral(":/icons/%1.png").arg(QLatin1String(name))).size(),
                  QSize(24, 24));
        EXPECT_EQ(QImage(QStringLiteral(":/icons/%1-16.png").arg(QLatin1String(name))).size(),
                  QSize(16, 16));
    }
}

} // namespace
