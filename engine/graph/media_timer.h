// IWinMediaTimer: the engine's periodic timer. Each running timer has a
// thread of its own that calls the callback every period.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <thread>

namespace nerla {

class IMediaTimer {
  public:
    using Callback = void (*)(void* argument);

    virtual ~IMediaTimer() = default;
    virtual void SetCallback(Callback callback, void* argument) = 0;
    // 1 when running afterwards (also when it already ran), 0 when the
    // period is refused.
    virtual int32_t Start(uint32_t periodMs) = 0;
    // 1 when a running timer was stopped, 0 when it was not running.
    virtual int32_t Stop() = 0;
    virtual double GetInterval() const = 0;
};

class IWinMediaTimer final : public IMediaTimer {
  public:
    // Periods the timer accepts, in milliseconds.
    static constexpr uint32_t kMinPeriodMs = 1;
    static constexpr uint32_t kMaxPeriodMs = 1'000'000;

    IWinMediaTimer();
    // Stops a running timer; may run inside the timer's own callback.
    ~IWinMediaTimer() override;
    IWinMediaTimer(const IWinMediaTimer&) = delete;
    IWinMediaTimer& operator=(const IWinMediaTimer&) = delete;

    void SetCallback(Callback callback, void* argument) override;
    int32_t Start(uint32_t periodMs) override;
    // May run inside the timer's own callback.
    int32_t Stop() override;
    double GetInterval() const override;

    bool running() const;

  private:
    struct Shared;
    static void tick(std::shared_ptr<Shared> shared, uint32_t run,
                     std::chrono::milliseconds period);

    float interval_ = 0.0f;
    uint32_t run_ = 0;  // the running tick thread's number, 0 when stopped
    mutable std::mutex lock_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace nerla
