// Runs, pauses and seeks a channel's pipeline and reads its duration and
// position in media time (100-ns units). Seeks are accurate and return once
// the pipeline shows the new position.
#pragma once

#include <gst/gst.h>

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>

#include "frame/gst_ptr.h"

namespace nerla {

class GraphControl {
  public:
    explicit GraphControl(GstPipeline* pipeline);

    bool run();
    bool pause();
    std::optional<int64_t> duration() const;
    // The duration from the end of stream to the next seek: the sinks' own
    // position may lag a frame behind when they dropped late frames.
    std::optional<int64_t> position() const;
    void endReached() { ended_.store(true); }
    // The sinks have posted their end of stream (streaming thread).
    void sinksEnded() { sinksEnded_.store(true); }
    // Moves to `mediaTime` at the current rate.
    bool seek(int64_t mediaTime);
    // Goes on from the current position at `rate`; refused rates (not above
    // 0) change nothing.
    bool setRate(double rate);
    double rate() const { return rate_.load(); }

    // True when an end of stream with this sequence number belongs to a seek
    // that a later seek replaced: the end is no longer where playback is.
    bool endIsStale(uint32_t seqnum) const;

  private:
    bool seekAt(double rate, GstClockTime start);
    void noteSeek(uint32_t seqnum);

    GstPtr<GstPipeline> pipeline_;
    std::atomic<double> rate_{1.0};
    std::atomic<bool> ended_{false};
    std::atomic<bool> sinksEnded_{false};
    mutable std::mutex seeksLock_;
    uint32_t latestSeek_ = 0;                 // GST_SEQNUM_INVALID before the first seek
    std::array<uint32_t, 8> earlierSeeks_{};  // the ones before it, oldest overwritten
    size_t nextEarlier_ = 0;
};

}  // namespace nerla
