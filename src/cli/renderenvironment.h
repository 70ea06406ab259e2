#pragma once

#include "cli/commandline.h"
#include "core/shapes/shapelist.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/renderprogress.h"
#include "render/settings/programsettings.h"

#include <memory>

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
    const ShapeList& Shapes();

private:
    ProgramSettings m_settings;
    ShapeList m_shapes;
    bool m_shapesLoaded = false;
    std::unique_ptr<PovRayRunner> m_runner;
};

/// Progress on stderr: the caption and a percentage, redrawn in place on a terminal. Ctrl+C,
/// SIGTERM and SIGHUP stop the render the way the Stop button does, so POV-Ray ends first.
class ConsoleProgress : public RenderProgressSink {
public:
    ConsoleProgress();
    ~ConsoleProgress() override;

    void Begin(const QString& caption) override;
    void Started(std::function<void()> stop) override;
    void SetCaption(const QString& caption) override;
    void Progress(int percent) override;
    void End() override;
    void Notice(const QString& title, const QString& text) override;
    void Status(const QString& text) override;

private:
    void Show();

    QString m_caption;
    int m_percent = -1;
    bool m_terminal;
    std::function<void()> m_stop;
    class QTimer* m_interruptPoll;
};
