#pragma once

#include "core/catalog/celllayout.h"
#include "ui/framework/documentview.h"

#include <QAbstractScrollArea>

#include <memory>

class AppServices;
class CatalogActions;
class CatalogDocument;
class Texture;
class QMenu;
class QPainter;
class QPrinter;
class RenderProgressSink;
struct RenderResult;

/// The window of an open catalog: a vertically scrolling grid of thumbnails with names. The
/// mouse selects (click, Shift-click for a range from the anchor, Ctrl-click to toggle) and the
/// Texture, Edit and Options commands act on the selection.
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
    /// The action of a command by its name ("New Simple"), or null.
    QAction* Action(const QString& name) const;
    /// The texture a Shift-click range starts from, -1 when none.
    int Anchor() const { return m_anchor; }
    CellLayout Layout() const;

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
    /// Prints the grid as the window shows it, scaled to the page width, whole rows per page.
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
    /// Sets the scroll range to the grid's height.
    void UpdateScrollSize();

signals:
    /// The selection or the contents changed; the frame updates its commands.
    void commandStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int Offset() const;
    QPoint Logical(const QPoint& position) const;
    void Select(const QPoint& position, Qt::KeyboardModifiers modifiers);
    void DeselectAll();
    void RepaintCell(int index);
    void ShowContextMenu(const QPoint& globalPosition);
    void Modify(int index);
    /// Renders a new or changed texture's thumbnail when "Update Thumbnail" is on; reports a
    /// failure to the user. The texture keeps its old picture unless the render succeeded.
    void RenderNewThumbnail(Texture& texture);
    void ShowRenderMessage(const RenderResult& result);
    void AddAndShow(Texture& texture);
    void RemoveSelection();
    void Changed();

    CatalogDocument& m_document;
    AppServices& m_app;
    CatalogActions* m_actions;
    std::unique_ptr<RenderProgressSink> m_batchProgress; ///< the last batch's window, with its summary
    int m_anchor = -1;
    bool m_scrollSizeSet = false;
};
