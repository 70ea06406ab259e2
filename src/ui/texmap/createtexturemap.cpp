#include "ui/texmap/createtexturemap.h"

#include "core/model/texture.h"
#include "render/povray/texturemaprender.h"
#include "render/settings/programsettings.h"
#include "ui/framework/appservices.h"
#include "ui/framework/documenttemplate.h"
#include "ui/framework/prompts.h"
#include "ui/framework/waitcursor.h"
#include "ui/texmap/createtexturemapdialog.h"
#include "ui/texmap/texturemapdocument.h"

#include <cstdint>
#include <vector>

QString TextureMapTitle(const Texture& texture, int width, int height) {
    // One arg() call, so a "%" in the texture's name is left alone; U+00D7 is the multiplication
    // sign.
    return QStringLiteral("%1 %2%3%4")
        .arg(QString::fromStdString(texture.GetName()), QString::number(width),
             QString(QChar(0x00D7)), QString::number(height));
}

bool RunCreateTextureMap(AppServices& app, const Texture& texture, QWidget* parent) {
    ProgramSettings& settings = app.Settings();
    CreateTextureMapDialog dialog(settings, parent);
    if (dialog.exec() != QDialog::Accepted)
        return false;

    WaitCursor wait;
    dialog.CopyTo(settings);
    const TextureMapRequest request{dialog.MapWidth(), dialog.MapHeight(), dialog.OverrideFinish(),
                                    dialog.Brightness()};
    std::vector<std::uint8_t> pixels;
    SilentProgressSink silent;
    const auto progress = app.MakeProgress(parent);
    const RenderResult result =
        RenderTextureMap(app.Runner(), texture, request, pixels, progress ? *progress : silent);
    wait.Restore();
    if (!result.Succeeded()) {
        if (!result.message.isEmpty())
            Prompts::Message(parent, Prompts::Icon::Warning,
                             result.title.isEmpty() ? QStringLiteral("Velvane") : result.title,
                             result.message);
        return false;
    }

    auto* map = qobject_cast<TextureMapDocument*>(app.NewTextureMap());
    if (!map)
        return false;
    // The window names what the map shows rather than a running number.
    map->SetUntitledTitle(TextureMapTitle(texture, request.width, request.height));
    // SetImage repaints the new window; a new map has never been saved, so closing it asks.
    map->SetImage(pixels, request.width, request.height);
    map->SetModifiedFlag(true);
    return true;
}
