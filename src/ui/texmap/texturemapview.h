#pragma once

#include "paint/bitmapdraw.h"
#include "ui/framework/documentview.h"
#include "ui/texmap/texturemapdocument.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>

class TextureMapActions;

/// The window of a texture map: the picture 1:1 at the top left, scrolled in plain pixels, or
/// repeated over the whole window while Show Tiling is on. Its Image Tiling commands choose how
/// the picture is made to tile (None, Edge Fade, Mirror).
class TextureMapView : public QAbstractScrollArea, public DocumentView {
    Q_OBJECT
public:
    explicit TextureMapView(TextureMapDocument& document, QWidget* parent = nullptr);

    /// How the picture reaches the screen (the "Use Video For Windows" setting).
    void SetDrawRoute(BitmapDrawRoute route);

    TextureMapDocument& Document() const { return m_document; }
    /// Whether the picture is shown repeated (the check mark of Show Tiling).
    bool IsShowTiling() const { return m_showTiling; }
    /// The tile method in use (the radio mark of Tile Method).
    TileMethod AppliedTileMethod() const { return m_document.AppliedTileMethod(); }
    /// Makes the map tile with `method`; every window of the map shows the result.
    void ApplyTileMethod(TileMethod method);

    // DocumentView.
    QWidget* Widget() override { return this; }
    ::Document& ViewedDocument() const override;
    QList<ViewMenu> Menus() const override;
    QAction* StandardAction(StandardCommand) const override { return nullptr; }
    void UpdateCommands() override;

public slots:
    /// Turns the repeated display on or off; the map itself is not changed.
    void OnShowTiling();

signals:
    /// Show Tiling or the tile method changed: menus update their marks.
    void commandStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    QSize viewportSizeHint() const override;

private:
    /// Takes the document's picture after a change: the image drawn and the scrollable extent.
    void OnContentsChanged();
    void UpdateScrollBars();
    void DrawPicture(QPainter& painter, int x, int y) const;

    TextureMapDocument& m_document;
    TextureMapActions* m_actions = nullptr;
    QImage m_picture;
    QPixmap m_pixmap; ///< the picture ready for the screen, for the video route
    BitmapDrawRoute m_route = BitmapDrawRoute::Video;
    bool m_showTiling = false;
};
