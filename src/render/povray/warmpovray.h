#pragma once

#include "core/povray/povcommand.h"
#include "render/povray/renderresult.h"

#include <QObject>
#include <QString>
#include <QTimer>
#include <memory>

class PovRayJob;
class PovRayRunner;
class RenderRun;
class WarmFrame;

/// A POV-Ray run kept going for the pictures of one window, each rendered as its next frame:
/// a run of POV-Ray 3.7 spends most of its time starting and ending (it moves between its phases
/// in steps of 50 ms), a frame of a running animation little more than the render itself.
///
/// The run renders an animation whose scene first opens the named pipe of its frame, which
/// blocks until the program holds the pipe open too, then includes the scene file just as a
/// run of its own reads it. Before a frame is let through, the program writes that frame's files
/// into the run's folder (the texture's include file and the scene, as for a run of their own)
/// and makes the pipe of the frame after it. The clock stays at 0, as in a run of its own.
///
/// The folder is a job folder of the runner's, closed to everybody else. POV-Ray runs in a
/// process group of its own and is killed with the program; destroying this ends it too.
class WarmPovRay : public QObject {
    Q_OBJECT
public:
    /// How many frames a run renders before the next picture starts another.
    static constexpr int kFrames = 99999;

    explicit WarmPovRay(QObject* parent = nullptr);
    ~WarmPovRay() override;
    WarmPovRay(const WarmPovRay&) = delete;
    WarmPovRay& operator=(const WarmPovRay&) = delete;

    /// Whether pictures of `runner` can be rendered so: POV-Ray 3.7 started as a program of its
    /// own (not through a script, which would outlive a kill of the program waiting for its
    /// frame).
    static bool Possible(const PovRayRunner& runner);
    /// Whether `text` (a texture's declaration or a scene) asks about the animation, which a
    /// frame answers otherwise than a run of its own.
    static bool AsksAboutAnimation(const std::string& text);

    /// The folder the next picture's files go into, with POV-Ray started there for pictures of
    /// width x height when none runs on this command line.
    RenderResult Ready(PovRayRunner& runner, int width, int height, QString& folder);
    /// The next picture, POV-Ray rendering the files in the folder once it is started; it reads
    /// what it made from OutputFileName() there. Call after Ready.
    std::unique_ptr<RenderRun> NextFrame(const QString& subject);
    /// Ends POV-Ray and removes its folder.
    void End();
    bool IsRunning() const { return m_job != nullptr; }
    /// The frame the next picture is rendered as, from 1.
    int NextFrameNumber() const { return m_frame; }

private:
    friend class WarmFrame;

    RenderResult Begin(PovRayRunner& runner, const PovCommand& command, int width, int height);
    /// Lets `frame` through its pipe.
    void Release(WarmFrame& frame);
    void Withdraw(WarmFrame& frame);
    void Poll();
    void JobEnded();
    void CloseGate();
    QString FramePath(int frame) const;
    QString GatePath(int frame) const;

    std::unique_ptr<PovRayJob> m_job;
    QString m_folder;
    PovCommand m_command;
    qint64 m_pictureBytes = 0;
    int m_frame = 1;
    int m_frameLimit = 0;
    int m_gate = -1; ///< the pipe of the frame under way, held open
    WarmFrame* m_current = nullptr;
    QTimer m_poll;
    QTimer m_frameTimer;
};
