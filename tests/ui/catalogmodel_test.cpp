// The catalog model: what views read from it, the signals by which the undo steps tell them
// what changed, and the selection, which is the catalog's flags shown by each window.

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/catalogselection.h"
#include "ui/framework/documenttemplate.h"

#include <QAbstractItemModelTester>
#include <QImage>
#include <QMimeData>
#include <QSignalSpy>
#include <QStringListModel>
#include <gtest/gtest.h>
#include <numeric>
#include <random>
#include <set>

namespace {

/// A texture named by its number, with a thumbnail of one colour that tells the number.
std::unique_ptr<Texture> Numbered(int number) {
    auto texture = std::make_unique<SimpleTexture>();
    // Named, not a temporary: "T" + std::to_string(...) draws GCC 12's false -Wrestrict at -O3.
    const std::string digits = std::to_string(number);
    texture->SetName("T" + digits);
    texture->SetDescription("number " + digits);
    std::vector<std::uint8_t> pixels(4 * 4 * 3, static_cast<std::uint8_t>(number));
    texture->Thumbnail().SetBits(4, 4, pixels, false);
    return texture;
}

std::vector<std::unique_ptr<Texture>> Textures(std::initializer_list<int> numbers) {
    std::vector<std::unique_ptr<Texture>> textures;
    for (int number : numbers)
        textures.push_back(Numbered(number));
    return textures;
}

/// The (first, last) rows of each signal of a row signal spy, in order.
std::vector<std::pair<int, int>> Runs(const QSignalSpy& spy) {
    std::vector<std::pair<int, int>> runs;
    for (const QList<QVariant>& call : spy)
        runs.emplace_back(call.at(1).toInt(), call.at(2).toInt());
    return runs;
}

/// Collects what Qt's model tester finds wrong with the signals.
std::vector<QString> g_complaints;
void Collect(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type != QtDebugMsg && type != QtInfoMsg)
        g_complaints.push_back(message);
}

class CatalogModelTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 10; ++i)
            m_document.Contents().AddTexture(Numbered(i));
        m_document.Model().Refresh();
        g_complaints.clear();
        m_previousHandler = qInstallMessageHandler(Collect);
        // Qt's own checks of every signal against the rows, on the model and on a window's
        // filter over it.
        m_filter.setSourceModel(&Model());
        m_modelTester = std::make_unique<QAbstractItemModelTester>(
            &Model(), QAbstractItemModelTester::FailureReportingMode::Warning);
        m_filterTester = std::make_unique<QAbstractItemModelTester>(
            &m_filter, QAbstractItemModelTester::FailureReportingMode::Warning);
    }
    void TearDown() override {
        m_modelTester.reset();
        m_filterTester.reset();
        qInstallMessageHandler(m_previousHandler);
        EXPECT_TRUE(g_complaints.empty()) << g_complaints.front().toStdString();
    }

    CatalogModel& Model() { return m_document.Model(); }
    Catalog& Contents() { return m_document.Contents(); }
    /// The names of the rows, as views read them.
    static std::vector<std::string> Names(const QAbstractItemModel& model) {
        std::vector<std::string> names;
        for (int row = 0; row < model.rowCount(); ++row)
            names.push_back(model.index(row, 0).data().toString().toStdString());
        return names;
    }
    std::vector<std::string> Names() { return Names(m_document.Model()); }
    std::vector<int> Flags() { return Contents().GetSelectedIndices(); }
    /// The catalog indices a window's selection model holds.
    static std::vector<int> Selected(const QItemSelectionModel& selection,
                                     const CatalogFilter& filter) {
        std::vector<int> indices;
        for (const QModelIndex& row : selection.selectedRows())
            indices.push_back(filter.mapToSource(row).row());
        std::sort(indices.begin(), indices.end());
        return indices;
    }

    DocumentTemplate m_kind{
        {QStringLiteral("Catalog"), QString(), QStringLiteral(".VLV")},
        [](DocumentTemplate& kind) { return std::make_unique<CatalogDocument>(kind); },
        [](Document&) -> DocumentView* { return nullptr; }};
    CatalogDocument m_document{m_kind};
    CatalogFilter m_filter;
    std::unique_ptr<QAbstractItemModelTester> m_modelTester;
    std::unique_ptr<QAbstractItemModelTester> m_filterTester;
    QtMessageHandler m_previousHandler = nullptr;
};

} // namespace

TEST_F(CatalogModelTest, RowsShowNameDescriptionKindThumbnailAndSelection) {
    auto layered = std::make_unique<LayeredTexture>();
    layered->SetName("Coats");
    Model().InsertTextures(
        std::vector<int>{10},
        [&] {
            std::vector<std::unique_ptr<Texture>> one;
            one.push_back(std::move(layered));
            return one;
        }(),
        true);
    const QModelIndex three = Model().index(3);
    EXPECT_EQ(Model().rowCount(), 11);
    EXPECT_EQ(three.data().toString(), "T3");
    EXPECT_EQ(three.data(CatalogModel::DescriptionRole).toString(), "number 3");
    EXPECT_EQ(three.data(Qt::AccessibleDescriptionRole).toString(), "number 3");
    EXPECT_EQ(three.data(Qt::ToolTipRole).toString(), "T3\nnumber 3");
    EXPECT_EQ(three.data(CatalogModel::SearchTextRole).toString(), "T3\nnumber 3");
    EXPECT_EQ(three.data(CatalogModel::KindRole).toInt(), static_cast<int>(TextureKind::Simple));
    EXPECT_EQ(Model().index(10).data(CatalogModel::KindRole).toInt(),
              static_cast<int>(TextureKind::Layered));
    const QImage picture = three.data(CatalogModel::ThumbnailRole).value<QImage>();
    ASSERT_EQ(picture.size(), QSize(4, 4));
    EXPECT_EQ(picture.pixelColor(1, 1), QColor(3, 3, 3));
    EXPECT_TRUE(Model().index(10).data(CatalogModel::ThumbnailRole).value<QImage>().isNull());
    EXPECT_TRUE(Model().index(10).data(CatalogModel::SelectedRole).toBool());
    EXPECT_FALSE(three.data(CatalogModel::SelectedRole).toBool());
    EXPECT_TRUE(Model().flags(three).testFlag(Qt::ItemIsDragEnabled));
    EXPECT_FALSE(Model().flags(three).testFlag(Qt::ItemIsEditable));

    // What a drag carries: the textures as a catalog file of their own and their source text.
    std::unique_ptr<QMimeData> data(Model().mimeData({Model().index(4), Model().index(1)}));
    ASSERT_TRUE(data);
    Catalog dragged;
    const QByteArray bytes = data->data(QString::fromLatin1(CatalogModel::kTextureMimeType));
    ASSERT_FALSE(dragged.Load(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                                        static_cast<std::size_t>(bytes.size()))));
    ASSERT_EQ(dragged.GetCount(), 2);
    EXPECT_EQ(dragged.GetTexture(0).GetName(), "T1");
    const QString text = data->text();
    EXPECT_LT(text.indexOf("#declare T1 ="), text.indexOf("#declare T4 =")) << text.toStdString();
    EXPECT_GE(text.indexOf("#declare T1 ="), 0);
}

TEST_F(CatalogModelTest, TexturesPutInAreAnnouncedRunByRun) {
    QSignalSpy inserted(&Model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy reset(&Model(), &QAbstractItemModel::modelReset);
    QSignalSpy flags(&Model(), &CatalogModel::selectionFlagsChanged);
    // Two runs: at 1 and at 4-5 of the grown list.
    ASSERT_TRUE(Model().InsertTextures(std::vector<int>{1, 4, 5}, Textures({20, 21, 22}), true));
    EXPECT_EQ(Runs(inserted), (std::vector<std::pair<int, int>>{{1, 1}, {4, 5}}));
    EXPECT_EQ(reset.count(), 0);
    EXPECT_EQ(Names(), (std::vector<std::string>{"T0", "T20", "T1", "T2", "T21", "T22", "T3", "T4",
                                                 "T5", "T6", "T7", "T8", "T9"}));
    EXPECT_EQ(Contents().GetSelectedIndices(), (std::vector<int>{1, 4, 5}));
    ASSERT_EQ(flags.count(), 1);
    EXPECT_EQ(flags.at(0).at(0).toInt(), 1);
    EXPECT_EQ(flags.at(0).at(1).toInt(), 5);
    // The filter over the model shows them in place.
    EXPECT_EQ(Names(m_filter), Names());

    // Positions that do not fit change nothing and say nothing.
    inserted.clear();
    EXPECT_FALSE(Model().InsertTextures(std::vector<int>{3, 2}, Textures({30, 31}), false));
    EXPECT_FALSE(Model().InsertTextures(std::vector<int>{40}, Textures({32}), false));
    EXPECT_EQ(inserted.count(), 0);
    EXPECT_EQ(Model().rowCount(), 13);
}

TEST_F(CatalogModelTest, TexturesTakenOutAreAnnouncedFromTheLastRun) {
    QSignalSpy removed(&Model(), &QAbstractItemModel::rowsRemoved);
    const std::vector<std::unique_ptr<Texture>> taken =
        Model().TakeTextures(std::vector<int>{0, 2, 3, 9});
    EXPECT_EQ(Runs(removed), (std::vector<std::pair<int, int>>{{9, 9}, {2, 3}, {0, 0}}));
    ASSERT_EQ(taken.size(), 4u);
    EXPECT_EQ(taken[1]->GetName(), "T2");
    EXPECT_EQ(taken[3]->GetName(), "T9");
    EXPECT_EQ(Names(), (std::vector<std::string>{"T1", "T4", "T5", "T6", "T7", "T8"}));
    EXPECT_EQ(Names(m_filter), Names());
}

TEST_F(CatalogModelTest, ChangesOfManySeparateRunsResetTheViewsOnce) {
    for (int i = 10; i < 300; ++i)
        Contents().AddTexture(Numbered(i));
    Model().Refresh();
    std::vector<int> everyOther(150);
    for (int k = 0; k < 150; ++k)
        everyOther[static_cast<std::size_t>(k)] = 2 * k;
    QSignalSpy removed(&Model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy reset(&Model(), &QAbstractItemModel::modelReset);
    auto taken = Model().TakeTextures(everyOther);
    EXPECT_EQ(removed.count(), 0);
    EXPECT_EQ(reset.count(), 1);
    EXPECT_EQ(Model().rowCount(), 150);
    ASSERT_TRUE(Model().InsertTextures(everyOther, std::move(taken), false));
    EXPECT_EQ(reset.count(), 2);
    EXPECT_EQ(Model().index(298).data().toString(), "T298");
    EXPECT_EQ(m_filter.rowCount(), 300);
}

TEST_F(CatalogModelTest, ReplacedTexturesAndThumbnailsAreChangedData) {
    QSignalSpy changed(&Model(), &QAbstractItemModel::dataChanged);
    QSignalSpy rows(&Model(), &QAbstractItemModel::rowsInserted);
    std::unique_ptr<Texture> former = Model().ReplaceTexture(6, Numbered(60));
    EXPECT_EQ(former->GetName(), "T6");
    ASSERT_EQ(changed.count(), 1);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex().row(), 6);
    EXPECT_EQ(changed.at(0).at(1).toModelIndex().row(), 6);
    EXPECT_EQ(Model().index(6).data().toString(), "T60");

    Bitmap empty;
    Model().SwapThumbnail(2, -1, empty);
    ASSERT_EQ(changed.count(), 2);
    EXPECT_EQ(changed.at(1).at(0).toModelIndex().row(), 2);
    EXPECT_EQ(changed.at(1).at(2).value<QList<int>>(), QList<int>{CatalogModel::ThumbnailRole});
    EXPECT_TRUE(Model().index(2).data(CatalogModel::ThumbnailRole).value<QImage>().isNull());
    EXPECT_EQ(empty.Width(), 4); // the step holds the picture that went
    EXPECT_EQ(rows.count(), 0);

    // A layer's picture is not shown in the grid.
    auto layered = std::make_unique<LayeredTexture>();
    layered->AddLayer(SimpleTexture());
    Model().ReplaceTexture(0, std::move(layered));
    changed.clear();
    Bitmap layerPicture;
    layerPicture.SetBits(2, 2, std::vector<std::uint8_t>(12, 9), false);
    Model().SwapThumbnail(0, 0, layerPicture);
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(
        static_cast<LayeredTexture&>(Contents().GetTexture(0)).GetLayer(0)->GetThumbnailWidth(), 2);
}

TEST_F(CatalogModelTest, MovesKeepTheViewsOnTheTexturesTheyPointAt) {
    QPersistentModelIndex one(Model().index(1));
    QPersistentModelIndex seven(Model().index(7));
    QSignalSpy moved(&Model(), &QAbstractItemModel::rowsMoved);
    QSignalSpy layout(&Model(), &QAbstractItemModel::layoutChanged);
    // One run of two, moved down to stand at 4 and 5.
    Model().MoveTextures(std::vector<int>{1, 2}, std::vector<int>{4, 5});
    ASSERT_EQ(moved.count(), 1);
    EXPECT_EQ(moved.at(0).at(1).toInt(), 1);
    EXPECT_EQ(moved.at(0).at(2).toInt(), 2);
    EXPECT_EQ(moved.at(0).at(4).toInt(), 6); // before the row that was at 6
    EXPECT_EQ(Names(), (std::vector<std::string>{"T0", "T3", "T4", "T5", "T1", "T2", "T6", "T7",
                                                 "T8", "T9"}));
    EXPECT_EQ(one.row(), 4);
    EXPECT_EQ(Contents().GetSelectedIndices(), (std::vector<int>{4, 5}));

    // Textures from here and there, moved together to the front: a new layout.
    Model().MoveTextures(std::vector<int>{3, 7}, std::vector<int>{0, 1});
    EXPECT_EQ(moved.count(), 1);
    EXPECT_EQ(layout.count(), 1);
    EXPECT_EQ(Names(), (std::vector<std::string>{"T5", "T7", "T0", "T3", "T4", "T1", "T2", "T6",
                                                 "T8", "T9"}));
    EXPECT_EQ(seven.row(), 1);
    EXPECT_EQ(seven.data().toString(), "T7");
    EXPECT_EQ(one.row(), 5);
    EXPECT_EQ(Contents().GetSelectedIndices(), (std::vector<int>{0, 1}));
    EXPECT_EQ(Names(m_filter), Names());
}

TEST_F(CatalogModelTest, UndoStepsChangeTheTexturesThroughTheModel) {
    QSignalSpy inserted(&Model(), &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&Model(), &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&Model(), &QAbstractItemModel::dataChanged);
    m_document.Apply(
        new RemoveTexturesEdit(m_document, QStringLiteral("Delete"), std::vector<int>{2, 5}));
    EXPECT_EQ(Runs(removed), (std::vector<std::pair<int, int>>{{5, 5}, {2, 2}}));
    m_document.UndoStack().undo();
    EXPECT_EQ(Runs(inserted), (std::vector<std::pair<int, int>>{{2, 2}, {5, 5}}));
    EXPECT_EQ(Contents().GetSelectedIndices(), (std::vector<int>{2, 5}));
    m_document.Apply(
        new ReplaceTextureEdit(m_document, QStringLiteral("Modify T3"), 3, Numbered(33)));
    EXPECT_EQ(changed.count(), 1);
    m_document.UndoStack().undo();
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(Model().index(3).data().toString(), "T3");
    m_document.Apply(
        new MoveTexturesEdit(m_document, QStringLiteral("Move"), std::vector<int>{0}, 10));
    EXPECT_EQ(Model().index(9).data().toString(), "T0");
    m_document.UndoStack().undo();
    EXPECT_EQ(Model().index(0).data().toString(), "T0");
}

TEST_F(CatalogModelTest, ThumbnailStatesGoWithTheirTextures) {
    // The render keeper says which thumbnails are on their way; the model marks failures.
    auto id = [this](int index) { return m_document.Contents().GetTexture(index).GetId(); };
    std::set<TextureId> rendering{id(4)};
    Model().SetRenderingProbe(
        [&rendering](TextureId texture) { return rendering.count(texture) > 0; });
    QSignalSpy changed(&Model(), &QAbstractItemModel::dataChanged);
    Model().RenderingChanged(4);
    Model().SetThumbnailProblem(6, QStringLiteral("Parse error in the pigment"));
    ASSERT_EQ(changed.count(), 2);
    EXPECT_TRUE(changed.at(0).at(2).value<QList<int>>().contains(CatalogModel::ThumbnailStateRole));
    EXPECT_EQ(Model().StateOf(4), CatalogModel::Rendering);
    EXPECT_EQ(Model().index(6).data(CatalogModel::ThumbnailStateRole).toInt(),
              CatalogModel::Failed);
    EXPECT_EQ(Model().index(6).data(CatalogModel::ThumbnailProblemRole).toString(),
              "Parse error in the pigment");
    EXPECT_EQ(Model().index(6).data(Qt::ToolTipRole).toString(),
              "T6\nnumber 6\nParse error in the pigment");
    // A render on its way comes before an earlier failure.
    rendering.insert(id(6));
    EXPECT_EQ(Model().StateOf(6), CatalogModel::Rendering);
    rendering.erase(id(6));
    // Moved: the states stay with the textures.
    Model().MoveTextures(std::vector<int>{4}, std::vector<int>{0});
    EXPECT_EQ(Model().StateOf(0), CatalogModel::Rendering);
    EXPECT_EQ(Model().StateOf(4), CatalogModel::Shown);
    EXPECT_EQ(Model().StateOf(6), CatalogModel::Failed);
    EXPECT_EQ(Model().RowOf(id(6)), 6);
    EXPECT_EQ(Model().RowOf(id(0)), 0);
    // Cleared, or taken out: nothing is left behind.
    Model().SetThumbnailProblem(6, QString());
    EXPECT_EQ(Model().StateOf(6), CatalogModel::Shown);
    Model().SetThumbnailProblem(6, QStringLiteral("again"));
    const TextureId takenId = id(6);
    auto taken = Model().TakeTextures(std::vector<int>{6});
    EXPECT_EQ(Model().RowOf(takenId), -1);
    EXPECT_EQ(Model().RowOf(id(6)), 6) << "the next one moved up";
    ASSERT_TRUE(Model().InsertTextures(std::vector<int>{6}, std::move(taken), false));
    EXPECT_EQ(Model().StateOf(6), CatalogModel::Shown);
    EXPECT_TRUE(Model().index(6).data(CatalogModel::ThumbnailProblemRole).toString().isEmpty());
    Model().SetRenderingProbe(nullptr);
}

TEST_F(CatalogModelTest, EveryTextureIsFoundByItsIdThroughEveryChange) {
    auto ids = [this] {
        std::vector<TextureId> all;
        for (int i = 0; i < Contents().GetCount(); ++i)
            all.push_back(Contents().GetTexture(i).GetId());
        return all;
    };
    auto expectRows = [&](const char* after) {
        const std::vector<TextureId> all = ids();
        for (int row = 0; row < static_cast<int>(all.size()); ++row)
            EXPECT_EQ(Model().RowOf(all[static_cast<std::size_t>(row)]), row) << after;
    };
    expectRows("at the start");
    Model().MoveTextures(std::vector<int>{1, 5, 8}, std::vector<int>{0, 2, 9});
    expectRows("a scattered move");
    auto taken = Model().TakeTextures(std::vector<int>{0, 3});
    expectRows("taking out");
    for (const auto& texture : taken)
        EXPECT_EQ(Model().RowOf(texture->GetId()), -1);
    ASSERT_TRUE(Model().InsertTextures(std::vector<int>{0, 4}, std::move(taken), false));
    expectRows("putting back");
    // An edited copy keeps the id and says so; another texture in its place takes the row.
    QSignalSpy replaced(&Model(), &CatalogModel::textureReplaced);
    std::unique_ptr<Texture> copy = Contents().GetTexture(2).Clone();
    copy->SetName("edited");
    auto former = Model().ReplaceTexture(2, std::move(copy));
    ASSERT_EQ(replaced.count(), 1);
    EXPECT_EQ(replaced.at(0).at(0).toInt(), 2);
    auto other = Model().ReplaceTexture(7, Numbered(70));
    EXPECT_EQ(replaced.count(), 1);
    EXPECT_EQ(Model().RowOf(other->GetId()), -1);
    expectRows("replacing");
    // A change made behind the model's back is found all the same.
    Contents().AddTexture(Numbered(11));
    expectRows("an addition the model was not told of");
    EXPECT_EQ(Model().RowOf(0), -1);
}

TEST_F(CatalogModelTest, StepsSayWhichTexturesTheyKeepOutOfTheCatalog) {
    // A texture the steps keep is found by its id, as is one of the catalog; an edited texture
    // and the version its step keeps share the id, and `fits` tells them apart.
    const TextureId id = Contents().GetTexture(3).GetId();
    auto edited = Contents().GetTexture(3).Clone();
    edited->SetName("T3 edited");
    m_document.Apply(
        new ReplaceTextureEdit(m_document, QStringLiteral("Modify T3"), 3, std::move(edited)));
    auto named = [](const char* name) {
        return [name](const Texture& texture) { return texture.GetName() == name; };
    };
    int index = -2;
    Texture* found = m_document.Find(id, named("T3 edited"), index);
    ASSERT_TRUE(found);
    EXPECT_EQ(index, 3);
    found = m_document.Find(id, named("T3"), index);
    ASSERT_TRUE(found) << "kept by the Modify step";
    EXPECT_EQ(index, -1);
    EXPECT_EQ(found->GetName(), "T3");
    // Deleted: the step keeps it; once the step is gone, nothing does.
    m_document.Apply(new RemoveTexturesEdit(m_document, QStringLiteral("Delete"), {3}));
    EXPECT_EQ(Model().RowOf(id), -1);
    ASSERT_TRUE(m_document.Find(id, named("T3 edited"), index));
    EXPECT_EQ(index, -1);
    m_document.UndoStack().undo();
    EXPECT_TRUE(m_document.Find(id, named("T3 edited"), index));
    EXPECT_EQ(index, 3);
    m_document.UndoStack().undo();
    m_document.UndoStack().clear();
    EXPECT_FALSE(m_document.Find(id, named("T3 edited"), index));
    EXPECT_TRUE(m_document.Find(id, named("T3"), index));
}

TEST_F(CatalogModelTest, FindShowsTexturesWhoseNameOrDescriptionHoldsTheText) {
    Model().ReplaceTexture(8, [] {
        auto texture = Numbered(8);
        texture->SetDescription("Veined MARBLE");
        return texture;
    }());
    QSignalSpy removed(&m_filter, &QAbstractItemModel::rowsRemoved);
    m_filter.SetText(QStringLiteral("marble"));
    EXPECT_EQ(Names(m_filter), std::vector<std::string>{"T8"});
    EXPECT_EQ(removed.count(), 0); // one new layout, not a signal for each run of rows
    m_filter.SetText(QStringLiteral("t1"));
    EXPECT_EQ(Names(m_filter), std::vector<std::string>{"T1"});
    // A rename that no longer matches takes the texture out of the window.
    Model().ReplaceTexture(1, Numbered(55));
    EXPECT_EQ(m_filter.rowCount(), 0);
    m_filter.SetText(QString());
    EXPECT_EQ(m_filter.rowCount(), 10);
    EXPECT_TRUE(m_filter.Accepts(9));
}

// ---- the selection ---------------------------------------------------------------------------

TEST_F(CatalogModelTest, EveryStepChangesTheFlagsAsQtChangesItsOwnSelection) {
    // The same steps on Qt's own selection model over a plain list of as many rows.
    const int kCount = Model().rowCount();
    QStringListModel plain(QStringList(kCount, QStringLiteral("x")));
    QItemSelectionModel reference(&plain);
    CatalogSelection window(Model(), m_filter);
    using Flag = QItemSelectionModel::SelectionFlag;
    const QItemSelectionModel::SelectionFlags commands[] = {Flag::Select,
                                                            Flag::Deselect,
                                                            Flag::Toggle,
                                                            Flag::ClearAndSelect,
                                                            Flag::Select | Flag::Current,
                                                            Flag::Toggle | Flag::Current,
                                                            Flag::Deselect | Flag::Current,
                                                            Flag::Clear,
                                                            Flag::Clear | Flag::Select |
                                                                Flag::Current,
                                                            Flag::NoUpdate};
    std::mt19937 random(7);
    auto row = [&random, kCount] { return static_cast<int>(random() % kCount); };
    for (int step = 0; step < 400; ++step) {
        const auto command = commands[random() % std::size(commands)];
        QItemSelection ours;
        QItemSelection theirs;
        for (int range = 0, ranges = 1 + static_cast<int>(random() % 2); range < ranges; ++range) {
            const int one = row();
            const int other = row();
            const int top = std::min(one, other);
            const int bottom = std::max(one, other);
            ours.select(m_filter.index(top, 0), m_filter.index(bottom, 0));
            theirs.select(plain.index(top, 0), plain.index(bottom, 0));
        }
        window.select(ours, command);
        reference.select(theirs, command);
        std::vector<int> expected;
        for (const QModelIndex& index : reference.selectedRows())
            expected.push_back(index.row());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(Flags(), expected) << "step " << step << ", command " << command.toInt();
        ASSERT_EQ(Selected(window, m_filter), expected) << "step " << step;
    }
    // The single-index way in, and clearing, go the same road.
    window.select(m_filter.index(3, 0), Flag::ClearAndSelect);
    EXPECT_EQ(Flags(), std::vector<int>{3});
    window.clearSelection();
    EXPECT_TRUE(Flags().empty());
}

TEST_F(CatalogModelTest, TwoWindowsAndTheCommandsShareOneSelection) {
    CatalogFilter other;
    other.setSourceModel(&Model());
    CatalogSelection first(Model(), m_filter);
    CatalogSelection second(Model(), other);
    using Flag = QItemSelectionModel::SelectionFlag;

    // Chosen in one window, shown in both; changed by a command, shown in both.
    first.select(QItemSelection(m_filter.index(1, 0), m_filter.index(3, 0)), Flag::ClearAndSelect);
    EXPECT_EQ(Selected(second, other), (std::vector<int>{1, 2, 3}));
    Model().ChangeSelection(std::vector<int>{7}, std::vector<int>{2});
    EXPECT_EQ(Flags(), (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(Selected(first, m_filter), Flags());
    EXPECT_EQ(Selected(second, other), Flags());

    // A drag in the first window goes on after the second window chose another texture: its
    // next step starts from the selection as it stands and keeps the other window's choice.
    first.select(QItemSelection(m_filter.index(0, 0), m_filter.index(0, 0)), Flag::ClearAndSelect);
    second.select(other.index(9, 0), Flag::Select);
    first.select(QItemSelection(m_filter.index(0, 0), m_filter.index(2, 0)),
                 Flag::Select | Flag::Current);
    EXPECT_EQ(Flags(), (std::vector<int>{0, 1, 2, 9}));

    // Find in the second window hides all but T1: the others leave the selection everywhere.
    other.SetText(QStringLiteral("T1"));
    EXPECT_EQ(Flags(), std::vector<int>{1});
    EXPECT_EQ(Selected(first, m_filter), Flags());
    EXPECT_EQ(Selected(second, other), Flags());

    // A texture renamed so that Find no longer lets it through leaves the selection too.
    auto renamed = std::make_unique<SimpleTexture>(
        dynamic_cast<const SimpleTexture&>(Contents().GetTexture(1)));
    renamed->SetName("Renamed");
    renamed->SetDescription("");
    Model().ReplaceTexture(1, std::move(renamed));
    EXPECT_TRUE(Flags().empty());

    // Textures taken out go from the selection; those after them keep theirs at their new rows.
    other.SetText(QStringLiteral("T"));
    first.select(QItemSelection(m_filter.index(5, 0), m_filter.index(6, 0)), Flag::Select);
    EXPECT_EQ(Flags(), (std::vector<int>{5, 6}));
    Model().TakeTextures(std::vector<int>{0, 1});
    EXPECT_EQ(Flags(), (std::vector<int>{3, 4}));
    EXPECT_EQ(Selected(first, m_filter), Flags());
    EXPECT_EQ(Selected(second, other), Flags());
}
