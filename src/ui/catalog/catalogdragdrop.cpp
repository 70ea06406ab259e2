#include "ui/catalog/catalogdragdrop.h"

#include "paint/bitmapimage.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogfilter.h"
#include "ui/catalog/catalogmodel.h"
#include "ui/catalog/sourceimporter.h"
#include "ui/framework/appservices.h"

#include <QAbstractItemView>
#include <QDrag>
#include <QDropEvent>
#include <QMimeData>
#include <QScrollBar>

CatalogDragDrop::CatalogDragDrop(QAbstractItemView& grid, const CatalogFilter& shown,
                                 std::function<CellLayout()> layout, CatalogDocument& document,
                                 CatalogCommands& commands, AppServices& app)
    : m_grid(grid), m_shown(shown), m_layout(std::move(layout)), m_document(document),
      m_commands(commands), m_app(app) {}

int CatalogDragDrop::ShownIndex(int row) const {
    return m_shown.mapToSource(m_shown.index(row, 0)).row();
}

int CatalogDragDrop::Offset() const {
    return m_grid.verticalScrollBar()->value();
}

QMimeData* CatalogDragDrop::DragData() const {
    QModelIndexList selected;
    for (int index : m_document.Contents().GetSelectedIndices())
        selected << m_document.Model().index(index);
    return m_document.Model().mimeData(selected);
}

void CatalogDragDrop::StartDrag() {
    QMimeData* data = DragData();
    if (!data)
        return;
    const Catalog& catalog = m_document.Contents();
    auto* drag = new QDrag(&m_grid);
    drag->setMimeData(data);
    const int single = catalog.GetSingleSelection();
    if (single >= 0 && !catalog.GetTexture(single).Thumbnail().IsEmpty())
        drag->setPixmap(QPixmap::fromImage(BitmapToImage(catalog.GetTexture(single).Thumbnail()))
                            .scaled(48, 48, Qt::KeepAspectRatio, Qt::SmoothTransformation));
    // The drop does the work, moving or copying; the source never removes anything itself.
    drag->exec(Qt::CopyAction | Qt::MoveAction, Qt::CopyAction);
}

int CatalogDragDrop::DropIndex(const QPoint& position) const {
    const int row = m_layout().InsertionIndex(position.x(), position.y() + Offset());
    const int count = m_shown.rowCount();
    if (row < count)
        return ShownIndex(row);
    return count == 0 ? m_document.Contents().GetCount() : ShownIndex(count - 1) + 1;
}

QRect CatalogDragDrop::MarkerAt(const QPoint& position) const {
    // A bar in the gap before the texture the drop would go in front of, in grid coordinates.
    const QPoint at = position + QPoint(0, Offset());
    const CellLayout layout = m_layout();
    const int row = layout.InsertionIndex(at.x(), at.y());
    if (layout.Count() == 0)
        return QRect();
    const bool after = row >= layout.Count() ||
                       (row > 0 && row % layout.Columns() == 0 &&
                        layout.Cell(row - 1).top <= at.y() && at.y() < layout.Cell(row - 1).bottom);
    const CellRect cell = layout.Cell(after ? row - 1 : row);
    const int x = after ? cell.right - 1 : cell.left;
    return QRect(x - 2, cell.top, 4, cell.bottom - cell.top);
}

void CatalogDragDrop::Enter(QDragEnterEvent* event) {
    // Textures, and POV-Ray source to import; other files are left to the main window, which
    // opens them.
    const QMimeData* data = event->mimeData();
    m_carriesSource = !data->hasFormat(QString::fromLatin1(CatalogModel::kTextureMimeType)) &&
                      SourceImporter::SourceIn(*data, QString()).has_value();
    if (!m_carriesSource && !data->hasFormat(QString::fromLatin1(CatalogModel::kTextureMimeType))) {
        event->ignore();
        return;
    }
    event->setDropAction(event->source() == &m_grid ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

void CatalogDragDrop::Move(QDragMoveEvent* event) {
    if (!m_carriesSource &&
        !event->mimeData()->hasFormat(QString::fromLatin1(CatalogModel::kTextureMimeType))) {
        event->ignore();
        return;
    }
    event->setDropAction(event->source() == &m_grid ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
    const QRect marker = MarkerAt(event->position().toPoint());
    if (marker != m_marker) {
        m_marker = marker;
        m_grid.viewport()->update();
    }
    // Near the top or bottom edge the grid scrolls along.
    const int y = event->position().toPoint().y();
    QScrollBar* bar = m_grid.verticalScrollBar();
    if (y < 20)
        bar->setValue(bar->value() - bar->singleStep());
    else if (y > m_grid.viewport()->height() - 20)
        bar->setValue(bar->value() + bar->singleStep());
}

void CatalogDragDrop::Leave(QDragLeaveEvent* event) {
    m_marker = QRect();
    m_grid.viewport()->update();
    event->accept();
}

void CatalogDragDrop::Drop(QDropEvent* event) {
    m_marker = QRect();
    m_grid.viewport()->update();
    if (m_carriesSource) {
        m_carriesSource = false;
        const QMimeData* data = event->mimeData();
        event->setDropAction(Qt::CopyAction);
        event->setAccepted(DropSource(data, event->position().toPoint()));
        // Catalogs and bitmaps dropped along with the source open as they would alone.
        m_app.OpenDroppedFiles(*data);
        return;
    }
    const bool fromHere = event->source() == &m_grid;
    if (!DropTextures(event->mimeData(), event->position().toPoint(), fromHere)) {
        event->ignore();
        return;
    }
    event->setDropAction(fromHere ? Qt::MoveAction : Qt::CopyAction);
    event->accept();
}

bool CatalogDragDrop::DropTextures(const QMimeData* data, const QPoint& position, bool fromHere) {
    const QByteArray bytes = data->data(QString::fromLatin1(CatalogModel::kTextureMimeType));
    if (bytes.isEmpty())
        return false;
    const int destination = DropIndex(position);
    if (fromHere) {
        // Within the window the selected textures move.
        m_commands.MoveSelection(destination);
        return true;
    }
    // From another window or program the textures are copied in.
    return m_commands.InsertDropped(bytes, destination);
}

bool CatalogDragDrop::DropSource(const QMimeData* data, const QPoint& position) {
    const auto source = SourceImporter::SourceIn(*data, QStringLiteral("Dropped text"));
    if (!source)
        return false;
    m_commands.Importer().Import(*source, DropIndex(position));
    return true;
}
