// The selection of a catalog window: the catalog's flags are the selection, and each window's
// selection model shows them and changes them as Qt's own model would change itself.

#include "core/model/simpletexture.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/catalogselection.h"
#include "ui/framework/documenttemplate.h"

#include <QStringListModel>
#include <gtest/gtest.h>
#include <random>

namespace {

constexpr int kTextures = 12;

class CatalogSelectionTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < kTextures; ++i) {
            auto texture = std::make_unique<SimpleTexture>();
            texture->SetName(i % 2 ? "Odd " + std::to_string(i) : "Even " + std::to_string(i));
            m_document.Contents().AddTexture(std::move(texture));
        }
        Model().Refresh();
        for (CatalogFilter* filter : {&m_first, &m_second})
            filter->setSourceModel(&Model());
    }

    CatalogModel& Model() { return m_document.Model(); }
    std::vector<int> Flags() { return m_document.Contents().GetSelectedIndices(); }
    /// The catalog indices a window's selection model holds.
    static std::vector<int> Shown(const CatalogSelection& selection, const CatalogFilter& filter) {
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
    CatalogFilter m_first;
    CatalogFilter m_second;
};

TEST_F(CatalogSelectionTest, EveryStepChangesTheFlagsAsQtChangesItsOwnSelection) {
    // The same steps on Qt's own selection model over a plain list of as many rows.
    QStringListModel plain(QStringList(kTextures, QStringLiteral("x")));
    QItemSelectionModel reference(&plain);
    CatalogSelection window(Model(), m_first);
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
    auto row = [&random] { return static_cast<int>(random() % kTextures); };
    for (int step = 0; step < 400; ++step) {
        const auto command = commands[random() % std::size(commands)];
        QItemSelection ours;
        QItemSelection theirs;
        for (int range = 0, ranges = 1 + static_cast<int>(random() % 2); range < ranges; ++range) {
            const int one = row();
            const int other = row();
            const int top = std::min(one, other);
            const int bottom = std::max(one, other);
            ours.select(m_first.index(top, 0), m_first.index(bottom, 0));
            theirs.select(plain.index(top, 0), plain.index(bottom, 0));
        }
        window.select(ours, command);
        reference.select(theirs, command);
        std::vector<int> expected;
        for (const QModelIndex& index : reference.selectedRows())
            expected.push_back(index.row());
        std::sort(expected.begin(), expected.end());
        ASSERT_EQ(Flags(), expected) << "step " << step << ", command " << command.toInt();
        ASSERT_EQ(Shown(window, m_first), expected) << "step " << step;
    }
    // The single-index way in, and clearing, go the same road.
    window.select(m_first.index(3, 0), Flag::ClearAndSelect);
    EXPECT_EQ(Flags(), std::vector<int>{3});
    window.clearSelection();
    EXPECT_TRUE(Flags().empty());
}

TEST_F(CatalogSelectionTest, TwoWindowsAndTheCommandsShareOneSelection) {
    CatalogSelection first(Model(), m_first);
    CatalogSelection second(Model(), m_second);
    using Flag = QItemSelectionModel::SelectionFlag;

    // Chosen in one window, shown in both; changed by a command, shown in both.
    first.select(QItemSelection(m_first.index(1, 0), m_first.index(3, 0)), Flag::ClearAndSelect);
    EXPECT_EQ(Shown(second, m_second), (std::vector<int>{1, 2, 3}));
    Model().ChangeSelection(std::vector<int>{7}, std::vector<int>{2});
    EXPECT_EQ(Flags(), (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(Shown(first, m_first), Flags());
    EXPECT_EQ(Shown(second, m_second), Flags());

    // A drag in the first window goes on after the second window chose another texture: its
    // next step starts from the selection as it stands and keeps the other window's choice.
    first.select(QItemSelection(m_first.index(0, 0), m_first.index(0, 0)), Flag::ClearAndSelect);
    second.select(m_second.index(9, 0), Flag::Select);
    first.select(QItemSelection(m_first.index(0, 0), m_first.index(2, 0)),
                 Flag::Select | Flag::Current);
    EXPECT_EQ(Flags(), (std::vector<int>{0, 1, 2, 9}));

    // Find in the second window hides the even textures: they leave the selection everywhere,
    // and the shown ones keep theirs.
    m_second.SetText(QStringLiteral("odd"));
    EXPECT_EQ(Flags(), (std::vector<int>{1, 9}));
    EXPECT_EQ(Shown(first, m_first), Flags());
    EXPECT_EQ(Shown(second, m_second), Flags());

    // A texture renamed so that Find no longer lets it through leaves the selection too.
    auto renamed = std::make_unique<SimpleTexture>(
        dynamic_cast<const SimpleTexture&>(m_document.Contents().GetTexture(9)));
    renamed->SetName("Even now");
    Model().ReplaceTexture(9, std::move(renamed));
    EXPECT_EQ(Flags(), std::vector<int>{1});
    EXPECT_EQ(Shown(first, m_first), Flags());

    // Textures taken out go from the selection; those after them keep theirs at their new rows.
    first.select(QItemSelection(m_first.index(5, 0), m_first.index(6, 0)), Flag::Select);
    EXPECT_EQ(Flags(), (std::vector<int>{1, 5, 6}));
    Model().TakeTextures(std::vector<int>{0, 1});
    EXPECT_EQ(Flags(), (std::vector<int>{3, 4}));
    EXPECT_EQ(Shown(first, m_first), Flags());
    EXPECT_EQ(Shown(second, m_second), (std::vector<int>{3}));
}

} // namespace
