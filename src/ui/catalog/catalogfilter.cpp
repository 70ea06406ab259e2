#include "ui/catalog/catalogfilter.h"

#include "ui/catalog/catalogmodel.h"

CatalogFilter::CatalogFilter(QObject* parent) : QSortFilterProxyModel(parent) {
    setFilterRole(CatalogModel::SearchTextRole);
}

void CatalogFilter::SetText(const QString& text) {
    if (text == m_text)
        return;
    m_text = text;
    // Letting the views take the new rows as a new layout costs one pass; announcing each run
    // of rows that comes or goes would cost a pass for each run.
    invalidate();
}

bool CatalogFilter::Accepts(int index) const {
    return filterAcceptsRow(index, QModelIndex());
}

std::vector<int> CatalogFilter::Indices() const {
    std::vector<int> indices(static_cast<std::size_t>(rowCount()));
    for (int row = 0; row < rowCount(); ++row)
        indices[static_cast<std::size_t>(row)] = mapToSource(index(row, 0)).row();
    return indices;
}

bool CatalogFilter::filterAcceptsRow(int sourceRow, const QModelIndex& sourceParent) const {
    if (m_text.isEmpty())
        return true;
    return sourceModel()
        ->index(sourceRow, 0, sourceParent)
        .data(filterRole())
        .toString()
        .contains(m_text, Qt::CaseInsensitive);
}
