#pragma once

#include <QItemSelectionModel>
#include <QPersistentModelIndex>
#include <vector>

class CatalogModel;
class QSortFilterProxyModel;

/// The selection of one catalog window. The catalog's selection flags are the selection: this
/// model only shows them to the window (the view paints them, assistive technology reads them)
/// and turns every change asked of it (mouse, keyboard, assistive technology, Select All) into a
/// change of the flags. What it shows is written from the flags alone, whichever window or
/// command changed them, so the windows of a catalog and its commands always agree. A texture
/// that Find hides leaves the selection, so commands act on shown textures only. A click (or
/// its key) selects by the window's rules, from the anchor it keeps.
class CatalogSelection : public QItemSelectionModel {
    Q_OBJECT
public:
    /// `shown` shows `model`'s textures in the window, in catalog order.
    CatalogSelection(CatalogModel& model, QSortFilterProxyModel& shown, QObject* parent = nullptr);

    using QItemSelectionModel::select;
    /// Changes the flags as Qt's selection model would change its own selection.
    void select(const QItemSelection& selection,
                QItemSelectionModel::SelectionFlags command) override;

    /// The selection rules of a left-button press on shown row `row` (-1: outside every cell),
    /// for the mouse and the keyboard alike; the row pressed becomes the current one.
    void Click(int row, Qt::KeyboardModifiers modifiers);
    /// The catalog index of the texture a Shift-click range starts from, -1 when none.
    int Anchor() const { return m_anchor.isValid() ? m_anchor.row() : -1; }
    void ForgetAnchor() { m_anchor = QPersistentModelIndex(); }

private:
    /// Shows the flags of shown rows `first` to `last`.
    void Show(int first, int last);
    void ShowAll();
    void OnFlagsChanged(int first, int last);
    /// Notes the selected textures among those the window shows, or among shown rows `first` to
    /// `last`, before rows leave the window.
    void NoteLeaving(int first, int last);
    /// The noted textures that still exist and are no longer shown (Find hides them) leave the
    /// selection.
    void DeselectLeft();
    /// The sorted catalog indices of the rows of `ranges`.
    std::vector<int> IndicesOf(const QItemSelection& ranges) const;
    int IndexOf(int row) const;
    /// The first shown row whose catalog index is `index` or more (the row count when none).
    int FirstRowFrom(int index) const;

    CatalogModel& m_model;
    QSortFilterProxyModel& m_shown;
    /// The flags as they were before the last step, which a step of the same gesture (a
    /// selecting drag) replaces; valid until the flags change otherwise.
    std::vector<int> m_beforeStep;
    bool m_inGesture = false;
    std::vector<QPersistentModelIndex> m_leaving; ///< in the catalog's model
    QPersistentModelIndex m_anchor;               ///< in the catalog's model
};
