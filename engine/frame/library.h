// Process-wide state of the engine: start and stop, last-error code,
// configuration options and the default window.
#pragma once

#include <atomic>
#include <cstdint>

#include "nerla.h"

namespace nerla {

// The last-error code, shared by all threads.
int32_t errorCode();
void setError(int32_t code);

class Library {
  public:
    static Library& instance();

    bool initialised() const { return initialised_.load(); }
    // Starts the library (idempotent); false when GStreamer cannot start.
    bool init(NerlaWindow window);
    // Destroys every channel and stops; false when not started.
    bool free();

    NerlaWindow defaultWindow() const { return static_cast<NerlaWindow>(defaultWindow_.load()); }

    intptr_t setConfig(uint32_t option, intptr_t value);
    intptr_t config(uint32_t option) const;

    int32_t videoRendererChoice() const { return videoRenderer_.load(); }
    int32_t mixerStreamCount() const { return mixerStreams_.load(); }
    int32_t audioRendererChoice() const { return audioRenderer_.load(); }
    bool floatDsp() const { return floatDsp_.load() != 0; }

  private:
    Library() = default;

    std::atomic<bool> initialised_{false};
    std::atomic<uintptr_t> defaultWindow_{0};
    std::atomic<int32_t> videoRenderer_{1};
    std::atomic<int32_t> mixerStreams_{2};
    std::atomic<int32_t> audioRenderer_{-1};
    std::atomic<int32_t> floatDsp_{0};
};

}  // namespace nerla
