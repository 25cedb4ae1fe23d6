// What "Nerla Audio Processor" keeps for its channel: the stream format, the
// effect chain (made on first use) and the history ring.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>

#include "audio/effect_chain.h"
#include "audio/history_ring.h"
#include "audio/wave_format.h"

namespace nerla {

class AudioProcessorState {
  public:
    // Negotiated caps; a change of stream resets the effects and the ring.
    void setFormat(const WaveFormat& format);
    WaveFormat format() const;

    // Effects, callbacks and ring for one buffer (streaming thread); the
    // length after the effects. `start` is the block's running time.
    uint32_t process(uint8_t* data, uint32_t length, uint32_t capacity, GstClockTime start);

    // The segment of the stream (streaming thread) and the running time of
    // a stream position in it; none before the first segment.
    void setSegment(const GstSegment& segment);
    std::optional<GstClockTime> runningTimeOf(GstClockTime position) const;

    // The chain, made with the current format and the float-DSP option when
    // `create` is set and there is none.
    AudioEffectChain* chain(bool create);

    // Runs f(ring) under the lock; the ring may be null before the first
    // buffer.
    template <typename F>
    void withRing(F&& f) const {
        std::lock_guard guard(lock_);
        f(ring_.get());
    }
    // Runs f(ring, format) under the lock: the ring with the format it holds.
    template <typename F>
    void withHistory(F&& f) const {
        std::lock_guard guard(lock_);
        f(ring_.get(), format_);
    }

  private:
    mutable std::mutex lock_;  // format, ring, segment
    WaveFormat format_;
    GstSegment segment_{};
    bool haveSegment_ = false;
    std::unique_ptr<HistoryRing> ring_;

    std::mutex chainLock_;
    std::unique_ptr<AudioEffectChain> ownedChain_;
    std::atomic<AudioEffectChain*> chain_{nullptr};
};

// The state of a processor element, or null for any other element.
AudioProcessorState* audioProcessorState(GstElement* element);

}  // namespace nerla
