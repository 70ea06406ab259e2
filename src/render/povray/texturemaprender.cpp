#include "render/povray/texturemaprender.h"

#include "core/model/texture.h"
#include "core/texmap/texturemapscene.h"
#include "render/povray/povrayrunner.h"

namespace {

std::string MapSource(const Texture& texture, const TextureMapRequest& request) {
    if (!request.overrideFinish)
        return texture.GetRenderSource();
    const auto copy = texture.Clone();
    ApplyFlatFinish(*copy, request.brightness);
    return copy->GetRenderSource();
}

} // namespace

TextureMapRender::TextureMapRender(const Texture& texture, const TextureMapRequest& request,
                                   QObject* parent)
    : QueuedRender(texture.GetName(), request.width, request.height, parent), m_request(request),
      m_source(MapSource(texture, request)), m_refusal(texture.GetRefusal()),
      m_material(texture.RendersAsMaterial()) {}

RenderResult TextureMapRender::Prepare(const PovRayRunner& runner, const QString& folder,
                                       RenderRemarks& remarks) {
    if (!m_refusal.empty())
        return RefusedRender(m_refusal);
    return runner.WriteTextureScene(m_source, SubjectName(), kTextureMapSceneId, folder, remarks,
                                    m_material);
}

RenderResult TextureMapRender::Collect(const QString& folder) {
    return ReadRenderedPixels(folder, OutputFileName(), Width(), Height(), m_pixels);
}
