#include "ui/texmap/texturemapkind.h"

#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"
#include "ui/framework/documenttemplate.h"
#include "ui/texmap/texturemapdocument.h"
#include "ui/texmap/texturemapview.h"

std::unique_ptr<DocumentTemplate> MakeTextureMapKind(AppServices& app) {
    return std::make_unique<DocumentTemplate>(
        DocumentTemplate::Strings{QStringLiteral("Texture Map"),
                                  QStringLiteral("Bitmap (*.bmp)"),
                                  QStringLiteral(".BMP"),
                                  {QStringLiteral("PNG (*.png)")},
                                  {QStringLiteral(".png")}},
        [](DocumentTemplate& kind) { return std::make_unique<TextureMapDocument>(kind); },
        [&app](Document& document) -> DocumentView* {
            auto* view = new TextureMapView(static_cast<TextureMapDocument&>(document));
            view->SetDrawRoute(RouteFor(app.Settings().drawThroughPixmap));
            return view;
        });
}
