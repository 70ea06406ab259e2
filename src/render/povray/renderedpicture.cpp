#include "render/povray/renderedpicture.h"

#include "core/model/texture.h"

RenderedPicture::RenderedPicture(const Texture& texture)
    : m_name(texture.GetName()), m_source(texture.GetRenderSource()),
      m_refusal(texture.GetRefusal()), m_shape(texture.GetPreviewShape()),
      m_material(texture.RendersAsMaterial()), m_gamma(texture.GetDeclaredGamma()) {}

bool RenderedPicture::Renders(const Texture& texture) const {
    return texture.GetPreviewShape() == m_shape && texture.GetRenderSource() == m_source;
}
