// Helpers of the playback tests: fixtures, running the thread's main context
// (where graph events arrive) and recording sync callbacks.
#pragma once

#include <glib.h>

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "nerla.h"

namespace playback {

inline std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

// Dispatches the thread's default main context until `done` holds or
// `timeout` passes; true when `done` held.
inline bool pumpUntil(const std::function<bool()>& done,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20)) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!done()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        if (!g_main_context_iteration(nullptr, FALSE)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
    }
    return true;
}

inline void pumpFor(std::chrono::milliseconds time) {
    pumpUntil([] { return false; }, time);
}

struct SyncCall {
    int receiver;  // which of the recording callbacks was called
    NerlaHandle channel;
    uint32_t type;
    uintptr_t data1;
    uintptr_t data2;
    double position;  // media time at the call

    bool operator==(const SyncCall&) const = default;
};

// Sync callbacks carry no user value: the recorder is one per process.
class SyncLog {
  public:
    static SyncLog& instance() {
        static SyncLog log;
        return log;
    }

    static void NERLA_CALL first(NerlaHandle channel, uint32_t type, uintptr_t data1,
                                 uintptr_t data2) {
        instance().record(1, channel, type, data1, data2);
    }
    static void NERLA_CALL second(NerlaHandle channel, uint32_t type, uintptr_t data1,
                                  uintptr_t data2) {
        instance().record(2, channel, type, data1, data2);
    }

    std::vector<SyncCall> calls() {
        std::lock_guard guard(lock_);
        return calls_;
    }
    size_t count(uint32_t type) {
        std::lock_guard guard(lock_);
        size_t n = 0;
        for (const SyncCall& call : calls_) {
            n += call.type == type ? 1 : 0;
        }
        return n;
    }
    void clear() {
        std::lock_guard guard(lock_);
        calls_.clear();
    }
    // Runs inside the callback, after the call is recorded.
    void onCall(std::function<void(const SyncCall&)> action) {
        std::lock_guard guard(lock_);
        action_ = std::move(action);
    }

  private:
    void record(int receiver, NerlaHandle channel, uint32_t type, uintptr_t data1,
                uintptr_t data2) {
        const SyncCall call{receiver, channel,
                            type,     data1,
                            data2,    Nerla_ChannelGetPosition(channel, NERLA_UNIT_MEDIA_TIME)};
        std::function<void(const SyncCall&)> action;
        {
            std::lock_guard guard(lock_);
            calls_.push_back(call);
            action = action_;
        }
        if (action) {
            action(call);
        }
    }

    std::mutex lock_;
    std::vector<SyncCall> calls_;
    std::function<void(const SyncCall&)> action_;
};

}  // namespace playback
