#pragma once

#include <QItemSelection>
#include <QObject>

class CatalogModel;
class QItemSelectionModel;
class QSortFilterProxyModel;

/// Keeps the selection of one catalog window and the catalog's selection flags in step. The
/// flags are what commands and renders act on; the window's selection model is what the mouse,
/// the keyboard and assistive technology change, and what they read. Whatever changes one side
/// reaches the other here and nowhere else: the user's choice goes into the flags (and from
/// there to the other windows of the catalog), changed flags come back into the window, and a
/// texture that Find hides leaves the selection, so commands act on shown textures only.
class CatalogSelection : public QObject {
    Q_OBJECT
public:
    /// `shown` shows `model`'s textures in the window; `selection` is the window's selection of
    /// the shown rows.
    CatalogSelection(CatalogModel& model, QSortFilterProxyModel& shown,
                     QItemSelectionModel& selection, QObject* parent = nullptr);

    /// Makes the window's selection of every shown row match the flags.
    void PullAll();

private:
    void OnWindowSelectionChanged(const QItemSelection& selected, const QItemSelection& deselected);
    void OnFlagsChanged(int first, int last, const QObject* origin);
    void OnShownRowsAboutToBeRemoved(const QModelIndex& parent, int first, int last);
    /// Textures that Find hides leave the selection.
    void DeselectHidden();
    /// Makes the window's selection of shown rows `first` to `last` match the flags.
    void Pull(int first, int last);
    /// The catalog indices of the rows of `ranges`.
    std::vector<int> IndicesOf(const QItemSelection& ranges) const;
    int IndexOf(int row) const;
    /// The first shown row whose catalog index is `index` or more (the row count when none).
    int FirstRowFrom(int index) const;

    CatalogModel& m_model;
    QSortFilterProxyModel& m_shown;
    QItemSelectionModel& m_selection;
    bool m_pulling = false;
};
