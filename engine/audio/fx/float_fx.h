// Base of the effects that run in float: takes the stream format, sees each
// buffer as interleaved floats and hands it to the effect. A format the
// effect cannot read is refused by Init; after a Reset to one, buffers pass
// unchanged.
#pragma once

#include <atomic>
#include <cstdint>

#include "audio/base_fx.h"
#include "audio/fx/sample_block.h"

namespace nerla {

class CFloatFX : public CBaseFX {
  public:
    bool Init(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat) final;
    void Reset(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat) final;
    uint32_t Process(uint8_t* buffer, uint32_t length, uint32_t capacity) final;

  protected:
    struct Stream {
        int32_t rate = 0;
        int32_t channels = 0;
    };

    // The stream being processed (streaming thread and Init).
    const Stream& stream() const { return stream_; }
    // The sample rate, for any thread.
    int32_t sampleRate() const { return rate_.load(std::memory_order_relaxed); }

    // Sizes the effect's state for stream() and clears it.
    virtual void prepare() = 0;
    // Before each buffer: picks up new parameters; `force` right after
    // prepare().
    virtual void refresh(bool force) = 0;
    // `frames` interleaved frames in place.
    virtual void apply(float* samples, uint32_t frames) = 0;

  private:
    bool start(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample, bool isFloat);

    SampleBlock block_;
    Stream stream_;
    std::atomic<int32_t> rate_{0};
    bool active_ = false;
};

// Logs a parameter record that an effect refused.
void logRefusedParameters(const char* effect, uint32_t handle);

}  // namespace nerla
