#include "ui/catalog/catalogview.h"

#include "core/catalog/exportsource.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "paint/bitmapimage.h"
#include "paint/catalogpainter.h"
#include "render/povray/batchrender.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderprogress.h"
#include "render/settings/programsettings.h"
#include "ui/app/appservices.h"
#include "ui/catalog/catalogactions.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogedits.h"
#include "ui/catalog/catalogprintlayout.h"
#include "ui/catalog/textureeditors.h"
#include "ui/dialogs/clipboard.h"
#include "ui/dialogs/exportdialog.h"
#include "ui/dialogs/thumbnailoptionsdialog.h"
#include "ui/dialogs/viewsourcedialog.h"
#include "ui/framework/prompts.h"
#include "ui/texmap/createtexturemap.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QDrag>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <numeric>

namespace {

/// The wait cursor while a command works, the arrow again afterwards.
class WaitCursor {
public:
    WaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

const char* const kRenderQuestion =
    "Are you sure that you want to render the thumbnail(s)\r\nfor the selected "
    "material(s)?\r\n\r\nnote: This can take a very long time.";
const char* const kClearQuestion =
    "Are you sure that you want to clear the thumbnail(s)\r\nfor the selected material(s)?";
const char* const kClearPrompt =
    "Please select an option for which thumbnails that you would like to clear:";
/// Textures dragged between catalog windows: the bytes of a catalog file holding them.
const char* const kTextureMimeType = "application/x-velvane-textures";
const char* const kDeleteQuestion =
    "Are you sure that you want to delete the selected material(s)?";

bool AnySelectedLayered(const Catalog& catalog) {
    for (int index : catalog.GetSelectedIndices())
        if (!catalog.GetTexture(index).IsSimple())
            return true;
    return false;
}

/// Asks which thumbnails a command works on: the options dialog when a layered texture is
/// selected, else a Yes/No question. Returns false when the user declines.
bool AskThumbnailChoice(QWidget* parent, const Catalog& catalog, const QString& prompt,
                        const QString& title, const QString& question, bool& composite,
                        bool& layers) {
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
    return Prompts::Message(parent, Prompts::Icon::Stop, title, question,
                            QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
}

} // namespace

CatalogView::CatalogView(CatalogDocument& document, AppServices& app, QWidget* parent)
    : QAbstractScrollArea(parent), m_document(document), m_app(app), m_shown([&document] {
          ShownTextures all;
          all.ShowAll(document.Contents().GetCount());
          return all;
      }()),
      m_actions(new CatalogActions(*this)), m_findBar(new QWidget(this)),
      m_findField(new QLineEdit(m_findBar)) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::StrongFocus);
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);

    // The Find bar above the grid: a field that narrows the grid as the user types.
    auto* label = new QLabel(QStringLiteral("F&ind:"), m_findBar);
    label->setBuddy(m_findField);
    m_findField->setAccessibleName(QStringLiteral("Find"));
    m_findField->setClearButtonEnabled(true);
    m_findField->setPlaceholderText(QStringLiteral("Name or description"));
    m_findField->installEventFilter(this);
    auto* layout = new QHBoxLayout(m_findBar);
    layout->setContentsMargins(6, 3, 6, 3);
    layout->addWidget(label);
    layout->addWidget(m_findField, 1);
    m_findBar->setAutoFillBackground(true);
    m_findBar->hide();
    connect(m_findField, &QLineEdit::textChanged, this, &CatalogView::SetFilter);

    connect(&document, &Document::contentsChanged, this, &CatalogView::OnContentsChanged);
    connect(&document, &Document::modifiedChanged, this, [this] { StateChanged(); });
    connect(this, &CatalogView::commandStateChanged, this, &CatalogView::UpdateCommands);
}

CatalogView::~CatalogView() = default;

Document& CatalogView::ViewedDocument() const {
    return m_document;
}
QList<ViewMenu> CatalogView::Menus() const {
    return m_actions->Menus();
}
QAction* CatalogView::StandardAction(StandardCommand command) const {
    return m_actions->Standard(command);
}
void CatalogView::UpdateCommands() {
    m_actions->Update();
}
QAction* CatalogView::Action(const QString& name) const {
    return m_actions->Action(name);
}

QString CatalogView::StatusText() const {
    if (!m_shown.IsFiltered())
        return QString();
    const QLocale english(QLocale::English);
    return QStringLiteral("%1 of %2 textures")
        .arg(english.toString(m_shown.Count()), english.toString(m_document.Contents().GetCount()));
}

CellLayout CatalogView::Layout() const {
    const Catalog& catalog = m_document.Contents();
    return ComputeCellLayout(m_shown.Count(), catalog.GetThumbnailWidth(),
                             catalog.GetThumbnailHeight(), viewport()->width());
}

int CatalogView::Offset() const {
    return verticalScrollBar()->value();
}

QPoint CatalogView::Logical(const QPoint& position) const {
    return position + QPoint(0, Offset());
}

int CatalogView::HitIndex(const QPoint& position) const {
    const QPoint at = Logical(position);
    const int hit = Layout().HitTest(at.x(), at.y());
    return hit < 0 ? -1 : m_shown.IndexAt(hit);
}

void CatalogView::StateChanged() {
    emit commandStateChanged();
    NotifyStateChanged();
}

void CatalogView::OnContentsChanged() {
    ApplyFilter();
    const int count = m_document.Contents().GetCount();
    if (m_anchor >= count)
        m_anchor = -1;
    if (m_focus >= count)
        m_focus = count > 0 ? count - 1 : -1;
    UpdateScrollSize();
    viewport()->update();
    StateChanged();
}

// ---- commands' enabling -------------------------------------------------------------------

bool CatalogView::CanNewTexture() const {
    return m_app.Editors() != nullptr;
}
bool CatalogView::CanDelete() const {
    return m_document.Contents().GetSelectedCount() > 0;
}
bool CatalogView::CanModify() const {
    return m_app.Editors() && m_document.Contents().GetSingleSelection() >= 0;
}
bool CatalogView::CanViewSource() const {
    return CanDelete();
}
bool CatalogView::CanExportSource() const {
    return m_document.Contents().GetCount() > 0;
}
bool CatalogView::CanCreateTextureMap() const {
    return m_document.Contents().GetSingleSelection() >= 0;
}
bool CatalogView::CanClearThumbnails() const {
    return CanDelete();
}
bool CatalogView::CanRenderThumbnails() const {
    return CanDelete();
}
bool CatalogView::CanCut() const {
    return CanDelete();
}
bool CatalogView::CanCopy() const {
    return CanDelete();
}
bool CatalogView::CanPaste() const {
    return !m_app.CopyList().empty();
}
bool CatalogView::IsAntialiasing() const {
    return m_app.Settings().antialiasing != 0;
}
bool CatalogView::IsUpdateThumbnail() const {
    return m_app.Settings().updateThumbnail != 0;
}

// ---- painting and scrolling ---------------------------------------------------------------

void CatalogView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.setFont(font());
    painter.translate(0, -Offset());
    CatalogPainter(m_document.Contents(), RouteFor(m_app.Settings().useVideoForWindows),
                   m_shown.Indices())
        .Paint(painter, event->rect().translated(0, Offset()), viewport()->width());
    // The keyboard's cell, in the platform's focus frame, while the grid has the focus.
    const int position = m_shown.PositionOf(m_focus);
    if (hasFocus() && position >= 0) {
        const CellRect cell = Layout().Cell(position);
        QStyleOptionFocusRect option;
        option.initFrom(this);
        // The keyboard works on this cell whichever way the focus came, so styles that frame
        // only keyboard focus draw it too.
        option.state |= QStyle::State_KeyboardFocusChange;
        option.rect =
            QRect(QPoint(cell.left + 2, cell.top + 2), QPoint(cell.right - 3, cell.bottom - 3));
        option.backgroundColor = m_document.Contents().IsSelected(m_focus)
                                     ? CatalogPainter::kSelection
                                     : CatalogPainter::kBackground;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    if (!m_dropMarker.isNull())
        painter.fillRect(m_dropMarker, Qt::black);
}

void CatalogView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    if (m_findBar->isVisible()) {
        const QRect inner = contentsRect();
        m_findBar->setGeometry(inner.left(), inner.top(), inner.width(),
                               m_findBar->sizeHint().height());
    }
    // An empty catalog keeps the range it was given at first.
    if (!m_scrollSizeSet || m_document.Contents().GetCount() > 0)
        UpdateScrollSize();
}

void CatalogView::scrollContentsBy(int, int) {
    viewport()->update();
}

void CatalogView::UpdateScrollSize() {
    const int client = viewport()->height();
    const CellLayout layout = Layout();
    int height = layout.ContentHeight();
    if (m_document.Contents().GetCount() == 0)
        height = client;
    m_scrollSizeSet = true;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, height - client));
    // A line is a third of a row and a page the visible height, whatever the catalog's size.
    bar->setPageStep(std::max(1, client));
    bar->setSingleStep(std::max(1, layout.RowPitch() / 3));
}

void CatalogView::wheelEvent(QWheelEvent* event) {
    // One notch (120 eighths of a degree) scrolls one line; touchpads send parts of a notch.
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() - notches * bar->singleStep());
    event->accept();
}

void CatalogView::RepaintCell(int index) {
    const int position = m_shown.PositionOf(index);
    if (position < 0)
        return;
    const CellRect cell = Layout().Cell(position);
    viewport()->update(QRect(QPoint(cell.left, cell.top - Offset()),
                             QPoint(cell.right - 1, cell.bottom - 1 - Offset())));
}

void CatalogView::ScrollToPosition(int position) {
    if (position < 0)
        return;
    // The cell comes into view with the margin the first row has above it.
    const CellLayout layout = Layout();
    const CellRect cell = layout.Cell(position);
    const int margin = layout.RowTop(0);
    QScrollBar* bar = verticalScrollBar();
    const int height = viewport()->height();
    if (cell.top - margin < bar->value())
        bar->setValue(cell.top - margin);
    else if (cell.bottom + margin > bar->value() + height)
        bar->setValue(cell.bottom + margin - height);
}

void CatalogView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    if (m_focus >= 0)
        RepaintCell(m_focus);
}

void CatalogView::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    if (m_focus >= 0)
        RepaintCell(m_focus);
}

// ---- find ---------------------------------------------------------------------------------

void CatalogView::OnFind() {
    if (!m_findBar->isVisible()) {
        m_findBar->show();
        setViewportMargins(0, m_findBar->sizeHint().height(), 0, 0);
        const QRect inner = contentsRect();
        m_findBar->setGeometry(inner.left(), inner.top(), inner.width(),
                               m_findBar->sizeHint().height());
    }
    m_findField->setFocus(Qt::ShortcutFocusReason);
    m_findField->selectAll();
}

void CatalogView::SetFilter(const QString& text) {
    if (m_findField->text() != text)
        m_findField->setText(text); // comes back here through textChanged
    if (m_filter == text)
        return;
    m_filter = text;
    ApplyFilter();
    verticalScrollBar()->setValue(0);
    UpdateScrollSize();
    viewport()->update();
    StateChanged();
}

void CatalogView::ApplyFilter() {
    Catalog& catalog = m_document.Contents();
    if (m_filter.isEmpty()) {
        m_shown.ShowAll(catalog.GetCount());
        return;
    }
    const QString text = m_filter;
    m_shown.Filter(catalog, [&text](const Texture& texture) {
        return QString::fromStdString(texture.GetName()).contains(text, Qt::CaseInsensitive) ||
               QString::fromStdString(texture.GetDescription()).contains(text, Qt::CaseInsensitive);
    });
    // Commands act on what the user sees: hidden textures leave the selection.
    for (int index : catalog.GetSelectedIndices())
        if (m_shown.PositionOf(index) < 0)
            catalog.Deselect(index);
}

void CatalogView::CloseFind() {
    SetFilter(QString());
    m_findBar->hide();
    setViewportMargins(0, 0, 0, 0);
    setFocus(Qt::OtherFocusReason);
}

bool CatalogView::eventFilter(QObject* watched, QEvent* event) {
    // In the Find field Escape clears the filter and closes the bar; Return, Up and Down go on
    // to the grid with the narrowed list.
    if (watched == m_findField && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Escape) {
            CloseFind();
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter || key == Qt::Key_Down ||
            key == Qt::Key_Up) {
            setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

// ---- selection by mouse and keyboard ------------------------------------------------------

void CatalogView::DeselectAll() {
    Catalog& catalog = m_document.Contents();
    for (int index : catalog.GetSelectedIndices()) {
        catalog.Deselect(index);
        RepaintCell(index);
    }
}

void CatalogView::SelectAt(int position, Qt::KeyboardModifiers modifiers) {
    Catalog& catalog = m_document.Contents();
    if (m_shown.Count() == 0)
        return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool control = modifiers & Qt::ControlModifier;
    const int hit = position < 0 ? -1 : m_shown.IndexAt(position);
    const int anchorPosition = m_anchor >= 0 ? m_shown.PositionOf(m_anchor) : -1;
    if (hit < 0) {
        DeselectAll();
    } else if (shift && control) {
        return;
    } else if (shift && anchorPosition >= 0) {
        DeselectAll();
        for (int p = std::min(position, anchorPosition); p <= std::max(position, anchorPosition);
             ++p) {
            catalog.Select(m_shown.IndexAt(p));
            RepaintCell(m_shown.IndexAt(p));
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
    if (hit >= 0 && hit != m_focus) {
        const int previous = m_focus;
        m_focus = hit;
        if (previous >= 0)
            RepaintCell(previous);
        RepaintCell(hit);
    }
    StateChanged();
}

void CatalogView::MoveFocus(int position, Qt::KeyboardModifiers modifiers) {
    position = std::clamp(position, 0, m_shown.Count() - 1);
    if (modifiers & Qt::ControlModifier) {
        // Ctrl moves the focus cell alone; Space then toggles it.
        const int previous = m_focus;
        m_focus = m_shown.IndexAt(position);
        if (previous >= 0)
            RepaintCell(previous);
        RepaintCell(m_focus);
    } else {
        SelectAt(position, modifiers & Qt::ShiftModifier);
    }
    ScrollToPosition(position);
}

void CatalogView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && (!m_filter.isEmpty() || m_findBar->isVisible())) {
        CloseFind();
        return;
    }
    const int count = m_shown.Count();
    if (count == 0) {
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    const int current = m_shown.PositionOf(m_focus);
    const CellLayout layout = Layout();
    const int columns = layout.Columns();
    const int page = columns * std::max(1, viewport()->height() / layout.RowPitch());
    // With no focus cell yet, the first key lands on the first texture.
    auto from = [current](int step) { return current < 0 ? 0 : current + step; };
    switch (event->key()) {
    case Qt::Key_Left:
        MoveFocus(from(-1), modifiers);
        break;
    case Qt::Key_Right:
        MoveFocus(from(1), modifiers);
        break;
    case Qt::Key_Up:
        MoveFocus(current < 0 ? 0 : current - columns < 0 ? current : current - columns, modifiers);
        break;
    case Qt::Key_Down:
        MoveFocus(current < 0                  ? 0
                  : current + columns >= count ? current
                                               : current + columns,
                  modifiers);
        break;
    case Qt::Key_Home:
        MoveFocus(0, modifiers);
        break;
    case Qt::Key_End:
        MoveFocus(count - 1, modifiers);
        break;
    case Qt::Key_PageUp:
        MoveFocus(from(-page), modifiers);
        break;
    case Qt::Key_PageDown:
        MoveFocus(from(page), modifiers);
        break;
    case Qt::Key_Space:
        // Space toggles the focus cell as a Ctrl-click does.
        SelectAt(current < 0 ? 0 : current, Qt::ControlModifier);
        ScrollToPosition(current < 0 ? 0 : current);
        break;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        if (current >= 0 && m_app.Editors())
            Modify(m_focus);
        break;
    default:
        QAbstractScrollArea::keyPressEvent(event);
        return;
    }
    event->accept();
}

void CatalogView::OnSelectAll() {
    Catalog& catalog = m_document.Contents();
    for (int p = 0; p < m_shown.Count(); ++p)
        catalog.Select(m_shown.IndexAt(p));
    viewport()->update();
    StateChanged();
}

void CatalogView::OnSelectNone() {
    m_document.Contents().DeselectAll();
    viewport()->update();
    StateChanged();
}

// ---- mouse --------------------------------------------------------------------------------

void CatalogView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const QPoint at = Logical(point);
    const int position = m_shown.Count() > 0 ? Layout().HitTest(at.x(), at.y()) : -1;
    m_pendingClick = false;
    m_pressIndex = -1;
    if (event->button() == Qt::LeftButton) {
        const int hit = position < 0 ? -1 : m_shown.IndexAt(position);
        m_pressPoint = point;
        m_pressIndex = hit;
        // A plain press on a texture of a selection of several may start dragging them all; the
        // click's rule (that texture alone) is applied on release when no drag started.
        if (hit >= 0 && event->modifiers() == Qt::NoModifier &&
            m_document.Contents().IsSelected(hit) && m_document.Contents().GetSelectedCount() > 1)
            m_pendingClick = true;
        else
            SelectAt(position, event->modifiers());
    } else if (event->button() == Qt::RightButton) {
        if (m_document.Contents().GetSelectedCount() == 0)
            SelectAt(position, event->modifiers());
        ShowContextMenu(event->globalPosition().toPoint());
    }
}

void CatalogView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || m_pressIndex < 0 ||
        !m_document.Contents().IsSelected(m_pressIndex) ||
        (event->position().toPoint() - m_pressPoint).manhattanLength() <
            QApplication::startDragDistance())
        return;
    m_pendingClick = false;
    m_pressIndex = -1;
    StartDrag();
}

void CatalogView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pendingClick) {
        m_pendingClick = false;
        SelectAt(m_shown.PositionOf(m_pressIndex), Qt::NoModifier);
    }
    m_pressIndex = -1;
}

void CatalogView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int hit = HitIndex(event->position().toPoint());
    if (hit >= 0 && m_app.Editors())
        Modify(hit);
}

void CatalogView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu opens on the right-button press; this is the keyboard's menu key.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const int position = m_shown.PositionOf(m_focus);
        QPoint where = viewport()->rect().center();
        if (position >= 0) {
            const auto [x, y] = Layout().ThumbnailPosition(position);
            where = QPoint(x + 20, y + 20 - Offset());
        }
        ShowContextMenu(viewport()->mapToGlobal(where));
    }
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
    add(QStringLiteral("&Export Source...\tCtrl+E"), CanExportSource(),
        &CatalogView::OnExportSource);
    menu.addSeparator();
    add(QStringLiteral("Create &Texture Map\tCtrl+T"), CanCreateTextureMap(),
        &CatalogView::OnCreateTextureMap);
    menu.addSeparator();
    add(QStringLiteral("&Clear Thumbnail(s)"), CanClearThumbnails(),
        &CatalogView::OnClearThumbnails);
    add(QStringLiteral("&Render Thumbnail(s)"), CanRenderThumbnails(),
        &CatalogView::OnRenderThumbnails);
    menu.exec(globalPosition);
}

// ---- texture commands ---------------------------------------------------------------------

void CatalogView::Apply(QUndoCommand* edit) {
    m_document.Apply(edit);
}

void CatalogView::ShowRenderMessage(const RenderResult& result) {
    if (!result.message.isEmpty())
        Prompts::Message(this, Prompts::Icon::Warning,
                         result.title.isEmpty() ? QStringLiteral("Velvane") : result.title,
                         result.message);
}

void CatalogView::RenderNewThumbnail(Texture& texture) {
    if (!IsUpdateThumbnail())
        return;
    const Catalog& catalog = m_document.Contents();
    auto progress = m_app.MakeProgress(this);
    const RenderResult result = m_app.Runner().UpdateTextureThumbnail(
        texture, catalog.GetThumbnailWidth(), catalog.GetThumbnailHeight(),
        QStringLiteral("Rendering..."), *progress);
    // Whatever went wrong, the texture the user made is kept (with the picture it had).
    ShowRenderMessage(result);
}

void CatalogView::AddNew(std::unique_ptr<Texture> texture, const QString& stepName) {
    std::vector<std::unique_ptr<Texture>> textures;
    textures.push_back(std::move(texture));
    Apply(new InsertTexturesEdit(m_document, stepName, {m_document.Contents().GetCount()},
                                 std::move(textures), false));
}

void CatalogView::OnNewSimple() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    auto texture = std::make_unique<SimpleTexture>();
    if (!editors->EditSimple(*texture, QStringLiteral("New Simple Texture"), this)) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    RenderNewThumbnail(*texture);
    AddNew(std::move(texture), QStringLiteral("New Texture"));
}

void CatalogView::OnNewLayered() {
    TextureEditors* editors = m_app.Editors();
    if (!editors)
        return;
    auto texture = std::make_unique<LayeredTexture>();
    if (!editors->EditLayered(*texture, this)) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    RenderNewThumbnail(*texture);
    AddNew(std::move(texture), QStringLiteral("New Layered Texture"));
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
    const bool accepted = copy->IsSimple()
                              ? editors->EditSimple(static_cast<SimpleTexture&>(*copy),
                                                    QStringLiteral("Modify Simple Texture"), this)
                              : editors->EditLayered(static_cast<LayeredTexture&>(*copy), this);
    // OK on a texture as it was opened is no change: no undo step, no new thumbnail.
    if (!accepted || *copy == original) {
        viewport()->update();
        return;
    }
    WaitCursor wait;
    // The copy still holds the old thumbnail unless a new one was rendered into it.
    RenderNewThumbnail(*copy);
    const QString name = QString::fromStdString(copy->GetName());
    Apply(new ReplaceTextureEdit(m_document, QStringLiteral("Modify %1").arg(name), index,
                                 std::move(copy)));
}

void CatalogView::RemoveSelection(const QString& verb) {
    const std::vector<int> indices = m_document.Contents().GetSelectedIndices();
    if (indices.empty())
        return;
    const QString name = verb + QLatin1Char(' ') +
                         CountOf(static_cast<int>(indices.size()), QStringLiteral("Texture"));
    Apply(new RemoveTexturesEdit(m_document, name, indices));
    m_anchor = -1;
}

void CatalogView::OnDelete() {
    if (!CanDelete())
        return;
    if (Prompts::Message(this, Prompts::Icon::Stop, QStringLiteral("Delete Material"),
                         QString::fromLatin1(kDeleteQuestion),
                         QMessageBox::Yes | QMessageBox::No) != QMessageBox::Yes)
        return;
    WaitCursor wait;
    RemoveSelection(QStringLiteral("Delete"));
}

void CatalogView::OnViewSource() {
    if (!CanViewSource())
        return;
    const Catalog& catalog = m_document.Contents();
    ViewSourceDialog dialog(QString::fromStdString(ExportSourceText(
                                catalog, catalog.GetSelectedIndices(), SourceFlag::Declare)),
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
    if (!AskThumbnailChoice(this, catalog, QString::fromLatin1(kClearPrompt),
                            QStringLiteral("Clear Thumbnail(s)"),
                            QString::fromLatin1(kClearQuestion), composite, layers))
        return;
    // The step holds empty pictures; doing it moves the old ones into the step.
    std::vector<ThumbnailsEdit::Picture> cleared;
    auto empty = [] {
        Bitmap picture;
        picture.Clear();
        return picture;
    };
    for (int index : catalog.GetSelectedIndices()) {
        const Texture& texture = catalog.GetTexture(index);
        if (composite)
            cleared.push_back({index, -1, empty()});
        if (!texture.IsSimple() && layers)
            for (int m = 0; m < static_cast<const LayeredTexture&>(texture).GetLayerCount(); ++m)
                cleared.push_back({index, m, empty()});
    }
    if (cleared.empty())
        return;
    const int count = static_cast<int>(cleared.size());
    Apply(new ThumbnailsEdit(m_document,
                             QStringLiteral("Clear ") + CountOf(count, QStringLiteral("Thumbnail")),
                             std::move(cleared), false));
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
        result = RenderThumbnailBatch(m_app.Runner(), batch, m_app.Settings().parallelRenders,
                                      *m_batchProgress);
    }
    // Thumbnails already taken are the catalog's now, whatever stopped the batch; a batch that
    // took none changed nothing but the selection.
    std::vector<ThumbnailBatch::Replaced> replaced = batch.TakeReplaced();
    if (!replaced.empty()) {
        std::vector<ThumbnailsEdit::Picture> former;
        for (auto& [task, picture] : replaced)
            former.push_back(
                {batch.Tasks()[task].texture, batch.Tasks()[task].layer, std::move(picture)});
        const int count = static_cast<int>(former.size());
        Apply(new ThumbnailsEdit(
            m_document, QStringLiteral("Render ") + CountOf(count, QStringLiteral("Thumbnail")),
            std::move(former), true));
    }
    viewport()->update();
    StateChanged();
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
    CopyTextToClipboard(QString::fromStdString(
        ExportSourceText(catalog, catalog.GetSelectedIndices(), SourceFlag::Declare)));
    StateChanged();
}

void CatalogView::OnCut() {
    if (!CanCut())
        return;
    OnCopy();
    RemoveSelection(QStringLiteral("Cut"));
}

void CatalogView::OnPaste() {
    if (!CanPaste())
        return;
    WaitCursor wait;
    std::vector<std::unique_ptr<Texture>> textures;
    std::vector<int> positions;
    const int count = m_document.Contents().GetCount();
    for (const auto& texture : m_app.CopyList()) {
        positions.push_back(count + static_cast<int>(textures.size()));
        textures.push_back(texture->Clone());
    }
    const QString name = QStringLiteral("Paste ") +
                         CountOf(static_cast<int>(textures.size()), QStringLiteral("Texture"));
    Apply(
        new InsertTexturesEdit(m_document, name, std::move(positions), std::move(textures), false));
}

void CatalogView::OnAntialiasing() {
    m_app.Settings().antialiasing = IsAntialiasing() ? 0 : 1;
    StateChanged();
}

void CatalogView::OnUpdateThumbnail() {
    m_app.Settings().updateThumbnail = IsUpdateThumbnail() ? 0 : 1;
    StateChanged();
}

// ---- drag and drop ------------------------------------------------------------------------

QMimeData* CatalogView::DragData() const {
    const Catalog& catalog = m_document.Contents();
    const std::vector<int> indices = catalog.GetSelectedIndices();
    if (indices.empty())
        return nullptr;
    auto* data = new QMimeData;
    const std::vector<std::uint8_t> bytes = catalog.SaveTextures(indices);
    data->setData(QString::fromLatin1(kTextureMimeType),
                  QByteArray(reinterpret_cast<const char*>(bytes.data()),
                             static_cast<qsizetype>(bytes.size())));
    data->setText(QString::fromStdString(ExportSourceText(catalog, indices, SourceFlag::Declare)));
    return data;
}

void CatalogView::StartDrag() {
    QMimeData* data = DragData();
    if (!data)
        return;
    const Catalog& catalog = m_document.Contents();
    auto* drag = new QDrag(this);
    drag->setMimeData(data);
    const int single = catalog.GetSingleSelection();
    if (single >= 0 && !catalog.GetTexture(single).Thumbnail().IsEmpty())
        drag->setPixmap(QPixmap::fromImage(BitmapToImage(catalog.GetTexture(single).Thumbnail()))
                            .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    // The drop does the work, moving or copying; the source never removes anything itself.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

int CatalogView::DropIndex(const QPoint& position) const {
    const QPoint at = Logical(position);
    const int shownPosition = Layout().InsertionIndex(at.x(), at.y());
    if (shownPosition < m_shown.Count())
        return m_shown.IndexAt(shownPosition);
    return m_shown.Count() == 0 ? m_document.Contents().GetCount()
                                : m_shown.IndexAt(m_shown.Count() - 1) + 1;
}

QRect CatalogView::DropMarker(const QPoint& position) const {
    // A bar in the gap before the texture the drop would go in front of.
    const QPoint at = Logical(position);
    const CellLayout layout = Layout();
    const int shownPosition = layout.InsertionIndex(at.x(), at.y());
    if (layout.Count() == 0)
        return QRect();
    const bool after = shownPosition >= layout.Count() ||
                       (shownPosition > 0 && shownPosition % layout.Columns() == 0 &&
                        layout.Cell(shownPosition - 1).top <= at.y() &&
                        at.y() < layout.Cell(shownPosition - 1).bottom);
    const CellRect cell = layout.Cell(after ? shownPosition - 1 : shownPosition);
    const int x = after ? cell.right - 1 : cell.left;
    return QRect(x - 2, cell.top, 4, cell.bottom - cell.top);
}

void CatalogView::dragEnterEvent(QDragEnterEvent* event) {
    // Files are left to the main window, which opens them.
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kTextureMimeType))) {
        event->ignore();
        return;
    }
    event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void CatalogView::dragMoveEvent(QDragMoveEvent* event) {
    if (!event->mimeData()->hasFormat(QString::fromLatin1(kTextureMimeType))) {
        event->ignore();
        return;
    }
    event->setDropAction(event->source() == this ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    const QRect marker = DropMarker(event->position().toPoint());
    if (marker != m_dropMarker) {
        m_dropMarker = marker;
        viewport()->update();
    }
    // Near the top or bottom edge the grid scrolls along.
    const int y = event->position().toPoint().y();
    QScrollBar* bar = verticalScrollBar();
    if (y < 20)
        bar->setValue(bar->value() - bar->singleStep());
    else if (y > viewport()->height() - 20)
        bar->setValue(bar->value() + bar->singleStep());
}

void CatalogView::dragLeaveEvent(QDragLeaveEvent* event) {
    m_dropMarker = QRect();
    viewport()->update();
    event->accept();
}

void CatalogView::dropEvent(QDropEvent* event) {
    m_dropMarker = QRect();
    viewport()->update();
    const bool fromHere = event->source() == this;
    if (!DropTextures(event->mimeData(), event->position().toPoint(), fromHere)) {
        event->ignore();
        return;
    }
    event->setDropAction(fromHere ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

bool CatalogView::DropTextures(const QMimeData* data, const QPoint& position, bool fromHere) {
    const QByteArray bytes = data->data(QString::fromLatin1(kTextureMimeType));
    if (bytes.isEmpty())
        return false;
    const int destination = DropIndex(position);
    Catalog& catalog = m_document.Contents();
    if (fromHere) {
        // Within the window the selected textures move.
        const std::vector<int> selected = catalog.GetSelectedIndices();
        auto* move = new MoveTexturesEdit(
            m_document,
            QStringLiteral("Move ") +
                CountOf(static_cast<int>(selected.size()), QStringLiteral("Texture")),
            selected, destination);
        if (selected.empty() || !move->ChangesOrder()) {
            delete move;
            return true;
        }
        Apply(move);
        return true;
    }
    // From another window or program: the textures are read like a catalog file and copied in.
    Catalog dropped;
    if (dropped.Load(std::span(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                               static_cast<std::size_t>(bytes.size()))) ||
        dropped.GetCount() == 0)
        return false;
    std::vector<int> all(static_cast<std::size_t>(dropped.GetCount()));
    std::iota(all.begin(), all.end(), 0);
    std::vector<std::unique_ptr<Texture>> textures = dropped.TakeTextures(all);
    std::vector<int> positions(textures.size());
    std::iota(positions.begin(), positions.end(), destination);
    const QString name = QStringLiteral("Drop ") +
                         CountOf(static_cast<int>(textures.size()), QStringLiteral("Texture"));
    Apply(
        new InsertTexturesEdit(m_document, name, std::move(positions), std::move(textures), true));
    return true;
}

// ---- printing -----------------------------------------------------------------------------

void CatalogView::PrintGrid(QPrinter& printer) const {
    QPainter painter(&printer);
    if (!painter.isActive())
        return;
    const QRect page(QPoint(0, 0),
                     printer.pageLayout().paintRectPixels(printer.resolution()).size());
    const CatalogPrintLayout layout(m_document.Contents(), m_shown.Indices(), m_document.Title(),
                                    font(), page, printer.resolution());
    for (int number = 0; number < layout.PageCount(); ++number) {
        if (number > 0)
            printer.newPage();
        layout.PaintPage(painter, number);
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
    preview.setWindowTitle(QStringLiteral("Print Preview - %1").arg(m_document.Title()));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this,
            [this](QPrinter* target) { PrintGrid(*target); });
    preview.exec();
}
