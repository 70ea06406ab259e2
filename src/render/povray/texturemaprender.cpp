#include "render/povray/texturemaprender.h"

#include "core/model/texture.h"
#include "core/texmap/texturemapscene.h"
#include "render/povray/povrayrunner.h"

RenderResult RenderTextureMap(PovRayRunner& runner, const Texture& texture,
                              const TextureMapRequest& request, std::vector<std::uint8_t>& pixels,
                              RenderProgressSink& sink) {
    if (runner.IsBusy())
        return {RenderResult::Busy, {}, {}};
    QString folder;
    RenderResult result = runner.NewJobFolder(folder);
    if (result.Succeeded()) {
        if (request.overrideFinish) {
            const auto copy = texture.Clone();
            ApplyFlatFinish(*copy, request.brightness);
            result = runner.WriteTextureFile(*copy, folder);
        } else {
            result = runner.WriteTextureFile(texture, folder);
        }
        result = NamingTexture(result, texture.GetName());
    }
    if (result.Succeeded())
        result =
            runner.RenderScene(request.width, request.height, texture.GetName(), OutputFileName(),
                               kTextureMapSceneId, QStringLiteral("Rendering..."), sink, folder);
    if (result.Succeeded())
        result = NamingTexture(
            ReadRenderedPixels(folder, OutputFileName(), request.width, request.height, pixels),
            texture.GetName());
    PovRayRunner::RemoveJobFolder(folder);
    return result;
}
