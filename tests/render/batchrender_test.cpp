#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "render/povray/batchrender.h"
#include "render/povray/texturemaprender.h"
#include "renderfixture.h"
#include "samplecatalog.h"

#include <QTimer>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

std::vector<std::uint8_t> AllThumbnailBytes(const Catalog& catalog) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const Texture& texture = catalog.GetTexture(i);
        auto add = [&](const Bitmap& dib) {
            bytes.insert(bytes.end(), dib.Bits().begin(), dib.Bits().end());
        };
        add(texture.Thumbnail());
        if (!texture.IsSimple())
            for (int m = 0; m < static_cast<const LayeredTexture&>(texture).GetLayerCount(); ++m)
                add(static_cast<const LayeredTexture&>(texture).GetLayer(m)->Thumbnail());
    }
    return bytes;
}

Catalog SmallCatalog() {
    Catalog sample = BuildSampleCatalog();
    Catalog catalog;
    for (int index : {0, 2, 4, 16, 13})
        catalog.AddTexture(sample.GetTexture(index));
    return catalog;
}

} // namespace

TEST_F(RenderTest, SideBySideBatchesGiveTheSamePicturesAsOneAtATime) {
    Catalog sequential = SmallCatalog();
    Catalog parallel = SmallCatalog();
    for (Catalog* catalog : {&sequential, &parallel})
        catalog->SelectAll();
    ThumbnailBatch first(sequential, true, true);
    ThumbnailBatch second(parallel, true, true);
    RecordingSink one;
    RecordingSink many;
    ASSERT_TRUE(RenderThumbnailBatch(*m_runner, first, 1, one).Succeeded());
    ASSERT_TRUE(RenderThumbnailBatch(*m_runner, second, 4, many).Succeeded());
    EXPECT_EQ(sequential.GetSelectedCount(), 0);
    EXPECT_EQ(parallel.GetSelectedCount(), 0);
    EXPECT_EQ(AllThumbnailBytes(sequential), AllThumbnailBytes(parallel));
    // One at a time, each render reports on its own with its caption.
    EXPECT_EQ(one.ends, 7);
    EXPECT_EQ(one.captions[4], "Rendering thumbnail 4 of 5 (Layer 1 of 2)");
    // Side by side, one report covers the batch.
    EXPECT_EQ(many.ends, 1);
    EXPECT_EQ(many.captions.front(), "Rendering texture 1 of 5");
    EXPECT_EQ(many.percents.back(), 100);
    const auto& layered = static_cast<const LayeredTexture&>(parallel.GetTexture(3));
    EXPECT_EQ(layered.GetLayer(1)->GetThumbnailWidth(), 100);
    EXPECT_EQ(layered.GetThumbnailWidth(), 120);
}

TEST_F(RenderTest, ATextureThatFailsStaysSelectedAndTheBatchGoesOnEitherWay) {
    for (int jobs : {1, 3}) {
        Catalog catalog = SmallCatalog();
        auto broken = std::make_unique<SimpleTexture>();
        broken->SetName("Broken");
        broken->pigment.pattern = Pigment::ImageMap;
        broken->pigment.image.fileName = "no-such-picture.gif"; // POV-Ray stops parsing there
        catalog.ReplaceTexture(1, std::move(broken));
        catalog.SelectAll();
        ThumbnailBatch batch(catalog, true, true);
        RecordingSink sink;
        const RenderResult result = RenderThumbnailBatch(*m_runner, batch, jobs, sink);
        // The first failure is still the batch's result, for those who only look at that.
        EXPECT_EQ(result.status, RenderResult::PovRayFailed) << jobs;
        EXPECT_EQ(catalog.GetSelectedIndices(), (std::vector<int>{1})) << jobs;
        EXPECT_EQ(catalog.GetTexture(1).GetThumbnailWidth(), 0) << jobs;
        for (int i : {0, 2, 3, 4})
            EXPECT_EQ(catalog.GetTexture(i).GetThumbnailWidth(), 120) << jobs << " texture " << i;
        EXPECT_EQ(static_cast<const LayeredTexture&>(catalog.GetTexture(3))
                      .GetLayer(1)
                      ->GetThumbnailWidth(),
                  100);

        ASSERT_EQ(sink.batchTotals, std::vector<int>{5}) << jobs;
        ASSERT_EQ(sink.summaries.size(), 1u) << jobs;
        const BatchSummary& summary = sink.summaries.front();
        EXPECT_EQ(summary.total, 5);
        EXPECT_EQ(summary.rendered, 4);
        EXPECT_EQ(summary.failed, QStringList{QStringLiteral("Broken")});
        EXPECT_TRUE(summary.firstFailure.startsWith(
            QStringLiteral("Broken: POV-Ray could not render the texture")))
            << summary.firstFailure.toStdString();
        EXPECT_FALSE(summary.stopped);
        EXPECT_GT(summary.milliseconds, 0);

        // The whole job's count only grows, and reaches every texture.
        ASSERT_FALSE(sink.batchStatuses.empty());
        for (std::size_t i = 1; i < sink.batchStatuses.size(); ++i)
            EXPECT_GE(sink.batchStatuses[i].texturesDone, sink.batchStatuses[i - 1].texturesDone);
        EXPECT_EQ(sink.batchStatuses.back().texturesDone, 5);
        EXPECT_EQ(sink.batchStatuses.back().texturesTotal, 5);
        EXPECT_EQ(sink.batchStatuses.front().millisecondsLeft, -1)
            << "nothing done, nothing to estimate from";
        EXPECT_TRUE(
            std::any_of(sink.batchStatuses.begin(), sink.batchStatuses.end(),
                        [](const BatchStatus& status) { return status.millisecondsLeft > 0; }))
            << jobs;
        EXPECT_FALSE(m_runner->IsBusy());
    }
}

TEST_F(RenderTest, WhenPovRayCannotRunTheBatchEndsAtTheFirstTexture) {
    m_settings.povExecutable = Path(QStringLiteral("no-such-povray"));
    m_settings.povCommandStyle = 2;
    for (int jobs : {1, 4}) {
        Catalog catalog = SmallCatalog();
        catalog.SelectAll();
        ThumbnailBatch batch(catalog, true, false);
        RecordingSink sink;
        const RenderResult result = RenderThumbnailBatch(*m_runner, batch, jobs, sink);
        EXPECT_EQ(result.status, RenderResult::StartFailed) << jobs;
        EXPECT_EQ(catalog.GetSelectedCount(), 5) << jobs;
        ASSERT_EQ(sink.summaries.size(), 1u);
        EXPECT_TRUE(sink.summaries[0].stopped);
        EXPECT_EQ(sink.summaries[0].rendered, 0);
        EXPECT_TRUE(sink.summaries[0].failed.isEmpty());
    }
}

TEST_F(RenderTest, StoppingASideBySideBatchKeepsTheOrder) {
    Catalog catalog = SmallCatalog();
    catalog.SelectAll();
    m_settings.antialiasing = 1;
    m_settings.antialiasingThreshold = 0.0f;
    m_settings.raysPerPixel = 4;
    // Big layer renders make the batch slow enough to stop.
    ThumbnailBatch batch(catalog, true, true);
    RecordingSink sink;
    sink.onStarted = [&] {
        QTimer::singleShot(300, [&] {
            if (sink.stop)
                sink.stop();
        });
    };
    const RenderResult result = RenderThumbnailBatch(*m_runner, batch, 3, sink);
    EXPECT_EQ(result.status, RenderResult::Stopped);
    ASSERT_EQ(sink.summaries.size(), 1u);
    EXPECT_TRUE(sink.summaries[0].stopped);
    EXPECT_EQ(sink.summaries[0].rendered, catalog.GetCount() - catalog.GetSelectedCount());
    // Whatever was taken is a prefix, and exactly the textures before it are deselected.
    const auto selected = catalog.GetSelectedIndices();
    ASSERT_FALSE(selected.empty());
    for (int i = 0; i < catalog.GetCount(); ++i)
        EXPECT_EQ(catalog.IsSelected(i), i >= selected.front());
    for (int i = selected.front() + 1; i < catalog.GetCount(); ++i)
        EXPECT_EQ(catalog.GetTexture(i).GetThumbnailWidth(), 0);
    EXPECT_FALSE(m_runner->IsBusy());
}

TEST_F(RenderTest, TextureMapsWithAFlatFinish) {
    SimpleTexture red;
    red.SetName("Flat Red");
    red.pigment.color = {255, 0, 0, 0};
    red.finish.phong = 100;
    std::vector<std::uint8_t> pixels;
    RecordingSink sink;
    ASSERT_TRUE(RenderTextureMap(*m_runner, red, {64, 32, true, 100}, pixels, sink).Succeeded());
    ASSERT_EQ(pixels.size(), 64u * 32u * 3u);
    for (std::size_t i = 0; i < pixels.size(); i += 3) // blue, green, red: pure red everywhere
        ASSERT_TRUE(pixels[i] == 0 && pixels[i + 1] == 0 && pixels[i + 2] == 255) << i;
    EXPECT_EQ(red.finish.phong, 100); // the catalog's texture is untouched

    ASSERT_TRUE(RenderTextureMap(*m_runner, red, {20, 20, true, 0}, pixels, sink).Succeeded());
    EXPECT_TRUE(std::all_of(pixels.begin(), pixels.end(), [](std::uint8_t b) { return b == 0; }));

    ASSERT_TRUE(RenderTextureMap(*m_runner, red, {20, 20, false, 0}, pixels, sink).Succeeded());
    EXPECT_FALSE(std::all_of(pixels.begin(), pixels.end(), [](std::uint8_t b) { return b == 0; }));
}
