#pragma once

#include "core/shapes/builtinshapes.h"
#include "render/povray/povrayrunner.h"
#include "render/povray/queuedrender.h"
#include "render/povray/renderprogress.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"

#include <QObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

class Catalog;
class CatalogTextures;
class PovRayJob;
class ThumbnailBatchRender;

/// A batch of thumbnails run to its end, with what it reported on the way.
struct BatchRun {
    BatchRun();
    ~BatchRun();
    std::unique_ptr<CatalogTextures> textures;
    std::unique_ptr<ThumbnailBatchRender> batch;
    std::vector<BatchStatus> statuses;
    std::vector<QString> captions;  ///< each caption as it was first seen
    std::vector<std::size_t> ended; ///< tasks in the order they ended
};

/// Records what a render reports by its signals.
class RenderRecorder : public QObject {
public:
    explicit RenderRecorder(QueuedRender& render);

    int started = 0;
    int finished = 0;
    std::vector<int> percents;
    std::vector<QString> notices;
    std::vector<QString> statuses;
};

/// A program directory of its own, the real POV-Ray, the built-in shapes and a render queue
/// with `m_places` places.
class RenderTest : public ::testing::Test {
protected:
    void SetUp() override;
    QString Path(const QString& name) const { return m_dir.filePath(name); }
    /// A shell script standing in for POV-Ray.
    QString FakePovRay(const QString& body);

    /// Starts `render` in the queue and waits for it to finish (a minute at most).
    RenderResult Run(QueuedRender& render);
    /// Renders `texture` on its shape at width x height through the queue; on success the
    /// picture becomes its thumbnail, else the thumbnail stays.
    RenderResult Thumbnail(Texture& texture, int width, int height,
                           std::unique_ptr<RenderRecorder>* recorder = nullptr);
    /// Renders the selected textures of `catalog` (a catalog nobody else changes) as a batch
    /// through the queue with `places` places, and waits for its end; the pictures go straight
    /// into the catalog.
    std::unique_ptr<BatchRun> RunBatch(Catalog& catalog, bool composite, bool layers, int places);
    /// Runs a POV-Ray job to its end.
    static RenderResult RunJob(PovRayJob& job);

    QTemporaryDir m_dir;
    ProgramSettings m_settings;
    ShapeList m_shapes;
    int m_places = 1;
    std::unique_ptr<PovRayRunner> m_runner;
    std::unique_ptr<RenderQueue> m_queue;
};

/// What `executable --version` answers, asked as the program asks it.
QString VersionOutput(const QString& executable);

/// True when not every pixel of the bitmap has the same colour.
bool HasDetail(const Bitmap& dib);
