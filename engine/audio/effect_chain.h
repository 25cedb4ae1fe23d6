// A channel's built-in effects and DSP callbacks, run over every decoded
// audio buffer on the streaming thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <memory>
#include <vector>

#include "audio/base_fx.h"
#include "audio/snapshot_list.h"
#include "audio/wave_format.h"
#include "nerla.h"

namespace nerla {

class AudioEffectChain {
  public:
    // `format` is the stream format when the chain is made; floatDsp hands
    // integer streams to the callbacks as floats.
    AudioEffectChain(const WaveFormat& format, bool floatDsp)
        : format_(format), floatDsp_(floatDsp) {}

    // The new handle, or 0.
    uint32_t addDsp(NerlaDSPProc callback, void* user);
    bool removeDsp(uint32_t handle);
    // The effect starts on the stream's `current` format (the chain's own
    // copy may be older than a format change).
    uint32_t addEffect(int32_t type, const WaveFormat& current);
    bool removeEffect(uint32_t handle);
    std::shared_ptr<CBaseFX> effect(uint32_t handle) const;

    // Every effect, newest first.
    void resetEffects(const WaveFormat& format);

    // Runs the effects, then the callbacks, over `length` bytes of `current`
    // format in place; the length after the effects.
    uint32_t run(uint8_t* buffer, uint32_t length, uint32_t capacity, const WaveFormat& current);

    const WaveFormat& format() const { return format_; }
    bool floatDsp() const { return floatDsp_; }

  private:
    struct DspEntry {
        NerlaDSPProc callback;
        void* user;
        uint32_t handle;
    };

    void callDsps(const std::vector<std::shared_ptr<DspEntry>>& dsps, void* buffer,
                  uint32_t length) const;

    const WaveFormat format_;
    const bool floatDsp_;
    SnapshotList<CBaseFX> effects_;
    std::atomic<uint32_t> nextEffect_{324571};
    SnapshotList<DspEntry> dsps_;
    std::atomic<uint32_t> nextDsp_{324187};
    std::vector<float> scratch_;  // streaming thread only
};

}  // namespace nerla
