#pragma once

#include "core/bitmap/bitmap.h"
#include "render/povray/renderresult.h"

#include <QObject>
#include <QString>
#include <memory>
#include <string>

class PovRayJob;
class PovRayRunner;
class RenderProgressSink;
class Texture;

/// One render of a texture on its preview shape that runs while the program goes on handling
/// events: the include file and the scene are written, POV-Ray runs, and its image is read into
/// Picture(). The runner counts as busy from Start() until the render has finished or the object
/// is destroyed (which ends POV-Ray). Thumbnails, the Preview window and its automatic renders
/// all take this road.
class PictureRender : public QObject {
    Q_OBJECT
public:
    /// A render of `texture` as it is now, at width x height.
    PictureRender(PovRayRunner& runner, const Texture& texture, int width, int height,
                  QObject* parent = nullptr);
    ~PictureRender() override;

    /// Writes the files and starts POV-Ray, reporting to `sink`, which must outlive the render.
    /// When it cannot start (another render runs, a file cannot be written, POV-Ray is missing)
    /// the render has finished when Start returns.
    void Start(const QString& caption, RenderProgressSink& sink);
    /// Ends POV-Ray early; the render then finishes as Stopped.
    void Stop();

    bool IsFinished() const { return m_finished; }
    const RenderResult& Result() const { return m_result; }
    /// The rendered picture once the render has succeeded.
    Bitmap& Picture() { return m_picture; }

signals:
    void finished();

private:
    void JobFinished();
    void Finish(RenderResult result);

    PovRayRunner& m_runner;
    std::unique_ptr<Texture> m_texture;
    std::string m_name;
    int m_shape;
    int m_width;
    int m_height;
    RenderProgressSink* m_sink = nullptr;
    std::unique_ptr<PovRayJob> m_job;
    QString m_folder;
    Bitmap m_picture;
    RenderResult m_result;
    bool m_holdsRunner = false;
    bool m_finished = false;
};
