#pragma once

#include "ui/framework/documentview.h"

#include <QObject>

class QMenu;
class TextureMapView;

/// The commands of a texture-map window: the Image Tiling menu with Show Tiling and the three
/// tile methods, checked as the window shows its map, and Zoom to Fit at the end of the View
/// menu (the other zoom commands are the main window's).
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
    QMenu* m_methodMenu;
};
