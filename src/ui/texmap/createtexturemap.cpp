#include "ui/texmap/createtexturemap.h"

#include "core/model/texture.h"
#include "render/povray/texturemaprender.h"
#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"
#include "ui/texmap/createtexturemapdialog.h"
#include "ui/texmap/texturemapdocument.h"

#include <QPointer>

QString TextureMapTitle(const Texture& texture, int width, int height) {
    // One arg() call, so a "%" in the texture's name is left alone; U+00D7 is the multiplication
    // sign.
    return QStringLiteral("%1 %2%3%4")
        .arg(QString::fromStdString(texture.GetName()), QString::number(width),
             QString(QChar(0x00D7)), QString::number(height));
}

TextureMapRender* RunCreateTextureMap(AppServices& app, const Texture& texture, QWidget* parent,
                                      QObject* owner) {
    ProgramSettings& settings = app.Settings();
    CreateTextureMapDialog dialog(settings, parent);
    if (dialog.exec() != QDialog::Accepted)
        return nullptr;

    dialog.CopyTo(settings);
    const TextureMapRequest request{dialog.MapWidth(), dialog.MapHeight(), dialog.OverrideFinish(),
                                    dialog.Brightness()};
    const TileMethod tiling = dialog.Tiling();
    auto* render = new TextureMapRender(texture, request, owner);
    render->SetOwner(owner);
    // Named by the size of the map as made, which Mirror doubles.
    const QSize mapSize = CreateTextureMapDialog::TiledSize(request.width, request.height, tiling);
    const QString title = TextureMapTitle(texture, mapSize.width(), mapSize.height());
    render->SetCaption(QStringLiteral("Texture map %1").arg(title));
    QPointer<QWidget> window(parent);
    QObject::connect(
        render, &QueuedRender::finished, render, [&app, render, window, title, tiling] {
            render->deleteLater();
            const RenderResult& result = render->Result();
            if (!result.Succeeded()) {
                if (!result.message.isEmpty())
                    Prompts::Message(window, Prompts::Icon::Warning,
                                     result.title.isEmpty() ? QStringLiteral("Velvane")
                                                            : result.title,
                                     result.message);
                return;
            }
            auto* map = qobject_cast<TextureMapDocument*>(app.NewTextureMap());
            if (!map)
                return;
            // The window names what the map shows rather than a running number.
            map->SetUntitledTitle(title);
            // SetImage repaints the new window; a new map has never been saved, so closing it asks.
            const TextureMapRequest& made = render->Request();
            map->SetImage(render->Pixels(), made.width, made.height);
            if (tiling != TileMethod::None && !map->ApplyTileMethod(tiling))
                Prompts::Message(window, Prompts::Icon::Warning, QStringLiteral("Velvane"),
                                 QStringLiteral("The map could not be made to tile; it is shown "
                                                "as rendered."));
            map->SetModifiedFlag(true);
        });
    render->Start(app.Renders());
    app.ShowProgress(*render);
    return render;
}
