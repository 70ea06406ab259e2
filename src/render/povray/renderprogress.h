#pragma once

#include <QString>

#include <functional>

/// Where a render reports how it goes: the desktop program shows its progress dialog, the
/// command-line tool prints to stderr. All calls come on the thread that runs the render.
class RenderProgressSink {
public:
    virtual ~RenderProgressSink() = default;

    /// A render is about to start, shown with `caption` ("Rendering...").
    virtual void Begin(const QString& caption) = 0;
    /// POV-Ray runs; calling `stop` ends it early.
    virtual void Started(std::function<void()> stop) = 0;
    /// The caption changes while the render runs (a batch moving on to the next texture).
    virtual void SetCaption(const QString& caption) = 0;
    /// Percent done, 0-100.
    virtual void Progress(int percent) = 0;
    /// The render has ended, whichever way.
    virtual void End() = 0;

    /// A message the user must see while the render goes on (a warning about the scene).
    virtual void Notice(const QString& title, const QString& text) = 0;
    /// A passing remark for the status line.
    virtual void Status(const QString& text) = 0;
};

/// A sink that shows nothing, for renders nobody watches.
class SilentProgressSink : public RenderProgressSink {
public:
    void Begin(const QString&) override {}
    void Started(std::function<void()>) override {}
    void SetCaption(const QString&) override {}
    void Progress(int) override {}
    void End() override {}
    void Notice(const QString&, const QString&) override {}
    void Status(const QString&) override {}
};
