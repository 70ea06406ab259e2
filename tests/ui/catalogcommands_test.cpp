// The catalog window's commands on a document of their own, with a host in place of the window.

#include "core/model/simpletexture.h"
#include "fakeappservices.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/gridhost.h"

#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

/// Records what the commands ask of the window.
class RecordingHost : public GridHost {
public:
    QWidget& DialogParent() override { return window; }
    void SelectAllShown() override { calls.emplace_back("select all"); }
    void SelectNone() override { calls.emplace_back("select none"); }
    void ShowFind() override { calls.emplace_back("find"); }
    void ForgetAnchor() override { calls.emplace_back("forget anchor"); }

    QWidget window;
    std::vector<std::string> calls;
};

class CatalogCommandsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (const char* name : {"Oak", "Pine", "Elm"}) {
            SimpleTexture texture;
            texture.SetName(name);
            Contents().AddTexture(texture);
        }
        m_document.Model().Refresh();
        m_shown.setSourceModel(&m_document.Model());
    }

    Catalog& Contents() { return m_document.Contents(); }
    std::vector<std::string> Names() {
        std::vector<std::string> names;
        for (int i = 0; i < Contents().GetCount(); ++i)
            names.push_back(Contents().GetTexture(i).GetName());
        return names;
    }

    DocumentTemplate m_kind{
        {QStringLiteral("Catalog"), QString(), QStringLiteral(".VLV")},
        [](DocumentTemplate& kind) { return std::make_unique<CatalogDocument>(kind); },
        [](Document&) -> DocumentView* { return nullptr; }};
    CatalogDocument m_document{m_kind};
    CatalogFilter m_shown;
    FakeAppServices m_app;
    RecordingHost m_host;
    CatalogCommands m_commands{m_host, m_shown, m_document, m_app};
};

TEST_F(CatalogCommandsTest, TheEditCommandsAskTheHostAndCutAndPasteChangeTheDocument) {
    m_commands.OnSelectAll();
    m_commands.OnSelectNone();
    m_commands.OnFind();
    EXPECT_EQ(m_host.calls, (std::vector<std::string>{"select all", "select none", "find"}));

    EXPECT_FALSE(m_commands.CanRun(StandardCommand::Cut));
    Contents().Select(0);
    Contents().Select(2);
    ASSERT_TRUE(m_commands.CanRun(StandardCommand::Cut));
    m_commands.Run(StandardCommand::Cut);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Pine"}));
    EXPECT_EQ(m_host.calls.back(), "forget anchor");
    ASSERT_TRUE(m_commands.CanRun(StandardCommand::Paste));
    m_commands.Run(StandardCommand::Paste);
    EXPECT_EQ(Names(), (std::vector<std::string>{"Pine", "Oak", "Elm"}));
    m_document.UndoStack().undo();
    EXPECT_EQ(Names(), (std::vector<std::string>{"Pine"}));
}

TEST_F(CatalogCommandsTest, ZoomIsLeftToTheWindowAndSelectAllNeedsShownTextures) {
    for (StandardCommand zoom :
         {StandardCommand::ZoomIn, StandardCommand::ZoomOut, StandardCommand::ActualSize})
        EXPECT_FALSE(m_commands.CanRun(zoom));
    EXPECT_TRUE(m_commands.CanSelectAll());
    m_shown.SetText(QStringLiteral("no such texture"));
    EXPECT_FALSE(m_commands.CanSelectAll());
}

} // namespace
