// Catalog windows and files that other programs change: Save asks before replacing their
// work, an unmodified window offers to reload, read-only files are never replaced.

#include "appfixture.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "testfiles.h"
#include "ui/catalog/catalogdocument.h"

#include <QAbstractButton>
#include <QFile>
#include <QMessageBox>
#include <QSignalSpy>
#include <QTest>
#include <sys/stat.h>

namespace {

/// What another program saves: a catalog of one texture, renamed into place as tools do.
QByteArray SaveFromElsewhere(const QString& path, const std::string& name) {
    Catalog catalog;
    SimpleTexture texture;
    texture.SetName(name);
    catalog.AddTexture(texture);
    const auto stored = catalog.Save();
    const QByteArray bytes(reinterpret_cast<const char*>(stored.data()),
                           static_cast<qsizetype>(stored.size()));
    QFile file(path + QStringLiteral(".new"));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    EXPECT_EQ(
        ::rename(QFile::encodeName(path + ".new").constData(), QFile::encodeName(path).constData()),
        0);
    return bytes;
}

class SaveSafetyTest : public AppTest {
protected:
    int Questions(const QString& text) const {
        return static_cast<int>(
            std::count_if(m_messages.begin(), m_messages.end(),
                          [&](const ShownMessage& m) { return m.text == text; }));
    }
    QString ReloadQuestion() const {
        return Path(QStringLiteral("sample.vlv")) +
               QStringLiteral(" was changed by another program.\nDo you want to reload it?");
    }
};

} // namespace

TEST_F(SaveSafetyTest, SaveAsksBeforeReplacingWhatAnotherProgramSaved) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const QString path = Path(QStringLiteral("sample.vlv"));
    CatalogDocument& document = view->Document();
    document.Contents().AddTexture(SimpleTexture());
    document.Changed();
    const QByteArray theirs = SaveFromElsewhere(path, "Saved by velvane-cli");

    // Cancel keeps their file byte for byte, and this window's changes.
    m_answer = QMessageBox::Cancel;
    EXPECT_FALSE(document.Save(view));
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().icon, Prompts::Icon::Warning);
    EXPECT_EQ(m_messages.back().text,
              path + QStringLiteral(" was changed by another program since you opened it."));
    EXPECT_EQ(FileBytes(path), theirs);
    EXPECT_TRUE(document.IsModified());

    // The real question names its buttons after what they do.
    Prompts::SetMessageResponder(nullptr);
    QStringList buttons;
    WhenShownThenClose<QMessageBox>([&](QMessageBox* box) {
        for (QAbstractButton* button : box->buttons())
            buttons << button->text();
        box->button(QMessageBox::Save)->click();
    });
    EXPECT_TRUE(document.Save(view));
    buttons.sort();
    EXPECT_EQ(buttons, (QStringList{"Cancel", "Save Anyway"}));
    EXPECT_NE(FileBytes(path), theirs);
    EXPECT_FALSE(document.IsModified());

    // The window's own save is no change by another program.
    Prompts::SetMessageResponder([this](Prompts::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons) {
        m_messages.push_back({icon, title, text});
        return QMessageBox::Cancel;
    });
    const std::size_t before = m_messages.size();
    document.Changed();
    EXPECT_TRUE(document.Save(view));
    EXPECT_EQ(m_messages.size(), before);
}

TEST_F(SaveSafetyTest, AnUnchangedWindowOffersToReloadAFileChangedOnDisk) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const QString path = Path(QStringLiteral("sample.vlv"));
    CatalogDocument& document = view->Document();
    QSignalSpy changed(&document, &Document::changedOnDisk);

    m_answer = QMessageBox::No;
    SaveFromElsewhere(path, "First elsewhere");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(Questions(ReloadQuestion()), 1);
    EXPECT_NE(document.Contents().GetCount(), 1); // kept as it was
    // The same change is not asked about again when something else stirs in the folder.
    QFile other(Path(QStringLiteral("unrelated.txt")));
    ASSERT_TRUE(other.open(QIODevice::WriteOnly));
    other.write("x");
    other.close();
    EXPECT_FALSE(changed.wait(1500));
    EXPECT_EQ(Questions(ReloadQuestion()), 1);

    m_answer = QMessageBox::Yes;
    SaveFromElsewhere(path, "Second elsewhere");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(Questions(ReloadQuestion()), 2);
    ASSERT_EQ(document.Contents().GetCount(), 1);
    EXPECT_EQ(document.Contents().GetTexture(0).GetName(), "Second elsewhere");
    EXPECT_FALSE(document.IsModified());

    // The window's own save is not taken for another program's.
    document.Changed();
    ASSERT_TRUE(document.Save(view));
    EXPECT_FALSE(changed.wait(1500));

    // A window with unsaved changes is not asked: its Save will ask before replacing.
    document.Changed();
    SaveFromElsewhere(path, "Third elsewhere");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(Questions(ReloadQuestion()), 2);
    EXPECT_TRUE(document.IsModified());
}

TEST_F(SaveSafetyTest, ReadOnlyCatalogsAreNotReplaced) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const QString path = Path(QStringLiteral("sample.vlv"));
    const QByteArray before = FileBytes(path);
    ASSERT_EQ(::chmod(QFile::encodeName(path).constData(), 0444), 0);
    view->Document().Changed();
    EXPECT_FALSE(view->Document().Save(view));
    ASSERT_FALSE(m_messages.empty());
    EXPECT_EQ(m_messages.back().text, path + QStringLiteral(" is read-only."));
    EXPECT_EQ(FileBytes(path), before);
    EXPECT_TRUE(view->Document().IsModified());
}
