// What the streams of one playlist share: where each item's demuxer stands,
// which items play, and seeking on the playlist's timeline. A seek flushes
// every joined stream, moves the demuxer of the item that holds the target
// there and puts the following items back at their IN points.
#pragma once

#include <gst/gst.h>

#include <condition_variable>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "common/gst_ptr.h"
#include "quarnex/playlist_timeline.h"

namespace quarnex {

class StreamJoin;

// The part of an item that plays, from its IN point.
struct ItemSpan {
    uint64_t start = 0;
    uint64_t end = 0;
};

class PlaylistControl {
  public:
    // `owner` is the bin that holds the demuxers and the joins (borrowed).
    PlaylistControl(GstElement* owner, PlaylistTimeline timeline);
    PlaylistControl(const PlaylistControl&) = delete;
    PlaylistControl& operator=(const PlaylistControl&) = delete;

    const PlaylistTimeline& timeline() const { return timeline_; }
    std::mutex& mutex() { return mutex_; }
    std::condition_variable& changed() { return changed_; }

    void setDemuxer(size_t item, GstElement* demux);
    void addJoin(GstElement* element, StreamJoin* join);

    // State changes of the owner: before its children start, before they stop.
    void start();
    void stop();

    // The demuxer of `item` has announced all its streams.
    void padsKnown(size_t item);
    // Positions `item`'s demuxer (run off the streaming threads).
    void positionAsync(size_t item);
    // A seek arriving from downstream at one of the joins.
    bool seek(GstEvent* event);

    // For the joins, with the lock held.
    bool stoppingLocked() const { return stopping_; }
    bool srcFlushingLocked() const { return srcFlushing_; }
    bool positionedLocked(size_t item) const { return items_[item].positioned; }
    bool padsKnownLocked(size_t item) const { return items_[item].padsKnown; }
    size_t lastItemLocked() const { return lastItem_; }
    ItemSpan spanLocked(size_t item) const { return items_[item].span; }
    // The demuxer's time of `item`'s IN point, once its first segment came.
    std::optional<uint64_t> localInLocked(size_t item) const;
    void deliveredLocked(size_t item) {
        items_[item].pristine = false;
        items_[item].fresh = false;
    }
    // Notes `item`'s segment; true when the caller must schedule positioning.
    bool segmentSeenLocked(size_t item, uint64_t start);
    // `item`'s demuxer ended a stream; one that never began needs no positioning.
    void endSeenLocked(size_t item);

    void schedulePositioning(size_t item);

  private:
    struct ItemState {
        GstElement* demux = nullptr;  // a child of the owner
        std::optional<uint64_t> naturalStart;
        bool padsKnown = false;
        bool positioned = false;
        bool positioning = false;
        bool pristine = true;  // nothing delivered since positioned
        bool fresh = true;     // neither seeked nor delivered since the start
        ItemSpan span;
    };

    // With seekMutex_ held.
    bool positionNow(size_t item, GstSeekFlags flags, uint32_t seqnum);
    std::vector<std::pair<plugin::GstPtr<GstElement>, StreamJoin*>> joinsCopy();

    GstElement* owner_;
    const PlaylistTimeline timeline_;

    std::mutex mutex_;
    std::condition_variable changed_;
    std::vector<ItemState> items_;
    std::vector<std::pair<plugin::GstPtr<GstElement>, StreamJoin*>> joins_;
    bool stopping_ = true;
    bool srcFlushing_ = false;
    size_t lastItem_ = 0;
    double rate_ = 1.0;

    // Serialises seeks and positioning; taken before mutex_.
    std::mutex seekMutex_;
    uint32_t lastSeqnum_ = GST_SEQNUM_INVALID;
    bool lastResult_ = false;
};

}  // namespace quarnex
