#pragma once

#include "core/catalog/celllayout.h"
#include "core/catalog/showntextures.h"
#include "ui/framework/documentview.h"

#include <QAbstractScrollArea>
#include <memory>

class AppServices;
class CatalogActions;
class CatalogDocument;
class Texture;
class QLineEdit;
class QMenu;
class QMimeData;
class QPainter;
class QPrinter;
class RenderProgressSink;
class QUndoCommand;
struct RenderResult;

/// The window of an open catalog: a vertically scrolling grid of thumbnails with names. The
/// mouse selects (click, Shift-click for a range from the anchor, Ctrl-click to toggle) and so
/// does the keyboard from the focus cell; the Texture, Edit and Options commands act on the
/// selection, and every change to the textures is a step that Undo takes back. Find narrows
/// the grid to the textures whose name or description holds a text. Textures are dragged to
/// move them, to copy them into another catalog or to give their source text to an editor.
class CatalogView : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT
public:
    CatalogView(CatalogDocument& document, AppServices& app, QWidget* parent = nullptr);
    ~CatalogView() override;

    CatalogDocument& Document() const { return m_document; }

    // DocumentView.
    QWidget* Widget() override { return this; }
    ::Document& ViewedDocument() const override;
    QList<ViewMenu> Menus() const override;
    QAction* StandardAction(StandardCommand command) const override;
    void UpdateCommands() override;
    QString StatusText() const override;
    /// The action of a command by its name ("New Simple"), or null.
    QAction* Action(const QString& name) const;
    /// The texture a Shift-click range starts from, -1 when none.
    int Anchor() const { return m_anchor; }
    /// The texture the keyboard works from (drawn with the focus frame), -1 when none.
    int FocusIndex() const { return m_focus; }
    /// The layout of the textures shown (all, or those Find lets through).
    CellLayout Layout() const;
    /// The textures shown in the grid, in order.
    const ShownTextures& Shown() const { return m_shown; }
    /// The Find field, shown above the grid while Find is on.
    QLineEdit* FindField() const { return m_findField; }

    // Whether each command can run now (the menus and toolbar grey the others).
    bool CanNewTexture() const;
    bool CanDelete() const;
    bool CanModify() const;
    bool CanViewSource() const;
    bool CanExportSource() const;
    bool CanCreateTextureMap() const;
    bool CanClearThumbnails() const;
    bool CanRenderThumbnails() const;
    bool CanCut() const;
    bool CanCopy() const;
    bool CanPaste() const;
    bool IsAntialiasing() const;
    bool IsUpdateThumbnail() const;
    /// What a drag of the selected textures carries: the textures as a catalog file of their
    /// own, and their source text for text editors. Null when nothing is selected.
    QMimeData* DragData() const;
    /// Drops dragged textures at a point of the viewport: moved when they come from this window
    /// (`fromHere`), else copied in. One undoable step; false when the data holds no textures.
    bool DropTextures(const QMimeData* data, const QPoint& position, bool fromHere);
    /// Prints the shown textures on as many pages as they need.
    void PrintGrid(QPrinter& printer) const;

public slots:
    void OnNewSimple();
    void OnNewLayered();
    void OnDelete();
    void OnModify();
    void OnViewSource();
    void OnExportSource();
    void OnCreateTextureMap();
    void OnClearThumbnails();
    void OnRenderThumbnails();
    void OnCut();
    void OnCopy();
    void OnPaste();
    void OnAntialiasing();
    void OnUpdateThumbnail();
    void OnPrint();
    void OnPrintPreview();
    void OnSelectAll();
    void OnSelectNone();
    /// Shows the Find field above the grid and puts the cursor in it.
    void OnFind();
    /// Shows only the textures whose name or description holds `text` (case ignored); an empty
    /// text shows them all. Hidden textures are deselected, so commands act on shown ones only.
    void SetFilter(const QString& text);
    /// Sets the scroll range to the grid's height.
    void UpdateScrollSize();

signals:
    /// The selection or the contents changed; the frame updates its commands.
    void commandStateChanged();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dragLeaveEvent(QDragLeaveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    int Offset() const;
    QPoint Logical(const QPoint& position) const;
    /// The catalog index of the texture under a point of the viewport, or -1.
    int HitIndex(const QPoint& position) const;
    /// The selection rules of a left-button press on the texture at grid position `position`
    /// (-1: outside every cell), for the mouse and the keyboard alike.
    void SelectAt(int position, Qt::KeyboardModifiers modifiers);
    void DeselectAll();
    void RepaintCell(int index);
    void ScrollToPosition(int position);
    void MoveFocus(int position, Qt::KeyboardModifiers modifiers);
    void ShowContextMenu(const QPoint& globalPosition);
    void Modify(int index);
    /// Renders a new or changed texture's thumbnail when "Update Thumbnail" is on; reports a
    /// failure to the user. The texture keeps its old picture unless the render succeeded.
    void RenderNewThumbnail(Texture& texture);
    void ShowRenderMessage(const RenderResult& result);
    void AddNew(std::unique_ptr<Texture> texture, const QString& stepName);
    void RemoveSelection(const QString& verb);
    /// Runs a step on the document (it repaints through the document's signal).
    void Apply(QUndoCommand* edit);
    void OnContentsChanged();
    void ApplyFilter();
    void CloseFind();
    void StateChanged();
    void StartDrag();
    /// Where textures dropped at a viewport point go, as a catalog index (count: at the end).
    int DropIndex(const QPoint& position) const;
    QRect DropMarker(const QPoint& position) const;

    CatalogDocument& m_document;
    AppServices& m_app;
    ShownTextures m_shown; ///< before the actions, which ask for it when they are made
    QString m_filter;
    CatalogActions* m_actions;
    std::unique_ptr<RenderProgressSink>
        m_batchProgress; ///< the last batch's window, with its summary
    QWidget* m_findBar;
    QLineEdit* m_findField;
    int m_anchor = -1;
    int m_focus = -1;
    bool m_scrollSizeSet = false;
    int m_wheelRemainder = 0;
    QPoint m_pressPoint;
    int m_pressIndex = -1;
    bool m_pendingClick = false;
    QRect m_dropMarker;
};
