#include "cli/renderenvironment.h"

#include "render/files/sidefiles.h"

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

ConsoleProgress::ConsoleProgress()
    : m_terminal(isatty(fileno(stderr)) != 0), m_interruptPoll(new QTimer) {
    g_interrupted = 0;
    for (int signal : kStopSignals)
        std::signal(signal, OnInterrupt);
    m_interruptPoll->setInterval(100);
    QObject::connect(m_interruptPoll, &QTimer::timeout, [this] {
        if (g_interrupted && m_stop) {
            g_interrupted = 0;
            m_stop();
        }
    });
}

ConsoleProgress::~ConsoleProgress() {
    for (int signal : kStopSignals)
        std::signal(signal, SIG_DFL);
    delete m_interruptPoll;
}

void ConsoleProgress::Begin(const QString& caption) {
    m_caption = caption;
    m_percent = 0;
    Show();
}

void ConsoleProgress::Started(std::function<void()> stop) {
    m_stop = std::move(stop);
    m_interruptPoll->start();
    if (g_interrupted) { // a signal that came between two renders stops the next at once
        g_interrupted = 0;
        m_stop();
    }
}

void ConsoleProgress::SetCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    if (m_terminal)
        std::fprintf(stderr, "\n");
    m_caption = caption;
    Show();
}

void ConsoleProgress::Progress(int percent) {
    if (percent == m_percent)
        return;
    m_percent = percent;
    if (m_terminal)
        Show();
}

void ConsoleProgress::End() {
    m_interruptPoll->stop();
    m_stop = nullptr;
    if (m_terminal) {
        Show();
        std::fprintf(stderr, "\n");
    }
}

/// On a terminal the line is redrawn in place; otherwise each caption is one line.
void ConsoleProgress::Show() {
    if (m_terminal)
        std::fprintf(stderr, "\r%s %3d%%", m_caption.toLocal8Bit().constData(),
                     std::max(0, m_percent));
    else
        std::fprintf(stderr, "%s\n", m_caption.toLocal8Bit().constData());
    std::fflush(stderr);
}

void ConsoleProgress::Notice(const QString& title, const QString& text) {
    std::fprintf(stderr, "%s: %s\n", title.toLocal8Bit().constData(),
                 text.toLocal8Bit().constData());
}

void ConsoleProgress::Status(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
}
