#pragma once

#include "core/catalog/celllayout.h"
#include "ui/framework/documentview.h"
#include "ui/framework/gridhost.h"

#include <QListView>
#include <QPersistentModelIndex>
#include <memory>
#include <vector>

class AppServices;
class BatchBar;
class CatalogActions;
class CatalogCommands;
class CatalogDelegate;
class CatalogDocument;
class CatalogDragDrop;
class CatalogFilter;
class CatalogFindBar;
class CatalogRenders;
class CatalogSelection;
class QLineEdit;

/// The window of an open catalog: the textures of the catalog's model as a vertically scrolling
/// grid of thumbnails with names, placed by the catalog's cell layout and painted by its
/// delegate. The mouse selects (click, Shift-click for a range from the anchor, Ctrl-click to
/// toggle) and so does the keyboard from the focus cell; the selection is the catalog's, shown
/// by the window's selection model, and assistive technology reads and
/// changes it as a list of named items. The window's commands (its Commands()) act on the
/// selection. Find narrows the grid to the textures whose name or description holds a text.
/// Textures are dragged to move them, to copy them into another catalog or to give their source
/// text to an editor. The grid can be zoomed from 50 to 400 percent. Batches of thumbnails show
/// their progress in a bar at the foot of the window.
class CatalogView : public QListView, public DocumentView, public GridHost {
    Q_OBJECT
public:
    CatalogView(CatalogDocument& document, AppServices& app, QWidget* parent = nullptr);
    ~CatalogView() override;

    CatalogDocument& Document() const { return m_document; }

    // DocumentView.
    QWidget* Widget() override { return this; }
    ::Document& ViewedDocument() const override;
    QList<ViewMenu> Menus() const override;
    bool Supports(StandardCommand command) const override;
    bool CanRun(StandardCommand command) const override;
    void Run(StandardCommand command) override;
    void UpdateCommands() override;
    QString StatusText() const override;
    double ZoomFactor() const override { return m_zoom / 100.0; }
    /// The action of a command by its name ("New Simple"), or null.
    QAction* Action(const QString& name) const;

    /// The texture a Shift-click range starts from, -1 when none.
    int Anchor() const;
    /// The texture the keyboard works from (drawn with the focus frame), -1 when none.
    int FocusIndex() const;
    /// The layout of the textures shown (all, or those Find lets through), at the present zoom.
    CellLayout Layout() const;
    /// The textures the grid shows, in catalog order (Find lets some through, or all).
    const CatalogFilter& Shown() const { return *m_shown; }
    /// The catalog indices of the shown textures.
    std::vector<int> ShownIndices() const;
    bool IsFiltered() const;
    /// The Find field, shown above the grid while Find is on.
    QLineEdit* FindField() const;

    /// Percent of their own size at which thumbnails are shown.
    int Zoom() const { return m_zoom; }
    /// Sets the zoom (kept within 50 to 400 percent) and remembers it for the next windows.
    void SetZoom(int percent);
    static constexpr int kMinimumZoom = 50;
    static constexpr int kMaximumZoom = 400;

    /// Drags from the grid and drops on it.
    CatalogDragDrop& DragDrop() const { return *m_dragDrop; }
    /// The Texture, Edit and Options commands, and the clipboard's and printing.
    CatalogCommands& Commands() const { return *m_commands; }

    // GridHost, for the commands.
    QWidget& DialogParent() override { return *this; }
    void SelectAllShown() override { selectAll(); }
    void SelectNone() override { clearSelection(); }
    /// Shows the Find field above the grid and puts the cursor in it.
    void ShowFind() override;
    /// Forgets the texture a Shift-click range starts from.
    void ForgetAnchor() override;
    /// The catalog's background renders, and the bar that shows its batches.
    CatalogRenders& Renders() const { return m_renders; }
    BatchBar* BatchProgress() const { return m_batchBar; }

    // QAbstractItemView: the grid's geometry is the catalog's cell layout.
    QRect visualRect(const QModelIndex& index) const override;
    void scrollTo(const QModelIndex& index, ScrollHint hint = EnsureVisible) override;
    QModelIndex indexAt(const QPoint& point) const override;
    void doItemsLayout() override;

public slots:
    /// Shows only the textures whose name or description holds `text` (case ignored); an empty
    /// text shows them all. Hidden textures are deselected, so commands act on shown ones only.
    void SetFilter(const QString& text);
    void OnZoomIn();
    void OnZoomOut();
    void OnActualSize();

signals:
    /// The selection or the contents changed; the frame updates its commands.
    void commandStateChanged();

protected:
    QModelIndex moveCursor(CursorAction action, Qt::KeyboardModifiers modifiers) override;
    int horizontalOffset() const override;
    int verticalOffset() const override;
    void setSelection(const QRect& rect, QItemSelectionModel::SelectionFlags flags) override;
    QRegion visualRegionForSelection(const QItemSelection& selection) const override;
    void updateGeometries() override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void selectionChanged(const QItemSelection& selected,
                          const QItemSelection& deselected) override;

    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    /// The size thumbnails take in the grid at the present zoom.
    QSize ThumbnailSize() const;
    /// The grid row of a catalog index, -1 when it is not shown; and back.
    int RowOf(int index) const;
    int IndexAt(int row) const;
    QModelIndex ShownIndex(int row) const;
    /// The grid row under a viewport point, or -1.
    int RowAt(const QPoint& position) const;
    /// A click's selection rules on grid row `row` (-1: outside every cell).
    void SelectAt(int row, Qt::KeyboardModifiers modifiers);
    void MoveFocus(int row, Qt::KeyboardModifiers modifiers);
    /// Room above the grid for the Find bar and below it for the batch bar.
    void UpdateMargins();
    void CloseFind();
    void StateChanged();
    /// Sets the zoom keeping the texture nearest to the viewport point `anchor` where it is.
    void ZoomAbout(int percent, QPoint anchor);

    CatalogDocument& m_document;
    AppServices& m_app;
    CatalogFilter* m_shown;
    CatalogSelection* m_selection;
    CatalogDelegate* m_delegate;
    CatalogCommands* m_commands;
    CatalogActions* m_actions;
    CatalogRenders& m_renders;
    BatchBar* m_batchBar;
    CatalogFindBar* m_findBar;
    int m_zoom = 100;
    int m_wheelRemainder = 0;
    int m_zoomRemainder = 0;
    QPoint m_pressPoint;
    QPersistentModelIndex m_pressed; ///< the texture a left-button press hit, in the model
    bool m_pendingClick = false;
    std::unique_ptr<CatalogDragDrop> m_dragDrop;
};
