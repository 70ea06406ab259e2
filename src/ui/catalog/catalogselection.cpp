#include "ui/catalog/catalogselection.h"

#include "core/catalog/catalog.h"
#include "ui/catalog/catalogmodel.h"

#include <QItemSelectionModel>
#include <QSortFilterProxyModel>
#include <algorithm>

CatalogSelection::CatalogSelection(CatalogModel& model, QSortFilterProxyModel& shown,
                                   QItemSelectionModel& selection, QObject* parent)
    : QObject(parent), m_model(model), m_shown(shown), m_selection(selection) {
    connect(&selection, &QItemSelectionModel::selectionChanged, this,
            &CatalogSelection::OnWindowSelectionChanged);
    connect(&model, &CatalogModel::selectionFlagsChanged, this, &CatalogSelection::OnFlagsChanged);
    // Rows that come into the window (put in, or let through by Find) show their own flags.
    connect(&shown, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { Pull(first, last); });
    connect(&shown, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            &CatalogSelection::OnShownRowsAboutToBeRemoved);
    connect(&shown, &QAbstractItemModel::modelReset, this, &CatalogSelection::PullAll);
    // While rows are rearranged the window's selection follows them on its own; afterwards it is
    // taken from the flags again.
    connect(&shown, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { m_pulling = true; });
    connect(&shown, &QAbstractItemModel::layoutChanged, this, [this] {
        m_pulling = false;
        DeselectHidden();
        PullAll();
    });
    PullAll();
}

int CatalogSelection::IndexOf(int row) const {
    return m_shown.mapToSource(m_shown.index(row, 0)).row();
}

int CatalogSelection::FirstRowFrom(int index) const {
    // The window shows the textures in catalog order, so its rows' indices ascend.
    int low = 0;
    int high = m_shown.rowCount();
    while (low < high) {
        const int middle = low + (high - low) / 2;
        if (IndexOf(middle) < index)
            low = middle + 1;
        else
            high = middle;
    }
    return low;
}

std::vector<int> CatalogSelection::IndicesOf(const QItemSelection& ranges) const {
    std::vector<int> indices;
    for (const QItemSelectionRange& range : ranges)
        if (range.isValid() && range.model() == &m_shown)
            for (int row = range.top(); row <= range.bottom(); ++row)
                indices.push_back(IndexOf(row));
    std::sort(indices.begin(), indices.end());
    return indices;
}

void CatalogSelection::OnWindowSelectionChanged(const QItemSelection& selected,
                                                const QItemSelection& deselected) {
    // Rows that are being taken out leave the window's selection; their flags go with them.
    if (m_pulling || m_model.IsRemovingRows())
        return;
    m_model.SetSelected(IndicesOf(deselected), false, this);
    m_model.SetSelected(IndicesOf(selected), true, this);
}

void CatalogSelection::OnFlagsChanged(int first, int last, const QObject* origin) {
    if (origin == this || first > last)
        return;
    Pull(FirstRowFrom(first), FirstRowFrom(last + 1) - 1);
}

void CatalogSelection::OnShownRowsAboutToBeRemoved(const QModelIndex&, int first, int last) {
    if (m_model.IsRemovingRows())
        return;
    // Find hides these textures: they leave the selection.
    std::vector<int> hidden;
    for (int row = first; row <= last; ++row)
        if (const int index = IndexOf(row); m_model.Contents().IsSelected(index))
            hidden.push_back(index);
    m_model.SetSelected(hidden, false, this);
}

void CatalogSelection::DeselectHidden() {
    std::vector<int> hidden;
    for (int index : m_model.Contents().GetSelectedIndices())
        if (!m_shown.mapFromSource(m_model.index(index)).isValid())
            hidden.push_back(index);
    m_model.SetSelected(hidden, false, this);
}

void CatalogSelection::PullAll() {
    Pull(0, m_shown.rowCount() - 1);
}

void CatalogSelection::Pull(int first, int last) {
    const int rows = m_shown.rowCount();
    first = std::max(first, 0);
    last = std::min(last, rows - 1);
    if (first > last)
        return;
    const Catalog& catalog = m_model.Contents();
    QItemSelection on;
    QItemSelection off;
    int runStart = first;
    bool runSelected = catalog.IsSelected(IndexOf(first));
    for (int row = first + 1; row <= last + 1; ++row) {
        const bool selected = row <= last && catalog.IsSelected(IndexOf(row));
        if (row <= last && selected == runSelected)
            continue;
        (runSelected ? on : off)
            .append(QItemSelectionRange(m_shown.index(runStart, 0), m_shown.index(row - 1, 0)));
        runStart = row;
        runSelected = selected;
    }
    m_pulling = true;
    if (first == 0 && last == rows - 1) {
        // Cleared first: comparing a large old selection with a large new one costs Qt the
        // product of their sizes.
        m_selection.clearSelection();
    } else if (!off.isEmpty()) {
        m_selection.select(off, QItemSelectionModel::Deselect);
    }
    if (!on.isEmpty())
        m_selection.select(on, QItemSelectionModel::Select);
    m_pulling = false;
}
