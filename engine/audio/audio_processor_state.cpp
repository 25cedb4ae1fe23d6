#include "audio/audio_processor_state.h"

#include "frame/library.h"

namespace nerla {

void AudioProcessorState::setFormat(const WaveFormat& format) {
    std::lock_guard guard(lock_);
    const bool changed = !format_.empty() && !format_.sameStream(format);
    format_ = format;
    if (!changed) {
        return;
    }
    if (AudioEffectChain* chain = chain_.load()) {
        chain->resetEffects(format);
    }
    if (ring_) {
        ring_ = std::make_unique<HistoryRing>(format);
    }
}

WaveFormat AudioProcessorState::format() const {
    std::lock_guard guard(lock_);
    return format_;
}

uint32_t AudioProcessorState::process(uint8_t* data, uint32_t length, uint32_t capacity,
                                      GstClockTime start) {
    WaveFormat current = format();
    if (AudioEffectChain* chain = chain_.load(std::memory_order_acquire)) {
        length = chain->run(data, length, capacity, current);
    }
    const int64_t start100ns =
        GST_CLOCK_TIME_IS_VALID(start) ? static_cast<int64_t>(start / 100) : 0;
    std::lock_guard guard(lock_);
    if (!ring_) {
        ring_ = std::make_unique<HistoryRing>(format_);
    }
    ring_->write(data, length, start100ns);
    return length;
}

void AudioProcessorState::setSegment(const GstSegment& segment) {
    std::lock_guard guard(lock_);
    gst_segment_copy_into(&segment, &segment_);
    haveSegment_ = true;
}

std::optional<GstClockTime> AudioProcessorState::runningTimeOf(GstClockTime position) const {
    std::lock_guard guard(lock_);
    if (!haveSegment_ || segment_.format != GST_FORMAT_TIME) {
        return std::nullopt;
    }
    const GstClockTime running = gst_segment_to_running_time(&segment_, GST_FORMAT_TIME, position);
    if (!GST_CLOCK_TIME_IS_VALID(running)) {
        return std::nullopt;
    }
    return running;
}

AudioEffectChain* AudioProcessorState::chain(bool create) {
    std::lock_guard guard(chainLock_);
    if (!ownedChain_ && create) {
        ownedChain_ = std::make_unique<AudioEffectChain>(format(), Library::instance().floatDsp());
        chain_.store(ownedChain_.get(), std::memory_order_release);
    }
    return ownedChain_.get();
}

}  // namespace nerla
