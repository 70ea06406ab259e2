#include "ui/texmap/texturemapactions.h"

#include "ui/framework/command.h"
#include "ui/texmap/texturemapdocument.h"
#include "ui/texmap/texturemapview.h"

#include <QAction>
#include <QActionGroup>
#include <QMenu>

TextureMapActions::TextureMapActions(TextureMapView& view)
    : QObject(&view), m_view(view),
      m_showTiling(MakeCommand(
          this, QStringLiteral("Show Tiling"), QStringLiteral("Show &Tiling"),
          QStringLiteral("Show the texture map repeated over the window\nShow Tiling"))),
      m_none(MakeCommand(this, QStringLiteral("None"), QStringLiteral("&None"),
                         QStringLiteral("Show the texture map as it was rendered\nNone"))),
      m_edgeFade(
          MakeCommand(this, QStringLiteral("Edge Fade"), QStringLiteral("&Edge Fade"),
                      QStringLiteral("Blend the edges so the map tiles without seams\nEdge Fade"))),
      m_mirror(MakeCommand(this, QStringLiteral("Mirror"), QStringLiteral("&Mirror"),
                           QStringLiteral("Mirror the map so that its edges meet\nMirror"))),
      m_zoomToFit(
          MakeCommand(this, QStringLiteral("Zoom to Fit"), QStringLiteral("Zoom to &Fit\tCtrl+0"),
                      QStringLiteral("Show the whole texture map in the window\nZoom to Fit"),
                      {QKeySequence(Qt::CTRL | Qt::Key_0)})),
      m_actualSize(MakeCommand(
          this, QStringLiteral("Actual Size"), QStringLiteral("&Actual Size (1:1)\tCtrl+1"),
          QStringLiteral("Show the texture map one screen pixel per pixel\nActual Size"),
          {QKeySequence(Qt::CTRL | Qt::Key_1)})),
      m_zoomIn(MakeCommand(
          this, QStringLiteral("Zoom In"), QStringLiteral("Zoom &In\tCtrl++"),
          QStringLiteral("Show the texture map larger\nZoom In"),
          {QKeySequence(Qt::CTRL | Qt::Key_Plus), QKeySequence(Qt::CTRL | Qt::Key_Equal)})),
      m_zoomOut(MakeCommand(this, QStringLiteral("Zoom Out"), QStringLiteral("Zoom &Out\tCtrl+-"),
                            QStringLiteral("Show the texture map smaller\nZoom Out"),
                            {QKeySequence(Qt::CTRL | Qt::Key_Minus)})) {
    m_showTiling->setCheckable(true);
    connect(m_showTiling, &QAction::triggered, &m_view, &TextureMapView::OnShowTiling);
    auto* methods = new QActionGroup(this);
    for (auto [action, method] :
         {std::pair{m_none, TileMethod::None}, std::pair{m_edgeFade, TileMethod::EdgeFade},
          std::pair{m_mirror, TileMethod::Mirror}}) {
        action->setCheckable(true);
        methods->addAction(action);
        connect(action, &QAction::triggered, &m_view,
                [this, method] { m_view.ApplyTileMethod(method); });
    }
    connect(m_zoomToFit, &QAction::triggered, &m_view, &TextureMapView::OnZoomToFit);
    connect(m_actualSize, &QAction::triggered, &m_view, &TextureMapView::OnActualSize);
    connect(m_zoomIn, &QAction::triggered, &m_view, &TextureMapView::OnZoomIn);
    connect(m_zoomOut, &QAction::triggered, &m_view, &TextureMapView::OnZoomOut);
    m_zoomToFit->setCheckable(true);
    m_methodMenu = new QMenu(QStringLiteral("Tile M&ethod"), &m_view);
    m_methodMenu->addActions({m_none, m_edgeFade, m_mirror});
    Update();
}

QList<ViewMenu> TextureMapActions::Menus() const {
    return {{QStringLiteral("&View"), {m_zoomToFit, m_actualSize, m_zoomIn, m_zoomOut}},
            {QStringLiteral("&Image Tiling"), {m_showTiling, m_methodMenu->menuAction()}}};
}

void TextureMapActions::Update() {
    m_showTiling->setChecked(m_view.IsShowTiling());
    m_zoomToFit->setChecked(m_view.IsFitting());
    m_zoomIn->setEnabled(m_view.Zoom() < TextureMapView::kMaximumZoom);
    m_zoomOut->setEnabled(m_view.Zoom() > TextureMapView::kMinimumZoom);
    switch (m_view.AppliedTileMethod()) {
    case TileMethod::None:
        m_none->setChecked(true);
        break;
    case TileMethod::EdgeFade:
        m_edgeFade->setChecked(true);
        break;
    case TileMethod::Mirror:
        m_mirror->setChecked(true);
        break;
    }
}
