#include "ui/catalog/catalogview.h"

#include "ui/app/appservices.h"
#include "core/catalog/exportsource.h"
#include "core/catalog/thumbnailbatch.h"
#include "ui/catalog/catalogactions.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/dialogs/clipboard.h"
#include "ui/dialogs/exportdialog.h"
#include "ui/dialogs/thumbnailoptionsdialog.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/framework/prompts.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "paint/catalogpainter.h"
#include "render/povray/batchrender.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderprogress.h"
#include "render/settings/programsettings.h"
#include "ui/texmap/createtexturemap.h"
#include "ui/catalog/textureeditors.h"

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

bool AnySelectedLayered(const Catalog& catalog) {
    for (int index : catalog.GetSelectedIndices())
        if (!catalog.GetTexture(index).IsSimple())
            return true;
    return false;
}

/// Asks which thumbnails a command works on: the options dialog when a layered texture is
/// selected, else a Yes/No question. Returns false when the user declines.
bool AskThumbnailChoice(QWidget* parent, const Catalog& catalog, const QString& prompt, const QString& title,
                        const QString& question, bool& composite, bool& layers) {
    composite = layers = true;
    if (AnySelectedLayered(catalog)) {
        ThumbnailOptionsDialog options(parent);
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

CatalogView::CatalogView(CatalogDocument& document, AppServices& app, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_app(app), m_actions(new CatalogActions(*this)) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setMinimumSize(160, 120);
    connect(&document, &Document::contentsChanged, this, [this] {
        UpdateScrollSize();
        viewport()->update();
        emit commandStateChanged();
    });
    connect(this, &CatalogView::commandStateChanged, this, &CatalogView::UpdateCommands);
}

CatalogView::~CatalogView() = default;

Document& CatalogView::ViewedDocument() const { return m_document; }
QList<ViewMenu> CatalogView::Menus() const { return m_actions->Menus(); }
QAction* CatalogView::StandardAction(StandardCommand command) const { return m_actions->Standard(command); }
void CatalogView::UpdateCommands() { m_actions->Update(); }
QAction* CatalogView::Action(const QString& name) const { return m_actions->Action(name); }

CellLayout CatalogView::Layout() const {
    const Catalog& catalog = m_document.Contents();
    return ComputeCellLayout(catalog.GetCount(), catalog.GetThumbnailWidth(), catalog.GetThumbnailHeight(),
                             viewport()->width());
}

int CatalogView::Offset() const { return verticalScrollBar()->value(); }

QPoint CatalogView::Logical(const QPoint& position) const { return position + QPoint(0, Offset()); }

// ---- commands' enabling -------------------------------------------------------------------

bool CatalogView::CanNewTexture() const { return m_app.Editors() != nullptr; }
bool CatalogView::CanDelete() const { return m_document.Contents().GetSelectedCount() > 0; }
bool CatalogView::CanModify() const { return m_app.Editors() && m_document.Contents().GetSingleSelection() >= 0; }
bool CatalogView::CanViewSource() const { return CanDelete(); }
bool CatalogView::CanExportSource() const { return m_document.Contents().GetCount() > 0; }
bool CatalogView::CanCreateTextureMap() const { return m_document.Contents().GetSingleSelection() >= 0; }
bool CatalogView::CanClearThumbnails() const { return CanDelete(); }
bool CatalogView::CanRenderThumbnails() const { return CanDelete(); }
bool CatalogView::CanCut() const { return CanDelete(); }
bool CatalogView::CanCopy() const { return CanDelete(); }
bool CatalogView::CanPaste() const { return !m_app.CopyList().empty(); }
bool CatalogView::IsAntialiasing() const { return m_app.Settings().antialiasing != 0; }
bool CatalogView::IsUpdateThumbnail() const { return m_app.Settings().updateThumbnail != 0; }

// ---- painting and scrolling ---------------------------------------------------------------

void CatalogView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.translate(0, -Offset());
    CatalogPainter(m_document.Contents(), RouteFor(m_app.Settings().useVideoForWindows))
        .Paint(painter, event->rect().translated(0, Offset()), viewport()->width());
}

void CatalogView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    // An empty catalog keeps the range it was given at first.
    if (!m_scrollSizeSet || m_document.Contents().GetCount() > 0)
        UpdateScrollSize();
}

void CatalogView::scrollContentsBy(int, int) { viewport()->update(); }

void CatalogView::UpdateScrollSize() {
    const int client = viewport()->height();
    int height = Layout().ContentHeight();
    if (m_document.Contents().GetCount() == 0)
        height = client;
    m_scrollSizeSet = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, height - client));
    bar->setPageStep(std::max(1, height / 10));
    bar->setSingleStep(std::max(1, height / 100));
}

void CatalogView::RepaintCell(int index) {
    const CellRect cell = Layout().Cell(index);
    viewport()->update(QRect(QPoint(cell.left, cell.top - Offset()), QPoint(cell.right - 1, cell.bottom - 1 - Offset())));
}

// ---- mouse --------------------------------------------------------------------------------

void CatalogView::DeselectAll() {
    Catalog& catalog = m_document.Contents();
    for (int index : catalog.GetSelectedIndices()) {
        catalog.Deselect(index);
        RepaintCell(index);
    }
}

void CatalogView::Select(const QPoint& position, Qt::KeyboardModifiers modifiers) {
    Catalog& catalog = m_document.Contents();
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
            catalog.Select(i);
            RepaintCell(i);
        }
    } else if (control) {
        if (catalog.IsSelected(hit)) {
            catalog.Deselect(hit);
        } else {
            catalog.Select(hit);
            m_anchor = hit;
        }
        RepaintCell(hit);
    } else {
        // A plain click, and a Shift-click while there is no anchor yet: that texture alone.
        DeselectAll();
        catalog.Select(hit);
        m_anchor = hit;
        RepaintCell(hit);
    }
    emit commandStateChanged();
}

void CatalogView::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        Select(event->position().toPoint(), event->modifiers());
    } else if (event->button() == Qt::RightButton) {
        if (m_document.Contents().GetSelectedCount() == 0)
            Select(event->position().toPoint(), event->modifiers());
        ShowContextMenu(event->globalPosition().toPoint());
    }
}

void CatalogView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const QPoint at = Logical(event->position().toPoint());
    const int hit = Layout().HitTest(at.x(), at.y());
    if (hit >= 0 && m_app.Editors())
        Modify(hit);
}

void CatalogView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu opens on the right-button press; this is the keyboard's menu key.
    if (event->reason() == QContextMenuEvent::Keyboard)
        ShowContextMenu(event->globalPos());
}

void CatalogView::ShowContextMenu(const QPoint& globalPosition) {
    QMenu menu(this);
    auto add = [&](const QString& text, bool enabled, void (CatalogView::*slot)()) {
        QAction* action = menu.addAction(text, this, slot);
        action->setEnabled(enabled);
        return action;
    };
    add(QStringLiteral("&New Simple...\tN"), CanNewTexture(), &CatalogView::OnNewSimple);
    add(QStringLiteral("New &Layered...\tL"), CanNewTexture(), &CatalogView::OnNewLayered);
    add(QStringLiteral("&Delete\tDel"), CanDelete(), &CatalogView::OnDelete);
    add(QStringLiteral("&Modify...\tM"), CanModify(), &CatalogView::OnModify);
    menu.addSeparator();
    add(QStringLiteral("&View Source\tV"), CanViewSource(), &CatalogView::OnViewSource);
    add(QStringLiteral("&Export Source...\tCtrl+E"), CanExportSource(), &CatalogView::OnExportSource);
    menu.addSeparator();
    add(QStringLiteral("Create &Texture Map\tCtrl+T"), CanCreateTextureMap(), &CatalogView::OnCreateTextureMap);
    menu.addSeparator();
    add(QStringLiteral("&Clear Thumbnail(s)"), CanClearThumbnails(), &CatalogView::OnClearThumbnails);
    add(QStringLiteral("&Render Thumbnail(s)"), CanRenderThumbnails(), &CatalogView::OnRenderThumbnails);
    menu.exec(globalPosition);
}

// ---- texture commands ---------------------------------------------------------------------

void CatalogView::Changed() {
    m_document.Changed();
    emit commandStateChanged();
}

void CatalogView::ShowRenderMessage(const RenderResult& result) {
    if (!result.message.isEmpty())
        Prompts::Message(this, Prompts::Icon::Warning, result.title.isEmpty() ? QStringLiteral("Velvane") : result.title,
                         result.message);
}

void CatalogView::RenderNewThumbnail(Texture& texture) {
    if (!IsUpdateThumbnail())
        return;
    const Catalog& catalog = m_document.Contents();
    auto progress = m_app.MakeProgress(this);
    const RenderResult result = m_app.Runner().UpdateTextureThumbnail(
        texture, catalog.GetThumbnailWidth(), catalog.GetThumbnailHeight(), QStringLiteral("Rendering..."), *progress);
    // Whatever went wrong, the texture the user made is kept (with the picture it had).
    ShowRenderMessage(result);
}

void CatalogView::AddAndShow(Texture& texture) {
    m_document.Contents().AddTexture(texture);
    UpdateScrollSize();
    Changed();
    viewport()->update();
}

void CatalogView::OnNewSimple() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    SimpleTexture texture;
    if (!editors->EditSimple(texture, QStringLiteral("New Simple Texture"), this)) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    RenderNewThumbnail(texture);
    AddAndShow(texture);
}

void CatalogView::OnNewLayered() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    LayeredTexture texture;
    if (!editors->EditLayered(texture, this)) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    RenderNewThumbnail(texture);
    AddAndShow(texture);
}

void CatalogView::OnModify() {
    const int index = m_document.Contents().GetSingleSelection();
    if (index >= 0)
        Modify(index);
}

void CatalogView::Modify(int index) {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    const Texture& original = m_document.Contents().GetTexture(index);
    std::unique_ptr<Texture> copy = original.Clone();
    const bool accepted =
        copy->IsSimple()
            ? editors->EditSimple(static_cast<SimpleTexture&>(*copy), QStringLiteral("Modify Simple Texture"), this)
            : editors->EditLayered(static_cast<LayeredTexture&>(*copy), this);
    if (!accepted) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    // The copy still holds the old thumbnail unless a new one was rendered into it.
    RenderNewThumbnail(*copy);
    m_document.Contents().ReplaceTexture(index, std::move(copy));
    Changed();
    viewport()->update();
}

void CatalogView::RemoveSelection() {
    m_document.Contents().RemoveSelectedTextures();
    m_anchor = -1;
    UpdateScrollSize();
    Changed();
    viewport()->update();
}

void CatalogView::OnDelete() {
    if (!CanDelete())
        return;
    if (Prompts::Message(this, Prompts::Icon::Stop, QStringLiteral("Delete Material"), QString::fromLatin1(kDeleteQuestion),
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    RemoveSelection();
}

void CatalogView::OnViewSource() {
    if (!CanViewSource())
        return;
    const Catalog& catalog = m_document.Contents();
    ViewSourceDialog dialog(QString::fromStdString(ExportSourceText(catalog, catalog.GetSelectedIndices(), SourceFlag::Declare)),
                          this);
    dialog.exec();
}

void CatalogView::OnExportSource() {
    if (!CanExportSource())
        return;
    ExportDialog dialog(m_document.Contents(), m_document.Title(), this);
    dialog.exec();
}

void CatalogView::OnCreateTextureMap() {
    const int index = m_document.Contents().GetSingleSelection();
    if (index >= 0)
        RunCreateTextureMap(m_app, m_document.Contents().GetTexture(index), this);
}

void CatalogView::OnClearThumbnails() {
    Catalog& catalog = m_document.Contents();
    if (!CanClearThumbnails())
        return;
    bool composite = true;
    bool layers = true;
    if (!AskThumbnailChoice(this, catalog, QString::fromLatin1(kClearPrompt), QStringLiteral("Clear Thumbnail(s)"),
                            QString::fromLatin1(kClearQuestion), composite, layers))
        return;
    for (int index : catalog.GetSelectedIndices()) {
        Texture& texture = catalog.GetTexture(index);
        if (composite)
            texture.Thumbnail().Clear();
        if (!texture.IsSimple() && layers) {
            auto& layered = static_cast<LayeredTexture&>(texture);
            for (int m = 0; m < layered.GetLayerCount(); ++m)
                layered.GetLayer(m)->Thumbnail().Clear();
        }
    }
    Changed();
    viewport()->update();
}

void CatalogView::OnRenderThumbnails() {
    Catalog& catalog = m_document.Contents();
    if (!CanRenderThumbnails())
        return;
    bool composite = true;
    bool layers = true;
    if (!AskThumbnailChoice(this, catalog, QString(), QStringLiteral("Render Thumbnail(s)"),
                            QString::fromLatin1(kRenderQuestion), composite, layers))
        return;
    RenderResult result;
    ThumbnailBatch batch(catalog, composite, layers);
    // Each thumbnail shows as soon as it is taken; the user may scroll to watch.
    batch.SetChangeHandler([this](int index) { RepaintCell(index); });
    {
        WaitCursor wait;
        // Kept after the batch: the progress window then shows its summary until closed.
        m_batchProgress = m_app.MakeProgress(this);
        result = RenderThumbnailBatch(m_app.Runner(), batch, m_app.Settings().parallelRenders, *m_batchProgress);
    }
    // Thumbnails already taken are the catalog's now, whatever stopped the batch.
    if (batch.Taken() > 0 || result.status != RenderResult::ImageFailed)
        Changed();
    viewport()->update();
    // Textures POV-Ray could not render are named in the summary and stay selected.
    if (result.status != RenderResult::PovRayFailed && result.status != RenderResult::ImageFailed)
        ShowRenderMessage(result);
}

void CatalogView::OnCopy() {
    if (!CanCopy())
        return;
    const Catalog& catalog = m_document.Contents();
    TextureCopyList& copies = m_app.CopyList();
    copies.clear();
    for (int index : catalog.GetSelectedIndices())
        copies.push_back(catalog.GetTexture(index).Clone());
    CopyTextToClipboard(QString::fromStdString(ExportSourceText(catalog, catalog.GetSelectedIndices(), SourceFlag::Declare)));
    emit commandStateChanged();
}

void CatalogView::OnCut() {
    if (!CanCut())
        return;
    OnCopy();
    RemoveSelection();
}

void CatalogView::OnPaste() {
    if (!CanPaste())
        return;
    WaitCursor wait;
    for (const auto& texture : m_app.CopyList())
        m_document.Contents().AddTexture(*texture);
    UpdateScrollSize();
    Changed();
    viewport()->update();
}

void CatalogView::OnAntialiasing() {
    m_app.Settings().antialiasing = IsAntialiasing() ? 0 : 1;
    emit commandStateChanged();
}

void CatalogView::OnUpdateThumbnail() {
    m_app.Settings().updateThumbnail = IsUpdateThumbnail() ? 0 : 1;
    emit commandStateChanged();
}

// ---- printing -----------------------------------------------------------------------------

void CatalogView::PrintGrid(QPrinter& printer) const {
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const Catalog& catalog = m_document.Contents();
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

void CatalogView::OnPrint() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    if (dialog.exec() == QDialog::Accepted)
        PrintGrid(printer);
}

void CatalogView::OnPrintPreview() {
    QPrinter printer(QPrinter::HighResolution);
    QPrintPreviewDialog preview(&printer, this);
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) { PrintGrid(*target); });
    preview.exec();
}
