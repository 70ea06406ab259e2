#pragma once

#include "render/povray/queuedrender.h"
#include "render/povray/renderedpicture.h"

class Texture;

/// A render of a texture on its preview shape: a thumbnail, a layer's thumbnail or the Preview
/// window's picture. It renders the texture as it was when the render was made, so the texture
/// may change (or go) meanwhile; Renders() tells whether a texture still looks like that.
class PictureRender : public QueuedRender {
    Q_OBJECT
public:
    PictureRender(const Texture& texture, int width, int height, QObject* parent = nullptr);

    /// The rendered picture, once the render has succeeded.
    Bitmap& Picture() { return m_rendered.Picture(); }
    /// Whether `texture` as it is now has the source and the shape this render renders, so the
    /// picture shows it.
    bool Renders(const Texture& texture) const { return m_rendered.Renders(texture); }
    RenderedPicture& Rendered() { return m_rendered; }

protected:
    RenderResult Prepare(const PovRayRunner& runner, const QString& folder,
                         RenderRemarks& remarks) override;
    RenderResult Collect(const QString& folder) override;

private:
    RenderedPicture m_rendered;
};
