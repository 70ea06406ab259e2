#pragma once

#include "ui/framework/documentview.h"

#include <QObject>

class QMenu;
class TextureMapView;

/// The commands of a texture-map window: the Image Tiling menu with Show Tiling and the three
/// tile methods, checked as the window shows its map, and the zoom commands at the end of the
/// View menu.
class TextureMapActions : public QObject {
    Q_OBJECT
public:
    explicit TextureMapActions(TextureMapView& view);

    QList<ViewMenu> Menus() const;
    void Update();

private:
    TextureMapView& m_view;
    QAction* m_showTiling;
    QAction* m_none;
    QAction* m_edgeFade;
    QAction* m_mirror;
    QAction* m_zoomToFit;
    QAction* m_actualSize;
    QAction* m_zoomIn;
    QAction* m_zoomOut;
    QMenu* m_methodMenu;
};
