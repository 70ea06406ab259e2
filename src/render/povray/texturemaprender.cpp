#include "texturemaprender.h"

#include "bitmap/dib.h"
#include "model/materialobject.h"
#include "povrayrunner.h"
#include "texmap/texturemapscene.h"

RenderResult RenderTextureMap(PovRayRunner& runner, const CMaterialObject& texture, const TextureMapRequest& request,
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
    CDIB picture;
    if (result.Succeeded())
        result = ReadRenderedImage(folder, OutputFileName(), request.width, request.height, picture);
    if (!result.Succeeded())
        return result;
    // The bitmap holds rows bottom first; the map wants them top first, packed.
    pixels.resize(static_cast<std::size_t>(request.width) * static_cast<std::size_t>(request.height) * 3);
    std::vector<std::uint8_t> bottomFirst(pixels.size());
    picture.CopyBitsTo(bottomFirst);
    const std::size_t row = static_cast<std::size_t>(request.width) * 3;
    for (int r = 0; r < request.height; ++r)
        std::copy_n(bottomFirst.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(request.height - 1 - r)),
                    row, pixels.begin() + static_cast<std::ptrdiff_t>(row * static_cast<std::size_t>(r)));
    return result;
}
