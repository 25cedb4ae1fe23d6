// One stream of the playlist (its video or its audio) joined across the
// items: every item's demuxer feeds one input slot; the slot of the item
// that plays goes out, the others wait. Segments are rewritten so that
// stream time follows the playlist's timeline and running time stays
// continuous; an item missing the stream is bridged with a gap.
//
// All state is guarded by the control's lock. A thread pushing downstream
// holds the join's push token instead of the lock, so that a seek can flush
// downstream and then wait for the token to come back.
#pragma once

#include <gst/gst.h>

#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "common/gst_ptr.h"

namespace quarnex {

class PlaylistControl;

class StreamJoin {
  public:
    // `src` is the element's source pad; `items` the number of slots.
    StreamJoin(GstElement* element, GstPad* src, PlaylistControl& control, size_t items,
               std::string streamId, guint groupId);
    StreamJoin(const StreamJoin&) = delete;
    StreamJoin& operator=(const StreamJoin&) = delete;

    GstPad* src() const { return src_; }

    // The input pad of `item`'s slot, made on first use (borrowed).
    GstPad* slotPad(size_t item);

    // Pad functions.
    GstFlowReturn chain(size_t item, GstBuffer* buffer);
    bool sinkEvent(size_t item, GstPad* pad, GstEvent* event);
    bool sinkQuery(size_t item, GstPad* pad, GstQuery* query);
    bool srcEvent(GstEvent* event);
    bool srcQuery(GstPad* pad, GstQuery* query);

    // For the control, with its lock held.
    bool pushingLocked() const { return pushing_; }
    void resetLocked();
    void restartLocked(size_t item, uint32_t seqnum, uint64_t position);
    std::optional<uint64_t> positionLocked() const { return position_; }

    // For the control, without its lock.
    void pushFlush(bool start, uint32_t seqnum);
    // Bridges the current item when it turned out to lack this stream.
    void advanceOverAbsent();

  private:
    struct Slot {
        GstPad* pad = nullptr;  // owned by the element
        bool flushing = false;
        bool hasSegment = false;
        GstSegment segment{};
        plugin::CapsPtr caps;
        std::vector<plugin::EventPtr> sticky;  // tags and the like, sent with the data
    };
    enum class Admission { Go, Flushing, Ended };
    using Events = std::vector<plugin::EventPtr>;

    Admission admit(size_t item, std::unique_lock<std::mutex>& lock);
    void release(std::unique_lock<std::mutex>& lock);
    void startLocked(Events& events);
    void prepareLocked(size_t item, Events& events);
    void finishLocked(size_t item, Events& events);
    void skipAbsentLocked(Events& events);
    bool absentLocked(size_t item) const;
    GstSegment outputSegmentLocked(size_t item) const;
    plugin::EventPtr withSeqnum(GstEvent* event) const;
    void pushAll(Events& events);

    GstElement* element_;
    GstPad* src_;
    PlaylistControl& control_;
    const std::string streamId_;
    const guint groupId_;
    std::vector<Slot> slots_;

    size_t current_ = 0;
    bool pushing_ = false;
    bool done_ = false;
    bool started_ = false;
    bool segmentPending_ = true;
    plugin::CapsPtr sentCaps_;
    GstSegment out_{};
    bool outValid_ = false;
    uint64_t runningBase_ = 0;
    uint32_t seqnum_ = GST_SEQNUM_INVALID;
    std::optional<uint64_t> position_;
};

}  // namespace quarnex
