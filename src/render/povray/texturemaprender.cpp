#include "render/povray/texturemaprender.h"

#include "core/model/texture.h"
#include "render/povray/povrayrunner.h"
#include "core/texmap/texturemapscene.h"

RenderResult RenderTextureMap(PovRayRunner& runner, const Texture& texture, const TextureMapRequest& request,
                              std::vector<std::uint8_t>& pixels, RenderProgressSink& sink) {
    if (runner.IsBusy())
        return {RenderResult::Busy, {}, {}};
    const QString folder = runner.RenderFolder();
    RenderResult result;
    if (request.overrideFinish) {
        const auto copy = texture.Clone();
        ApplyFlatFinish(*copy, request.brightness);
        result = runner.WriteTextureFile(*copy, folder);
    } else {
        result = runner.WriteTextureFile(texture, folder);
    }
    if (result.Succeeded())
        result = runner.RenderScene(request.width, request.height, texture.GetName(), OutputFileName(),
                                    kTextureMapSceneId, QStringLiteral("Rendering..."), sink, folder);
    if (result.Succeeded())
        result = ReadRenderedPixels(folder, OutputFileName(), request.width, request.height, pixels);
    return result;
}
