#pragma once

#include "render/povray/queuedrender.h"
#include "render/povray/renderedpicture.h"

class Texture;
class WarmPovRay;

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
    /// Renders as the next frame of `warm` where POV-Ray and the texture allow (see
    /// WarmPovRay), the same picture as a run of its own. Call before Start().
    void KeepWarm(WarmPovRay* warm) { m_warm = warm; }
    /// Whether the render was (or is being) rendered as a frame of the run kept warm.
    bool RanWarm() const { return m_ranWarm; }

protected:
    RenderResult TakeFolder(PovRayRunner& runner, QString& folder, bool& own) override;
    std::unique_ptr<RenderRun> MakeRun(const PovRayRunner& runner, const QString& folder,
                                       RenderResult& result) override;
    RenderResult Prepare(const PovRayRunner& runner, const QString& folder,
                         RenderRemarks& remarks) override;
    RenderResult Collect(const QString& folder) override;

private:
    RenderedPicture m_rendered;
    WarmPovRay* m_warm = nullptr;
    bool m_inWarmFolder = false;
    bool m_ranWarm = false;
};
