#include "render/povray/scenerender.h"

#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"

SceneRender::SceneRender(std::string scene, std::string textureSource, std::string textureName,
                         int width, int height, bool debugMode, QObject* parent)
    : QueuedRender(std::move(textureName), width, height, parent), m_scene(std::move(scene)),
      m_textureSource(std::move(textureSource)), m_debugMode(debugMode) {}

RenderResult SceneRender::Prepare(const PovRayRunner& runner, const QString& folder,
                                  RenderRemarks&) {
    RenderResult written = runner.WriteTextureFile(m_textureSource, folder, SubjectName());
    if (written.Succeeded())
        written = runner.WriteSceneText(m_scene, folder);
    return written;
}

std::unique_ptr<PovRayJob> SceneRender::MakeJob(const PovRayRunner& runner, const QString& folder,
                                                RenderResult& result) {
    if (!m_debugMode)
        return QueuedRender::MakeJob(runner, folder, result);
    return runner.MakeDebugJob(folder, runner.Command(OutputFileName(), Width(), Height()), result);
}

RenderResult SceneRender::Collect(const QString& folder) {
    return ReadRenderedImage(folder, OutputFileName(), Width(), Height(), m_picture);
}
