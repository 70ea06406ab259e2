#pragma once

#include "cli/commandline.h"
#include "core/shapes/shapelist.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"

#include <QObject>
#include <QTimer>
#include <functional>
#include <memory>

class QueuedRender;
class ThumbnailBatchRender;

/// What the rendering commands work with: the user's settings (with --pov, --program-dir and
/// --timeout taken from the command line), the preview shapes of the program directory and
/// the runner.
class RenderEnvironment {
public:
    /// Takes --pov, --program-dir and --timeout out of `args`.
    explicit RenderEnvironment(CommandLine& args);

    ProgramSettings& Settings() { return m_settings; }
    /// Loads the shapes on first use (so commands that render only pay for it).
    PovRayRunner& Runner();
    /// The queue the commands render through, `jobs` renders side by side.
    RenderQueue& Queue(int jobs = 1);
    const ShapeList& Shapes();

private:
    ProgramSettings m_settings;
    ShapeList m_shapes;
    bool m_shapesLoaded = false;
    std::unique_ptr<PovRayRunner> m_runner;
    int m_jobs = 1;
    std::unique_ptr<RenderQueue> m_queue;
};

/// Runs renders to their end while showing their progress on stderr: the caption and a
/// percentage, redrawn in place on a terminal. Ctrl+C, SIGTERM and SIGHUP stop the render the
/// way the Stop button does, so POV-Ray ends first.
class ConsoleProgress : public QObject {
public:
    ConsoleProgress();
    ~ConsoleProgress() override;

    /// Starts `render` in `queue` and runs the tool's event loop until it has finished.
    void RunToEnd(QueuedRender& render, RenderQueue& queue);
    /// The same for a batch of thumbnails, with each task's caption.
    void RunToEnd(ThumbnailBatchRender& batch, RenderQueue& queue);

private:
    /// Runs the events until the render started ends (Ctrl+C stops it), then ends the line.
    void WaitForTheEnd();
    void Show(const QString& caption, int percent);
    void Remark(const QString& text);

    std::function<void()> m_stop;
    QString m_caption;
    int m_percent = -1;
    bool m_terminal;
    QTimer m_interruptPoll;
};
