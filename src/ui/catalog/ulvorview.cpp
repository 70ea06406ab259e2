#include "ulvorview.h"

#include "app/appservices.h"
#include "catalog/exportsource.h"
#include "catalog/thumbnailbatch.h"
#include "catalogdocument.h"
#include "dialogs/clipboard.h"
#include "dialogs/exportdlg.h"
#include "dialogs/thumbnailoptionsdlg.h"
#include "dialogs/viewsourcedlg.h"
#include "framework/prompts.h"
#include "model/materialmultipleobject.h"
#include "model/materialsingleobject.h"
#include "paint/catalogpainter.h"
#include "povray/batchrender.h"
#include "povray/povrayrunner.h"
#include "settings/programsettings.h"
#include "texmap/createtexturemap.h"
#include "textureeditors.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QMenu>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>

namespace {

/// The wait cursor while a command works, the arrow again afterwards.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

const char* const kRenderQuestion = "Are you sure that you want to render the thumbnail(s)\r\nfor the selected "
                                    "material(s)?\r\n\r\nnote: This can take a very long time.";
const char* const kClearQuestion = "Are you sure that you want to clear the thumbnail(s)\r\nfor the selected material(s)?";
const char* const kClearPrompt = "Please select an option for which thumbnails that you would like to clear:";
const char* const kDeleteQuestion = "Are you sure that you want to delete the selected material(s)?";

bool AnySelectedLayered(const CUlvorDoc& catalog) {
    for (int index : catalog.GetSelectedIndices())
        if (!catalog.GetTexture(index).IsSimple())
            return true;
    return false;
}

/// Asks which thumbnails a command works on: the options dialog when a layered texture is
/// selected, else a Yes/No question. Returns false when the user declines.
bool AskThumbnailChoice(QWidget* parent, const CUlvorDoc& catalog, const QString& prompt, const QString& title,
                        const QString& question, bool& composite, bool& layers) {
    composite = layers = true;
    if (AnySelectedLayered(catalog)) {
        CThumbnailOptionsDlg options(parent);
        if (!prompt.isEmpty())
            options.SetPrompt(prompt);
        options.SetOption(2);
        if (options.exec() != QDialog::Accepted)
            return false;
        composite = options.GetOption() != 1;
        layers = options.GetOption() != 0;
        return true;
    }
    return Prompts::Message(parent, Prompts::Icon::Stop, title, question, QMessageBox::Yes | QMessageBox::No) ==
           QMessageBox::Yes;
}

} // namespace

CUlvorView::CUlvorView(CatalogDocument& document, AppServices& app, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_app(app) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setMinimumSize(160, 120);
    connect(&document, &Document::contentsChanged, this, [this] {
        UpdateScrollSize();
        viewport()->update();
        emit commandStateChanged();
    });
}

CellLayout CUlvorView::Layout() const {
    const CUlvorDoc& catalog = m_document.Catalog();
    return ComputeCellLayout(catalog.GetCount(), catalog.GetThumbnailWidth(), catalog.GetThumbnailHeight(),
                             viewport()->width());
}

int CUlvorView::Offset() const { return verticalScrollBar()->value(); }

QPoint CUlvorView::Logical(const QPoint& position) const { return position + QPoint(0, Offset()); }

// ---- commands' enabling -------------------------------------------------------------------

bool CUlvorView::CanNewTexture() const { return m_app.Editors() != nullptr; }
bool CUlvorView::CanDelete() const { return m_document.Catalog().GetSelectedCount() > 0; }
bool CUlvorView::CanModify() const { return m_app.Editors() && m_document.Catalog().GetSingleSelection() >= 0; }
bool CUlvorView::CanViewSource() const { return CanDelete(); }
bool CUlvorView::CanExportSource() const { return m_document.Catalog().GetCount() > 0; }
bool CUlvorView::CanCreateTextureMap() const { return m_document.Catalog().GetSingleSelection() >= 0; }
bool CUlvorView::CanClearThumbnails() const { return CanDelete(); }
bool CUlvorView::CanRenderThumbnails() const { return CanDelete(); }
bool CUlvorView::CanCut() const { return CanDelete(); }
bool CUlvorView::CanCopy() const { return CanDelete(); }
bool CUlvorView::CanPaste() const { return !m_app.CopyList().empty(); }
bool CUlvorView::IsAntialiasing() const { return m_app.Settings().antialiasing != 0; }
bool CUlvorView::IsUpdateThumbnail() const { return m_app.Settings().updateThumbnail != 0; }

// ---- painting and scrolling ---------------------------------------------------------------

void CUlvorView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.translate(0, -Offset());
    CatalogPainter(m_document.Catalog(), RouteFor(m_app.Settings().useVideoForWindows))
        .Paint(painter, event->rect().translated(0, Offset()), viewport()->width());
}

void CUlvorView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // An empty catalog keeps the range it was given at first.
    if (!m_scrollSizeSet || m_document.Catalog().GetCount() > 0)
        UpdateScrollSize();
}

void CUlvorView::scrollContentsBy(int, int) { viewport()->update(); }

void CUlvorView::UpdateScrollSize() {
    const int client = viewport()->height();
    int height = Layout().ContentHeight();
    if (m_document.Catalog().GetCount() == 0)
        height = client;
    m_scrollSizeSet = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, height - client));
    bar->setPageStep(std::max(1, height / 10));
    bar->setSingleStep(std::max(1, height / 100));
}

void CUlvorView::RepaintCell(int index) {
    const CellRect cell = Layout().Cell(index);
    viewport()->update(QRect(QPoint(cell.left, cell.top - Offset()), QPoint(cell.right - 1, cell.bottom - 1 - Offset())));
}

// ---- mouse --------------------------------------------------------------------------------

void CUlvorView::DeselectAll() {
    CUlvorDoc& catalog = m_document.Catalog();
    for (int index : catalog.GetSelectedIndices()) {
        catalog.SetSelection(index, 0);
        RepaintCell(index);
    }
}

void CUlvorView::Select(const QPoint& position, Qt::KeyboardModifiers modifiers) {
    CUlvorDoc& catalog = m_document.Catalog();
    if (catalog.GetCount() == 0)
        return;
    const QPoint at = Logical(position);
    const int hit = Layout().HitTest(at.x(), at.y());
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool control = modifiers & Qt::ControlModifier;
    if (hit < 0) {
        DeselectAll();
    } else if (shift && control) {
        return;
    } else if (shift && m_anchor >= 0 && m_anchor < catalog.GetCount()) {
        DeselectAll();
        for (int i = std::min(hit, m_anchor); i <= std::max(hit, m_anchor); ++i) {
            catalog.SetSelection(i, 1);
            RepaintCell(i);
        }
    } else if (control) {
        if (catalog.IsSelected(hit)) {
            catalog.SetSelection(hit, 0);
        } else {
            catalog.SetSelection(hit, 1);
            m_anchor = hit;
        }
        RepaintCell(hit);
    } else {
        // A plain click, and a Shift-click while there is no anchor yet: that texture alone.
        DeselectAll();
        catalog.SetSelection(hit, 1);
        m_anchor = hit;
        RepaintCell(hit);
    }
    emit commandStateChanged();
}

void CUlvorView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Select(event->position().toPoint(), event->modifiers());
    } else if (event->button() == Qt::RightButton) {
        if (m_document.Catalog().GetSelectedCount() == 0)
            Select(event->position().toPoint(), event->modifiers());
        ShowContextMenu(event->globalPosition().toPoint());
    }
}

void CUlvorView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = Logical(event->position().toPoint());
    const int hit = Layout().HitTest(at.x(), at.y());
    if (hit >= 0 && m_app.Editors())
        Modify(hit);
}

void CUlvorView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu opens on the right-button press; this is the keyboard's menu key.
    if (event->reason() == QContextMenuEvent::Keyboard)
        ShowContextMenu(event->globalPos());
}

void CUlvorView::ShowContextMenu(const QPoint& globalPosition) {
    QMenu menu(this);
    auto add = [&](const QString& text, bool enabled, void (CUlvorView::*slot)()) {
        QAction* action = menu.addAction(text, this, slot);
        action->setEnabled(enabled);
        return action;
    };
    add(QStringLiteral("&New Simple...\tN"), CanNewTexture(), &CUlvorView::OnNewSimple);
    add(QStringLiteral("New &Layered...\tL"), CanNewTexture(), &CUlvorView::OnNewLayered);
    add(QStringLiteral("&Delete\tDel"), CanDelete(), &CUlvorView::OnDelete);
    add(QStringLiteral("&Modify...\tM"), CanModify(), &CUlvorView::OnModify);
    menu.addSeparator();
    add(QStringLiteral("&View Source\tV"), CanViewSource(), &CUlvorView::OnViewSource);
    add(QStringLiteral("&Export Source...\tCtrl+E"), CanExportSource(), &CUlvorView::OnExportSource);
    menu.addSeparator();
    add(QStringLiteral("Create &Texture Map\tCtrl+T"), CanCreateTextureMap(), &CUlvorView::OnCreateTextureMap);
    menu.addSeparator();
    add(QStringLiteral("&Clear Thumbnail(s)"), CanClearThumbnails(), &CUlvorView::OnClearThumbnails);
    add(QStringLiteral("&Render Thumbnail(s)"), CanRenderThumbnails(), &CUlvorView::OnRenderThumbnails);
    menu.exec(globalPosition);
}

// ---- texture commands ---------------------------------------------------------------------

void CUlvorView::Changed() {
    m_document.Changed();
    emit commandStateChanged();
}

void CUlvorView::ShowRenderMessage(const RenderResult& result) {
    if (!result.message.isEmpty())
        Prompts::Message(this, Prompts::Icon::Warning, result.title.isEmpty() ? QStringLiteral("Velvane") : result.title,
                         result.message);
}

void CUlvorView::RenderNewThumbnail(CMaterialObject& texture) {
    if (!IsUpdateThumbnail())
        return;
    const CUlvorDoc& catalog = m_document.Catalog();
    auto progress = m_app.MakeProgress(this);
    const RenderResult result = m_app.Runner().UpdateTextureThumbnail(
        texture, catalog.GetThumbnailWidth(), catalog.GetThumbnailHeight(), QStringLiteral("Rendering..."), *progress);
    // Whatever went wrong, the texture the user made is kept (with the picture it had).
    ShowRenderMessage(result);
}

void CUlvorView::AddAndShow(CMaterialObject& texture) {
    m_document.Catalog().AddTexture(texture);
    UpdateScrollSize();
    Changed();
    viewport()->update();
}

void CUlvorView::OnNewSimple() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    CMaterialSingleObject texture;
    if (!editors->EditSimple(texture, QStringLiteral("New Simple Texture"), this)) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    RenderNewThumbnail(texture);
    AddAndShow(texture);
}

void CUlvorView::OnNewLayered() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    CMaterialMultipleObject texture;
    if (!editors->EditLayered(texture, this)) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    RenderNewThumbnail(texture);
    AddAndShow(texture);
}

void CUlvorView::OnModify() {
    const int index = m_document.Catalog().GetSingleSelection();
    if (index >= 0)
        Modify(index);
}

void CUlvorView::Modify(int index) {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    const CMaterialObject& original = m_document.Catalog().GetTexture(index);
    std::unique_ptr<CMaterialObject> copy = original.Clone();
    const bool accepted =
        copy->IsSimple()
            ? editors->EditSimple(static_cast<CMaterialSingleObject&>(*copy), QStringLiteral("Modify Simple Texture"), this)
            : editors->EditLayered(static_cast<CMaterialMultipleObject&>(*copy), this);
    if (!accepted) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    // The copy still holds the old thumbnail unless a new one was rendered into it.
    RenderNewThumbnail(*copy);
    m_document.Catalog().ReplaceTexture(index, std::move(copy));
    Changed();
    viewport()->update();
}

void CUlvorView::RemoveSelection() {
    m_document.Catalog().RemoveSelectedTextures();
    m_anchor = -1;
    UpdateScrollSize();
    Changed();
    viewport()->update();
}

void CUlvorView::OnDelete() {
    if (!CanDelete())
        return;
    if (Prompts::Message(this, Prompts::Icon::Stop, QStringLiteral("Delete Material"), QString::fromLatin1(kDeleteQuestion),
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    RemoveSelection();
}

void CUlvorView::OnViewSource() {
    if (!CanViewSource())
        return;
    const CUlvorDoc& catalog = m_document.Catalog();
    CViewSourceDlg dialog(QString::fromStdString(ExportSourceText(catalog, catalog.GetSelectedIndices(), SRC_DECLARE)),
                          this);
    dialog.exec();
}

void CUlvorView::OnExportSource() {
    if (!CanExportSource())
        return;
    CExportDlg dialog(m_document.Catalog(), m_document.Title(), this);
    dialog.exec();
}

void CUlvorView::OnCreateTextureMap() {
    const int index = m_document.Catalog().GetSingleSelection();
    if (index >= 0)
        RunCreateTextureMap(m_app, m_document.Catalog().GetTexture(index), this);
}

void CUlvorView::OnClearThumbnails() {
    CUlvorDoc& catalog = m_document.Catalog();
    if (!CanClearThumbnails())
        return;
    bool composite = true;
    bool layers = true;
    if (!AskThumbnailChoice(this, catalog, QString::fromLatin1(kClearPrompt), QStringLiteral("Clear Thumbnail(s)"),
                            QString::fromLatin1(kClearQuestion), composite, layers))
        return;
    for (int index : catalog.GetSelectedIndices()) {
        CMaterialObject& texture = catalog.GetTexture(index);
        if (composite)
            texture.Thumbnail().Clear();
        if (!texture.IsSimple() && layers) {
            auto& layered = static_cast<CMaterialMultipleObject&>(texture);
            for (int m = 0; m < layered.GetLayerCount(); ++m)
                layered.GetLayer(m)->Thumbnail().Clear();
        }
    }
    Changed();
    viewport()->update();
}

void CUlvorView::OnRenderThumbnails() {
    CUlvorDoc& catalog = m_document.Catalog();
    if (!CanRenderThumbnails())
        return;
    bool composite = true;
    bool layers = true;
    if (!AskThumbnailChoice(this, catalog, QString(), QStringLiteral("Render Thumbnail(s)"),
                            QString::fromLatin1(kRenderQuestion), composite, layers))
        return;
    RenderResult result;
    ThumbnailBatch batch(catalog, composite, layers);
    {
        WaitCursor wait;
        auto progress = m_app.MakeProgress(this);
        result = RenderThumbnailBatch(m_app.Runner(), batch, m_app.Settings().parallelRenders, *progress);
    }
    // Thumbnails already taken are the catalog's now, whatever stopped the batch.
    if (batch.Taken() > 0 || result.status != RenderResult::ImageFailed)
        Changed();
    viewport()->update();
    ShowRenderMessage(result);
}

void CUlvorView::OnCopy() {
    if (!CanCopy())
        return;
    const CUlvorDoc& catalog = m_document.Catalog();
    TextureCopyList& copies = m_app.CopyList();
    copies.clear();
    for (int index : catalog.GetSelectedIndices())
        copies.push_back(catalog.GetTexture(index).Clone());
    CopyTextToClipboard(QString::fromStdString(ExportSourceText(catalog, catalog.GetSelectedIndices(), SRC_DECLARE)));
    emit commandStateChanged();
}

void CUlvorView::OnCut() {
    if (!CanCut())
        return;
    OnCopy();
    RemoveSelection();
}

void CUlvorView::OnPaste() {
    if (!CanPaste())
        return;
    WaitCursor wait;
    for (const auto& texture : m_app.CopyList())
        m_document.Catalog().AddTexture(*texture);
    UpdateScrollSize();
    Changed();
    viewport()->update();
}

void CUlvorView::OnAntialiasing() {
    m_app.Settings().antialiasing = IsAntialiasing() ? 0 : 1;
    emit commandStateChanged();
}

void CUlvorView::OnUpdateThumbnail() {
    m_app.Settings().updateThumbnail = IsUpdateThumbnail() ? 0 : 1;
    emit commandStateChanged();
}

// ---- printing -----------------------------------------------------------------------------

void CUlvorView::PrintGrid(QPrinter& printer) const {
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const CUlvorDoc& catalog = m_document.Catalog();
    // The grid is laid out as in a window as wide as the view (at least 500 pixels) and scaled
    // to the page's width; each page takes as many whole rows as fit.
    const QRect page = printer.pageLayout().paintRectPixels(printer.resolution());
    const int width = std::max(500, viewport()->width());
    const double scale = static_cast<double>(page.width()) / width;
    const int pageHeight = static_cast<int>(page.height() / scale);
    const CellLayout layout = ComputeCellLayout(catalog.GetCount(), catalog.GetThumbnailWidth(),
                                                catalog.GetThumbnailHeight(), width);
    const int rowPitch = catalog.GetThumbnailHeight() + 38;
    const int rowsPerPage = std::max(1, (pageHeight - 20) / rowPitch);
    const int rows = (catalog.GetCount() + layout.Columns() - 1) / layout.Columns();
    painter.scale(scale, scale);
    painter.setFont(font());
    const CatalogPainter grid(catalog);
    for (int first = 0; first < std::max(rows, 1); first += rowsPerPage) {
        if (first > 0)
            printer.newPage();
        const int top = first * rowPitch;
        painter.save();
        painter.translate(0, -top);
        const QRect area(0, top, width, rowsPerPage * rowPitch + 20);
        painter.setClipRect(area);
        grid.Paint(painter, area, width);
        painter.restore();
    }
}

void CUlvorView::OnPrint() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintGrid(printer);
}

void CUlvorView::OnPrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { PrintGrid(*target); });
    preview.exec();
}
