// IWinMediaTimer: periods, cadence, starting twice, stopping from anywhere.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <ctime>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "graph/media_timer.h"

namespace {

using nerla::IWinMediaTimer;
using Clock = std::chrono::steady_clock;

// Collects ticks; the test thread waits for a count with a generous deadline.
struct Ticks {
    std::mutex lock;
    std::condition_variable changed;
    std::vector<Clock::time_point> times;
    // Set by tests that act from inside the callback.
    int stopAfter = 0;
    IWinMediaTimer* timer = nullptr;
    std::unique_ptr<IWinMediaTimer> owned;

    static void onTick(void* self) { static_cast<Ticks*>(self)->record(); }

    void record() {
        size_t count = 0;
        {
            std::lock_guard guard(lock);
            times.push_back(Clock::now());
            count = times.size();
        }
        if (stopAfter != 0 && count == static_cast<size_t>(stopAfter)) {
            if (owned) {
                owned.reset();  // destroyed inside its own callback
            } else {
                timer->Stop();
            }
        }
        changed.notify_all();
    }

    bool waitFor(size_t count) {
        std::unique_lock guard(lock);
        return changed.wait_for(guard, std::chrono::seconds(20),
                                [&] { return times.size() >= count; });
    }

    size_t count() {
        std::lock_guard guard(lock);
        return times.size();
    }
};

TEST(PlayTimer, PeriodsOutsideTheRangeAreRefused) {
    struct Case {
        uint32_t period;
        int32_t started;
    };
    const Case cases[] = {
        {0, 0},
        {1, 1},
        {10, 1},
        {IWinMediaTimer::kMaxPeriodMs, 1},
        {IWinMediaTimer::kMaxPeriodMs + 1, 0},
        {0xFFFFFFFFu, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.period);
        IWinMediaTimer timer;
        EXPECT_EQ(timer.Start(c.period), c.started);
        EXPECT_EQ(timer.running(), c.started == 1);
        // The period is kept as a float, also when it was refused.
        EXPECT_DOUBLE_EQ(timer.GetInterval(), static_cast<double>(static_cast<float>(c.period)));
        EXPECT_EQ(timer.Stop(), c.started);
    }
}

TEST(PlayTimer, TicksEveryPeriodWithItsArgumentUntilStopped) {
    Ticks ticks;
    IWinMediaTimer timer;
    timer.SetCallback(&Ticks::onTick, &ticks);
    const Clock::time_point started = Clock::now();
    ASSERT_EQ(timer.Start(10), 1);
    EXPECT_DOUBLE_EQ(timer.GetInterval(), 10.0);
    ASSERT_TRUE(ticks.waitFor(20));
    EXPECT_EQ(timer.Stop(), 1);
    const size_t stopped = ticks.count();
    // Never early: tick k comes no sooner than k periods after the start.
    for (size_t k = 0; k < 20; ++k) {
        EXPECT_GE(ticks.times[k] - started, std::chrono::milliseconds(10 * (k + 1)));
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_EQ(ticks.count(), stopped);  // nothing after Stop returned
    EXPECT_EQ(timer.Stop(), 0);
    // It starts again after a stop.
    ASSERT_EQ(timer.Start(5), 1);
    EXPECT_TRUE(ticks.waitFor(stopped + 3));
}

TEST(PlayTimer, StartingARunningTimerChangesNothing) {
    Ticks ticks;
    IWinMediaTimer timer;
    timer.SetCallback(&Ticks::onTick, &ticks);
    ASSERT_EQ(timer.Start(10), 1);
    EXPECT_EQ(timer.Start(500), 1);
    EXPECT_DOUBLE_EQ(timer.GetInterval(), 10.0);
    // Still ticking at the first period, well before 500 ms would have passed.
    EXPECT_TRUE(ticks.waitFor(5));
    EXPECT_EQ(timer.Stop(), 1);
}

TEST(PlayTimer, StopsAndDiesInsideItsOwnCallback) {
    {
        Ticks ticks;
        IWinMediaTimer timer;
        ticks.timer = &timer;
        ticks.stopAfter = 3;
        timer.SetCallback(&Ticks::onTick, &ticks);
        ASSERT_EQ(timer.Start(2), 1);
        ASSERT_TRUE(ticks.waitFor(3));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(ticks.count(), 3u);
        EXPECT_FALSE(timer.running());
        EXPECT_EQ(timer.Stop(), 0);
    }
    {
        // A slide deletes its timer from the last tick.
        Ticks ticks;
        ticks.owned = std::make_unique<IWinMediaTimer>();
        ticks.stopAfter = 2;
        ticks.owned->SetCallback(&Ticks::onTick, &ticks);
        ASSERT_EQ(ticks.owned->Start(2), 1);
        ASSERT_TRUE(ticks.waitFor(2));
        std::this_thread::sleep_for(std::chrono::milliseconds(30));
        EXPECT_EQ(ticks.count(), 2u);
    }
}

TEST(PlayTimer, DestructorStopsARunningTimer) {
    Ticks ticks;
    {
        IWinMediaTimer timer;
        timer.SetCallback(&Ticks::onTick, &ticks);
        ASSERT_EQ(timer.Start(1), 1);
        ASSERT_TRUE(ticks.waitFor(2));
    }
    const size_t after = ticks.count();
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(ticks.count(), after);
}

TEST(PlayTimer, RunsWithoutACallback) {
    Ticks ticks;
    IWinMediaTimer timer;
    ASSERT_EQ(timer.Start(1), 1);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    timer.SetCallback(&Ticks::onTick, &ticks);  // set while running
    EXPECT_TRUE(ticks.waitFor(2));
    timer.SetCallback(nullptr, nullptr);
    EXPECT_EQ(timer.Stop(), 1);
}

double processCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

TEST(PlayTimer, WaitsWithoutSpinning) {
    // A long period: the thread sleeps between ticks instead of polling.
    Ticks ticks;
    IWinMediaTimer timer;
    timer.SetCallback(&Ticks::onTick, &ticks);
    const double before = processCpuSeconds();
    ASSERT_EQ(timer.Start(100), 1);
    ASSERT_TRUE(ticks.waitFor(4));
    EXPECT_EQ(timer.Stop(), 1);
    EXPECT_LT(processCpuSeconds() - before, 0.1);  // of about 0.4 s
}

}  // namespace
