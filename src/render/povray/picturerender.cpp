#include "render/povray/picturerender.h"

#include "core/model/texture.h"
#include "render/povray/povrayrunner.h"

PictureRender::PictureRender(const Texture& texture, int width, int height, QObject* parent)
    : QueuedRender(texture.GetName(), width, height, parent),
      m_source(texture.GetSource(SourceFlag::Declare)), m_shape(texture.GetPreviewShape()) {}

bool PictureRender::Renders(const Texture& texture) const {
    return texture.GetPreviewShape() == m_shape &&
           texture.GetSource(SourceFlag::Declare) == m_source;
}

RenderResult PictureRender::Prepare(const PovRayRunner& runner, const QString& folder,
                                    RenderRemarks& remarks) {
    return runner.WriteTextureScene(m_source, SubjectName(), m_shape, folder, remarks);
}

RenderResult PictureRender::Collect(const QString& folder) {
    return ReadRenderedImage(folder, OutputFileName(), Width(), Height(), m_picture);
}
