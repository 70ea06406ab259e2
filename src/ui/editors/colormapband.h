#pragma once

#include "core/model/colormap.h"

#include <QImage>
#include <QWidget>

/// The "Color Map" area of the Color Map dialog: the band picture of a map and a marker under it
/// for each entry. A marker is picked by a click and dragged along; a double-click asks for an
/// entry there; with the focus, the arrow keys pick and move entries and Insert and Delete ask
/// for what the dialog's buttons do. The band changes nothing itself: it tells what the user
/// asks for, and the dialog shows it the map again.
class ColorMapBand : public QWidget {
    Q_OBJECT
public:
    static constexpr int kPictureWidth = 320; ///< the band picture, pixels
    static constexpr int kPictureHeight = 48;

    explicit ColorMapBand(QWidget* parent = nullptr);

    /// Shows the markers of `map` with entry `selected` picked.
    void Show(const ColorMap& map, int selected);
    /// Makes the band picture again from the map shown (a slider being dragged leaves it be).
    void RedrawPicture();
    const QImage& Picture() const { return m_picture; }

    /// Where entry `index`'s marker points, in the widget's pixels.
    int MarkerX(int index) const;
    /// The map position under x, to two places as the position edit shows it.
    static float PositionAt(int x);
    /// The band picture of a map: W × H, colours in the top two thirds, two grey rows, then the
    /// filter as greys.
    static QImage BandImage(const ColorMap& map, int width, int height);

signals:
    void selectRequested(int index);
    /// The selected entry to `position` (only interior entries move).
    void moveRequested(float position);
    void addRequested(float position, const ColorRGBF& color);
    void insertRequested();
    void deleteRequested();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    /// The entry whose marker is within a few pixels of x, the nearest one; -1 when none is.
    int MarkerNear(int x) const;

    ColorMap m_map;
    QImage m_picture;
    int m_selected = 0;
    bool m_dragging = false;
    int m_grab = 0; ///< marker's x less the pointer's when the drag began
};
