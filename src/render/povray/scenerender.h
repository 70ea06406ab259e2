#pragma once

#include "core/bitmap/bitmap.h"
#include "render/povray/queuedrender.h"

#include <string>

/// A test render of a scene written by hand (the shape editor's), wearing a texture given by
/// its declaration; in debug mode POV-Ray runs visibly in a terminal, verbose, and the render
/// ends when the user has pressed a key there.
class SceneRender : public QueuedRender {
    Q_OBJECT
public:
    /// `scene` is the finished scene text; `textureSource` the texture's declaration, written
    /// as the include file the scene names; `textureName` is named in messages.
    SceneRender(std::string scene, std::string textureSource, std::string textureName, int width,
                int height, bool debugMode, QObject* parent = nullptr);

    /// The rendered picture, once the render has succeeded.
    Bitmap& Picture() { return m_picture; }

protected:
    RenderResult Prepare(const PovRayRunner& runner, const QString& folder,
                         RenderRemarks& remarks) override;
    std::unique_ptr<PovRayJob> MakeJob(const PovRayRunner& runner, const QString& folder,
                                       RenderResult& result) override;
    RenderResult Collect(const QString& folder) override;

private:
    std::string m_scene;
    std::string m_textureSource;
    bool m_debugMode;
    Bitmap m_picture;
};
