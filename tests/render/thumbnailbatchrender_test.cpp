#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "core/model/layeredtexture.h"
#include "core/model/simpletexture.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/namedfiles.h"
#include "render/povray/picturerender.h"
#include "render/povray/texturemaprender.h"
#include "render/povray/thumbnailbatchrender.h"
#include "renderfixture.h"
#include "samplecatalog.h"
#include "testfiles.h"

#include <QDir>
#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <functional>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>

namespace {

std::vector<std::uint8_t> AllThumbnailBytes(const Catalog& catalog) {
    std::vector<std::uint8_t> bytes;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const Texture& texture = catalog.GetTexture(i);
        auto add = [&](const Bitmap& dib) {
            bytes.insert(bytes.end(), dib.Bits().begin(), dib.Bits().end());
        };
        add(texture.Thumbnail());
        if (texture.Kind() != TextureKind::Simple)
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

/// The textures of a batch as a window sees them: they may change or go while it renders.
class ChangingTextures : public ThumbnailBatchRender::Textures {
public:
    explicit ChangingTextures(std::vector<SimpleTexture>& textures) : m_textures(textures) {}

    const Texture* Subject(const ThumbnailTask& task) override {
        subjects.push_back(task.member);
        return gone.count(task.member) ? nullptr : &m_textures[task.member];
    }
    ThumbnailBatchRender::Delivery Deliver(const ThumbnailTask& task,
                                           RenderedPicture& render) override {
        if (beforeDelivery)
            beforeDelivery(task.member);
        if (gone.count(task.member))
            return ThumbnailBatchRender::Delivery::Gone;
        SimpleTexture& texture = m_textures[task.member];
        if (!render.Renders(texture))
            return ThumbnailBatchRender::Delivery::Changed;
        texture.Thumbnail() = std::move(render.Picture());
        return ThumbnailBatchRender::Delivery::Taken;
    }

    std::set<std::size_t> gone;
    std::vector<std::size_t> subjects;
    std::function<void(std::size_t)> beforeDelivery;

private:
    std::vector<SimpleTexture>& m_textures;
};

Catalog CatalogOf(const std::vector<SimpleTexture>& textures) {
    Catalog catalog;
    for (const SimpleTexture& texture : textures)
        catalog.AddTexture(texture);
    catalog.SelectAll();
    return catalog;
}

} // namespace

TEST_F(RenderTest, SideBySideBatchesGiveTheSamePicturesAsOneAtATime) {
    Catalog sequential = SmallCatalog();
    Catalog parallel = SmallCatalog();
    for (Catalog* catalog : {&sequential, &parallel})
        catalog->SelectAll();
    const auto one = RunBatch(sequential, true, true, 1);
    const auto many = RunBatch(parallel, true, true, 4);
    ASSERT_TRUE(one->batch->Result().Succeeded()) << one->batch->Result().message.toStdString();
    ASSERT_TRUE(many->batch->Result().Succeeded());
    EXPECT_EQ(AllThumbnailBytes(sequential), AllThumbnailBytes(parallel));
    EXPECT_EQ(one->textures->Taken(), 7);
    // One at a time the tasks end in order, each shown with its caption.
    EXPECT_EQ(one->ended, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(one->captions.front(), "Rendering texture 1 of 5");
    EXPECT_NE(std::find(one->captions.begin(), one->captions.end(),
                        "Rendering thumbnail 4 of 5 (Layer 1 of 2)"),
              one->captions.end());
    const auto& layered = static_cast<const LayeredTexture&>(parallel.GetTexture(3));
    EXPECT_EQ(layered.GetLayer(1)->GetThumbnailWidth(), 100);
    EXPECT_EQ(layered.GetThumbnailWidth(), 120);
    // The whole job's count only grows and reaches every texture; the estimate comes once
    // something is done.
    for (const auto* run : {one.get(), many.get()}) {
        ASSERT_FALSE(run->statuses.empty());
        for (std::size_t i = 1; i < run->statuses.size(); ++i)
            EXPECT_GE(run->statuses[i].texturesDone, run->statuses[i - 1].texturesDone);
        EXPECT_EQ(run->statuses.back().texturesDone, 5);
        EXPECT_EQ(run->statuses.back().texturesTotal, 5);
    }
    EXPECT_TRUE(std::any_of(one->statuses.begin(), one->statuses.end(),
                            [](const BatchStatus& status) { return status.millisecondsLeft > 0; }));
    const BatchSummary& summary = many->batch->Summary();
    EXPECT_EQ(summary.total, 5);
    EXPECT_EQ(summary.rendered, 5);
    EXPECT_FALSE(summary.stopped);
    EXPECT_EQ(m_queue->Left(), 0);
}

TEST_F(RenderTest, ATextureThatFailsFailsAloneAndTheBatchGoesOnEitherWay) {
    for (int jobs : {1, 3}) {
        SCOPED_TRACE(jobs);
        Catalog catalog = SmallCatalog();
        auto broken = std::make_unique<SimpleTexture>();
        broken->SetName("Broken");
        broken->pigment.pattern = Pigment::ImageMap;
        broken->pigment.image.fileName = "no-such-picture.gif"; // POV-Ray stops parsing there
        catalog.ReplaceTexture(1, std::move(broken));
        catalog.SelectAll();
        const auto run = RunBatch(catalog, true, true, jobs);
        // The first failure is still the batch's result, for those who only look at that.
        EXPECT_EQ(run->batch->Result().status, RenderResult::PovRayFailed);
        EXPECT_EQ(run->batch->Batch().EndingOf(1), ThumbnailBatch::Ending::Failed);
        EXPECT_EQ(catalog.GetTexture(1).GetThumbnailWidth(), 0);
        for (int i : {0, 2, 3, 4})
            EXPECT_EQ(catalog.GetTexture(i).GetThumbnailWidth(), 120) << "texture " << i;
        EXPECT_EQ(static_cast<const LayeredTexture&>(catalog.GetTexture(3))
                      .GetLayer(1)
                      ->GetThumbnailWidth(),
                  100);
        const BatchSummary& summary = run->batch->Summary();
        EXPECT_EQ(summary.total, 5);
        EXPECT_EQ(summary.rendered, 4);
        EXPECT_EQ(summary.failed, QStringList{QStringLiteral("Broken")});
        EXPECT_TRUE(summary.firstFailure.startsWith(
            QStringLiteral("Broken: POV-Ray could not render the texture")))
            << summary.firstFailure.toStdString();
        EXPECT_FALSE(summary.stopped);
        EXPECT_GT(summary.milliseconds, 0);
        EXPECT_EQ(m_queue->Left(), 0);
    }
}

TEST_F(RenderTest, WhenPovRayCannotRunTheBatchEndsThere) {
    m_settings.povExecutable = Path(QStringLiteral("no-such-povray"));
    m_settings.povCommandStyle = 2;
    for (int jobs : {1, 4}) {
        SCOPED_TRACE(jobs);
        Catalog catalog = SmallCatalog();
        catalog.SelectAll();
        const auto run = RunBatch(catalog, true, false, jobs);
        EXPECT_EQ(run->batch->Result().status, RenderResult::StartFailed);
        const BatchSummary& summary = run->batch->Summary();
        EXPECT_TRUE(summary.stopped);
        EXPECT_EQ(summary.rendered, 0);
        EXPECT_TRUE(summary.failed.isEmpty());
        EXPECT_EQ(run->batch->Batch().TexturesThrough(), 0u);
        EXPECT_EQ(m_queue->Left(), 0);
    }
}

TEST_F(RenderTest, StoppingABatchKeepsWhatCameAndLeavesNoPovRayNorFolderBehind) {
    Catalog catalog = SmallCatalog();
    catalog.SelectAll();
    m_settings.antialiasing = true;
    m_settings.antialiasingThreshold = 0.0f;
    m_settings.raysPerPixel = 4;
    m_places = 3;
    ThumbnailBatch plan(catalog, true, true);
    CatalogTextures textures(catalog, plan);
    ThumbnailBatchRender batch(std::move(plan), textures);
    QSignalSpy finished(&batch, &ThumbnailBatchRender::finished);
    QSignalSpy ended(&batch, &ThumbnailBatchRender::taskEnded);
    batch.Start(*m_queue);
    // Stopped once the first picture has come.
    ASSERT_TRUE(QTest::qWaitFor([&] { return ended.count() > 0; }, 60000));
    batch.Stop();
    EXPECT_EQ(m_queue->Left(), 0) << "nothing waits or runs that is not being stopped";
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
    EXPECT_EQ(batch.Result().status, RenderResult::Stopped);
    const BatchSummary& summary = batch.Summary();
    EXPECT_TRUE(summary.stopped);
    EXPECT_GE(textures.Taken(), 1);
    EXPECT_LT(textures.Taken(), 7);
    EXPECT_EQ(summary.rendered + static_cast<int>(summary.failed.size()),
              static_cast<int>(batch.Batch().TexturesThrough()));
    EXPECT_EQ(m_queue->Running(), 0);
    EXPECT_TRUE(QDir(m_runner->ScratchFolder())
                    .entryList(QDir::AllEntries | QDir::NoDotAndDotDot)
                    .isEmpty());
}

TEST_F(RenderTest, ATextureChangedWhileItRendersIsRenderedAgainAndAGoneOneIsDropped) {
    std::vector<SimpleTexture> textures(3);
    for (std::size_t i = 0; i < textures.size(); ++i) {
        std::string name = "T";
        name += std::to_string(i);
        textures[i].SetName(name);
        textures[i].pigment.color = {static_cast<std::uint8_t>(60 * i), 90, 200, 0};
    }
    ChangingTextures where(textures);
    Catalog catalog = CatalogOf(textures);
    ThumbnailBatchRender batch(ThumbnailBatch(catalog, true, false), where);
    // Texture 0 is edited after its render started, texture 2 deleted before its turn.
    bool edited = false;
    where.beforeDelivery = [&](std::size_t member) {
        if (member == 0 && !edited) {
            edited = true;
            textures[0].pigment.color = {255, 255, 0, 0};
        }
    };
    where.gone.insert(2);
    QSignalSpy finished(&batch, &ThumbnailBatchRender::finished);
    batch.Start(*m_queue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return finished.count() > 0; }, 60000));
    // One run took 0 and 1 as its frames (2 was dropped on the way); texture 0 went again.
    EXPECT_EQ(where.subjects, (std::vector<std::size_t>{0, 1, 2, 0}));
    // The picture texture 0 has shows what it is now: pure yellow.
    ASSERT_EQ(textures[0].GetThumbnailWidth(), 120);
    SimpleTexture yellow = textures[0];
    ASSERT_TRUE(Thumbnail(yellow, 120, 120).Succeeded());
    EXPECT_TRUE(std::equal(yellow.Thumbnail().Bits().begin(), yellow.Thumbnail().Bits().end(),
                           textures[0].Thumbnail().Bits().begin()));
    EXPECT_EQ(textures[2].GetThumbnailWidth(), 0);
    const BatchSummary& summary = batch.Summary();
    EXPECT_EQ(summary.rendered, 2);
    EXPECT_EQ(summary.dropped, 1);
    EXPECT_FALSE(summary.stopped);
}

TEST_F(RenderTest, BatchesWaitTheirTurnAndSingleRendersGoAheadOfThem) {
    m_places = 1;
    std::vector<SimpleTexture> first(3);
    std::vector<SimpleTexture> second(2);
    ChangingTextures firstPlace(first);
    ChangingTextures secondPlace(second);
    Catalog firstCatalog = CatalogOf(first);
    Catalog secondCatalog = CatalogOf(second);
    ThumbnailBatchRender one(ThumbnailBatch(firstCatalog, true, false), firstPlace);
    ThumbnailBatchRender two(ThumbnailBatch(secondCatalog, true, false), secondPlace);
    std::vector<QString> order;
    QObject::connect(&one, &ThumbnailBatchRender::taskEnded, [&](std::size_t task) {
        order.push_back(QStringLiteral("one %1").arg(task));
    });
    QObject::connect(&two, &ThumbnailBatchRender::taskEnded, [&](std::size_t task) {
        order.push_back(QStringLiteral("two %1").arg(task));
    });
    one.Start(*m_queue);
    two.Start(*m_queue);
    EXPECT_EQ(m_queue->Waiting(), 5);
    // A single render asked for while the first batch runs goes next: after the run that
    // renders the first batch's three textures as its frames (three waiting, one place).
    SimpleTexture single;
    PictureRender preview(single, 40, 40);
    QObject::connect(&preview, &QueuedRender::finished,
                     [&] { order.push_back(QStringLiteral("single")); });
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_queue->Running() == 1; }, 60000));
    preview.Start(*m_queue);
    ASSERT_TRUE(QTest::qWaitFor(
        [&] { return one.IsFinished() && two.IsFinished() && preview.IsFinished(); }, 60000));
    EXPECT_EQ(order, (std::vector<QString>{"one 0", "one 1", "one 2", "single", "two 0", "two 1"}));
}

TEST_F(RenderTest, TextureMapsWithAFlatFinish) {
    SimpleTexture red;
    red.SetName("Flat Red");
    red.pigment.color = {255, 0, 0, 0};
    red.finish.phong = 100;
    TextureMapRender flat(red, {64, 32, true, 100});
    ASSERT_TRUE(Run(flat).Succeeded());
    const std::vector<std::uint8_t>& pixels = flat.Pixels();
    ASSERT_EQ(pixels.size(), 64u * 32u * 3u);
    for (std::size_t i = 0; i < pixels.size(); i += 3) // blue, green, red: pure red everywhere
        ASSERT_TRUE(pixels[i] == 0 && pixels[i + 1] == 0 && pixels[i + 2] == 255) << i;
    EXPECT_EQ(red.finish.phong, 100); // the catalog's texture is untouched

    TextureMapRender dark(red, {20, 20, true, 0});
    ASSERT_TRUE(Run(dark).Succeeded());
    EXPECT_TRUE(std::all_of(dark.Pixels().begin(), dark.Pixels().end(),
                            [](std::uint8_t b) { return b == 0; }));

    TextureMapRender lit(red, {20, 20, false, 0});
    ASSERT_TRUE(Run(lit).Succeeded());
    EXPECT_FALSE(std::all_of(lit.Pixels().begin(), lit.Pixels().end(),
                             [](std::uint8_t b) { return b == 0; }));
}

TEST_F(RenderTest, ManyThumbnailsComeFromFewPovRayRunsWithTheSamePicturesAsTheirOwnRuns) {
    // Each POV-Ray start is written down.
    const QString starts = Path(QStringLiteral("starts.log"));
    m_settings.povExecutable = FakePovRay(QStringLiteral("echo run >> '%1'\nexec '%2' \"$@\"\n")
                                              .arg(starts, m_settings.EffectivePovExecutable()));
    m_settings.povCommandStyle = 2;
    const Catalog sample = BuildSampleCatalog();
    auto twenty = [&sample] {
        Catalog catalog;
        for (int i = 0; catalog.GetCount() < 20; i = (i + 1) % sample.GetCount())
            if (sample.GetTexture(i).Kind() == TextureKind::Simple)
                catalog.AddTexture(sample.GetTexture(i));
        return catalog;
    };
    Catalog catalog = twenty();
    Catalog own = twenty();
    catalog.SelectAll();

    // Twenty thumbnails, two places: two runs of ten frames.
    const auto run = RunBatch(catalog, true, false, 2);
    ASSERT_TRUE(run->batch->Result().Succeeded()) << run->batch->Result().message.toStdString();
    EXPECT_EQ(run->textures->Taken(), 20);
    EXPECT_EQ(FileBytes(starts), QByteArray("run\nrun\n"));
    // Pixel for pixel what a run of its own makes of each.
    for (int i = 0; i < own.GetCount(); ++i) {
        Texture& texture = own.GetTexture(i);
        ASSERT_TRUE(Thumbnail(texture, 120, 120).Succeeded()) << i;
        const auto& mine = texture.Thumbnail().Bits();
        const auto& theirs = catalog.GetTexture(i).Thumbnail().Bits();
        EXPECT_TRUE(std::equal(mine.begin(), mine.end(), theirs.begin(), theirs.end()))
            << texture.GetName();
    }
    // The pictures came one by one as the frames were done, not all at the end.
    std::set<int> seen;
    for (const BatchStatus& status : run->statuses)
        seen.insert(status.texturesDone);
    EXPECT_GT(seen.size(), 4u);
}

TEST_F(RenderTest, AFrameThatRunsOutOfTimeFailsItsTextureAloneAndTheFramesAfterItRenderAnew) {
    // The third frame of the first run never ends: POV-Ray loops in its texture, or is stopped.
    const struct {
        const char* how;
        QString script;
    } stalls[] = {
        {"loops", QStringLiteral("[ -f tx3.inc ] && printf '#while (1) #end\\n' >> tx3.inc\n"
                                 "exec '%1' \"$@\"\n")},
        {"is stopped", QStringLiteral("[ -f tx3.inc ] || exec '%1' \"$@\"\n'%1' \"$@\" & pov=$!\n"
                                      "while [ ! -f temp2.tga ]; do sleep 0.05; done\n"
                                      "kill -STOP $pov; wait $pov\n")},
    };
    const QString povray = m_settings.EffectivePovExecutable();
    for (const auto& stall : stalls) {
        SCOPED_TRACE(stall.how);
        m_settings.povExecutable = FakePovRay(stall.script.arg(povray));
        m_settings.povCommandStyle = 2;
        m_settings.renderTimeLimit = 2;
        const Catalog sample = BuildSampleCatalog();
        Catalog catalog;
        for (int i = 0; catalog.GetCount() < 5; ++i)
            if (sample.GetTexture(i).Kind() == TextureKind::Simple)
                catalog.AddTexture(sample.GetTexture(i));
        catalog.SelectAll();
        const auto run = RunBatch(catalog, true, false, 1);
        const BatchSummary& summary = run->batch->Summary();
        const QString slow = QString::fromStdString(catalog.GetTexture(2).GetName());
        EXPECT_EQ(summary.failed, QStringList{slow});
        EXPECT_EQ(summary.firstFailure,
                  slow + QStringLiteral(": POV-Ray did not finish rendering \"%1\" within 2 "
                                        "seconds and was ended.")
                             .arg(slow));
        EXPECT_EQ(summary.rendered, 4);
        for (int i : {0, 1, 3, 4})
            EXPECT_EQ(catalog.GetTexture(i).GetThumbnailWidth(), 120) << i;
        EXPECT_FALSE(summary.stopped);
    }
}

TEST_F(RenderTest, ATextureNamingADevicePipeFolderOrHugeFileFailsAloneNamingIt) {
    const QString pipe = Path(QStringLiteral("pipe.png"));
    ASSERT_EQ(::mkfifo(pipe.toLocal8Bit().constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(QStringLiteral("/dev/zero"), Path(QStringLiteral("zero.png"))));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir(QStringLiteral("folder.png")));
    QFile huge(Path(QStringLiteral("huge.png")));
    ASSERT_TRUE(huge.open(QIODevice::WriteOnly) && huge.resize(kMaxNamedFileBytes + 1));
    huge.close();
    const struct {
        std::string name;
        QString file;
        const char* problem;
    } hostile[] = {
        {"Pipe", pipe, "which is no regular file (a device, a pipe or a folder)"},
        {"Zero", QStringLiteral("zero"), "which is no regular file"}, // POV-Ray adds ".png"
        {"Device", QStringLiteral("/dev/zero"), "which is no regular file"},
        {"Folder", QStringLiteral("folder.png"), "which is no regular file"},
        {"Huge", QStringLiteral("huge.png"), "which is larger than 256 MB"},
    };
    Catalog catalog;
    const Catalog sample = BuildSampleCatalog();
    for (const auto& h : hostile) {
        catalog.AddTexture(sample.GetTexture(0));
        auto texture = std::make_unique<SimpleTexture>();
        texture->SetName(h.name);
        texture->pigment.pattern = Pigment::ImageMap;
        texture->pigment.image.fileName = h.file.toStdString();
        catalog.AddTexture(*texture);
    }
    catalog.SelectAll();
    const auto run = RunBatch(catalog, true, false, 1);
    const BatchSummary& summary = run->batch->Summary();
    EXPECT_EQ(summary.rendered, 5);
    EXPECT_EQ(summary.failed.size(), 5);
    for (int i = 0; i < catalog.GetCount(); i += 2)
        EXPECT_EQ(catalog.GetTexture(i).GetThumbnailWidth(), 120) << i;
    // Each alone, with the file named.
    for (const auto& h : hostile) {
        SimpleTexture texture = static_cast<const SimpleTexture&>(
            catalog.GetTexture(static_cast<int>(&h - hostile) * 2 + 1));
        const RenderResult result = Thumbnail(texture, 40, 40);
        EXPECT_EQ(result.status, RenderResult::PovRayFailed) << h.name;
        EXPECT_TRUE(result.message.startsWith(
            QStringLiteral("\"%1\" names the file \"").arg(QString::fromStdString(h.name))))
            << result.message.toStdString();
        EXPECT_TRUE(result.message.contains(QLatin1String(h.problem))) << h.name;
    }
}
