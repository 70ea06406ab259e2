#include "cli/renderenvironment.h"

#include "render/files/sidefiles.h"
#include "render/povray/queuedrender.h"
#include "render/povray/thumbnailbatchrender.h"

#include <QCoreApplication>
#include <QSettings>
#include <QTimer>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

volatile std::sig_atomic_t g_interrupted = 0;

extern "C" void OnInterrupt(int) {
    g_interrupted = 1;
}

/// Ctrl+C, a terminating signal and a closed terminal all stop POV-Ray before the tool ends.
constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

} // namespace

RenderEnvironment::RenderEnvironment(CommandLine& args) {
    m_settings.Load(*OpenSettingsStore());
    const QString pov = args.TakeValue(QStringLiteral("--pov"));
    const QString directory = args.TakeValue(QStringLiteral("--program-dir"));
    const QString timeout = args.TakeValue(QStringLiteral("--timeout"));
    if (!timeout.isEmpty())
        m_settings.renderTimeLimit =
            CommandLine::ToInt(QStringLiteral("--timeout"), timeout, 0, 86400);
    if (!pov.isEmpty())
        m_settings.povExecutable = pov;
    if (!directory.isEmpty())
        m_settings.programDirectory = directory;
}

const ShapeList& RenderEnvironment::Shapes() {
    if (!m_shapesLoaded) {
        std::optional<SideFileNotice> notice;
        m_shapes = LoadShapeFile(m_settings.EffectiveProgramDirectory(), notice);
        if (notice)
            std::fprintf(stderr, "%s\n", notice->text.toLocal8Bit().constData());
        m_shapesLoaded = true;
    }
    return m_shapes;
}

PovRayRunner& RenderEnvironment::Runner() {
    if (!m_runner) {
        if (m_settings.EffectivePovExecutable().isEmpty())
            throw CommandFailure("POV-Ray was not found: install povray, set it in the Preferences "
                                 "or use --pov PATH.");
        m_runner = std::make_unique<PovRayRunner>(m_settings, Shapes());
        m_runner->SetNoticeHandler([](const QString&, const QString& text) {
            std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        });
    }
    return *m_runner;
}

RenderQueue& RenderEnvironment::Queue(int jobs) {
    m_jobs = jobs;
    if (!m_queue)
        m_queue = std::make_unique<RenderQueue>(Runner(), [this] { return m_jobs; });
    return *m_queue;
}

ConsoleProgress::ConsoleProgress() : m_terminal(isatty(fileno(stderr)) != 0) {
    g_interrupted = 0;
    for (int signal : kStopSignals)
        std::signal(signal, OnInterrupt);
    m_interruptPoll.setInterval(100);
    connect(&m_interruptPoll, &QTimer::timeout, this, [this] {
        if (g_interrupted && m_stop) {
            g_interrupted = 0;
            m_stop();
        }
    });
}

ConsoleProgress::~ConsoleProgress() {
    for (int signal : kStopSignals)
        std::signal(signal, SIG_DFL);
}

void ConsoleProgress::RunToEnd(QueuedRender& render, RenderQueue& queue) {
    m_stop = [&render] { render.Stop(); };
    connect(&render, &QueuedRender::started, this, [this, &render] { Show(render.Caption(), 0); });
    connect(&render, &QueuedRender::progress, this,
            [this, &render](int percent) { Show(render.Caption(), percent); });
    connect(&render, &QueuedRender::notice, this,
            [this](const QString& title, const QString& text) {
                Remark(title + QStringLiteral(": ") + text);
            });
    connect(&render, &QueuedRender::status, this, &ConsoleProgress::Remark);
    connect(&render, &QueuedRender::finished, this, [] { QCoreApplication::exit(0); });
    render.Start(queue);
    WaitForTheEnd();
}

void ConsoleProgress::RunToEnd(ThumbnailBatchRender& batch, RenderQueue& queue) {
    m_stop = [&batch] { batch.Stop(); };
    connect(&batch, &ThumbnailBatchRender::progress, this, [this, &batch] {
        if (!batch.Caption().isEmpty())
            Show(batch.Caption(), batch.Percent());
    });
    connect(&batch, &ThumbnailBatchRender::taskEnded, this,
            [this](std::size_t, const RenderResult& result) {
                if (!result.Succeeded() && result.status != RenderResult::Stopped)
                    Remark(result.message);
            });
    connect(&batch, &ThumbnailBatchRender::finished, this, [] { QCoreApplication::exit(0); });
    batch.Start(queue);
    WaitForTheEnd();
}

void ConsoleProgress::WaitForTheEnd() {
    m_interruptPoll.start();
    QCoreApplication::exec();
    m_interruptPoll.stop();
    m_stop = nullptr;
    if (m_terminal && m_percent >= 0)
        std::fprintf(stderr, "\n");
}

/// On a terminal the line is redrawn in place; otherwise each caption is one line.
void ConsoleProgress::Show(const QString& caption, int percent) {
    const bool newCaption = caption != m_caption;
    if (!newCaption && (percent == m_percent || !m_terminal))
        return;
    if (newCaption && m_terminal && m_percent >= 0)
        std::fprintf(stderr, "\n");
    m_caption = caption;
    m_percent = percent;
    if (m_terminal)
        std::fprintf(stderr, "\r%s %3d%%", caption.toLocal8Bit().constData(), std::max(0, percent));
    else
        std::fprintf(stderr, "%s\n", caption.toLocal8Bit().constData());
    std::fflush(stderr);
}

void ConsoleProgress::Remark(const QString& text) {
    if (m_terminal && m_percent >= 0) { // below the progress line, which is drawn again
        std::fprintf(stderr, "\n");
        m_caption.clear();
    }
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
