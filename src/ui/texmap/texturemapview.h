#pragma once

#include "paint/bitmapdraw.h"
#include "ui/framework/documentview.h"
#include "ui/texmap/texturemapdocument.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QPixmap>

class TextureMapActions;

/// The window of a texture map: the picture at the top left, scrolled in plain screen pixels, or
/// repeated over the whole window while Show Tiling is on. Its Image Tiling commands choose how
/// the picture is made to tile (None, Edge Fade, Mirror). It shows the picture 1:1 at first and
/// can zoom (fit to the window, 1:1, in and out in steps, Ctrl+wheel about the mouse), so a
/// map of 8192 x 8192 (16384 x 16384 after Mirror) can be seen whole.
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

    /// Screen pixels per picture pixel.
    double Zoom() const { return m_zoom; }
    /// Whether the zoom follows the window's size (Zoom to Fit until another zoom is chosen).
    bool IsFitting() const { return m_fit; }
    static constexpr double kMinimumZoom = 1.0 / 64.0;
    static constexpr double kMaximumZoom = 16.0;

    // DocumentView.
    QWidget* Widget() override { return this; }
    ::Document& ViewedDocument() const override;
    QList<ViewMenu> Menus() const override;
    /// The zoom commands.
    bool Supports(StandardCommand command) const override;
    bool CanRun(StandardCommand command) const override;
    void Run(StandardCommand command) override;
    void UpdateCommands() override;
    double ZoomFactor() const override { return m_zoom; }

public slots:
    /// Turns the repeated display on or off; the map itself is not changed.
    void OnShowTiling();
    /// The zoom commands: the whole picture in the window, 1:1, one step larger or smaller.
    void OnZoomToFit();
    void OnActualSize();
    void OnZoomIn();
    void OnZoomOut();

signals:
    /// Show Tiling or the tile method changed: menus update their marks.
    void commandStateChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void changeEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    QSize viewportSizeHint() const override;

private:
    /// Takes the document's picture after a change: the image drawn and the scrollable extent.
    void OnContentsChanged();
    void UpdateScrollBars();
    /// The copy ready for the screen, on the video route and for pictures that are not huge.
    void MakePixmap();
    void DrawPicture(QPainter& painter, int x, int y) const;
    /// The picture's size on the screen at the present zoom.
    QSize ShownSize() const;
    /// Sets the zoom, keeping the picture point under `anchor` (a viewport point) where it is.
    void SetZoom(double zoom, QPoint anchor);
    double FitZoom() const;

    TextureMapDocument& m_document;
    TextureMapActions* m_actions = nullptr;
    QImage m_picture; ///< shares the document's pixels
    QPixmap m_pixmap; ///< the picture ready for the screen, for the video route
    BitmapDrawRoute m_route = BitmapDrawRoute::Pixmap;
    bool m_showTiling = false;
    double m_zoom = 1.0;
    bool m_fit = false;
    int m_wheelDelta = 0; ///< wheel turns short of a notch (fine-grained wheels and touch pads)
};
