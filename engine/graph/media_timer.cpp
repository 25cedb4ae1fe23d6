#include "graph/media_timer.h"

#include <atomic>
#include <chrono>
#include <condition_variable>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {

// What the tick thread uses: it outlives the timer object when the timer is
// stopped or destroyed from inside its own callback.
struct IWinMediaTimer::Shared {
    std::atomic<Callback> callback{nullptr};
    std::atomic<void*> argument{nullptr};
    std::mutex lock;
    std::condition_variable wake;
    uint32_t activeRun = 0;  // guarded by `lock`; the tick thread runs while it is its own
};

IWinMediaTimer::IWinMediaTimer() : shared_(std::make_shared<Shared>()) {}

IWinMediaTimer::~IWinMediaTimer() {
    Stop();
}

void IWinMediaTimer::SetCallback(Callback callback, void* argument) {
    shared_->argument.store(argument);
    shared_->callback.store(callback);
}

int32_t IWinMediaTimer::Start(uint32_t periodMs) {
    std::lock_guard guard(lock_);
    if (run_ != 0) {
        return 1;
    }
    interval_ = static_cast<float>(periodMs);
    if (periodMs < kMinPeriodMs || periodMs > kMaxPeriodMs) {
        GST_DEBUG("timer period %u ms refused", periodMs);
        return 0;
    }
    static std::atomic<uint32_t> runs{0};
    uint32_t run = ++runs;
    if (run == 0) {
        run = ++runs;
    }
    {
        std::lock_guard sharedGuard(shared_->lock);
        shared_->activeRun = run;
    }
    thread_ = std::thread(&IWinMediaTimer::tick, shared_, run, std::chrono::milliseconds(periodMs));
    run_ = run;
    return 1;
}

int32_t IWinMediaTimer::Stop() {
    std::thread finished;
    {
        std::lock_guard guard(lock_);
        if (run_ == 0) {
            return 0;
        }
        {
            std::lock_guard sharedGuard(shared_->lock);
            shared_->activeRun = 0;
        }
        shared_->wake.notify_all();
        run_ = 0;
        finished = std::move(thread_);
    }
    if (finished.get_id() == std::this_thread::get_id()) {
        // Inside the callback: the thread ends when the callback returns.
        finished.detach();
    } else {
        finished.join();
    }
    return 1;
}

double IWinMediaTimer::GetInterval() const {
    std::lock_guard guard(lock_);
    return interval_;
}

bool IWinMediaTimer::running() const {
    std::lock_guard guard(lock_);
    return run_ != 0;
}

void IWinMediaTimer::tick(std::shared_ptr<Shared> shared, uint32_t run,
                          std::chrono::milliseconds period) {
    using Clock = std::chrono::steady_clock;
    Clock::time_point due = Clock::now() + period;
    std::unique_lock guard(shared->lock);
    while (true) {
        shared->wake.wait_until(guard, due, [&] { return shared->activeRun != run; });
        if (shared->activeRun != run) {
            return;
        }
        guard.unlock();
        if (const IMediaTimer::Callback callback = shared->callback.load()) {
            callback(shared->argument.load());
        }
        // Keep the cadence; ticks missed while the callback ran are dropped.
        const Clock::time_point now = Clock::now();
        due += period;
        if (due < now) {
            due = now + period - (now - due) % period;
        }
        guard.lock();
    }
}

}  // namespace nerla
