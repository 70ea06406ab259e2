// The catalog window while 64 thumbnails render in the background and the user scrolls the
// grid: the longest time the main thread was held (a 5 ms timer measures every gap between its
// turns), against a target of 50 ms. The thumbnails must be byte for byte those that a batch
// rendered one at a time gives. Run it under Xvfb (or any display):
//
//     xvfb-run -a build/bench/render_stall_bench

#include "benchsupport.h"
#include "core/catalog/catalog.h"
#include "core/catalog/thumbnailbatch.h"
#include "render/povray/catalogtextures.h"
#include "render/povray/thumbnailbatchrender.h"
#include "samplecatalog.h"
#include "ui/catalog/catalogcommands.h"
#include "ui/catalog/catalogdocument.h"
#include "ui/catalog/catalogkind.h"
#include "ui/catalog/catalogrenders.h"
#include "ui/catalog/catalogview.h"
#include "ui/framework/document.h"
#include "ui/framework/documenttemplate.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWheelEvent>
#include <algorithm>
#include <cstdio>
#include <utility>
#include <vector>

namespace {

constexpr int kThumbnails = 64;
constexpr int kTickMs = 5;
constexpr int kScrollEveryMs = 20;
constexpr double kTargetStallMs = 50.0;

/// Sixty-four simple textures of the sample catalog, none rendered yet.
Catalog SixtyFourTextures() {
    const Catalog sample = BuildSampleCatalog();
    Catalog catalog;
    for (int i = 0; catalog.GetCount() < kThumbnails; i = (i + 1) % sample.GetCount())
        if (sample.GetTexture(i).Kind() == TextureKind::Simple) {
            catalog.AddTexture(sample.GetTexture(i));
            catalog.GetTexture(catalog.GetCount() - 1).Thumbnail().Clear();
        }
    return catalog;
}

QString WriteCatalog(const QTemporaryDir& folder) {
    const QString path = folder.filePath(QStringLiteral("sixty-four.vlv"));
    SaveCatalogOrExit(SixtyFourTextures(), path);
    return path;
}

/// The thumbnails the same textures get from a batch rendered one at a time, in catalog order.
std::vector<std::uint8_t> OneAtATime(PovRayRunner& runner) {
    Catalog catalog = SixtyFourTextures();
    catalog.SelectAll();
    ThumbnailBatch plan(catalog, true, false);
    CatalogTextures textures(catalog, plan);
    ThumbnailBatchRender batch(std::move(plan), textures);
    RenderQueue queue(runner, [] { return 1; });
    QEventLoop loop;
    QObject::connect(&batch, &ThumbnailBatchRender::finished, &loop, &QEventLoop::quit);
    batch.Start(queue);
    loop.exec();
    std::vector<std::uint8_t> pictures;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const auto bits = catalog.GetTexture(i).Thumbnail().Bits();
        pictures.insert(pictures.end(), bits.begin(), bits.end());
    }
    return pictures;
}

/// Gaps between the turns of the main thread's event loop, as a fine timer sees them.
class StallMeter : public QObject {
public:
    StallMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(kTickMs);
        connect(&m_timer, &QTimer::timeout, this, [this] {
            const double now = static_cast<double>(m_clock.nsecsElapsed()) / 1e6;
            m_gaps.push_back(now - m_last - kTickMs);
            m_last = now;
        });
    }
    void Start() {
        m_clock.start();
        m_last = 0.0;
        m_timer.start();
    }
    void Stop() { m_timer.stop(); }
    double Longest() const {
        return m_gaps.empty() ? 0.0 : *std::max_element(m_gaps.begin(), m_gaps.end());
    }
    double Percentile(double p) const {
        if (m_gaps.empty())
            return 0.0;
        std::vector<double> sorted = m_gaps;
        std::sort(sorted.begin(), sorted.end());
        return sorted[static_cast<std::size_t>(p * static_cast<double>(sorted.size() - 1))];
    }
    std::size_t Turns() const { return m_gaps.size(); }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    double m_last = 0.0;
    std::vector<double> m_gaps;
};

} // namespace

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    QTemporaryDir folder;
    const QString path = WriteCatalog(folder);
    BenchServices services;
    services.settings.programDirectory = folder.path();
    if (services.settings.EffectivePovExecutable().isEmpty()) {
        std::fprintf(stderr, "povray is not installed\n");
        return 1;
    }
    std::unique_ptr<DocumentTemplate> kind = MakeCatalogKind(services);
    std::unique_ptr<Document> document = kind->CreateDocument();
    if (!document->Load(path)) {
        std::fprintf(stderr, "cannot open %s\n", qPrintable(path));
        return 1;
    }
    auto* view = dynamic_cast<CatalogView*>(kind->CreateView(*document));
    view->resize(1000, 700);
    view->show();
    if (!QTest::qWaitForWindowExposed(view)) {
        std::fprintf(stderr, "the window did not show\n");
        return 1;
    }

    // The user scrolls with the wheel, down to the end and back, all the while.
    QScrollBar* bar = view->verticalScrollBar();
    int direction = -1;
    int scrolls = 0;
    QTimer scroller;
    QObject::connect(&scroller, &QTimer::timeout, view, [&] {
        if (bar->value() >= bar->maximum())
            direction = 1;
        else if (bar->value() <= bar->minimum())
            direction = -1;
        const QPoint at = view->viewport()->rect().center();
        QWheelEvent wheel(at, view->viewport()->mapToGlobal(at), QPoint(),
                          QPoint(0, 120 * direction), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QApplication::sendEvent(view->viewport(), &wheel);
        view->viewport()->repaint();
        ++scrolls;
    });

    // The grid scrolled alone first, for comparison.
    StallMeter alone;
    alone.Start();
    scroller.start(kScrollEveryMs);
    {
        QEventLoop pause;
        QTimer::singleShot(2000, &pause, &QEventLoop::quit);
        pause.exec();
    }
    scroller.stop();
    alone.Stop();
    const int scrollsAlone = std::exchange(scrolls, 0);

    std::vector<int> all(kThumbnails);
    for (int i = 0; i < kThumbnails; ++i)
        all[static_cast<std::size_t>(i)] = i;
    StallMeter meter;
    QElapsedTimer clock;
    clock.start();
    meter.Start();
    scroller.start(kScrollEveryMs);
    view->Commands().RenderThumbnailsInBackground(all);
    QEventLoop loop;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, &loop, [&] {
        if (view->Renders().IsIdle() && view->Renders().Left() == 0)
            loop.quit();
    });
    watch.start(kTickMs);
    loop.exec();
    meter.Stop();
    scroller.stop();
    const double seconds = static_cast<double>(clock.nsecsElapsed()) / 1e9;

    const Catalog& catalog = view->Document().Contents();
    std::vector<std::uint8_t> shown;
    int rendered = 0;
    for (int i = 0; i < catalog.GetCount(); ++i) {
        const auto bits = catalog.GetTexture(i).Thumbnail().Bits();
        rendered += bits.empty() ? 0 : 1;
        shown.insert(shown.end(), bits.begin(), bits.end());
    }
    const bool identical = shown == OneAtATime(services.Runner());

    std::printf("%d thumbnails of 120x120 in the background, %d side by side, on platform %s\n",
                kThumbnails, services.settings.parallelRenders,
                qPrintable(QGuiApplication::platformName()));
    std::printf("  rendered %d in %.2f s while the grid scrolled %d times\n", rendered, seconds,
                scrolls);
    std::printf("  main thread held: longest %.1f ms, 99th percentile %.1f ms, median %.1f ms "
                "over %zu turns of a %d ms timer\n",
                meter.Longest(), meter.Percentile(0.99), meter.Percentile(0.5), meter.Turns(),
                kTickMs);
    std::printf("  the grid scrolled alone %d times: longest %.1f ms, 99th percentile %.1f ms\n",
                scrollsAlone, alone.Longest(), alone.Percentile(0.99));
    std::printf("  thumbnails against one at a time: %s\n",
                identical ? "byte-identical" : "DIFFERENT");
    std::printf("longest stall %.1f ms; target: at most %.0f ms\n", meter.Longest(),
                kTargetStallMs);
    delete view;
    return identical && rendered == kThumbnails ? 0 : 1;
}
