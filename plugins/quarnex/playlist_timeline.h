// The playlist's one timeline: its items one after another, each a stretch
// of a clip file, in nanoseconds.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace quarnex {

struct TimelineItem {
    std::string path;       // the clip file (UTF-8)
    uint64_t inOffset = 0;  // where the item begins, after the clip's first timestamp
    uint64_t duration = 0;
    uint64_t start = 0;  // where it begins on the timeline
};

class PlaylistTimeline {
  public:
    void append(std::string path, uint64_t inOffset, uint64_t duration);

    size_t size() const { return items_.size(); }
    const TimelineItem& item(size_t index) const { return items_[index]; }
    uint64_t total() const { return total_; }

    // The item that plays at `time` and the offset into it; a time at or
    // past the end gives the last item at its end.
    std::pair<size_t, uint64_t> locate(uint64_t time) const;

  private:
    std::vector<TimelineItem> items_;
    uint64_t total_ = 0;
};

}  // namespace quarnex
