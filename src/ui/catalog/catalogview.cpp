#include "ui/catalog/catalogview.h"

#include "paint/catalogpainter.h"
#include "render/settings/programsettings.h"
#include "ui/catalog/batchbar.h"
#include "ui/catalog/catalogactions.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdelegate.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogdragdrop.h"
#include "ui/catalog/catalogedits.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogfindbar.h"
#include "ui/catalog/catalogrenders.h"
#include "ui/catalog/catalogselection.h"
#include "ui/catalog/sourceimporter.h"
#include "ui/framework/appservices.h"
#include "ui/framework/zoomsteps.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QStyleOptionFocusRect>
#include <algorithm>
#include <cmath>
#include <iterator>
#include <utility>

namespace {

/// The rungs of Zoom In and Zoom Out, in percent.
const ZoomSteps& Steps() {
    static const ZoomSteps steps{50, 67, 75, 100, 125, 150, 200, 300, 400};
    return steps;
}

int Percent(double zoom) {
    return static_cast<int>(std::lround(zoom));
}

QRect ToRect(const CellRect& cell, int offset) {
    return QRect(QPoint(cell.left, cell.top - offset),
                 QPoint(cell.right - 1, cell.bottom - 1 - offset));
}

} // namespace

CatalogView::CatalogView(CatalogDocument& document, AppServices& app, QWidget* parent)
    : QListView(parent), m_document(document), m_app(app), m_shown(new CatalogFilter(this)),
      m_delegate(new CatalogDelegate(this)), m_renders(document.Renders(app.Renders())),
      m_batchBar(new BatchBar(m_renders, this)), m_findBar(new CatalogFindBar(this)) {
    // Icon mode with fixed places; the places themselves are the catalog's cell layout.
    setViewMode(IconMode);
    setMovement(Static);
    setUniformItemSizes(true);
    setSelectionMode(ExtendedSelection);
    setEditTriggers(NoEditTriggers);
    setVerticalScrollMode(ScrollPerPixel);
    setAutoScroll(false); // a click does not scroll; keys scroll their cell into view
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    viewport()->setAutoFillBackground(false);
    setMinimumSize(160, 120);
    setFocusPolicy(Qt::StrongFocus);
    setDragEnabled(false); // drags start from the selection rules below
    setAcceptDrops(true);
    viewport()->setAcceptDrops(true);
    setAccessibleName(QStringLiteral("Textures"));

    m_shown->setSourceModel(&document.Model());
    setItemDelegate(m_delegate);
    setModel(m_shown);
    m_selection = new CatalogSelection(document.Model(), *m_shown, this);
    QItemSelectionModel* byDefault = selectionModel();
    setSelectionModel(m_selection);
    delete byDefault;
    m_zoom = std::clamp(app.Settings().catalogZoom, kMinimumZoom, kMaximumZoom);
    m_delegate->SetThumbnailSize(ThumbnailSize(), m_zoom / 100.0);
    // Larger thumbnails come for the cells in sight, and show as they come.
    m_delegate->Sharp().SetInSight([this](TextureId id) {
        const int row = RowOf(m_document.Model().RowOf(id));
        return row >= 0 && visualRect(ShownIndex(row)).intersects(viewport()->rect());
    });
    m_delegate->Sharp().SetQueue(&app.Renders());
    connect(m_delegate, &CatalogDelegate::pictureChanged, this, [this](TextureId id) {
        if (const int row = RowOf(m_document.Model().RowOf(id)); row >= 0)
            viewport()->update(visualRect(ShownIndex(row)));
    });
    m_commands = new CatalogCommands(*this, *m_shown, document, app);
    connect(m_commands, &CatalogCommands::stateChanged, this, &CatalogView::StateChanged);
    connect(&m_commands->Importer(), &SourceImporter::imported, this, [this](int first) {
        if (const int row = RowOf(first); row >= 0)
            scrollTo(ShownIndex(row));
    });
    m_actions = new CatalogActions(*m_commands);
    m_dragDrop = std::make_unique<CatalogDragDrop>(
        *this, *m_shown, [this] { return Layout(); }, document, *m_commands, app);

    connect(m_findBar, &CatalogFindBar::textChanged, this, &CatalogView::SetFilter);
    connect(m_findBar, &CatalogFindBar::closeRequested, this, &CatalogView::CloseFind);
    connect(m_findBar, &CatalogFindBar::leaveRequested, this,
            [this] { setFocus(Qt::OtherFocusReason); });

    // The batch bar at the foot: the grid keeps scrolling above it while thumbnails come.
    connect(m_batchBar, &BatchBar::layoutChanged, this, &CatalogView::UpdateMargins);
    connect(m_batchBar, &BatchBar::summaryShown, this,
            [this](const QString& text) { m_app.ShowStatus(text); });
    // Assistive technology finds the grid's cells under it but not the bars beside them: the
    // grid tells what the batch bar says.
    connect(m_batchBar, &BatchBar::descriptionChanged, this, [this](const QString& text) {
        setAccessibleDescription(text);
        QAccessibleEvent event(this, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&event);
    });
    connect(&m_renders, &CatalogRenders::statusMessage, this,
            [this](const QString& text) { m_app.ShowStatus(text); });
    UpdateMargins();

    // The grid's extent follows the rows at once; the commands follow the selection and the
    // steps.
    for (auto rowsChanged : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
        connect(m_shown, rowsChanged, this, [this] {
            updateGeometries();
            StateChanged();
        });
    auto relayout = [this] {
        updateGeometries();
        viewport()->update();
        StateChanged();
    };
    connect(m_shown, &QAbstractItemModel::modelReset, this, relayout);
    connect(m_shown, &QAbstractItemModel::layoutChanged, this, relayout);
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &CatalogView::StateChanged);
    connect(&document, &Document::contentsChanged, this, &CatalogView::StateChanged);
    connect(&document, &Document::modifiedChanged, this, &CatalogView::StateChanged);
    connect(this, &CatalogView::commandStateChanged, this, &CatalogView::UpdateCommands);
}

CatalogView::~CatalogView() = default;

Document& CatalogView::ViewedDocument() const {
    return m_document;
}
QList<ViewMenu> CatalogView::Menus() const {
    return m_actions->Menus();
}
void CatalogView::UpdateCommands() {
    m_actions->Update();
}
QAction* CatalogView::Action(const QString& name) const {
    return m_actions->Action(name);
}

bool CatalogView::Supports(StandardCommand) const {
    return true; // printing, the clipboard and the zoom
}

bool CatalogView::CanRun(StandardCommand command) const {
    switch (command) {
    case StandardCommand::ZoomIn:
        return m_zoom < kMaximumZoom;
    case StandardCommand::ZoomOut:
        return m_zoom > kMinimumZoom;
    case StandardCommand::ActualSize:
        return m_zoom != 100;
    default:
        return m_commands->CanRun(command);
    }
}

void CatalogView::Run(StandardCommand command) {
    switch (command) {
    case StandardCommand::ZoomIn:
        return OnZoomIn();
    case StandardCommand::ZoomOut:
        return OnZoomOut();
    case StandardCommand::ActualSize:
        return OnActualSize();
    default:
        return m_commands->Run(command);
    }
}

QString CatalogView::StatusText() const {
    if (!IsFiltered())
        return QString();
    return PartOfTextures(m_shown->rowCount(), m_document.Contents().GetCount());
}

void CatalogView::StateChanged() {
    emit commandStateChanged();
    NotifyStateChanged();
}

// ---- rows, indices and places -------------------------------------------------------------

int CatalogView::IndexAt(int row) const {
    return m_shown->mapToSource(m_shown->index(row, 0)).row();
}

int CatalogView::RowOf(int index) const {
    return m_shown->mapFromSource(m_document.Model().index(index)).row();
}

QModelIndex CatalogView::ShownIndex(int row) const {
    return m_shown->index(row, 0);
}

std::vector<int> CatalogView::ShownIndices() const {
    return m_shown->Indices();
}

bool CatalogView::IsFiltered() const {
    return m_shown->IsFiltered();
}

int CatalogView::Anchor() const {
    return m_selection->Anchor();
}

int CatalogView::FocusIndex() const {
    return currentIndex().isValid() ? IndexAt(currentIndex().row()) : -1;
}

QSize CatalogView::ThumbnailSize() const {
    const Catalog& catalog = m_document.Contents();
    return QSize(static_cast<int>(std::lround(catalog.GetThumbnailWidth() * m_zoom / 100.0)),
                 static_cast<int>(std::lround(catalog.GetThumbnailHeight() * m_zoom / 100.0)));
}

CellLayout CatalogView::Layout() const {
    const QSize size = ThumbnailSize();
    return ComputeCellLayout(m_shown->rowCount(), size.width(), size.height(), viewport()->width());
}

int CatalogView::horizontalOffset() const {
    return 0;
}

int CatalogView::verticalOffset() const {
    return verticalScrollBar()->value();
}

QRect CatalogView::visualRect(const QModelIndex& index) const {
    if (!index.isValid() || index.model() != m_shown)
        return QRect();
    return ToRect(Layout().Cell(index.row()), verticalOffset());
}

QModelIndex CatalogView::indexAt(const QPoint& point) const {
    const int row = RowAt(point);
    return row < 0 ? QModelIndex() : ShownIndex(row);
}

int CatalogView::RowAt(const QPoint& position) const {
    return m_shown->rowCount() > 0 ? Layout().HitTest(position.x(), position.y() + verticalOffset())
                                   : -1;
}

void CatalogView::scrollTo(const QModelIndex& index, ScrollHint hint) {
    if (!index.isValid() || index.model() != m_shown)
        return;
    // The cell comes into view with the margin the first row has above it.
    const CellLayout layout = Layout();
    const CellRect cell = layout.Cell(index.row());
    const int margin = layout.RowTop(0);
    QScrollBar* bar = verticalScrollBar();
    const int height = viewport()->height();
    switch (hint) {
    case PositionAtTop:
        bar->setValue(cell.top - margin);
        break;
    case PositionAtBottom:
        bar->setValue(cell.bottom + margin - height);
        break;
    case PositionAtCenter:
        bar->setValue((cell.top + cell.bottom - height) / 2);
        break;
    case EnsureVisible:
        if (cell.top - margin < bar->value())
            bar->setValue(cell.top - margin);
        else if (cell.bottom + margin > bar->value() + height)
            bar->setValue(cell.bottom + margin - height);
        break;
    }
}

QModelIndex CatalogView::moveCursor(CursorAction action, Qt::KeyboardModifiers) {
    const int count = m_shown->rowCount();
    if (count == 0)
        return QModelIndex();
    const QModelIndex current = currentIndex();
    if (!current.isValid()) {
        // No focus cell yet: the first key lands on the first texture (End on the last). Only
        // the keys make one; the focus coming to the grid does not.
        if (action == MoveNext || action == MovePrevious)
            return QModelIndex();
        return ShownIndex(action == MoveEnd ? count - 1 : 0);
    }
    const CellLayout layout = Layout();
    const int columns = layout.Columns();
    const int page = columns * std::max(1, viewport()->height() / layout.RowPitch());
    const int row = current.row();
    int target = row;
    switch (action) {
    case MoveLeft:
    case MovePrevious:
        target = row - 1;
        break;
    case MoveRight:
    case MoveNext:
        target = row + 1;
        break;
    case MoveUp:
        target = row - columns < 0 ? row : row - columns;
        break;
    case MoveDown:
        target = row + columns >= count ? row : row + columns;
        break;
    case MoveHome:
        target = 0;
        break;
    case MoveEnd:
        target = count - 1;
        break;
    case MovePageUp:
        target = row - page;
        break;
    case MovePageDown:
        target = row + page;
        break;
    }
    return ShownIndex(std::clamp(target, 0, count - 1));
}

void CatalogView::setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) {
    const CellLayout layout = Layout();
    const QRect area = rect.normalized().translated(0, verticalOffset());
    const auto [first, last] = layout.IndicesMeeting(area.top(), area.bottom() + 1);
    QItemSelection selection;
    for (int row = first; row < last; ++row)
        if (ToRect(layout.Cell(row), 0).intersects(area))
            selection.select(ShownIndex(row), ShownIndex(row));
    selectionModel()->select(selection, flags);
}

QRegion CatalogView::visualRegionForSelection(const QItemSelection& selection) const {
    // Only the cells in view are of interest, however large the selection.
    const CellLayout layout = Layout();
    const int offset = verticalOffset();
    const auto [first, last] = layout.IndicesMeeting(offset, offset + viewport()->height());
    QRegion region;
    for (const QItemSelectionRange& range : selection) {
        if (!range.isValid() || range.model() != m_shown)
            continue;
        for (int row = std::max(first, range.top()); row <= std::min(last - 1, range.bottom());
             ++row)
            region += ToRect(layout.Cell(row), offset);
    }
    return region;
}

void CatalogView::doItemsLayout() {
    // The places come from the cell layout, worked out when needed; the list view's own layout
    // of every item is not used.
    QAbstractItemView::doItemsLayout();
}

void CatalogView::updateGeometries() {
    const int client = viewport()->height();
    const CellLayout layout = Layout();
    const int height = layout.Count() > 0 ? layout.ContentHeight() : client;
    QScrollBar* bar = verticalScrollBar();
    bar->setRange(0, std::max(0, height - client));
    // A line is a third of a row and a page the visible height, whatever the catalog's size.
    bar->setPageStep(std::max(1, client));
    bar->setSingleStep(std::max(1, layout.RowPitch() / 3));
    horizontalScrollBar()->setRange(0, 0);
    QAbstractItemView::updateGeometries();
}

void CatalogView::scrollContentsBy(int dx, int dy) {
    QAbstractItemView::scrollContentsBy(dx, dy);
}

void CatalogView::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // The focus cell is what assistive technology reads out as the focused item.
    if (QAccessible::isActive() && current.isValid() && hasFocus()) {
        QAccessibleEvent focus(this, QAccessible::Focus);
        focus.setChild(current.row());
        QAccessible::updateAccessibility(&focus);
    }
    QAbstractItemView::currentChanged(current, previous);
}

void CatalogView::selectionChanged(const QItemSelection& selected,
                                   const QItemSelection& deselected) {
    if (QAccessible::isActive()) {
        for (const auto& [ranges, type] : {std::pair{&selected, QAccessible::SelectionAdd},
                                           std::pair{&deselected, QAccessible::SelectionRemove}})
            if (!ranges->isEmpty() && ranges->first().isValid()) {
                QAccessibleEvent event(this, type);
                event.setChild(ranges->first().top());
                QAccessible::updateAccessibility(&event);
            }
    }
    QAbstractItemView::selectionChanged(selected, deselected);
}

// ---- painting -----------------------------------------------------------------------------

void CatalogView::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    painter.fillRect(event->rect(), CatalogPainter::kBackground);
    const CellLayout layout = Layout();
    const int offset = verticalOffset();
    m_delegate->SetRoute(RouteFor(m_app.Settings().drawThroughPixmap));
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    const auto [first, last] =
        layout.IndicesMeeting(event->rect().top() + offset, event->rect().bottom() + 1 + offset);
    for (int row = first; row < last; ++row) {
        const QModelIndex index = ShownIndex(row);
        option.rect = ToRect(layout.Cell(row), offset);
        itemDelegateForIndex(index)->paint(&painter, option, index);
    }
    // The keyboard's cell, in the platform's focus frame, while the grid has the focus.
    const QModelIndex current = currentIndex();
    if (hasFocus() && current.isValid()) {
        const QRect cell = ToRect(layout.Cell(current.row()), offset);
        QStyleOptionFocusRect focus;
        focus.initFrom(this);
        // The keyboard works on this cell whichever way the focus came, so styles that frame
        // only keyboard focus draw it too.
        focus.state |= QStyle::State_KeyboardFocusChange;
        focus.rect = cell.adjusted(2, 2, -2, -2);
        focus.backgroundColor = m_document.Contents().IsSelected(IndexAt(current.row()))
                                    ? CatalogPainter::kSelection
                                    : CatalogPainter::kBackground;
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &focus, &painter, this);
    }
    if (const QRect marker = m_dragDrop->Marker(); !marker.isNull())
        painter.fillRect(marker.translated(0, -offset), Qt::black);
}

void CatalogView::resizeEvent(QResizeEvent* event) {
    QAbstractItemView::resizeEvent(event);
    UpdateMargins();
}

void CatalogView::UpdateMargins() {
    const QRect inner = contentsRect();
    const int top = m_findBar->isHidden() ? 0 : m_findBar->sizeHint().height();
    const int bottom = m_batchBar->isHidden() ? 0 : m_batchBar->sizeHint().height();
    setViewportMargins(0, top, 0, bottom);
    // The scroll bar runs the whole height beside the bars: they keep clear of it.
    const QRect shown = viewport()->geometry();
    if (top > 0)
        m_findBar->setGeometry(shown.left(), inner.top(), shown.width(), top);
    if (bottom > 0)
        m_batchBar->setGeometry(shown.left(), inner.bottom() + 1 - bottom, shown.width(), bottom);
}

void CatalogView::wheelEvent(QWheelEvent* event) {
    // One notch (120 eighths of a degree) scrolls one line, or with Ctrl zooms one step;
    // touchpads send parts of a notch.
    if (event->modifiers() & Qt::ControlModifier) {
        m_zoomRemainder += event->angleDelta().y();
        const int notches = m_zoomRemainder / 120;
        m_zoomRemainder -= notches * 120;
        ZoomAbout(Percent(Steps().Step(m_zoom, notches)), event->position().toPoint());
        event->accept();
        return;
    }
    m_wheelRemainder += event->angleDelta().y();
    const int notches = m_wheelRemainder / 120;
    m_wheelRemainder -= notches * 120;
    QScrollBar* bar = verticalScrollBar();
    bar->setValue(bar->value() - notches * bar->singleStep());
    event->accept();
}

// ---- zoom ---------------------------------------------------------------------------------

void CatalogView::SetZoom(int percent) {
    const QModelIndex current = currentIndex();
    const QRect focus = visualRect(current);
    ZoomAbout(percent, current.isValid() && viewport()->rect().intersects(focus)
                           ? focus.center()
                           : viewport()->rect().center());
}

void CatalogView::ZoomAbout(int percent, QPoint anchor) {
    percent = std::clamp(percent, kMinimumZoom, kMaximumZoom);
    if (percent == m_zoom)
        return;
    // The texture at the point (or the one a drop there would go before) keeps its place.
    int row = RowAt(anchor);
    if (row < 0 && m_shown->rowCount() > 0)
        row = std::min(m_shown->rowCount() - 1,
                       Layout().InsertionIndex(anchor.x(), anchor.y() + verticalOffset()));
    const int before = row >= 0 ? Layout().Cell(row).top - verticalOffset() : 0;
    m_zoom = percent;
    m_app.Settings().catalogZoom = percent;
    m_delegate->SetThumbnailSize(ThumbnailSize(), percent / 100.0);
    updateGeometries();
    if (row >= 0)
        verticalScrollBar()->setValue(Layout().Cell(row).top - before);
    viewport()->update();
    StateChanged();
}

void CatalogView::OnZoomIn() {
    SetZoom(Percent(Steps().In(m_zoom)));
}

void CatalogView::OnZoomOut() {
    SetZoom(Percent(Steps().Out(m_zoom)));
}

void CatalogView::OnActualSize() {
    SetZoom(100);
}

// ---- find ---------------------------------------------------------------------------------

QLineEdit* CatalogView::FindField() const {
    return m_findBar->Field();
}

void CatalogView::ShowFind() {
    if (m_findBar->isHidden()) {
        m_findBar->show();
        UpdateMargins();
    }
    FindField()->setFocus(Qt::ShortcutFocusReason);
    FindField()->selectAll();
}

void CatalogView::SetFilter(const QString& text) {
    if (FindField()->text() != text)
        FindField()->setText(text); // comes back here through textChanged
    if (m_shown->Text() == text)
        return;
    m_shown->SetText(text);
    verticalScrollBar()->setValue(0);
    StateChanged();
}

void CatalogView::CloseFind() {
    SetFilter(QString());
    m_findBar->hide();
    UpdateMargins();
    setFocus(Qt::OtherFocusReason);
}

// ---- selection by mouse and keyboard ------------------------------------------------------

void CatalogView::SelectAt(int row, Qt::KeyboardModifiers modifiers) {
    m_selection->Click(row, modifiers);
    StateChanged();
}

void CatalogView::MoveFocus(int row, Qt::KeyboardModifiers modifiers) {
    row = std::clamp(row, 0, m_shown->rowCount() - 1);
    if (modifiers & Qt::ControlModifier) // Ctrl moves the focus cell alone; Space then toggles it
        selectionModel()->setCurrentIndex(ShownIndex(row), QItemSelectionModel::NoUpdate);
    else
        SelectAt(row, modifiers & Qt::ShiftModifier);
    scrollTo(ShownIndex(row));
}

void CatalogView::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && (IsFiltered() || !m_findBar->isHidden())) {
        CloseFind();
        return;
    }
    if (m_shown->rowCount() == 0) {
        event->ignore();
        return;
    }
    const Qt::KeyboardModifiers modifiers =
        event->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier);
    const QModelIndex current = currentIndex();
    static constexpr std::pair<int, CursorAction> kMoves[] = {
        {Qt::Key_Left, MoveLeft},     {Qt::Key_Right, MoveRight},      {Qt::Key_Up, MoveUp},
        {Qt::Key_Down, MoveDown},     {Qt::Key_Home, MoveHome},        {Qt::Key_End, MoveEnd},
        {Qt::Key_PageUp, MovePageUp}, {Qt::Key_PageDown, MovePageDown}};
    const auto move = std::ranges::find(kMoves, event->key(), &std::pair<int, CursorAction>::first);
    if (move != std::end(kMoves)) {
        MoveFocus(moveCursor(move->second, modifiers).row(), modifiers);
    } else if (event->key() == Qt::Key_Space) {
        // Space toggles the focus cell as a Ctrl-click does.
        const int row = current.isValid() ? current.row() : 0;
        SelectAt(row, Qt::ControlModifier);
        scrollTo(ShownIndex(row));
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (current.isValid() && m_app.Editors())
            m_commands->Modify(FocusIndex());
    } else {
        event->ignore();
        return;
    }
    event->accept();
}

void CatalogView::ForgetAnchor() {
    m_selection->ForgetAnchor();
}

// ---- mouse --------------------------------------------------------------------------------

void CatalogView::mousePressEvent(QMouseEvent* event) {
    const QPoint point = event->position().toPoint();
    const int row = RowAt(point);
    const Catalog& catalog = m_document.Contents();
    m_pendingClick = false;
    m_pressed = QPersistentModelIndex();
    if (event->button() == Qt::LeftButton) {
        const int hit = row < 0 ? -1 : IndexAt(row);
        m_pressPoint = point;
        if (hit >= 0)
            m_pressed = m_document.Model().index(hit);
        // A plain press on a texture of a selection of several may start dragging them all; the
        // click's rule (that texture alone) is applied on release when no drag started.
        if (hit >= 0 && event->modifiers() == Qt::NoModifier && catalog.IsSelected(hit) &&
            catalog.GetSelectedCount() > 1)
            m_pendingClick = true;
        else
            SelectAt(row, event->modifiers());
    } else if (event->button() == Qt::RightButton) {
        if (catalog.GetSelectedCount() == 0)
            SelectAt(row, event->modifiers());
        m_actions->PopUp(*this, event->globalPosition().toPoint());
    }
}

void CatalogView::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton) || !m_pressed.isValid() ||
        !m_document.Contents().IsSelected(m_pressed.row()) ||
        (event->position().toPoint() - m_pressPoint).manhattanLength() <
            QApplication::startDragDistance())
        return;
    m_pendingClick = false;
    m_pressed = QPersistentModelIndex();
    m_dragDrop->StartDrag();
}

void CatalogView::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && m_pendingClick) {
        m_pendingClick = false;
        if (m_pressed.isValid())
            SelectAt(RowOf(m_pressed.row()), Qt::NoModifier);
    }
    m_pressed = QPersistentModelIndex();
}

void CatalogView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    const int row = RowAt(event->position().toPoint());
    if (row >= 0 && m_app.Editors())
        m_commands->Modify(IndexAt(row));
}

void CatalogView::contextMenuEvent(QContextMenuEvent* event) {
    // The menu opens on the right-button press; this is the keyboard's menu key.
    if (event->reason() == QContextMenuEvent::Keyboard) {
        const QModelIndex current = currentIndex();
        QPoint where = viewport()->rect().center();
        if (current.isValid()) {
            const auto [x, y] = Layout().ThumbnailPosition(current.row());
            where = QPoint(x + 20, y + 20 - verticalOffset());
        }
        m_actions->PopUp(*this, viewport()->mapToGlobal(where));
    }
}

// ---- drag and drop ------------------------------------------------------------------------

void CatalogView::dragEnterEvent(QDragEnterEvent* event) {
    m_dragDrop->Enter(event);
}

void CatalogView::dragMoveEvent(QDragMoveEvent* event) {
    m_dragDrop->Move(event);
}

void CatalogView::dragLeaveEvent(QDragLeaveEvent* event) {
    m_dragDrop->Leave(event);
}

void CatalogView::dropEvent(QDropEvent* event) {
    m_dragDrop->Drop(event);
}
