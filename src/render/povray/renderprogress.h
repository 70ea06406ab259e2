#pragma once

#include <QString>
#include <QStringList>
#include <functional>

/// Where a batch of thumbnails stands.
struct BatchStatus {
    int texturesDone = 0; ///< textures through, rendered or failed
    int texturesTotal = 0;
    qint64 millisecondsLeft = -1; ///< estimated from the renders so far; -1 while unknown
};

/// How a batch of thumbnails went, for the summary at its end.
struct BatchSummary {
    int total = 0;        ///< textures in the batch
    int rendered = 0;     ///< textures whose thumbnails were all taken
    QStringList failed;   ///< textures POV-Ray could not render (they stay selected)
    QString firstFailure; ///< why the first of them failed
    bool stopped = false; ///< the batch ended before its end (Stop, or POV-Ray could not run)
    qint64 milliseconds = 0;
};

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

    /// A batch of `textures` textures begins; the renders reported until BatchEnded belong to
    /// it, and Progress then gives the percentage of the texture being rendered.
    virtual void BatchBegun(int textures) { static_cast<void>(textures); }
    /// The whole batch moved on.
    virtual void BatchProgress(const BatchStatus& status) { static_cast<void>(status); }
    /// The batch is over.
    virtual void BatchEnded(const BatchSummary& summary) { static_cast<void>(summary); }
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
