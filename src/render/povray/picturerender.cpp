#include "render/povray/picturerender.h"

#include "core/model/texture.h"
#include "core/povray/povcommand.h"
#include "render/files/fileio.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/warmpovray.h"

#include <QDir>

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

RenderResult PictureRender::TakeFolder(PovRayRunner& runner, QString& folder, bool& own) {
    m_inWarmFolder = m_warm && m_rendered.Refusal().empty() && WarmPovRay::Possible(runner) &&
                     !WarmPovRay::AsksAboutAnimation(m_rendered.Source());
    if (!m_inWarmFolder)
        return QueuedRender::TakeFolder(runner, folder, own);
    own = false;
    return m_warm->Ready(runner, Width(), Height(), folder);
}

std::unique_ptr<RenderRun> PictureRender::MakeRun(const PovRayRunner& runner, const QString& folder,
                                                  RenderResult& result) {
    if (m_inWarmFolder) {
        const auto scene =
            ReadWholeFile(QDir(folder).filePath(QString::fromLatin1(kSceneFileName)), nullptr);
        // A scene that asks about the animation runs on its own, beside the waiting POV-Ray.
        if (scene && !WarmPovRay::AsksAboutAnimation(scene->toStdString())) {
            m_ranWarm = true;
            return m_warm->NextFrame(QString::fromStdString(SubjectName()));
        }
    }
    return QueuedRender::MakeRun(runner, folder, result);
}
