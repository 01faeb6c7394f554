#include "noteitems/MandelbrotCounts.h"

#include "noteitems/MandelbrotPlainCounts.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

// The counts a picture shows, on their own: carried from one view into another, and renders
// finished on the asking thread.
namespace {

const MandelbrotView kDefault { 3.0, -0.6666666666666666, -0.5, 300, 200 };

using MandelbrotPlain::Shown;
constexpr auto PlainCounts = &MandelbrotPlain::Counts;

// Into a target full of other values: every pixel is written, unknown where the old view has
// nothing.
TEST(MandelbrotCountsTest, CarryWritesEveryPixelOfTheNewView)
{
    const std::vector<std::uint8_t> old = PlainCounts(kDefault);
    struct Row {
        const char* label;
        MandelbrotView to;
        int (*source_x)(int); // -1: unknown
        int (*source_y)(int);
    };
    const Row rows[] = {
        // The same view at half the pixels, as when the page is shown at half size.
        { "half size", { 3.0, -0.6666666666666666, -0.5, 150, 100 }, [](int x) { return 2 * x + 1; },
            [](int y) { return 2 * y + 1; } },
        // Two notches out: the old view is the middle quarter.
        { "two notches out",
            { 3.0 * 4, (static_cast<long double>(-0.6666666666666666) - 1.5L) / 4, (-0.5L - 1.5L) / 4, 300, 200 },
            [](int x) { return x >= 112 && x < 187 ? (4 * x + 2 - 450) : -1; },
            [](int y) { return y >= 75 && y < 125 ? (4 * y + 2 - 300) : -1; } },
    };
    for (const Row& row : rows) {
        std::vector<std::uint8_t> carried(std::size_t(row.to.width) * std::size_t(row.to.height), 77);
        MandelbrotCounts::Carry(kDefault, old.data(), row.to, carried.data());
        int differences = 0;
        for (int y = 0; y < row.to.height; ++y) {
            for (int x = 0; x < row.to.width; ++x) {
                const int sx = row.source_x(x);
                const int sy = row.source_y(y);
                const int expected = sx < 0 || sy < 0 ? MandelbrotCounts::kUnknown : old[std::size_t(sy) * 300 + std::size_t(sx)];
                differences += carried[std::size_t(y) * std::size_t(row.to.width) + std::size_t(x)] != expected;
            }
        }
        EXPECT_EQ(differences, 0) << row.label;
    }
    // From nothing: nothing is known.
    std::vector<std::uint8_t> carried(300 * 200, 77);
    MandelbrotCounts::Carry(MandelbrotView {}, nullptr, kDefault, carried.data());
    EXPECT_TRUE(std::all_of(carried.begin(), carried.end(), [](std::uint8_t count) { return count == MandelbrotCounts::kUnknown; }));
}

// A render the window began is finished by whoever must have the whole picture at once, also
// when the workers get no rows, or when none could be started at all.
TEST(MandelbrotCountsTest, ARenderIsFinishedOnTheAskingThread)
{
    MandelbrotRender::RationRows(0);
    int notices = 0;
    MandelbrotCounts counts;
    counts.Begin(kDefault, [&] { ++notices; });
    const std::shared_ptr<MandelbrotRender> running = counts.Render();
    ASSERT_TRUE(counts.IsRendering());
    EXPECT_EQ(counts.RenderedRows(), 0);
    const MandelbrotRender::Progress progress = counts.Finish();
    EXPECT_TRUE(progress.complete);
    EXPECT_EQ(progress.rows, 200);
    EXPECT_FALSE(counts.IsRendering());
    EXPECT_TRUE(running->IsCancelled());
    EXPECT_EQ(counts.RenderedRows(), 200);
    EXPECT_EQ(counts.CompletedRenders(), 1);
    EXPECT_EQ(Shown(counts), PlainCounts(kDefault));

    // Without workers the render is finished as it begins.
    const MandelbrotView zoomed { 1.5, -0.5, -0.5, 300, 200 };
    counts.Begin(zoomed, [&] { ++notices; }, 0);
    EXPECT_FALSE(counts.IsRendering());
    EXPECT_EQ(counts.CompletedRenders(), 2);
    EXPECT_EQ(Shown(counts), PlainCounts(zoomed));

    // A render computed at once replaces a running one.
    counts.Begin(kDefault, [&] { ++notices; });
    const std::shared_ptr<MandelbrotRender> replaced = counts.Render();
    counts.Compute(zoomed);
    EXPECT_TRUE(replaced->IsCancelled());
    EXPECT_FALSE(counts.IsRendering());
    EXPECT_TRUE(counts.Shows(zoomed));
    EXPECT_EQ(Shown(counts), PlainCounts(zoomed));
    MandelbrotRender::RationRows(-1);
    QTest::qWait(20);
    EXPECT_EQ(notices, 0);
}

// However many rows the workers finish while the window is busy, one notice waits for it; its
// answer takes them all. The workers end, and let go of the render, once it is done.
TEST(MandelbrotCountsTest, OneNoticeWaitsForTheBusyWindow)
{
    MandelbrotRender::RationRows(5);
    MandelbrotCounts counts;
    int notices = 0;
    counts.Begin(kDefault, [&] {
        ++notices;
        counts.TakeFinishedRows();
    });
    const std::weak_ptr<MandelbrotRender> render = counts.Render();
    for (int wait = 0; wait < 6000 && render.lock()->DoneRows() < 5; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(render.lock()->DoneRows(), 5);
    QTest::qWait(20);
    EXPECT_EQ(notices, 1);
    EXPECT_EQ(counts.RenderedRows(), 5);
    EXPECT_NE(counts.At(0, 4), MandelbrotCounts::kUnknown);
    EXPECT_EQ(counts.At(0, 5), MandelbrotCounts::kUnknown);

    MandelbrotRender::RationRows(-1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !counts.IsRendering(); }, 60000));
    EXPECT_EQ(counts.RenderedRows(), 200);
    EXPECT_EQ(Shown(counts), PlainCounts(kDefault));
    EXPECT_TRUE(QTest::qWaitFor([&] { return render.expired(); }, 60000));

    const std::vector<std::uint8_t> plain = PlainCounts(kDefault);
    EXPECT_EQ(counts.At(299, 199), plain.back());
    for (const QPoint outside : { QPoint(-1, 0), QPoint(0, -1), QPoint(300, 0), QPoint(0, 200) })
        EXPECT_EQ(counts.At(outside.x(), outside.y()), MandelbrotCounts::kUnknown) << outside.x() << "," << outside.y();
}

}

namespace {

// At the end of the program the workers of a render nobody cancelled stop after the row they
// hold, also those a test holds back, and are joined: nothing they use is destroyed under them.
TEST(MandelbrotCountsTest, TheEndOfTheProgramStopsEveryWorker)
{
    MandelbrotRender::RationRows(2);
    std::atomic<int> notices { 0 };
    const std::shared_ptr<MandelbrotRender> render = MandelbrotRender::Start(kDefault, [&] { ++notices; });
    for (int wait = 0; wait < 6000 && render->DoneRows() < 2; ++wait)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    ASSERT_EQ(render->DoneRows(), 2);
    ASSERT_FALSE(render->Stalled());

    MandelbrotRender::StopAllWorkers();
    // Joined: no worker runs, the render was not finished, and it stays usable.
    EXPECT_TRUE(render->Stalled());
    EXPECT_LE(render->DoneRows(), 4);
    render->Finish();
    EXPECT_TRUE(render->AllDone());
    render->Cancel();
}

}
