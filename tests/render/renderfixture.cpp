#include "renderfixture.h"

#include "core/bitmap/bitmap.h"
#include "core/catalog/catalog.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/picturerender.h"
#include "render/povray/povrayjob.h"
#include "render/povray/povversion.h"
#include "render/povray/thumbnailbatchrender.h"
#include "testfiles.h"

#include <QFile>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <cstring>

RenderRecorder::RenderRecorder(QueuedRender& render) {
    connect(&render, &QueuedRender::started, this, [this] { ++started; });
    connect(&render, &QueuedRender::finished, this, [this] { ++finished; });
    connect(&render, &QueuedRender::progress, this,
            [this](int percent) { percents.push_back(percent); });
    connect(&render, &QueuedRender::notice, this,
            [this](const QString& title, const QString& text) {
                notices.push_back(title + ": " + text);
            });
    connect(&render, &QueuedRender::status, this,
            [this](const QString& text) { statuses.push_back(text); });
}

void RenderTest::SetUp() {
    ASSERT_TRUE(m_dir.isValid());
    m_settings.programDirectory = m_dir.path();
    ASSERT_FALSE(m_settings.EffectivePovExecutable().isEmpty()) << "povray must be installed";
    m_shapes = BuiltinShapes();
    m_runner = std::make_unique<PovRayRunner>(m_settings, m_shapes);
    m_queue = std::make_unique<RenderQueue>(*m_runner, [this] { return m_places; });
}

QString RenderTest::FakePovRay(const QString& body) {
    return PutScript(Path(QStringLiteral("fake-povray.sh")), body.toUtf8());
}

RenderResult RenderTest::Run(QueuedRender& render) {
    QSignalSpy finished(&render, &QueuedRender::finished);
    render.Start(*m_queue);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000))
        << "the render did not end";
    return render.Result();
}

RenderResult RenderTest::Thumbnail(Texture& texture, int width, int height,
                                   std::unique_ptr<RenderRecorder>* recorder) {
    PictureRender render(texture, width, height);
    auto recording = std::make_unique<RenderRecorder>(render);
    const RenderResult result = Run(render);
    if (result.Succeeded())
        texture.Thumbnail() = std::move(render.Picture());
    if (recorder)
        *recorder = std::move(recording);
    return result;
}

BatchRun::BatchRun() = default;
BatchRun::~BatchRun() = default;

std::unique_ptr<BatchRun> RenderTest::RunBatch(Catalog& catalog, bool composite, bool layers,
                                               int places) {
    m_places = places;
    auto run = std::make_unique<BatchRun>();
    ThumbnailBatch plan(catalog, composite, layers);
    run->textures = std::make_unique<CatalogTextures>(catalog, plan);
    run->batch = std::make_unique<ThumbnailBatchRender>(std::move(plan), *run->textures);
    BatchRun* watched = run.get();
    QObject::connect(watched->batch.get(), &ThumbnailBatchRender::progress, [watched] {
        watched->statuses.push_back(watched->batch->Status());
        const QString caption = watched->batch->Caption();
        if (!caption.isEmpty() && std::find(watched->captions.begin(), watched->captions.end(),
                                            caption) == watched->captions.end())
            watched->captions.push_back(caption);
    });
    QObject::connect(watched->batch.get(), &ThumbnailBatchRender::taskEnded,
                     [watched](std::size_t task) { watched->ended.push_back(task); });
    QSignalSpy finished(watched->batch.get(), &ThumbnailBatchRender::finished);
    watched->batch->Start(*m_queue);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 180000))
        << "the batch did not end";
    return run;
}

QString VersionOutput(const QString& executable) {
    PovVersionProbe probe;
    QSignalSpy finished(&probe, &PovVersionProbe::finished);
    probe.Start(executable);
    EXPECT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
    return finished.isEmpty() ? QString() : finished.first().first().toString();
}

RenderResult RenderTest::RunJob(PovRayJob& job) {
    job.Start();
    EXPECT_TRUE(QTest::qWaitFor([&] { return job.IsFinished(); }, 60000)) << "POV-Ray did not end";
    return job.Result();
}

bool HasDetail(const Bitmap& dib) {
    const auto bits = dib.Bits();
    const std::size_t stride = Bitmap::Stride(dib.Width());
    for (int row = 0; row < dib.Height(); ++row)
        for (int column = 0; column < dib.Width(); ++column)
            if (std::memcmp(bits.data() + row * stride + column * 3, bits.data(), 3) != 0)
                return true;
    return false;
}
