// POV-Ray source brought into a catalog window: Texture > Import Source..., Paste of source
// copied elsewhere, dropped files and text, the one undo step, the summary and its choice, the
// message when nothing can be imported, and thumbnails for the newcomers.

#include "appfixture.h"
#include "core/model/texture.h"
#include "render/povray/renderresult.h"
#include "render/settings/programsettings.h"
#include "ui/catalog/batchbar.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/sourceimporter.h"
#include "ui/dialogs/importsummarydialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QFile>
#include <QLabel>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMenuBar>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QPointer>
#include <QProgressDialog>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QUrl>

namespace {

/// Two textures the model holds and one it holds only approximately (transmit).
const char* const kWoods = "// A pale wood\n"
                           "#declare Pale_Wood = texture {\n"
                           "  pigment { wood color_map { [0 rgb <0.9, 0.8, 0.6>] [1 rgb <0.6, "
                           "0.4, 0.2>] } }\n"
                           "}\n"
                           "#declare Glassy = texture { pigment { rgbt <1, 1, 1, 0.5> } }\n"
                           "#declare Plain_Red = pigment { rgb <1, 0, 0> }\n";

const char* const kForumPost = "// Copied from a forum\n"
                               "#declare Forum_Red = texture { pigment { rgb <1, 0, 0> } }\n";

Catalog& CatalogOf(CatalogView* view) {
    return view->Document().Contents();
}

std::vector<std::string> Names(CatalogView* view, int first) {
    std::vector<std::string> names;
    const Catalog& catalog = CatalogOf(view);
    for (int i = first; i < catalog.GetCount(); ++i)
        names.push_back(catalog.GetTexture(i).GetName());
    return names;
}

class SourceImportTest : public AppTest {
protected:
    void SetUp() override {
        AppTest::SetUp();
        if (m_app)
            m_app->Settings().updateThumbnail = false; // renders only where they are the point
    }
    void TearDown() override {
        Prompts::SetFilesResponder(nullptr);
        AppTest::TearDown();
    }

    QString Write(const QString& name, const QByteArray& text) {
        QFile file(Path(name));
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
        return file.fileName();
    }
    /// Answers the open dialog with `files`, noting its caption and start folder.
    void AnswerFiles(const QStringList& files) {
        Prompts::SetFilesResponder([this, files](const QString& caption, const QString& start) {
            m_asked << caption << start;
            return files;
        });
    }
    QString UndoText() {
        m_app->Frame().UpdateCommands();
        return m_app->Frame().Action(QStringLiteral("Undo"))->text();
    }
    void Trigger(const char* command) {
        ASSERT_TRUE(Enabled(command)) << command;
        m_app->Frame().Action(QString::fromLatin1(command))->trigger();
    }
    static ImportSummaryDialog* Summary(CatalogView* view) {
        return view->Commands().Importer().Summary();
    }
    /// Waits until the window's imports are over.
    static bool WaitForImport(CatalogView* view) {
        return QTest::qWaitFor([view] { return !view->Commands().Importer().Busy(); }, 60000);
    }
    /// Imports and waits until the textures are in.
    static void ImportNow(CatalogView* view, const SourceToImport& source, int position) {
        view->Commands().Importer().Import(source, position);
        ASSERT_TRUE(WaitForImport(view));
    }
    static void SendDrop(CatalogView* view, QMimeData& data, QPoint at, bool* entered = nullptr) {
        QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &enter);
        if (entered)
            *entered = enter.isAccepted();
        if (!enter.isAccepted())
            return;
        QDragMoveEvent move(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &move);
        QDropEvent drop(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(view->viewport(), &drop);
    }

    /// Thousands of inclusions of a large file: seconds of reading, until a limit.
    QString ManyIncludes() {
        QByteArray stones = "#declare A_Stone = texture { pigment { granite } }\n";
        // Dense in tokens, so that the token limit comes before the limits on files and bytes.
        while (stones.size() < 100000)
            stones += "box{0,1}box{0,1}box{0,1}box{0,1}box{0,1}box{0,1}box{0,1}box{0,1}\n";
        Write(QStringLiteral("stones.inc"), stones);
        return Write(QStringLiteral("many.pov"),
                     QByteArray("#include \"stones.inc\"\n").repeated(5000));
    }

    QStringList m_asked;
};

} // namespace

TEST_F(SourceImportTest, TheMenuCommandImportsChosenFilesAsOneStepWithASummary) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    // The item stands beside the other source commands, its access key its own in the menu.
    QMenu* textureMenu = nullptr;
    for (QAction* item : m_app->Frame().menuBar()->actions())
        if (item->text() == "&Texture")
            textureMenu = item->menu();
    ASSERT_TRUE(textureMenu);
    QStringList items;
    QSet<QChar> keys;
    for (QAction* item : textureMenu->actions()) {
        items << item->text();
        const qsizetype amp = item->text().indexOf(QLatin1Char('&'));
        if (amp >= 0) {
            EXPECT_FALSE(keys.contains(item->text()[amp + 1].toLower()))
                << item->text().toStdString();
            keys.insert(item->text()[amp + 1].toLower());
        }
    }
    EXPECT_EQ(items.mid(4, 4),
              (QStringList{"", "&View Source", "&Import Source...", "&Export Source..."}));

    const QString woods = Write(QStringLiteral("woods.inc"), kWoods);
    AnswerFiles({});
    Trigger("Import Source");
    EXPECT_EQ(m_asked, (QStringList{"Import Source", QString::fromLatin1(kPovRayLibraryFolder)}));
    EXPECT_EQ(CatalogOf(view).GetCount(), 17); // cancelled: nothing changes
    EXPECT_EQ(Summary(view), nullptr);

    AnswerFiles({woods});
    Trigger("Import Source");
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(Names(view, 17), (std::vector<std::string>{"Pale_Wood", "Glassy", "Plain_Red"}));
    EXPECT_EQ(CatalogOf(view).GetTexture(17).GetDescription(), "A pale wood");
    EXPECT_TRUE(CatalogOf(view).GetTexture(17).Thumbnail().IsEmpty()); // Update Thumbnail is off
    EXPECT_EQ(Selected(view), (std::vector<int>{17, 18, 19}));
    EXPECT_TRUE(view->Document().IsModified());

    // The summary stands beside the window without holding it up.
    ImportSummaryDialog* summary = Summary(view);
    ASSERT_TRUE(summary);
    EXPECT_TRUE(summary->isVisible());
    EXPECT_FALSE(summary->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(summary->CountText(), "Source: woods.inc\nFolder: " + m_dir.path() +
                                        "\nCatalog: sample.vlv\nImported exactly: 2\n"
                                        "Kept as POV-Ray text: 1\nApproximated: 0\nSkipped: 0");
    EXPECT_EQ(summary->ListText(), "woods.inc:2: imported Pale_Wood\n"
                                   "woods.inc:5: source Glassy: transmit 0.5 cannot be held\n"
                                   "woods.inc:6: imported Plain_Red");
    EXPECT_FALSE(summary->ApproximateBox()->isChecked());

    // One step takes them all back and puts them again.
    EXPECT_EQ(UndoText(), "&Undo Import");
    const int steps = view->Document().UndoStack().count();
    m_app->Frame().Action(QStringLiteral("Undo"))->trigger();
    EXPECT_EQ(CatalogOf(view).GetCount(), 17);
    m_app->Frame().Action(QStringLiteral("Redo"))->trigger();
    EXPECT_EQ(Names(view, 17), (std::vector<std::string>{"Pale_Wood", "Glassy", "Plain_Red"}));
    EXPECT_EQ(view->Document().UndoStack().count(), steps);

    // The next dialog opens where the files came from; a second import reuses the summary.
    AnswerFiles({woods});
    m_asked.clear();
    Trigger("Import Source");
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(m_asked.value(1), m_dir.path());
    EXPECT_EQ(CatalogOf(view).GetCount(), 23);
    EXPECT_EQ(Summary(view), summary);
    // The same names again get free ones, so Export never declares one twice; the summary says so.
    EXPECT_EQ(Names(view, 20),
              (std::vector<std::string>{"Pale_Wood_2", "Glassy_2", "Plain_Red_2"}));
    EXPECT_TRUE(summary->ListText().contains(
        "woods.inc:2: imported Pale_Wood\n"
        "woods.inc:2: Pale_Wood is already in the catalog; it is named Pale_Wood_2\n"));
}

TEST_F(SourceImportTest, TheSummaryChoiceImportsAgainWithApproximationsWhileNothingElseChanged) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const QString woods = Write(QStringLiteral("woods.inc"), kWoods);
    ImportNow(view, {{woods}, QString(), QString()}, 17);
    const int steps = view->Document().UndoStack().count();
    ImportSummaryDialog* summary = Summary(view);
    ASSERT_TRUE(summary);

    summary->ApproximateBox()->click();
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(m_app->Settings().importApproximate, 1);
    EXPECT_EQ(Names(view, 17), (std::vector<std::string>{"Pale_Wood", "Glassy", "Plain_Red"}));
    EXPECT_EQ(view->Document().UndoStack().count(), steps); // in place of the first import
    EXPECT_TRUE(summary->CountText().endsWith(
        "Imported exactly: 2\nKept as POV-Ray text: 0\nApproximated: 1\nSkipped: 0"));
    EXPECT_TRUE(summary->ListText().contains("woods.inc:5: approximated Glassy: transmit taken as "
                                             "filter"));
    view->Document().UndoStack().undo();
    EXPECT_EQ(CatalogOf(view).GetCount(), 17);
    view->Document().UndoStack().redo();

    // After another change the choice holds for the next import only.
    ClickTexture(view, 0);
    m_answer = QMessageBox::Yes;
    view->Commands().OnDelete();
    ASSERT_EQ(CatalogOf(view).GetCount(), 19);
    summary->ApproximateBox()->click();
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(m_app->Settings().importApproximate, 0);
    EXPECT_EQ(CatalogOf(view).GetCount(), 19);
    EXPECT_TRUE(summary->findChild<QLabel*>(QStringLiteral("noteLabel"))
                    ->text()
                    .contains("the choice holds for the next import"));
    ImportNow(view, {{woods}, QString(), QString()}, 19);
    EXPECT_EQ(Names(view, 19),
              (std::vector<std::string>{"Pale_Wood_2", "Glassy_2", "Plain_Red_2"}));
}

TEST_F(SourceImportTest, SourceThatCannotBeReadOrParsedAddsNothingAndNamesFileAndLine) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const QString woods = Write(QStringLiteral("woods.inc"), kWoods);
    const QString unclosed = Write(QStringLiteral("unclosed.inc"), "#declare A = texture {\n"
                                                                   "  pigment { rgb 1 }\n");
    const QString missing = Write(QStringLiteral("missing.pov"), "#declare B = 1;\n"
                                                                 "#include \"nothere.inc\"\n");
    const int steps = view->Document().UndoStack().count();
    struct Case {
        QStringList files;
        QString message;
    };
    const std::vector<Case> cases = {
        // The first file would import; nothing does when a later one fails.
        {{woods, unclosed}, unclosed + ":1: the block opened here is never closed"},
        {{missing}, missing + ":2: the include file \"nothere.inc\" cannot be found"},
        {{Path(QStringLiteral("gone.inc"))}, Path(QStringLiteral("gone.inc"))},
    };
    for (const Case& failing : cases) {
        m_messages.clear();
        AnswerFiles(failing.files);
        Trigger("Import Source");
        ASSERT_TRUE(WaitForImport(view));
        ASSERT_EQ(m_messages.size(), 1u) << failing.message.toStdString();
        EXPECT_EQ(m_messages[0].icon, Prompts::Icon::Warning);
        EXPECT_EQ(m_messages[0].title, "Import Source");
        EXPECT_TRUE(m_messages[0].text.startsWith(failing.message))
            << m_messages[0].text.toStdString();
        EXPECT_TRUE(m_messages[0].text.endsWith("\n\nNothing was imported."));
        EXPECT_EQ(CatalogOf(view).GetCount(), 17);
        EXPECT_EQ(view->Document().UndoStack().count(), steps);
        EXPECT_FALSE(view->Document().IsModified());
        EXPECT_EQ(Summary(view), nullptr);
    }
}

TEST_F(SourceImportTest, PasteImportsSourceCopiedElsewhereAndAddsTheProgramsOwnCopies) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    QClipboard* clipboard = QApplication::clipboard();
    clipboard->setText(QStringLiteral("Hello, world"));
    EXPECT_FALSE(Enabled("Paste")); // nothing copied here, and no source there

    clipboard->setText(QString::fromLatin1(kForumPost));
    Trigger("Paste");
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(Names(view, 17), (std::vector<std::string>{"Forum_Red"}));
    EXPECT_EQ(catalog.GetTexture(17).GetDescription(), "Copied from a forum");
    EXPECT_EQ(UndoText(), "&Undo Import");
    ASSERT_TRUE(Summary(view));
    EXPECT_TRUE(Summary(view)->CountText().startsWith("Source: Clipboard\n"));
    EXPECT_EQ(Summary(view)->ListText(), "Clipboard:2: imported Forum_Red");

    // Text from a web page: no-break spaces and typographic quotes, colours from colors.inc.
    clipboard->setText(QString::fromUtf8("#include \u201Ccolors.inc\u201D\n#declare\u00A0Web_Blue"
                                         "\u00A0=\u00A0texture { pigment { color Blue } }"));
    Trigger("Paste");
    ASSERT_TRUE(WaitForImport(view));
    ASSERT_EQ(catalog.GetCount(), 19);
    EXPECT_EQ(catalog.GetTexture(18).GetSource(SourceFlag::Declare),
              "#declare Web_Blue = texture\r\n{\r\n  pigment\r\n  {\r\n    colour "
              "rgb<0.000,0.000,1.000>\r\n  }\r\n}");

    // What the program copied itself comes back as the textures, thumbnails and all, also
    // once the clipboard holds some other text.
    ClickTexture(view, 0);
    view->Commands().OnCopy();
    for (const QString& other : {QString(), QStringLiteral("Hello, world")}) {
        if (!other.isEmpty())
            clipboard->setText(other);
        const int before = catalog.GetCount();
        Trigger("Paste");
        ASSERT_EQ(catalog.GetCount(), before + 1);
        EXPECT_EQ(catalog.GetTexture(before).GetName(), catalog.GetTexture(0).GetName());
        EXPECT_FALSE(catalog.GetTexture(before).Thumbnail().IsEmpty());
        EXPECT_EQ(UndoText(), "&Undo Paste 1 Texture");
    }
    // Source copied elsewhere wins over the program's copies; so do files copied in a file
    // manager.
    clipboard->setText(QString::fromLatin1(kForumPost));
    Trigger("Paste");
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(catalog.GetTexture(catalog.GetCount() - 1).GetName(), "Forum_Red_2");
    auto* files = new QMimeData;
    files->setUrls({QUrl::fromLocalFile(Write(QStringLiteral("woods.inc"), kWoods))});
    clipboard->setMimeData(files);
    const int before = catalog.GetCount();
    Trigger("Paste");
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(Names(view, before), (std::vector<std::string>{"Pale_Wood", "Glassy", "Plain_Red"}));
}

TEST_F(SourceImportTest, DroppedSourceFilesAndTextImportWhereTheyAreDropped) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const QString woods = Write(QStringLiteral("woods.inc"), kWoods);
    const QString other = Path(QStringLiteral("other.vlv"));
    ASSERT_TRUE(QFile::copy(Path(QStringLiteral("sample.vlv")), other));

    // Files on the left half of texture 2 go before it; a catalog dropped with them opens.
    QMimeData data;
    data.setUrls({QUrl::fromLocalFile(woods), QUrl::fromLocalFile(other)});
    const auto [x, y] = view->Layout().ThumbnailPosition(2);
    bool entered = false;
    SendDrop(view, data, QPoint(x + 10, y + 60 - view->verticalScrollBar()->value()), &entered);
    EXPECT_TRUE(entered);
    ASSERT_TRUE(WaitForImport(view));
    const Catalog& catalog = CatalogOf(view);
    ASSERT_EQ(catalog.GetCount(), 20);
    EXPECT_EQ(catalog.GetTexture(2).GetName(), "Pale_Wood");
    EXPECT_EQ(catalog.GetTexture(3).GetName(), "Glassy");
    EXPECT_EQ(view->Document().UndoStack().undoText(), "Import");
    ASSERT_EQ(m_app->Documents().size(), 2u);
    EXPECT_EQ(m_app->Documents()[1]->Title(), "other.vlv");

    // Dropped text that declares something imports; other text is not taken.
    view = dynamic_cast<CatalogView*>(m_app->Frame().ViewsOf(*m_app->Documents()[0]).value(0));
    ASSERT_TRUE(view);
    QMimeData text;
    text.setText(QString::fromLatin1(kForumPost));
    SendDrop(view, text, QPoint(5, view->viewport()->height() - 5));
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(catalog.GetCount(), 21);
    EXPECT_EQ(Summary(view)->ListText(), "Dropped text:2: imported Forum_Red");
    QMimeData plain;
    plain.setText(QStringLiteral("just some words"));
    SendDrop(view, plain, QPoint(5, 5), &entered);
    EXPECT_FALSE(entered);
    EXPECT_EQ(catalog.GetCount(), 21);
}

TEST_F(SourceImportTest, ImportedTexturesGetThumbnailsInTheBackgroundAndAFailedStartStopsTheRest) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->Settings().updateThumbnail = true;
    const QString woods = Write(QStringLiteral("woods.inc"), kWoods);
    // The textures are in at once, their pictures on the way.
    std::vector<CatalogModel::ThumbnailState> states;
    const auto noted =
        QObject::connect(&view->Commands().Importer(), &SourceImporter::imported, [&] {
            for (int index : {17, 18, 19})
                states.push_back(view->Document().Model().StateOf(index));
        });
    ImportNow(view, {{woods}, QString(), QString()}, 17);
    QObject::disconnect(noted);
    const Catalog& catalog = CatalogOf(view);
    ASSERT_EQ(catalog.GetCount(), 20);
    EXPECT_EQ(states, std::vector<CatalogModel::ThumbnailState>(3, CatalogModel::Rendering));
    ASSERT_TRUE(WaitForRenders(view));
    for (int index : {17, 18, 19}) {
        EXPECT_EQ(catalog.GetTexture(index).GetThumbnailWidth(), 120);
        EXPECT_EQ(catalog.GetTexture(index).GetThumbnailHeight(), 120);
    }
    EXPECT_EQ(view->Document().UndoStack().count(), 1) << "the pictures joined the import";
    view->BatchProgress()->Button()->click(); // the summary closed
    EXPECT_TRUE(m_messages.empty());

    // Imported again with approximations, only the texture that is new is rendered: without
    // POV-Ray that one fails and the others keep their pictures. The batch's summary says why,
    // without a message box.
    m_app->Settings().povExecutable = Path(QStringLiteral("no-povray"));
    view->Commands().Importer().Summary()->ApproximateBox()->click();
    ASSERT_TRUE(WaitForImport(view));
    ASSERT_EQ(Names(view, 17), (std::vector<std::string>{"Pale_Wood", "Glassy", "Plain_Red"}));
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_TRUE(m_messages.empty());
    EXPECT_EQ(catalog.GetTexture(17).GetThumbnailWidth(), 120);
    EXPECT_TRUE(catalog.GetTexture(18).Thumbnail().IsEmpty());
    EXPECT_EQ(catalog.GetTexture(19).GetThumbnailWidth(), 120);
    BatchBar* bar = view->BatchProgress();
    ASSERT_TRUE(bar->IsShowingSummary());
    EXPECT_EQ(bar->FailureText(), QString::fromLatin1(RenderMessages::CannotStart));
    bar->Button()->click();

    // A start that fails ends the batch there: the textures after it come in unrendered.
    ImportNow(view, {{woods}, QString(), QString()}, 20);
    ASSERT_EQ(catalog.GetCount(), 23);
    ASSERT_TRUE(WaitForRenders(view));
    for (int index : {20, 21, 22})
        EXPECT_TRUE(catalog.GetTexture(index).Thumbnail().IsEmpty());
    EXPECT_TRUE(bar->SummaryText().startsWith(QStringLiteral("0 rendered. Stopped after ")))
        << bar->SummaryText().toStdString();
    EXPECT_TRUE(m_messages.empty());
}

TEST_F(SourceImportTest, TheSummaryIsReadAndWorkedFromTheKeyboard) {
    ImportSummaryDialog dialog;
    ImportSummary summary;
    summary.source = QStringLiteral("a.inc, b.inc");
    summary.catalog = QStringLiteral("Catalog1");
    summary.imported = 1;
    summary.skipped = 1;
    summary.lines =
        QStringList{"a.inc:1: imported A", "b.inc:4: skipped B: crackle cannot be held"};
    dialog.ShowSummary(summary);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    QSignalSpy chosen(&dialog, &ImportSummaryDialog::approximateChosen);
    // Alt+A flips the choice; Alt+D goes to the list, whose text can be selected and copied.
    // Through the window, as the platform delivers keys, so access keys work as shortcuts.
    QTest::keyClick(dialog.windowHandle(), Qt::Key_A, Qt::AltModifier);
    // A button's access key clicks it a moment later, as a pressed button is seen to rise.
    ASSERT_TRUE(QTest::qWaitFor([&] { return chosen.size() == 1; }));
    EXPECT_TRUE(chosen[0][0].toBool());
    QTest::keyClick(dialog.windowHandle(), Qt::Key_D, Qt::AltModifier);
    auto* list = dialog.findChild<QPlainTextEdit*>(QStringLiteral("declarationList"));
    ASSERT_TRUE(list);
    EXPECT_TRUE(list->hasFocus());
    EXPECT_EQ(list->accessibleName(), "Declarations");
    QTest::keyClick(dialog.windowHandle(), Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(),
              "a.inc:1: imported A\nb.inc:4: skipped B: crackle cannot be held");
    dialog.findChild<QPushButton*>(QStringLiteral("copyButton"))->click();
    EXPECT_EQ(
        QApplication::clipboard()->text(),
        "Source: a.inc, b.inc\nCatalog: Catalog1\nImported exactly: 1\nKept as POV-Ray text: 0\n"
        "Approximated: 0\nSkipped: 1\n\na.inc:1: imported A\nb.inc:4: skipped B: crackle cannot be "
        "held\n");
    // Showing a summary sets the box without counting as the user's choice.
    summary.approximate = false;
    dialog.ShowSummary(summary);
    EXPECT_FALSE(dialog.ApproximateBox()->isChecked());
    EXPECT_EQ(chosen.size(), 1);
    QTest::keyClick(dialog.windowHandle(), Qt::Key_Escape);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(SourceImportTest, ALongImportLeavesTheWindowGoingAndCancelLeavesTheCatalogAsItWas) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const QString many = ManyIncludes();
    const int steps = view->Document().UndoStack().count();

    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(20);
    view->Commands().Importer().Import({{many}, QString(), QString()});
    // The progress shows beside the window, which goes on meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([view] {
        return view->Commands().Importer().Progress() &&
               view->Commands().Importer().Progress()->isVisible();
    }));
    QProgressDialog* progress = view->Commands().Importer().Progress();
    EXPECT_GT(ticks, 5);
    EXPECT_FALSE(progress->isModal());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
    EXPECT_EQ(progress->windowTitle(), "Import Source");
    EXPECT_EQ(progress->labelText(), "Reading many.pov...");
    EXPECT_TRUE(view->isEnabled());

    auto* cancel = progress->findChild<QPushButton*>();
    ASSERT_TRUE(cancel);
    EXPECT_EQ(cancel->text(), "Cancel");
    cancel->click();
    ASSERT_TRUE(WaitForImport(view));
    EXPECT_EQ(view->Commands().Importer().Progress(), nullptr);
    EXPECT_EQ(CatalogOf(view).GetCount(), 17);
    EXPECT_EQ(view->Document().UndoStack().count(), steps);
    EXPECT_FALSE(view->Document().IsModified());
    EXPECT_TRUE(m_messages.empty()) << "a cancel is not a failure";
    EXPECT_EQ(Summary(view), nullptr);

    // Left to run, the same import is refused at the limit, with nothing imported.
    view->Commands().Importer().Import({{many}, QString(), QString()});
    ASSERT_TRUE(WaitForImport(view));
    ASSERT_EQ(m_messages.size(), 1u);
    const std::string message = m_messages[0].text.toStdString();
    EXPECT_TRUE(message.starts_with(Path(QStringLiteral("stones.inc:")).toStdString())) << message;
    EXPECT_TRUE(message.ends_with(": the import reads more than 50000000 tokens\n\nNothing "
                                  "was imported."))
        << message;
    EXPECT_EQ(CatalogOf(view).GetCount(), 17);
}

TEST_F(SourceImportTest, ImportsAskedForWhileOneRunsFollowItEachAsAStepOfItsOwn) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    QByteArray pasted;
    for (int i = 0; i < 5000; ++i)
        pasted += "#declare Pasted_" + QByteArray::number(i) +
                  " = texture { pigment { rgb <1, 0, 0> } finish { phong 1 } }\n";
    QApplication::clipboard()->setText(QString::fromLatin1(pasted));
    Trigger("Paste");
    const QString woods = Write(QStringLiteral("woods.inc"), kWoods);
    view->Commands().Importer().Import({{woods}, QString(), QString()});
    EXPECT_TRUE(view->Commands().Importer().Busy());
    ASSERT_TRUE(WaitForImport(view));

    const Catalog& catalog = CatalogOf(view);
    ASSERT_EQ(catalog.GetCount(), 17 + 5000 + 3);
    EXPECT_EQ(catalog.GetTexture(17).GetName(), "Pasted_0");
    EXPECT_EQ(Names(view, 17 + 5000),
              (std::vector<std::string>{"Pale_Wood", "Glassy", "Plain_Red"}));
    EXPECT_EQ(Summary(view)->ListText(), "woods.inc:2: imported Pale_Wood\n"
                                         "woods.inc:5: source Glassy: transmit 0.5 cannot be held\n"
                                         "woods.inc:6: imported Plain_Red");
    EXPECT_EQ(UndoText(), "&Undo Import");
    view->Document().UndoStack().undo();
    EXPECT_EQ(catalog.GetCount(), 17 + 5000);
    EXPECT_EQ(UndoText(), "&Undo Import");
    view->Document().UndoStack().undo();
    EXPECT_EQ(catalog.GetCount(), 17);
}

TEST_F(SourceImportTest, AWindowClosedWhileItsImportRunsStopsIt) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    view->Commands().Importer().Import({{ManyIncludes()}, QString(), QString()});
    ASSERT_TRUE(view->Commands().Importer().Busy());
    const QPointer<CatalogView> watched = view;
    ASSERT_TRUE(m_app->Frame().MdiArea()->activeSubWindow()->close());
    ASSERT_TRUE(QTest::qWaitFor([&] { return watched.isNull(); }));
    EXPECT_TRUE(m_app->Documents().empty());
    // Nothing comes of it once the window is gone.
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_messages.empty());
}
