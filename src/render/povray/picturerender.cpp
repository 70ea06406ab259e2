#include "render/povray/picturerender.h"

#include "core/model/texture.h"
#include "render/povray/povrayrunner.h"

PictureRender::PictureRender(const Texture& texture, int width, int height, QObject* parent)
    : QueuedRender(texture.GetName(), width, height, parent), m_rendered(texture) {}

RenderResult PictureRender::Prepare(const PovRayRunner& runner, const QString& folder,
                                    RenderRemarks& remarks) {
    if (!m_rendered.Refusal().empty())
        return RefusedRender(m_rendered.Refusal());
    return runner.WriteTextureScene(m_rendered.Source(), SubjectName(), m_rendered.Shape(), folder,
                                    remarks, m_rendered.AsMaterial(), m_rendered.DeclaredGamma());
}

RenderResult PictureRender::Collect(const QString& folder) {
    return ReadRenderedImage(folder, OutputFileName(), Width(), Height(), m_rendered.Picture());
}
