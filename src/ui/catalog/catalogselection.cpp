#include "ui/catalog/catalogselection.h"

#include "core/catalog/catalog.h"
#include "ui/catalog/catalogmodel.h"

#include <QSortFilterProxyModel>
#include <algorithm>
#include <iterator>
#include <utility>

CatalogSelection::CatalogSelection(CatalogModel& model, QSortFilterProxyModel& shown,
                                   QObject* parent)
    : QItemSelectionModel(&shown, parent), m_model(model), m_shown(shown) {
    connect(&model, &CatalogModel::selectionFlagsChanged, this, &CatalogSelection::OnFlagsChanged);
    // Rows that come into the window (put in, or let through by Find) show their own flags.
    connect(&shown, &QAbstractItemModel::rowsInserted, this,
            [this](const QModelIndex&, int first, int last) { Show(first, last); });
    // Rows that leave the window are hidden by Find, or gone with their textures.
    connect(&shown, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { NoteLeaving(first, last); });
    connect(&shown, &QAbstractItemModel::rowsRemoved, this, &CatalogSelection::DeselectLeft);
    connect(&shown, &QAbstractItemModel::layoutAboutToBeChanged, this,
            [this] { NoteLeaving(0, m_shown.rowCount() - 1); });
    connect(&shown, &QAbstractItemModel::layoutChanged, this, [this] {
        DeselectLeft();
        ShowAll();
    });
    connect(&shown, &QAbstractItemModel::modelReset, this, &CatalogSelection::ShowAll);
    ShowAll();
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
    indices.erase(std::unique(indices.begin(), indices.end()), indices.end());
    return indices;
}

void CatalogSelection::select(const QItemSelection& selection,
                              QItemSelectionModel::SelectionFlags command) {
    if (command == NoUpdate)
        return;
    const std::vector<int> now = m_model.Contents().GetSelectedIndices();
    // As in Qt's own model, a Current step replaces the step before it within one gesture;
    // any other step starts from the selection as it stands.
    if (command & Clear)
        m_beforeStep.clear();
    else if (!(command & Current) || !m_inGesture)
        m_beforeStep = now;
    const std::vector<int> chosen = IndicesOf(selection);
    std::vector<int> after;
    if (command & Select)
        std::set_union(m_beforeStep.begin(), m_beforeStep.end(), chosen.begin(), chosen.end(),
                       std::back_inserter(after));
    else if (command & Deselect)
        std::set_difference(m_beforeStep.begin(), m_beforeStep.end(), chosen.begin(), chosen.end(),
                            std::back_inserter(after));
    else if (command & Toggle)
        std::set_symmetric_difference(m_beforeStep.begin(), m_beforeStep.end(), chosen.begin(),
                                      chosen.end(), std::back_inserter(after));
    else
        after = m_beforeStep;
    std::vector<int> on;
    std::vector<int> off;
    std::set_difference(after.begin(), after.end(), now.begin(), now.end(), std::back_inserter(on));
    std::set_difference(now.begin(), now.end(), after.begin(), after.end(),
                        std::back_inserter(off));
    m_model.ChangeSelection(on, off);
    m_inGesture = true; // until the flags change otherwise
}

void CatalogSelection::Click(int row, Qt::KeyboardModifiers modifiers) {
    if (m_shown.rowCount() == 0)
        return;
    const bool shift = modifiers & Qt::ShiftModifier;
    const bool control = modifiers & Qt::ControlModifier;
    const QModelIndex hit = row < 0 ? QModelIndex() : m_shown.index(row, 0);
    const QModelIndex texture = m_shown.mapToSource(hit);
    const int anchorRow = m_anchor.isValid() ? m_shown.mapFromSource(m_anchor).row() : -1;
    if (!hit.isValid()) {
        clearSelection();
    } else if (shift && control) {
        return;
    } else if (shift && anchorRow >= 0) {
        select(QItemSelection(m_shown.index(std::min(row, anchorRow), 0),
                              m_shown.index(std::max(row, anchorRow), 0)),
               ClearAndSelect);
    } else if (control) {
        const bool selected = m_model.Contents().IsSelected(texture.row());
        select(hit, selected ? Deselect : Select);
        if (!selected)
            m_anchor = texture;
    } else {
        // A plain click, and a Shift-click while there is no anchor yet: that texture alone.
        select(hit, ClearAndSelect);
        m_anchor = texture;
    }
    if (hit.isValid() && hit != currentIndex())
        setCurrentIndex(hit, NoUpdate);
}

void CatalogSelection::OnFlagsChanged(int first, int last) {
    m_inGesture = false;
    if (first <= last)
        Show(FirstRowFrom(first), FirstRowFrom(last + 1) - 1);
}

void CatalogSelection::NoteLeaving(int first, int last) {
    m_leaving.clear();
    for (int index : m_model.Contents().GetSelectedIndices()) {
        const QModelIndex texture = m_model.index(index);
        const int row = m_shown.mapFromSource(texture).row();
        if (row >= first && row <= last)
            m_leaving.emplace_back(texture);
    }
}

void CatalogSelection::DeselectLeft() {
    std::vector<int> hidden;
    for (const QPersistentModelIndex& texture : std::exchange(m_leaving, {}))
        if (texture.isValid() && !m_shown.mapFromSource(texture).isValid())
            hidden.push_back(texture.row());
    std::sort(hidden.begin(), hidden.end());
    m_model.ChangeSelection({}, hidden);
}

void CatalogSelection::ShowAll() {
    Show(0, m_shown.rowCount() - 1);
}

void CatalogSelection::Show(int first, int last) {
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
    // Qt's own model is called directly: what it holds comes from the flags only.
    if (first == 0 && last == rows - 1) {
        // Cleared first: comparing a large old selection with a large new one costs Qt the
        // product of their sizes.
        QItemSelectionModel::select(QItemSelection(), Clear);
    } else if (!off.isEmpty()) {
        QItemSelectionModel::select(off, Deselect);
    }
    if (!on.isEmpty())
        QItemSelectionModel::select(on, Select);
}
