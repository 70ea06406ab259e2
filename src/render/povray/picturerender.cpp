#include "render/povray/picturerender.h"

#include "core/model/texture.h"
#include "render/povray/povrayrunner.h"

PictureRender::PictureRender(const Texture& texture, int width, int height, QObject* parent)
    : QueuedRender(texture.GetName(), width, height, parent), m_source(texture.GetRenderSource()),
      m_refusal(texture.GetRefusal()), m_shape(texture.GetPreviewShape()),
      m_material(texture.RendersAsMaterial()) {}

bool PictureRender::Renders(const Texture& texture) const {
    return texture.GetPreviewShape() == m_shape && texture.GetRenderSource() == m_source;
}

RenderResult PictureRender::Prepare(const PovRayRunner& runner, const QString& folder,
                                    RenderRemarks& remarks) {
    if (!m_refusal.empty())
        return RefusedRender(m_refusal);
    return runner.WriteTextureScene(m_source, SubjectName(), m_shape, folder, remarks, m_material);
}

RenderResult PictureRender::Collect(const QString& folder) {
    return ReadRenderedImage(folder, OutputFileName(), Width(), Height(), m_picture);
}
