#pragma once

#include "render/povray/queuedrender.h"
#include "render/povray/renderedpicture.h"

#include <QTimer>
#include <vector>

class PovRayJob;
class Texture;

/// Several pictures of one size rendered as the frames of one POV-Ray run: POV-Ray starts once
/// and spends less processor time on each picture than a run of its own. Each frame renders
/// exactly as the texture's own run would, and its picture is handed on (frameRendered) as soon
/// as POV-Ray has moved past it. POV-Ray stops at a frame it cannot render: that frame fails
/// alone, and the frames after it were not rendered. Each frame has the time limit of one
/// picture; a frame that runs past it fails as timed out, naming its texture.
class FramesRender : public QueuedRender {
    Q_OBJECT
public:
    /// `textures` (none refused) at width x height, in frame order.
    FramesRender(const std::vector<const Texture*>& textures, int width, int height,
                 QObject* parent = nullptr);

    int Frames() const { return static_cast<int>(m_frames.size()); }
    RenderedPicture& Frame(int frame) { return m_frames.at(static_cast<std::size_t>(frame)); }
    /// Frames handed on so far: 0 to Delivered() - 1.
    int Delivered() const { return m_delivered; }
    /// Once finished: the frame POV-Ray could not render (-1 when none), and why.
    int FailedFrame() const { return m_failedFrame; }
    const RenderResult& FrameFailure() const { return m_frameFailure; }

signals:
    /// Frame `frame`'s picture is there.
    void frameRendered(int frame);

protected:
    RenderResult Prepare(const PovRayRunner& runner, const QString& folder,
                         RenderRemarks& remarks) override;
    std::unique_ptr<PovRayJob> MakeJob(const PovRayRunner& runner, const QString& folder,
                                       RenderResult& result) override;
    void JobEnded(const QString& folder, const RenderResult& result) override;
    RenderResult Collect(const QString& folder) override;

private:
    /// The file POV-Ray writes frame `frame` (from 0) into.
    QString FrameFile(int frame) const;
    /// Reads the next frame's picture and hands it on; false when it cannot be read.
    bool TakeFrame(const QString& folder);
    void Poll();
    void RestartFrameTimer();

    std::vector<RenderedPicture> m_frames;
    int m_delivered = 0;
    int m_failedFrame = -1;
    RenderResult m_frameFailure;
    QTimer m_poll;
    QTimer m_frameTimer;
    int m_frameLimit = 0;
    /// The run while it runs (the base render owns it).
    PovRayJob* m_job = nullptr;
};
