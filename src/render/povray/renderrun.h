#pragma once

#include "render/povray/renderresult.h"

#include <QObject>

/// What a render waits for once its files are written: a POV-Ray run of its own (PovRayJob), or
/// a frame of a run kept going for the next picture (WarmPovRay). Destroying it ends what still
/// runs for it.
class RenderRun : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    virtual void Start() = 0;
    /// Ends the run early; it then finishes as stopped.
    virtual void Stop() = 0;
    /// A render the user waits for runs ahead of batch work. Call before Start().
    virtual void SetUrgent(bool urgent) = 0;
    /// How it ended, once finished.
    virtual const RenderResult& Result() const = 0;

signals:
    void progressChanged(int percent);
    void finished();
};
