// The catalog window while thumbnails render in the background with the real POV-Ray: a batch
// that the user works beside (scrolling, selecting, finding, editing, starting another),
// thumbnails shown as they come, failures marked on their cells and named in the summary; the
// thumbnail of an edit joining the edit's undo step whenever it comes; closing and quitting
// with renders running; and texture maps saved as PNG opened again through File > Open.

#include "appfixture.h"
#include "core/catalog/catalog.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "povrayprocesses.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/povray/thumbnailbatchrender.h"
#include "render/settings/programsettings.h"
#include "testfiles.h"
#include "ui/app/renderstatus.h"
#include "ui/catalog/batchbar.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/catalogrenders.h"
#include "ui/dialogs/thumbnailoptionsdialog.h"
#include "ui/texmap/texturemapdocument.h"
#include "whenshown.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStatusBar>
#include <QTest>
#include <QUndoStack>
#include <QWheelEvent>
#include <algorithm>

namespace {

Catalog& CatalogOf(CatalogView* view) {
    return view->Document().Contents();
}

CatalogModel::ThumbnailState StateOf(CatalogView* view, int index) {
    return view->Document().Model().StateOf(index);
}

/// Whether two pictures are the same, pixel for pixel.
bool Same(const Bitmap& a, const Bitmap& b) {
    return a.Width() == b.Width() && a.Height() == b.Height() &&
           std::equal(a.Bits().begin(), a.Bits().end(), b.Bits().begin(), b.Bits().end());
}

/// The texture `name` turned into one POV-Ray cannot render (it stops parsing there).
void Break(SimpleTexture& texture, const std::string& name) {
    texture.SetName(name);
    texture.pigment.pattern = Pigment::ImageMap;
    texture.pigment.image.fileName = "no-such-picture.gif";
}

} // namespace

TEST_F(AppTest, ABatchRendersInTheBackgroundWhileTheWindowIsUsed) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    // One render at a time: the batch is still on its way while the window is used below,
    // however slowly the test runs.
    m_app->Settings().parallelRenders = 1;
    const std::vector<int> chosen = SimpleIndices(view, 8);
    ASSERT_EQ(chosen.size(), 8u);
    const int broken = chosen[2];
    Break(static_cast<SimpleTexture&>(catalog.GetTexture(broken)), "Broken");
    ChooseUnrendered(view, chosen);
    ASSERT_EQ(Selected(view), chosen);
    view->verticalScrollBar()->setValue(0);

    const std::size_t messages = m_messages.size();
    QSignalSpy status(m_app->Frame().statusBar(), &QStatusBar::messageChanged);
    view->Commands().OnRenderThumbnails();
    // The command returns at once: the batch runs behind the window, which shows how far it is.
    EXPECT_EQ(view->Renders().Batches().size(), 1u);
    BatchBar* bar = view->BatchProgress();
    EXPECT_TRUE(bar->isVisible());
    EXPECT_EQ(bar->JobText(), QStringLiteral("0 of 8 textures"));
    EXPECT_EQ(bar->Button()->text(), QStringLiteral("&Stop"));
    for (int index : chosen)
        EXPECT_EQ(StateOf(view, index), CatalogModel::Rendering) << index;
    EXPECT_EQ(m_app->Renders().Limit(), 1);

    // The first thumbnail shows as soon as it is there; the others are still on their way.
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return catalog.GetTexture(chosen[0]).GetThumbnailWidth() > 0; }, 60000));
    EXPECT_EQ(StateOf(view, chosen[0]), CatalogModel::Shown);
    ASSERT_EQ(view->Renders().Batches().size(), 1u) << "the batch ended before it could be used";
    EXPECT_LE(m_app->Renders().Running(), 1) << "Parallel Renders holds";

    // Meanwhile the window is the user's: the wheel scrolls,
    const QPoint at = view->viewport()->rect().center();
    QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(view->viewport(), &wheel);
    EXPECT_GT(view->verticalScrollBar()->value(), 0);
    // Find narrows the grid,
    view->SetFilter(QStringLiteral("Broken"));
    EXPECT_EQ(view->ShownIndices(), std::vector<int>{broken});
    view->SetFilter(QString());
    // a click selects another texture,
    int other = catalog.GetCount() - 1;
    while (other > chosen.back() && catalog.GetTexture(other).Kind() != TextureKind::Simple)
        --other;
    ASSERT_GT(other, chosen.back());
    ClickTexture(view, other);
    EXPECT_EQ(Selected(view), std::vector<int>{other});
    // it is edited (its thumbnail goes ahead of the batch's),
    m_editors.editSimple = [](SimpleTexture& texture) { texture.pigment.color = {10, 200, 10, 0}; };
    view->Commands().OnModify();
    EXPECT_EQ(StateOf(view, other), CatalogModel::Rendering);
    // a second batch waits its turn behind the first,
    view->Commands().OnRenderThumbnails();
    EXPECT_EQ(view->Renders().Batches().size(), 2u);
    EXPECT_TRUE(bar->JobText().endsWith(QStringLiteral("; 1 batch more waiting")))
        << bar->JobText().toStdString();
    // and a texture the first batch has yet to render joins the selection.
    ASSERT_EQ(StateOf(view, chosen[7]), CatalogModel::Rendering);
    ClickTexture(view, chosen[7], Qt::ControlModifier);

    ASSERT_TRUE(WaitForRenders(view));
    // Every texture but the broken one has its picture; the broken one is marked, says why on
    // hover and in the status line, and no message box came.
    for (int index : chosen)
        EXPECT_EQ(catalog.GetTexture(index).GetThumbnailWidth(), index == broken ? 0 : 120)
            << index;
    EXPECT_EQ(catalog.GetTexture(other).GetThumbnailWidth(), 120);
    EXPECT_EQ(StateOf(view, broken), CatalogModel::Failed);
    const QString tip = view->Document().Model().index(broken).data(Qt::ToolTipRole).toString();
    EXPECT_TRUE(tip.contains(QStringLiteral("The thumbnail of \"Broken\" could not be rendered: "
                                            "POV-Ray could not render the texture")))
        << tip.toStdString();
    EXPECT_TRUE(std::any_of(status.begin(), status.end(), [](const QList<QVariant>& message) {
        return message.at(0).toString().contains(QStringLiteral("Broken"));
    }));
    EXPECT_EQ(m_messages.size(), messages) << "no question, no message";
    // The user chose a selection of their own while they ran: the batches left it alone.
    EXPECT_EQ(Selected(view), (std::vector<int>{chosen[7], other}));
    // The summary stays below the grid a while, or until it is closed.
    ASSERT_TRUE(bar->IsShowingSummary());
    EXPECT_TRUE(bar->SummaryText().startsWith(QStringLiteral("1 rendered. Finished in ")))
        << bar->SummaryText().toStdString();
    EXPECT_EQ(bar->Button()->text(), QStringLiteral("&Close"));
    QTest::mouseClick(bar->Button(), Qt::LeftButton);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(view->Document().IsModified());
    EXPECT_EQ(m_app->Renders().Left(), 0);
    EXPECT_EQ(PovRaysRunning(), 0);
}

TEST_F(AppTest, TheSummaryNamesTheTexturesThatFailedAndTheSelectionStays) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    m_app->Settings().parallelRenders = 3;
    const std::vector<int> chosen = SimpleIndices(view, 4);
    ASSERT_EQ(chosen.size(), 4u);
    Break(static_cast<SimpleTexture&>(catalog.GetTexture(chosen[1])), "Broken");
    for (int index : chosen)
        ClickTexture(view, index, Qt::ControlModifier);
    view->Commands().OnRenderThumbnails();
    ASSERT_EQ(view->Renders().Batches().size(), 1u);
    // The batch's end is told to everyone listening, and the batch goes afterwards.
    const QPointer<ThumbnailBatchRender> render(
        const_cast<ThumbnailBatchRender*>(view->Renders().Batches().front()));
    QSignalSpy ended(render.data(), &ThumbnailBatchRender::finished);
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return render.isNull(); }, 5000));
    BatchBar* bar = view->BatchProgress();
    EXPECT_TRUE(
        bar->SummaryText().startsWith(QStringLiteral("3 rendered, 1 failed: Broken. Finished in ")))
        << bar->SummaryText().toStdString();
    EXPECT_TRUE(bar->FailureText().startsWith(
        QStringLiteral("Broken: POV-Ray could not render the texture")));
    // The cells' marks tell what came and what failed; the selection is the user's.
    EXPECT_EQ(Selected(view), chosen);
    EXPECT_EQ(StateOf(view, chosen[1]), CatalogModel::Failed);
    EXPECT_EQ(view->Document().UndoStack().undoText(), QStringLiteral("Render 3 Thumbnails"));
    EXPECT_EQ(bar->JobText(), QStringLiteral("4 of 4 textures"));
}

TEST_F(AppTest, UndoOfAnEditWhoseThumbnailArrivesAfterwardsBringsBackTheOldPicture) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    const int index = SimpleIndices(view, 1).at(0);
    ClickTexture(view, index);
    const Bitmap oldPicture = catalog.GetTexture(index).Thumbnail();
    const std::string oldSource = catalog.GetTexture(index).GetSource(SourceFlag::Declare);
    m_editors.editSimple = [](SimpleTexture& texture) {
        texture.pigment.color = {250, 250, 0, 0};
        texture.pigment.pattern = Pigment::SolidColor;
    };

    // OK: the change is made at once, over the old picture, which is marked busy.
    view->Commands().OnModify();
    EXPECT_NE(catalog.GetTexture(index).GetSource(SourceFlag::Declare), oldSource);
    EXPECT_TRUE(Same(catalog.GetTexture(index).Thumbnail(), oldPicture));
    EXPECT_EQ(StateOf(view, index), CatalogModel::Rendering);
    // Undone before the picture came: the old texture with its old picture, and no busy mark.
    view->Document().UndoStack().undo();
    EXPECT_EQ(catalog.GetTexture(index).GetSource(SourceFlag::Declare), oldSource);
    EXPECT_EQ(StateOf(view, index), CatalogModel::Shown);
    ASSERT_TRUE(WaitForRenders(view));
    // The picture joined the edit, not the texture on screen.
    EXPECT_TRUE(Same(catalog.GetTexture(index).Thumbnail(), oldPicture));
    EXPECT_EQ(catalog.GetTexture(index).GetSource(SourceFlag::Declare), oldSource);
    view->Document().UndoStack().redo();
    const Bitmap newPicture = catalog.GetTexture(index).Thumbnail();
    EXPECT_FALSE(Same(newPicture, oldPicture));
    EXPECT_EQ(newPicture.Width(), 120);
    EXPECT_EQ(StateOf(view, index), CatalogModel::Shown);

    // Undone after the picture came: both come back together, and go again with Redo.
    view->Document().UndoStack().undo();
    EXPECT_TRUE(Same(catalog.GetTexture(index).Thumbnail(), oldPicture));
    view->Document().UndoStack().redo();
    EXPECT_TRUE(Same(catalog.GetTexture(index).Thumbnail(), newPicture));
    EXPECT_EQ(view->Document().UndoStack().count(), 1) << "the picture is part of the edit";
}

TEST_F(AppTest, AFailedThumbnailMarksItsCellAndKeepsTheEdit) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    const int index = SimpleIndices(view, 1).at(0);
    ClickTexture(view, index);
    const Bitmap oldPicture = catalog.GetTexture(index).Thumbnail();
    m_editors.editSimple = [](SimpleTexture& texture) { Break(texture, "Unreadable"); };
    const std::size_t messages = m_messages.size();
    view->Commands().OnModify();
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(catalog.GetTexture(index).GetName(), "Unreadable");
    EXPECT_TRUE(Same(catalog.GetTexture(index).Thumbnail(), oldPicture));
    EXPECT_EQ(StateOf(view, index), CatalogModel::Failed);
    EXPECT_TRUE(view->Document()
                    .Model()
                    .index(index)
                    .data(CatalogModel::ThumbnailProblemRole)
                    .toString()
                    .startsWith(QStringLiteral("The thumbnail of \"Unreadable\" could not be "
                                               "rendered: POV-Ray could not render the texture")));
    EXPECT_TRUE(
        m_app->Frame().statusBar()->currentMessage().contains(QStringLiteral("Unreadable")));
    EXPECT_EQ(m_messages.size(), messages) << "no message box";
}

TEST_F(AppTest, ClosingAWindowOrQuittingWithRendersRunningAsksAndLeavesNothingBehind) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    m_app->Settings().parallelRenders = 2;
    m_app->Settings().antialiasing = true; // slower renders, so they still run when asked
    m_app->Settings().antialiasingThreshold = 0.0f;
    m_app->Settings().raysPerPixel = 4;
    for (int index : SimpleIndices(view, 1000))
        ClickTexture(view, index, Qt::ControlModifier);
    view->Commands().OnRenderThumbnails();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_app->Renders().Running() == 2; }, 30000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return PovRaysRunning() > 0; }, 30000));
    EXPECT_GT(view->Renders().Left(), 2);

    // No: the window stays and the batch goes on. The question counts as the status line does.
    QMdiSubWindow* window = m_app->Frame().MdiArea()->activeSubWindow();
    m_answer = QMessageBox::No;
    const RenderQueue::Tally tally = m_app->Renders().TallyFor(&view->Document());
    EXPECT_GE(tally.running, 2) << "two runs, each with its frames";
    EXPECT_EQ(tally.running + tally.waiting, view->Renders().Left());
    EXPECT_FALSE(window->close());
    ASSERT_FALSE(m_messages.empty());
    // Every texture may have gone into a run already, or some may still wait.
    if (tally.waiting > 0) {
        EXPECT_EQ(m_messages.back().text,
                  QStringLiteral("Renders are still going for sample.vlv: %1 running, %2 waiting. "
                                 "Stop them and close the window?")
                      .arg(tally.running)
                      .arg(tally.waiting));
        EXPECT_EQ(m_app->Frame().statusBar()->findChild<RenderStatus*>()->Text(),
                  QStringLiteral("Rendering: %1 running, %2 waiting")
                      .arg(tally.running)
                      .arg(tally.waiting));
    } else {
        EXPECT_EQ(m_messages.back().text,
                  QStringLiteral("%1 renders are still running for sample.vlv. Stop them and close "
                                 "the window?")
                      .arg(tally.running));
        EXPECT_EQ(m_app->Frame().statusBar()->findChild<RenderStatus*>()->Text(),
                  QStringLiteral("Rendering: %1 running").arg(tally.running));
    }
    EXPECT_FALSE(view->Renders().Batches().empty());

    // Quitting asks too; Yes stops them all, and once the program is gone no POV-Ray runs and
    // no scratch folder is left.
    const QString scratch = m_app->Renders().Runner().ScratchFolder();
    ASSERT_FALSE(scratch.isEmpty());
    m_answer = QMessageBox::Yes;
    view->Document().SetModifiedFlag(false);
    EXPECT_TRUE(m_app->Frame().close());
    EXPECT_TRUE(m_messages.back().text.endsWith(QStringLiteral(" Stop them and quit?")))
        << m_messages.back().text.toStdString();
    m_app.reset();
    EXPECT_EQ(PovRaysRunning(), 0);
    EXPECT_FALSE(QFileInfo::exists(scratch));
}

TEST_F(AppTest, OpenListsBitmapsAndOpensAPngAsATextureMap) {
    EXPECT_EQ(m_app->OpenFilters(),
              QStringLiteral("Velvane (*.vlv);;Bitmap (*.bmp);;PNG (*.png);;All Files (*)"));
    const QString png = Path(QStringLiteral("Map.PNG"));
    {
        TextureMapDocument map(m_app->TextureMapTemplate());
        std::vector<std::uint8_t> pixels(8 * 4 * 3, 0x40);
        ASSERT_TRUE(map.SetImage(pixels, 8, 4));
        ASSERT_TRUE(map.Store(png));
    }
    QString asked;
    Prompts::SetFileResponder([&](const QString& caption, const QString&) {
        asked = caption;
        return png;
    });
    m_app->OnFileOpen();
    EXPECT_EQ(asked, QStringLiteral("Open"));
    ASSERT_EQ(m_app->Documents().size(), 1u);
    auto* map = qobject_cast<TextureMapDocument*>(m_app->Documents().front().get());
    ASSERT_NE(map, nullptr) << "a PNG opens as a texture map, not a catalog";
    EXPECT_EQ(map->Width(), 8);
    EXPECT_EQ(map->Title(), QStringLiteral("Map.PNG"));
}

TEST_F(AppTest, TheBarWritesThePercentAfterTheNumberAndGoesSoonAfterTheSummary) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    BatchBar* bar = view->BatchProgress();
    bar->SetSummaryLinger(200);
    for (int index : SimpleIndices(view, 2))
        ClickTexture(view, index, Qt::ControlModifier);
    view->Commands().OnRenderThumbnails();
    ASSERT_TRUE(bar->isVisible());
    const QRegularExpression percent(QStringLiteral("^\\d{1,3}%$"));
    EXPECT_TRUE(percent.match(bar->PercentText()).hasMatch()) << bar->PercentText().toStdString();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            EXPECT_TRUE(bar->IsShowingSummary() || percent.match(bar->PercentText()).hasMatch())
                << bar->PercentText().toStdString();
            return bar->IsShowingSummary();
        },
        60000));
    const QString summary = bar->SummaryText();
    EXPECT_TRUE(summary.startsWith(QStringLiteral("2 rendered."))) << summary.toStdString();
    // The bar goes by itself; the status line keeps what it said.
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->isHidden(); }, 5000));
    EXPECT_FALSE(view->Renders().LastSummary().has_value());
    EXPECT_EQ(m_app->Frame().statusBar()->currentMessage(), summary);
}

TEST_F(AppTest, TheNextCatalogCommandClosesTheSummary) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    BatchBar* bar = view->BatchProgress();
    bar->SetSummaryLinger(600000);
    ClickTexture(view, SimpleIndices(view, 1).at(0));
    view->Commands().OnRenderThumbnails();
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->IsShowingSummary(); }, 60000));
    EXPECT_EQ(bar->JobText(), QStringLiteral("1 of 1 texture"));
    // It stays while the user does nothing; a catalog command closes it at once.
    QApplication::processEvents();
    EXPECT_TRUE(bar->isVisible());
    QAction* selectAll = view->Action(QStringLiteral("Select All"));
    ASSERT_TRUE(selectAll);
    selectAll->trigger();
    EXPECT_TRUE(bar->isHidden());
    EXPECT_FALSE(view->Renders().LastSummary().has_value());
    EXPECT_GT(Selected(view).size(), 1u) << "the command itself ran";
}

namespace {

/// A POV-Ray that renders one picture each time the test opens its gate, so that the test
/// decides when thumbnails come.
class GatedPovRay {
public:
    /// One render at a time, so pictures come in catalog order.
    GatedPovRay(const QString& folder, ProgramSettings& settings)
        : m_gate(folder + QStringLiteral("/gate")) {
        settings.parallelRenders = 1;
        settings.povExecutable =
            PutScript(folder + QStringLiteral("/gated-povray.sh"),
                      QStringLiteral("case \"$*\" in *--version*) exec %1 \"$@\";; esac\n"
                                     "while ! rm %2 2>/dev/null; do sleep 0.02; done\n"
                                     "exec %1 \"$@\"\n")
                          .arg(DefaultPovExecutable(), m_gate)
                          .toUtf8());
    }
    /// Lets the next render through.
    void Open() const { PutFile(m_gate, QByteArray()); }

private:
    QString m_gate;
};

} // namespace

TEST_F(AppTest, UndoDuringABatchTakesBackTheUsersLastEditAndNoPictureLandsInAnUndoneStep) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    const GatedPovRay povray(m_dir.path(), m_app->Settings());
    const std::vector<int> chosen = SimpleIndices(view, 4);
    ASSERT_EQ(chosen.size(), 4u);
    ChooseUnrendered(view, chosen);
    const int count = catalog.GetCount();
    QUndoStack& stack = view->Document().UndoStack();
    auto hasPicture = [&](int index) { return catalog.GetTexture(index).GetThumbnailWidth() > 0; };

    view->Commands().OnRenderThumbnails();
    EXPECT_EQ(stack.undoText(), QStringLiteral("Render Thumbnails"));
    povray.Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasPicture(chosen[0]); }, 60000));
    EXPECT_EQ(stack.undoText(), QStringLiteral("Render 1 Thumbnail"));

    // The user deletes a texture while the batch runs; the next thumbnail comes after that.
    const int other = count - 1;
    ClickTexture(view, other);
    view->Commands().OnDelete();
    ASSERT_EQ(catalog.GetCount(), count - 1);
    EXPECT_EQ(stack.undoText(), QStringLiteral("Delete 1 Texture"));
    povray.Open();
    ASSERT_TRUE(QTest::qWaitFor([&] { return hasPicture(chosen[1]); }, 60000));
    EXPECT_EQ(stack.undoText(), QStringLiteral("Delete 1 Texture")) << "the user's edit is last";

    // Undo takes back the delete, and the pictures stay.
    stack.undo();
    EXPECT_EQ(catalog.GetCount(), count);
    EXPECT_TRUE(hasPicture(chosen[0]) && hasPicture(chosen[1]));
    EXPECT_EQ(stack.undoText(), QStringLiteral("Render 2 Thumbnails")) << "it counts what it holds";

    // Undo again takes back the batch: its pictures go, and it stops; nothing comes later.
    stack.undo();
    EXPECT_FALSE(hasPicture(chosen[0]) || hasPicture(chosen[1]));
    povray.Open();
    ASSERT_TRUE(WaitForRenders(view));
    for (int index : chosen)
        EXPECT_FALSE(hasPicture(index)) << index;
    EXPECT_EQ(stack.redoText(), QStringLiteral("Render 2 Thumbnails"));
    ASSERT_TRUE(view->Document().Renders());
    ASSERT_TRUE(view->Document().Renders()->LastSummary().has_value());
    EXPECT_TRUE(view->Document().Renders()->LastSummary()->stopped);

    // Redo brings back the two that came.
    stack.redo();
    EXPECT_TRUE(hasPicture(chosen[0]) && hasPicture(chosen[1]));
    EXPECT_FALSE(hasPicture(chosen[2]));
}

TEST_F(AppTest, ABatchStepThatTookNothingGoesAndASaveDuringABatchKeepsItsState) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    const GatedPovRay povray(m_dir.path(), m_app->Settings());
    const std::vector<int> chosen = SimpleIndices(view, 2);
    ChooseUnrendered(view, chosen);
    QUndoStack& stack = view->Document().UndoStack();
    CatalogDocument& document = view->Document();

    // Stopped before anything came: no step is left, and the catalog is as it was.
    view->Commands().OnRenderThumbnails();
    EXPECT_EQ(stack.count(), 1);
    view->Renders().StopBatches();
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(stack.count(), 0);
    EXPECT_FALSE(document.IsModified());

    // Saved while it runs: a picture that comes afterwards changes the catalog again, and
    // Undo goes back to the saved state first.
    view->Commands().OnRenderThumbnails();
    povray.Open();
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return catalog.GetTexture(chosen[0]).GetThumbnailWidth() > 0; }, 60000));
    ASSERT_TRUE(document.Store(Path(QStringLiteral("saved.vlv"))));
    document.SetModifiedFlag(false);
    povray.Open();
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(catalog.GetTexture(chosen[1]).GetThumbnailWidth(), 120);
    EXPECT_TRUE(document.IsModified());
    stack.undo();
    EXPECT_FALSE(document.IsModified()) << "back at the saved state";
    EXPECT_EQ(catalog.GetTexture(chosen[1]).GetThumbnailWidth(), 0);
    EXPECT_EQ(catalog.GetTexture(chosen[0]).GetThumbnailWidth(), 120);
}

TEST_F(AppTest, OnlyLayeredTexturesAskWhichThumbnailsAndTheLastAnswerIsKept) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    int layered = 0;
    while (layered < catalog.GetCount() &&
           catalog.GetTexture(layered).Kind() != TextureKind::Layered)
        ++layered;
    ASSERT_LT(layered, catalog.GetCount());
    const auto& texture = static_cast<const LayeredTexture&>(catalog.GetTexture(layered));
    const Bitmap composite = texture.Thumbnail();
    const TextureId id = texture.GetId();
    m_app->Settings().thumbnailChoice = ThumbnailOptionsDialog::Composite;
    ClickTexture(view, layered);

    // The question starts from the last answer; the layers alone are chosen now.
    bool asked = false;
    WhenShownOrFail<ThumbnailOptionsDialog>([&](ThumbnailOptionsDialog* options) {
        asked = true;
        EXPECT_EQ(options->Prompt(), QStringLiteral("Which thumbnails of the layered textures "
                                                    "would you like to render?"));
        EXPECT_TRUE(options->OptionButton(ThumbnailOptionsDialog::Composite)->isChecked());
        options->OptionButton(ThumbnailOptionsDialog::Layers)->click();
        options->accept();
    });
    view->Commands().OnRenderThumbnails();
    ASSERT_TRUE(asked);
    ASSERT_TRUE(WaitForRenders(view));
    EXPECT_EQ(m_app->Settings().thumbnailChoice, ThumbnailOptionsDialog::Layers);
    const auto& rendered =
        static_cast<const LayeredTexture&>(catalog.GetTexture(view->Document().Model().RowOf(id)));
    EXPECT_TRUE(Same(rendered.Thumbnail(), composite)) << "the composite was not asked for";
    EXPECT_EQ(rendered.GetLayer(0)->GetThumbnailWidth(), 100);

    // The next time it starts from there.
    WhenShownOrFail<ThumbnailOptionsDialog>([&](ThumbnailOptionsDialog* options) {
        EXPECT_TRUE(options->OptionButton(ThumbnailOptionsDialog::Layers)->isChecked());
        options->reject();
    });
    view->Commands().OnRenderThumbnails();
    EXPECT_TRUE(view->Renders().IsIdle()) << "Cancel renders nothing";
}

namespace {

/// A stand-in POV-Ray that writes each picture, each frame of a run included, only once the
/// test opens its gate: a frame's file appears as it begins, as POV-Ray's does, and gets its
/// picture when the gate opens.
class PictureGate {
public:
    /// Pictures of the catalog's thumbnail size `size` and of the layers' size.
    PictureGate(const QString& folder, ProgramSettings& settings, int size)
        : m_gate(folder + QStringLiteral("/gate")) {
        for (int side : {size, ThumbnailBatch::kLayerThumbnailSize}) {
            QByteArray targa(18, '\0');
            targa[2] = 2; // uncompressed true colour
            targa[12] = static_cast<char>(side);
            targa[14] = static_cast<char>(side);
            targa[16] = 24;
            PutFile(folder + QStringLiteral("/picture-%1.tga").arg(side),
                    targa + QByteArray(side * side * 3, '\x50'));
        }
        // Built without arg(): the script has printf's own "%0".
        settings.povExecutable =
            PutScript(folder + QStringLiteral("/povray-gated"),
                      "case \"$*\" in *--version*) echo 'POV-Ray 3.7.0'; exit 0;; esac\n"
                      "frames=1\n"
                      "for word; do case $word in +o*) out=${word#+o};; +w*) width=${word#+w};; "
                      "+kff*) frames=${word#+kff};; esac; done\n"
                      "n=1\n"
                      "while [ $n -le $frames ]; do\n"
                      "  file=$out\n"
                      "  [ $frames -gt 1 ] && file=${out%.*}$(printf %0${#frames}d $n).${out##*.}\n"
                      "  : > $file\n"
                      "  while ! rm '" +
                          m_gate.toUtf8() +
                          "' 2>/dev/null; do sleep 0.02; done\n"
                          "  cat '" +
                          folder.toUtf8() +
                          "/picture-'$width.tga > $file\n"
                          "  n=$((n + 1))\n"
                          "done");
    }
    /// Lets one more picture through.
    void Open() const { PutFile(m_gate, QByteArray()); }

private:
    QString m_gate;
};

/// The texts a screen reader reads of `widget`: its description, or the names of its parts of
/// role `role`.
QString DescriptionOf(QWidget* widget) {
    return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Description);
}
QStringList NamesOf(QWidget* widget, QAccessible::Role role) {
    QStringList names;
    QAccessibleInterface* bar = QAccessible::queryAccessibleInterface(widget);
    for (int k = 0; k < bar->childCount(); ++k)
        if (QAccessibleInterface* part = bar->child(k);
            part->role() == role && !part->state().invisible)
            names << part->text(QAccessible::Name);
    return names;
}

} // namespace

TEST_F(AppTest, TheBarTheStatusLineAndTheEditMenuCountABatchAlike) {
    CatalogView* view = OpenSample();
    ASSERT_TRUE(view);
    const PictureGate povray(m_dir.path(), m_app->Settings(), CatalogOf(view).GetThumbnailWidth());
    // One place: the twelve thumbnails are the frames of one run, which renders one at a time.
    m_app->Settings().parallelRenders = 1;
    const std::vector<int> chosen = SimpleIndices(view, 12);
    ASSERT_EQ(chosen.size(), 12u);
    for (int index : chosen)
        ClickTexture(view, index, Qt::ControlModifier);
    BatchBar* bar = view->BatchProgress();
    bar->SetSummaryLinger(600000);
    auto* status = m_app->Frame().statusBar()->findChild<RenderStatus*>();
    auto undoText = [&] {
        m_app->Frame().UpdateCommands();
        return m_app->Frame().Action(QStringLiteral("Undo"))->text();
    };
    // Every figure once `done` pictures have come, as the window shows it all at that moment.
    auto figures = [&](int done) {
        const QString count = QStringLiteral("%1 of 12 textures").arg(done);
        const QString caption = QStringLiteral("Rendering texture %1 of 12").arg(done + 1);
        const QString percent = QStringLiteral("%1%").arg(100 * done / 12);
        return QStringList{caption,
                           percent,
                           count,
                           QStringLiteral("%1 of 12").arg(done),
                           QStringLiteral("Rendering: 1 running, %1 waiting").arg(11 - done),
                           done == 0   ? QStringLiteral("&Undo Render Thumbnails")
                           : done == 1 ? QStringLiteral("&Undo Render 1 Thumbnail")
                                       : QStringLiteral("&Undo Render %1 Thumbnails").arg(done),
                           QStringLiteral("%1, %2. %3").arg(caption, percent, count)};
    };
    auto shown = [&] {
        return QStringList{
            bar->CaptionText(),
            bar->PercentText(),
            bar->JobText().section(QLatin1Char(','), 0, 0),
            QStringLiteral("%1 of %2").arg(bar->JobBarValue()).arg(bar->JobBarMaximum()),
            status->Text(),
            undoText(),
            DescriptionOf(view)
                .section(QLatin1Char(','), 0, 1)
                .remove(QRegularExpression(QStringLiteral("\\.$")))};
    };

    view->Commands().OnRenderThumbnails();
    int opened = 0;
    for (int done : {0, 1, 2, 5, 9}) {
        SCOPED_TRACE(done);
        for (; opened < done; ++opened) {
            povray.Open();
            ASSERT_TRUE(QTest::qWaitFor(
                [&] { return !QFileInfo::exists(Path(QStringLiteral("gate"))); }, 30000));
        }
        // Nothing settles on its own: what the window shows now, it shows all together.
        QTRY_COMPARE_WITH_TIMEOUT(bar->CaptionText(), figures(done).front(), 30000);
        EXPECT_EQ(shown(), figures(done));
        EXPECT_EQ(PovRaysRunning(), 1);
    }
    // Stopped: the summary is an alert, so a screen reader says it as it shows.
    QTest::mouseClick(bar->Button(), Qt::LeftButton);
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->IsShowingSummary(); }, 30000));
    const QString summary = bar->SummaryText();
    EXPECT_TRUE(summary.startsWith(QStringLiteral("9 rendered. Stopped after ")) &&
                summary.endsWith(QStringLiteral("; 3 not rendered.")))
        << summary.toStdString();
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Render 9 Thumbnails"));
    EXPECT_EQ(NamesOf(bar, QAccessible::AlertMessage), QStringList{summary});
    EXPECT_EQ(DescriptionOf(view), summary);

    // Render the Rest renders the three it left, counted afresh.
    ASSERT_TRUE(bar->RestButton()->isVisible());
    QTest::mouseClick(bar->RestButton(), Qt::LeftButton);
    ASSERT_EQ(view->Renders().Batches().size(), 1u);
    QTRY_COMPARE_WITH_TIMEOUT(bar->CaptionText(), QStringLiteral("Rendering texture 1 of 3"),
                              30000);
    EXPECT_EQ(bar->JobText(), QStringLiteral("0 of 3 textures"));
    view->Renders().StopBatches();
    ASSERT_TRUE(WaitForRenders(view));

    // A layered texture counts once all its thumbnails have come, in the Edit menu too.
    Catalog& catalog = CatalogOf(view);
    int layered = 0;
    while (layered < catalog.GetCount() &&
           catalog.GetTexture(layered).Kind() == TextureKind::Simple)
        ++layered;
    ASSERT_LT(layered, catalog.GetCount());
    ClickTexture(view, layered);
    m_app->Settings().thumbnailChoice = ThumbnailOptionsDialog::Both;
    WhenShownOrFail<ThumbnailOptionsDialog>(
        [](ThumbnailOptionsDialog* options) { options->accept(); });
    view->Commands().OnRenderThumbnails();
    const int layers =
        static_cast<const LayeredTexture&>(catalog.GetTexture(layered)).GetLayerCount();
    povray.Open();
    QTRY_COMPARE_WITH_TIMEOUT(
        bar->CaptionText(),
        QStringLiteral("Rendering thumbnail 1 of 1 (Layer 1 of %1)").arg(layers), 30000);
    EXPECT_EQ(
        QStringList({bar->JobText().section(QLatin1Char(','), 0, 0), undoText(), status->Text()}),
        QStringList({QStringLiteral("0 of 1 texture"), QStringLiteral("&Undo Render Thumbnails"),
                     QStringLiteral("Rendering: 1 running, %1 waiting").arg(layers - 1)}));
    for (int k = 0; k < layers; ++k) {
        povray.Open();
        ASSERT_TRUE(QTest::qWaitFor(
            [&] { return !QFileInfo::exists(Path(QStringLiteral("gate"))); }, 30000));
    }
    ASSERT_TRUE(QTest::qWaitFor([&] { return bar->IsShowingSummary(); }, 30000));
    EXPECT_TRUE(bar->SummaryText().startsWith(QStringLiteral("1 rendered.")));
    EXPECT_EQ(undoText(), QStringLiteral("&Undo Render 1 Thumbnail"));

    // What a stopped batch left went with the step that brought it: Render the Rest says so.
    ClickTexture(view, chosen[0]);
    view->Commands().OnCopy();
    view->Commands().OnPaste();
    ASSERT_EQ(undoText(), QStringLiteral("&Undo Paste 1 Texture"));
    ClickTexture(view, catalog.GetCount() - 1);
    view->Commands().OnRenderThumbnails();
    view->Renders().StopBatches();
    ASSERT_TRUE(WaitForRenders(view));
    ASSERT_TRUE(bar->RestButton()->isVisible());
    ASSERT_EQ(undoText(), QStringLiteral("&Undo Paste 1 Texture"));
    m_app->Frame().Action(QStringLiteral("Undo"))->trigger();
    QTest::mouseClick(bar->RestButton(), Qt::LeftButton);
    EXPECT_TRUE(view->Renders().IsIdle());
    EXPECT_EQ(m_app->Frame().statusBar()->currentMessage(),
              QStringLiteral("Nothing left to render."));
}
