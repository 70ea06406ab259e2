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
          MakeCommand(this, QStringLiteral("Zoom to Fit"), QStringLiteral("Zoom to &Fit"),
                      QStringLiteral("Show the whole texture map in the window\nZoom to Fit"),
                      {QKeySequence(Qt::CTRL | Qt::Key_0)})) {
    m_showTiling->setCheckable(true);
    connect(m_showTiling, &QAction::triggered, &m_view, &TextureMapView::OnShowTiling);
    auto* methods = new QActionGroup(this);
    for (auto [action, method] :
         {std::pair{m_none, TileMethod::None}, std::pair{m_edgeFade, TileMethod::EdgeFade},
          std::pair{m_mirror, TileMethod::Mirror}}) {
        action->setCheckable(true);
        methods->addAction(action);
        // Captured by name: clang before 16 (and so clang-tidy) cannot capture a binding.
        connect(action, &QAction::triggered, &m_view,
                [this, tiling = method] { m_view.ApplyTileMethod(tiling); });
    }
    connect(m_zoomToFit, &QAction::triggered, &m_view, &TextureMapView::OnZoomToFit);
    m_zoomToFit->setCheckable(true);
    m_methodMenu = new QMenu(QStringLiteral("Tile M&ethod"), &m_view);
    m_methodMenu->addActions({m_none, m_edgeFade, m_mirror});
    Update();
}

QList<ViewMenu> TextureMapActions::Menus() const {
    return {{QStringLiteral("&View"), {m_zoomToFit}},
            {QStringLiteral("&Image Tiling"), {m_showTiling, m_methodMenu->menuAction()}}};
}

void TextureMapActions::Update() {
    m_showTiling->setChecked(m_view.IsShowTiling());
    m_zoomToFit->setChecked(m_view.IsFitting());
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
