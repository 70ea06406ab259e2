#include "render/povray/picturerender.h"

#include "core/model/texture.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderprogress.h"

PictureRender::PictureRender(PovRayRunner& runner, const Texture& texture, int width, int height,
                             QObject* parent)
    : QObject(parent), m_runner(runner), m_name(texture.GetName()),
      m_shape(texture.GetPreviewShape()), m_width(width), m_height(height) {
    // The texture may change while POV-Ray runs; the render shows it as it was asked for.
    m_texture = texture.Clone();
}

PictureRender::~PictureRender() {
    if (m_job) {
        m_job->disconnect(this);
        m_job.reset(); // ends POV-Ray when it still runs
    }
    // An abandoned render (its window closed while POV-Ray ran) leaves no folder behind.
    if (!m_finished && !m_folder.isEmpty())
        PovRayRunner::RemoveJobFolder(m_folder);
    if (m_sink && !m_finished)
        m_sink->End();
    if (m_holdsRunner)
        m_runner.EndRender();
}

void PictureRender::Start(const QString& caption, RenderProgressSink& sink) {
    if (!m_runner.TryBeginRender()) {
        Finish({RenderResult::Busy, {}, {}});
        return;
    }
    m_holdsRunner = true;
    if (RenderResult made = m_runner.NewJobFolder(m_folder); !made.Succeeded()) {
        Finish(std::move(made));
        return;
    }
    if (RenderResult written = m_runner.WriteTextureFile(*m_texture, m_folder);
        !written.Succeeded()) {
        Finish(NamingTexture(std::move(written), m_name));
        return;
    }
    if (RenderResult written = m_runner.WriteScene(m_name, m_shape, m_folder, sink);
        !written.Succeeded()) {
        Finish(std::move(written));
        return;
    }

    m_sink = &sink;
    sink.Begin(caption);
    m_job = m_runner.MakeJob(m_folder, m_runner.Command(OutputFileName(), m_width, m_height),
                             OutputFileName(), m_width, m_height, QString::fromStdString(m_name));
    connect(m_job.get(), &PovRayJob::finished, this, &PictureRender::JobFinished);
    connect(m_job.get(), &PovRayJob::progressChanged, this, [this](int percent) {
        if (m_sink)
            m_sink->Progress(percent);
    });
    m_job->Start();
    if (m_job && !m_job->IsFinished())
        sink.Started([this] { Stop(); });
}

void PictureRender::Stop() {
    if (m_job && !m_finished)
        m_job->Stop();
}

void PictureRender::JobFinished() {
    RenderResult result = m_job->Result();
    if (result.Succeeded())
        result = NamingTexture(
            ReadRenderedImage(m_folder, OutputFileName(), m_width, m_height, m_picture), m_name);
    Finish(std::move(result));
}

void PictureRender::Finish(RenderResult result) {
    if (m_finished)
        return;
    m_finished = true;
    m_result = std::move(result);
    if (!m_folder.isEmpty())
        PovRayRunner::RemoveJobFolder(m_folder);
    if (m_sink) {
        m_sink->Progress(100);
        m_sink->End();
    }
    if (m_holdsRunner) {
        m_holdsRunner = false;
        m_runner.EndRender();
    }
    emit finished();
}
