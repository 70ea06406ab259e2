// The render queue's scheduling, with stand-in work that runs no POV-Ray: what goes first, how
// many renders run side by side, and what stopping and the queue's end do to the work in it.

#include "render/povray/povrayrunner.h"
#include "render/povray/queuedwork.h"
#include "render/povray/renderqueue.h"
#include "render/settings/programsettings.h"

#include <QSignalSpy>
#include <QTest>
#include <algorithm>
#include <gtest/gtest.h>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

/// Work of `renders` stand-in renders, a batch's or one render's: each holds its place until
/// the test ends it. What it starts is written into a log shared by all.
class FakeWork : public QueuedWork {
public:
    FakeWork(std::string name, bool batch, int renders, std::vector<std::string>& log,
             const QObject* owner = nullptr)
        : m_name(std::move(name)), m_batch(batch), m_waiting(renders), m_log(log), m_owner(owner) {}
    ~FakeWork() override {
        if (m_queue)
            m_queue->Leave(*this);
    }
    FakeWork(const FakeWork&) = delete;
    FakeWork& operator=(const FakeWork&) = delete;

    void Start(RenderQueue& queue) {
        m_queue = &queue;
        queue.Join(*this);
    }
    /// One of its running renders has ended.
    void EndOne() {
        ASSERT_GT(m_running, 0) << m_name;
        --m_running;
        Changed();
    }
    /// The next renders have nothing left to render: they are dropped when their turn comes.
    void LoseNext(int renders) { m_gone = renders; }
    /// The user watches it happen, as the Preview.
    void Watched() { m_watched = true; }
    bool HoldsBatches() const override { return m_watched && m_running > 0; }
    bool IsWatched() const override { return m_watched; }

    const QObject* Owner() const override { return m_owner; }
    bool IsBatch() const override { return m_batch; }
    int Waiting() const override { return m_waiting; }
    int Running() const override { return m_running; }
    int Left() const override { return m_waiting + (m_stopping ? 0 : m_running); }
    bool LaunchNext(RenderQueue& queue) override {
        if (queue.Running() >= queue.Limit() && !m_watched)
            ADD_FAILURE() << m_name << " started with every place taken";
        while (m_waiting > 0) {
            --m_waiting;
            if (m_gone > 0) {
                --m_gone;
                continue;
            }
            ++m_running;
            m_log.push_back(m_name);
            return true;
        }
        Changed(); // all gone: over
        return false;
    }
    void Stop() override {
        ++stops;
        m_waiting = 0;
        m_stopping = true;
        Changed();
    }
    void Detach() override {
        m_queue = nullptr;
        detached = true;
    }

    bool InQueue() const { return m_queue != nullptr; }
    const std::string& Name() const { return m_name; }

    int stops = 0;
    bool detached = false;

private:
    /// Leaves the queue once nothing waits or runs, as real work does when it is over.
    void Changed() {
        if (!m_queue)
            return;
        if (m_waiting == 0 && m_running == 0)
            std::exchange(m_queue, nullptr)->Leave(*this);
        else
            m_queue->Update();
    }

    std::string m_name;
    bool m_batch;
    int m_waiting;
    int m_running = 0;
    int m_gone = 0;
    bool m_stopping = false;
    bool m_watched = false;
    std::vector<std::string>& m_log;
    const QObject* m_owner;
    RenderQueue* m_queue = nullptr;
};

class RenderQueueTest : public ::testing::Test {
protected:
    void SetUp() override {
        m_settings.povCommandStyle = 2; // nothing to ask a POV-Ray about
        m_runner = std::make_unique<PovRayRunner>(m_settings, m_shapes);
        m_queue = std::make_unique<RenderQueue>(*m_runner, [this] { return m_places; });
        QObject::connect(m_queue.get(), &RenderQueue::changed,
                         [this] { m_most = std::max(m_most, m_queue->Running()); });
    }

    /// Waits until `running` renders run.
    bool Settled(int running) {
        return QTest::qWaitFor([&] { return m_queue->Running() == running; }, 5000);
    }
    /// Ends the renders started from the `ended`th on in the order they started, each once it
    /// has, until nothing waits or runs.
    void EndInTurn(const std::vector<FakeWork*>& works, std::size_t ended) {
        std::map<std::string, FakeWork*> named;
        for (FakeWork* work : works)
            named[work->Name()] = work;
        while (QTest::qWaitFor([&] { return m_log.size() > ended; }, 5000)) {
            named.at(m_log[ended++])->EndOne();
            if (m_queue->Waiting() == 0 && m_queue->Running() == 0)
                break;
        }
    }

    ProgramSettings m_settings;
    ShapeList m_shapes;
    int m_places = 1;
    int m_most = 0;
    std::vector<std::string> m_log;
    std::unique_ptr<PovRayRunner> m_runner;
    std::unique_ptr<RenderQueue> m_queue;
};

} // namespace

TEST_F(RenderQueueTest, RendersOnTheirOwnGoAheadOfBatchesAndBatchesKeepTheirOrder) {
    FakeWork first("first batch", true, 3, m_log);
    FakeWork second("second batch", true, 2, m_log);
    FakeWork preview("preview", false, 1, m_log);
    FakeWork thumbnail("thumbnail", false, 1, m_log);
    first.Start(*m_queue);
    second.Start(*m_queue);
    preview.Start(*m_queue);
    EXPECT_EQ(m_queue->Running(), 0) << "nothing starts inside Join";
    EXPECT_EQ(m_queue->Waiting(), 6);
    EXPECT_EQ(m_queue->Left(), 6);
    // The Preview, though asked for last, goes first.
    ASSERT_TRUE(Settled(1));
    EXPECT_EQ(m_log, std::vector<std::string>{"preview"});
    preview.EndOne();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.size() == 2; }, 5000));
    // A thumbnail asked for while the first batch renders goes ahead of the rest of it.
    thumbnail.Start(*m_queue);
    EndInTurn({&first, &second, &thumbnail}, 1);
    EXPECT_EQ(m_log, (std::vector<std::string>{"preview", "first batch", "thumbnail", "first batch",
                                               "first batch", "second batch", "second batch"}));
    EXPECT_EQ(m_most, 1);
    EXPECT_EQ(m_queue->Left(), 0);
    for (const FakeWork* work : {&first, &second, &preview, &thumbnail})
        EXPECT_FALSE(work->InQueue()) << work->Name();
}

TEST_F(RenderQueueTest, NoMoreRunThanThePlacesAndANewNumberCountsFromTheNextEnd) {
    m_places = 2;
    FakeWork batch("batch", true, 6, m_log);
    FakeWork single("single", false, 1, m_log);
    batch.Start(*m_queue);
    single.Start(*m_queue);
    ASSERT_TRUE(Settled(2));
    EXPECT_EQ(m_log, (std::vector<std::string>{"single", "batch"}));
    EXPECT_EQ(m_queue->Waiting(), 5);
    // More places: taken once the queue looks again, when a render ends.
    m_places = 3;
    single.EndOne();
    ASSERT_TRUE(Settled(3));
    EXPECT_EQ(m_queue->Waiting(), 3);
    // Fewer places: running renders go on, and no new one starts until fewer run than that.
    m_places = 1;
    batch.EndOne();
    batch.EndOne();
    EXPECT_EQ(m_queue->Running(), 1);
    batch.EndOne();
    ASSERT_TRUE(Settled(1));
    EXPECT_EQ(m_queue->Waiting(), 2);
    EXPECT_EQ(m_log.size(), 5u);
    EXPECT_EQ(m_most, 3);
}

TEST_F(RenderQueueTest, WhileThePreviewRendersBatchesStartNothingNew) {
    m_places = 3;
    FakeWork batch("batch", true, 6, m_log);
    FakeWork thumbnail("thumbnail", false, 1, m_log);
    FakeWork preview("preview", false, 1, m_log);
    preview.Watched();
    batch.Start(*m_queue);
    ASSERT_TRUE(Settled(3));
    // The Preview does not wait for a place: it starts beside the three. Batch renders that
    // end leave their places empty while it runs.
    preview.Start(*m_queue);
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_log.size() == 4; }, 5000));
    EXPECT_EQ(m_log.back(), "preview");
    EXPECT_EQ(m_queue->Running(), 4);
    batch.EndOne();
    batch.EndOne();
    batch.EndOne();
    // A render of its own still goes ahead.
    thumbnail.Start(*m_queue);
    ASSERT_TRUE(Settled(2));
    for (int turn = 0; turn < 5; ++turn) // the queue looks again: nothing more may start
        QCoreApplication::processEvents();
    EXPECT_EQ(m_queue->Running(), 2);
    EXPECT_EQ(m_log, (std::vector<std::string>{"batch", "batch", "batch", "preview", "thumbnail"}));
    // Once the Preview is there, the batch goes on with every place.
    preview.EndOne();
    ASSERT_TRUE(Settled(3));
    EXPECT_EQ(m_log.size(), 7u);
}

TEST_F(RenderQueueTest, StoppingAnOwnersWorkLeavesTheOthersAndStartsNothingOfIt) {
    QObject mine;
    QObject theirs;
    FakeWork myBatch("my batch", true, 3, m_log, &mine);
    FakeWork myRender("my render", false, 1, m_log, &mine);
    FakeWork theirBatch("their batch", true, 2, m_log, &theirs);
    myBatch.Start(*m_queue);
    theirBatch.Start(*m_queue);
    myRender.Start(*m_queue);
    EXPECT_EQ(m_queue->LeftFor(&mine), 4);
    EXPECT_EQ(m_queue->LeftFor(&theirs), 2);
    ASSERT_TRUE(Settled(1));
    QSignalSpy changed(m_queue.get(), &RenderQueue::changed);

    m_queue->StopFor(&mine);
    EXPECT_EQ(myBatch.stops, 1);
    EXPECT_EQ(myRender.stops, 1);
    EXPECT_EQ(theirBatch.stops, 0);
    EXPECT_FALSE(changed.isEmpty());
    // A render asked to stop is no longer left, but holds its place until it has ended.
    EXPECT_EQ(m_queue->LeftFor(&mine), 0);
    EXPECT_EQ(m_queue->Left(), 2);
    EXPECT_FALSE(myBatch.InQueue());
    ASSERT_TRUE(Settled(1));
    EXPECT_EQ(m_log, std::vector<std::string>{"my render"});
    myRender.EndOne();
    EndInTurn({&theirBatch}, 1);
    EXPECT_EQ(m_log, (std::vector<std::string>{"my render", "their batch", "their batch"}));
    EXPECT_EQ(m_queue->Left(), 0);
}

TEST_F(RenderQueueTest, StopAllStopsEveryWorkAndTheQueuesEndDetachesWhatIsLeft) {
    FakeWork batch("batch", true, 2, m_log);
    FakeWork single("single", false, 1, m_log);
    batch.Start(*m_queue);
    single.Start(*m_queue);
    m_queue->StopAll();
    EXPECT_EQ(batch.stops, 1);
    EXPECT_EQ(single.stops, 1);
    EXPECT_EQ(m_queue->Left(), 0);
    // Work asked for after the stop is the first to start.
    FakeWork after("after", false, 1, m_log);
    after.Start(*m_queue);
    ASSERT_TRUE(Settled(1));
    EXPECT_EQ(m_log, std::vector<std::string>{"after"});
    after.EndOne();

    FakeWork running("running", false, 1, m_log);
    FakeWork waiting("waiting", true, 4, m_log);
    running.Start(*m_queue);
    waiting.Start(*m_queue);
    ASSERT_TRUE(Settled(1));
    EXPECT_EQ(m_log.back(), "running");
    m_queue.reset();
    EXPECT_TRUE(running.detached);
    EXPECT_TRUE(waiting.detached);
    EXPECT_FALSE(running.InQueue());
}

TEST_F(RenderQueueTest, WorkWhoseRendersTurnOutGoneMakesWayForTheNext) {
    m_places = 2;
    FakeWork emptied("emptied batch", true, 2, m_log);
    FakeWork next("next batch", true, 2, m_log);
    emptied.LoseNext(2);
    emptied.Start(*m_queue);
    next.Start(*m_queue);
    ASSERT_TRUE(Settled(2));
    EXPECT_EQ(m_log, (std::vector<std::string>{"next batch", "next batch"}));
    EXPECT_FALSE(emptied.InQueue());
}
