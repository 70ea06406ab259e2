#include "appfixture.h"

#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "core/model/sourcetexture.h"
#include "render/settings/programsettings.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogrenders.h"

#include <QApplication>
#include <QFile>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollBar>
#include <QSettings>
#include <QTest>

bool ScriptedEditors::EditSimple(SimpleTexture& texture, const QString& title, QWidget*) {
    titles.push_back(title);
    if (accept && editSimple)
        editSimple(texture);
    return accept;
}

bool ScriptedEditors::EditLayered(LayeredTexture& texture, QWidget*) {
    titles.push_back(QStringLiteral("Layered"));
    if (accept && editLayered)
        editLayered(texture);
    return accept;
}

bool ScriptedEditors::EditSource(SourceTexture& texture, QWidget*) {
    titles.push_back(QStringLiteral("Modify Source Texture"));
    if (accept && editSource)
        editSource(texture);
    return accept;
}

void AppTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    // Settings, data and render folders of the test's own.
    qputenv("XDG_CONFIG_HOME", Path(QStringLiteral("config")).toUtf8());
    qputenv("XDG_DATA_HOME", Path(QStringLiteral("data")).toUtf8());
    {
        auto store = OpenSettingsStore();
        store->clear();
        ProgramSettings settings;
        settings.programDirectory = Path(QStringLiteral("program"));
        settings.povExecutable = DefaultPovExecutable();
        settings.displayMailingListDialog = false;
        settings.parallelRenders = 1;
        settings.Save(*store);
    }
    Prompts::SetMessageResponder([this](Prompts::Icon icon, const QString& title,
                                        const QString& text, QMessageBox::StandardButtons buttons) {
        m_messages.push_back({icon, title, text});
        return buttons.testFlag(m_answer) ? m_answer : QMessageBox::Ok;
    });
    m_app = std::make_unique<Application>();
    m_app->SetEditors(&m_editors);
    ASSERT_TRUE(m_app->Startup({}));
    m_app->Frame().resize(900, 700);
}

void AppTest::TearDown() {
    if (m_app) {
        for (const auto& document : m_app->Documents())
            document->SetModifiedFlag(false);
        m_app->Frame().close();
    }
    m_app.reset();
    Prompts::SetMessageResponder(nullptr);
    Prompts::SetFileResponder(nullptr);
}

CatalogView* AppTest::OpenSample() {
    const QString copy = Path(QStringLiteral("sample.vlv"));
    QFile::remove(copy);
    EXPECT_TRUE(QFile::copy(QStringLiteral(VELVANE_SOURCE_DIR "/examples/sample.vlv"), copy));
    QFile::setPermissions(copy, QFile::ReadOwner | QFile::WriteOwner);
    Document* document = m_app->OpenDocumentFile(copy);
    EXPECT_NE(document, nullptr);
    auto* view = dynamic_cast<CatalogView*>(m_app->Frame().ActiveView());
    EXPECT_NE(view, nullptr);
    if (view) {
        view->window()->show();
        QMdiSubWindow* window = m_app->Frame().MdiArea()->activeSubWindow();
        window->resize(640, 520); // a viewport about 600 pixels wide: four columns
        QApplication::processEvents();
    }
    return view;
}

void AppTest::Click(CatalogView* view, int x, int y, Qt::KeyboardModifiers modifiers,
                    Qt::MouseButton button) {
    const int offset = view->verticalScrollBar()->value();
    QTest::mouseClick(view->viewport(), button, modifiers, QPoint(x, y - offset));
}

void AppTest::ClickTexture(CatalogView* view, int index, Qt::KeyboardModifiers modifiers) {
    const auto [x, y] = view->Layout().ThumbnailPosition(index);
    view->verticalScrollBar()->setValue(std::max(0, y - 40));
    Click(view, x + 10, y + 10, modifiers);
}

void AppTest::ChooseUnrendered(CatalogView* view, const std::vector<int>& indices) {
    for (int index : indices) {
        view->Document().Contents().GetTexture(index).Thumbnail().Clear();
        ClickTexture(view, index, Qt::ControlModifier);
    }
}

std::vector<int> AppTest::SimpleIndices(CatalogView* view, std::size_t count) {
    const Catalog& catalog = view->Document().Contents();
    std::vector<int> indices;
    for (int i = 0; i < catalog.GetCount() && indices.size() < count; ++i)
        if (catalog.GetTexture(i).Kind() == TextureKind::Simple)
            indices.push_back(i);
    return indices;
}

std::vector<int> AppTest::Selected(CatalogView* view) const {
    return view->Document().Contents().GetSelectedIndices();
}

bool AppTest::WaitForRenders(CatalogView* view, int milliseconds) {
    return QTest::qWaitFor(
        [view] {
            const CatalogRenders& renders = view->Renders();
            return renders.Left() == 0 && renders.IsIdle();
        },
        milliseconds);
}

bool AppTest::Enabled(const char* action) const {
    m_app->Frame().UpdateCommands();
    const QAction* found = m_app->Frame().Action(QString::fromLatin1(action));
    return found && found->isEnabled();
}
