#include "render/povray/texturemaprender.h"

#include "core/model/texture.h"
#include "core/texmap/texturemapscene.h"
#include "render/povray/povrayrunner.h"

namespace {

std::string MapSource(const Texture& texture, const TextureMapRequest& request) {
    if (!request.overrideFinish)
        return texture.GetSource(SourceFlag::Declare);
    const auto copy = texture.Clone();
    ApplyFlatFinish(*copy, request.brightness);
    return copy->GetSource(SourceFlag::Declare);
}

} // namespace

TextureMapRender::TextureMapRender(const Texture& texture, const TextureMapRequest& request,
                                   QObject* parent)
    : QueuedRender(texture.GetName(), request.width, request.height, parent), m_request(request),
      m_source(MapSource(texture, request)) {}

RenderResult TextureMapRender::Prepare(const PovRayRunner& runner, const QString& folder,
                                       RenderRemarks& remarks) {
    return runner.WriteTextureScene(m_source, SubjectName(), kTextureMapSceneId, folder, remarks);
}

RenderResult TextureMapRender::Collect(const QString& folder) {
    return ReadRenderedPixels(folder, OutputFileName(), Width(), Height(), m_pixels);
}
