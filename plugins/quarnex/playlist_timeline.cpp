#include "quarnex/playlist_timeline.h"

#include <algorithm>

namespace quarnex {

void PlaylistTimeline::append(std::string path, uint64_t inOffset, uint64_t duration) {
    items_.push_back(TimelineItem{std::move(path), inOffset, duration, total_});
    total_ += duration;
}

std::pair<size_t, uint64_t> PlaylistTimeline::locate(uint64_t time) const {
    if (items_.empty()) {
        return {0, 0};
    }
    if (time >= total_) {
        return {items_.size() - 1, items_.back().duration};
    }
    // the last item starting at or before `time`
    const auto next =
        std::upper_bound(items_.begin(), items_.end(), time,
                         [](uint64_t t, const TimelineItem& item) { return t < item.start; });
    const auto index = static_cast<size_t>(std::distance(items_.begin(), next)) - 1;
    return {index, time - items_[index].start};
}

}  // namespace quarnex
