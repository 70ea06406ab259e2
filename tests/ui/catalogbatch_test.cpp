// The catalog window while a batch of thumbnails renders with the real POV-Ray: thumbnails
// shown as they come, scrolling allowed and changes kept out, failures left selected and named
// in the summary; and texture maps saved as PNG opened again through File > Open.

#include "appfixture.h"
#include "core/catalog/catalog.h"
#include "core/model/simpletexture.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/dialogs/renderprogressdialog.h"
#include "ui/texmap/texturemapdocument.h"

#include <QApplication>
#include <QFile>
#include <QPaintEvent>
#include <QScrollBar>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>

namespace {

Catalog& CatalogOf(CatalogGridView* view) {
    return view->Document().Contents();
}

/// Watches a catalog's viewport while a batch runs: which parts of it were painted while the
/// progress window showed the batch (not yet its summary).
class BatchPaintWatcher : public QObject {
public:
    explicit BatchPaintWatcher(QWidget* viewport) { viewport->installEventFilter(this); }
    QRegion painted;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::Paint && BatchRunning())
            painted += static_cast<QPaintEvent*>(event)->region();
        return false;
    }

private:
    static bool BatchRunning() {
        for (QWidget* widget : QApplication::topLevelWidgets())
            if (auto* dialog = qobject_cast<RenderProgressDialog*>(widget);
                dialog && dialog->isVisible() && dialog->IsJobShown() &&
                !dialog->IsShowingSummary())
                return true;
        return false;
    }
};

} // namespace

TEST_F(AppTest, ABatchShowsEachThumbnailAsItComesAndLeavesFailuresSelected) {
    CatalogGridView* view = OpenSample();
    ASSERT_TRUE(view);
    Catalog& catalog = CatalogOf(view);
    m_app->Settings().parallelRenders = 3;
    std::vector<int> chosen;
    for (int i = 0; i < catalog.GetCount() && chosen.size() < 6; ++i)
        if (catalog.GetTexture(i).IsSimple())
            chosen.push_back(i);
    ASSERT_EQ(chosen.size(), 6u);
    const int broken = chosen[2];
    {
        auto& texture = static_cast<SimpleTexture&>(catalog.GetTexture(broken));
        texture.SetName("Broken");
        texture.pigment.pattern = Pigment::ImageMap;
        texture.pigment.image.fileName = "no-such-picture.gif"; // POV-Ray stops parsing there
    }
    for (int index : chosen) {
        catalog.GetTexture(index).Thumbnail().Clear();
        ClickTexture(view, index, Qt::ControlModifier);
    }
    ASSERT_EQ(Selected(view), chosen);
    view->verticalScrollBar()->setValue(0);

    BatchPaintWatcher watcher(view->viewport());
    int scrolledTo = -1;
    std::vector<int> selectedWhileRunning;
    QTimer during;
    during.setInterval(30);
    QObject::connect(&during, &QTimer::timeout, [&] {
        if (catalog.GetTexture(chosen[0]).GetThumbnailWidth() == 0 || scrolledTo >= 0)
            return;
        // The first thumbnail is in: try to change the selection, then scroll with the wheel.
        const auto [x, y] = view->Layout().ThumbnailPosition(chosen[5]);
        QTest::mouseClick(view->viewport(), Qt::LeftButton, Qt::NoModifier,
                          QPoint(x + 10, y + 10 - view->verticalScrollBar()->value()));
        selectedWhileRunning = Selected(view);
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(), QPoint(0, -120),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        scrolledTo = view->verticalScrollBar()->value();
    });
    during.start();
    const std::size_t messages = m_messages.size();
    view->OnRenderThumbnails();
    during.stop();

    // While it ran, a click did not touch the selection, the wheel scrolled, and the first
    // thumbnail's cell was painted as soon as it came.
    ASSERT_GE(scrolledTo, 0) << "the batch ended before the first thumbnail was seen";
    EXPECT_GT(scrolledTo, 0);
    EXPECT_FALSE(selectedWhileRunning.empty());
    EXPECT_NE(selectedWhileRunning, std::vector<int>{chosen[5]});
    const CellRect cell = view->Layout().Cell(chosen[0]);
    EXPECT_TRUE(watcher.painted.intersects(
        QRect(cell.left, cell.top, cell.right - cell.left, cell.bottom - cell.top)));

    // The texture that failed stays selected; the others have their thumbnails.
    EXPECT_EQ(Selected(view), std::vector<int>{broken});
    for (int index : chosen)
        EXPECT_EQ(catalog.GetTexture(index).GetThumbnailWidth(), index == broken ? 0 : 120)
            << index;
    EXPECT_EQ(m_messages.size(), messages + 1)
        << "only the question: the summary names the failure";
    RenderProgressDialog* summary = nullptr;
    for (QWidget* widget : QApplication::topLevelWidgets())
        if (auto* dialog = qobject_cast<RenderProgressDialog*>(widget);
            dialog && dialog->isVisible())
            summary = dialog;
    ASSERT_NE(summary, nullptr) << "the summary stays";
    EXPECT_TRUE(summary->SummaryText().startsWith(
        QStringLiteral("5 rendered, 1 failed: Broken. Finished in ")))
        << summary->SummaryText().toStdString();
    EXPECT_TRUE(summary->FailureText().startsWith(
        QStringLiteral("Broken: POV-Ray could not render the texture")));
    EXPECT_TRUE(view->Document().IsModified());
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
