#include "quarnex/playlist_control.h"

#include <algorithm>

#include "quarnex/log.h"
#include "quarnex/stream_join.h"

#define GST_CAT_DEFAULT quarnex_debug

namespace quarnex {
namespace {

// An item whose IN point lies this close after where its demuxer starts plays
// from that start, cut by the segment: seeking that near the start gains
// little, and a demuxer that has read little of its clip yet may not seek
// there reliably.
constexpr uint64_t kNoSeekLead = 2500 * GST_MSECOND;

uint64_t clampTime(gint64 time, uint64_t total) {
    return time <= 0 ? 0 : std::min<uint64_t>(static_cast<uint64_t>(time), total);
}

void positionJob(GstElement* owner, gpointer item) {
    auto* control =
        static_cast<PlaylistControl*>(g_object_get_data(G_OBJECT(owner), "quarnex-control"));
    control->positionAsync(GPOINTER_TO_SIZE(item));
}

}  // namespace

PlaylistControl::PlaylistControl(GstElement* owner, PlaylistTimeline timeline)
    : owner_(owner), timeline_(std::move(timeline)), items_(timeline_.size()) {
    g_object_set_data(G_OBJECT(owner_), "quarnex-control", this);
    for (size_t i = 0; i < items_.size(); ++i) {
        items_[i].span = ItemSpan{0, timeline_.item(i).duration};
    }
    lastItem_ = items_.empty() ? 0 : items_.size() - 1;
}

void PlaylistControl::setDemuxer(size_t item, GstElement* demux) {
    std::lock_guard lock(mutex_);
    items_[item].demux = demux;
}

void PlaylistControl::addJoin(GstElement* element, StreamJoin* join) {
    std::lock_guard lock(mutex_);
    joins_.emplace_back(plugin::refGst(element), join);
}

std::vector<std::pair<plugin::GstPtr<GstElement>, StreamJoin*>> PlaylistControl::joinsCopy() {
    std::lock_guard lock(mutex_);
    std::vector<std::pair<plugin::GstPtr<GstElement>, StreamJoin*>> copy;
    for (const auto& [element, join] : joins_) {
        copy.emplace_back(plugin::refGst(element.get()), join);
    }
    return copy;
}

void PlaylistControl::start() {
    std::lock_guard seekGuard(seekMutex_);
    std::lock_guard lock(mutex_);
    stopping_ = false;
    srcFlushing_ = false;
    rate_ = 1.0;
    lastItem_ = items_.empty() ? 0 : items_.size() - 1;
    lastSeqnum_ = GST_SEQNUM_INVALID;
    for (size_t i = 0; i < items_.size(); ++i) {
        ItemState& item = items_[i];
        item.naturalStart.reset();
        item.padsKnown = false;
        item.positioned = false;
        item.positioning = false;
        item.pristine = true;
        item.fresh = true;
        item.span = ItemSpan{0, timeline_.item(i).duration};
    }
    for (const auto& [element, join] : joins_) {
        join->resetLocked();
    }
}

void PlaylistControl::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
        changed_.notify_all();
    }
    // wait for a seek or positioning in progress
    std::lock_guard seekGuard(seekMutex_);
}

void PlaylistControl::padsKnown(size_t item) {
    {
        std::lock_guard lock(mutex_);
        items_[item].padsKnown = true;
        changed_.notify_all();
    }
    for (const auto& [element, join] : joinsCopy()) {
        join->advanceOverAbsent();
    }
}

std::optional<uint64_t> PlaylistControl::localInLocked(size_t item) const {
    const ItemState& state = items_[item];
    if (!state.naturalStart) {
        return std::nullopt;
    }
    return *state.naturalStart + timeline_.item(item).inOffset;
}

bool PlaylistControl::segmentSeenLocked(size_t item, uint64_t start) {
    ItemState& state = items_[item];
    if (!state.naturalStart) {
        state.naturalStart = start;
        GST_DEBUG_OBJECT(owner_, "item %zu starts at %" GST_TIME_FORMAT, item,
                         GST_TIME_ARGS(start));
    }
    if (state.positioned || state.positioning || stopping_) {
        return false;
    }
    state.positioning = true;
    return true;
}

void PlaylistControl::endSeenLocked(size_t item) {
    ItemState& state = items_[item];
    if (!state.naturalStart && !state.positioning && !state.positioned) {
        state.positioned = true;
        changed_.notify_all();
    }
}

void PlaylistControl::schedulePositioning(size_t item) {
    gst_element_call_async(owner_, positionJob, GSIZE_TO_POINTER(item), nullptr);
}

void PlaylistControl::positionAsync(size_t item) {
    std::lock_guard seekGuard(seekMutex_);
    {
        std::lock_guard lock(mutex_);
        ItemState& state = items_[item];
        if (stopping_ || state.positioned) {
            state.positioning = false;
            return;
        }
    }
    positionNow(item, GST_SEEK_FLAG_ACCURATE, gst_util_seqnum_next());
}

bool PlaylistControl::positionNow(size_t item, GstSeekFlags flags, uint32_t seqnum) {
    GstElement* demux = nullptr;
    uint64_t start = 0;
    uint64_t stop = 0;
    double rate = 1.0;
    {
        std::lock_guard lock(mutex_);
        ItemState& state = items_[item];
        const auto localIn = localInLocked(item);
        if (stopping_ || !localIn || !state.demux) {
            // positioned when its first segment arrives
            state.positioned = false;
            state.positioning = false;
            return false;
        }
        start = *localIn + state.span.start;
        stop = *localIn + state.span.end;
        if (state.fresh && start <= *state.naturalStart + kNoSeekLead) {
            // the demuxer still stands at the clip's start, where it began
            state.positioned = true;
            state.positioning = false;
            changed_.notify_all();
            return true;
        }
        state.fresh = false;
        state.positioned = false;
        state.positioning = true;
        state.pristine = true;
        demux = state.demux;
        rate = rate_;
    }
    GST_DEBUG_OBJECT(owner_, "item %zu: demuxer to %" GST_TIME_FORMAT " - %" GST_TIME_FORMAT, item,
                     GST_TIME_ARGS(start), GST_TIME_ARGS(stop));
    GstEvent* seek = gst_event_new_seek(rate, GST_FORMAT_TIME,
                                        static_cast<GstSeekFlags>(flags | GST_SEEK_FLAG_FLUSH),
                                        GST_SEEK_TYPE_SET, static_cast<gint64>(start),
                                        GST_SEEK_TYPE_SET, static_cast<gint64>(stop));
    gst_event_set_seqnum(seek, seqnum);
    const bool moved = gst_element_send_event(demux, seek);
    if (!moved) {
        // the segment still cuts the item to its span, from wherever the demuxer is
        GST_WARNING_OBJECT(owner_, "item %zu: the demuxer refused to seek", item);
    }
    std::lock_guard lock(mutex_);
    items_[item].positioned = true;
    items_[item].positioning = false;
    changed_.notify_all();
    return moved;
}

bool PlaylistControl::seek(GstEvent* event) {
    double rate = 1.0;
    GstFormat format = GST_FORMAT_UNDEFINED;
    GstSeekFlags flags = GST_SEEK_FLAG_NONE;
    GstSeekType startType = GST_SEEK_TYPE_NONE;
    GstSeekType stopType = GST_SEEK_TYPE_NONE;
    gint64 start = 0;
    gint64 stop = 0;
    gst_event_parse_seek(event, &rate, &format, &flags, &startType, &start, &stopType, &stop);
    const uint32_t seqnum = gst_event_get_seqnum(event);
    if (format != GST_FORMAT_TIME || rate <= 0 || !(flags & GST_SEEK_FLAG_FLUSH) ||
        items_.empty()) {
        GST_DEBUG_OBJECT(owner_, "refusing seek %" GST_PTR_FORMAT, static_cast<gpointer>(event));
        return false;
    }

    std::lock_guard seekGuard(seekMutex_);
    const uint64_t total = timeline_.total();
    uint64_t from = 0;
    {
        std::lock_guard lock(mutex_);
        if (seqnum == lastSeqnum_) {
            return lastResult_;  // the same seek through another stream
        }
        if (stopping_) {
            return false;
        }
        switch (startType) {
            case GST_SEEK_TYPE_SET:
                from = clampTime(start, total);
                break;
            case GST_SEEK_TYPE_END:
                from = clampTime(static_cast<gint64>(total) + start, total);
                break;
            default:
                for (const auto& [element, join] : joins_) {
                    from = std::max(from, join->positionLocked().value_or(0));
                }
                break;
        }
    }
    uint64_t to = total;
    if (stopType == GST_SEEK_TYPE_SET && stop != -1) {
        to = std::max(from, clampTime(stop, total));
    } else if (stopType == GST_SEEK_TYPE_END) {
        to = std::max(from, clampTime(static_cast<gint64>(total) + stop, total));
    }
    const auto [first, firstOffset] = timeline_.locate(from);
    auto [last, lastOffset] = timeline_.locate(to);
    if (lastOffset == 0 && last > first) {
        // a stop right at an item's start ends the item before it
        last -= 1;
        lastOffset = timeline_.item(last).duration;
    }
    GST_DEBUG_OBJECT(owner_,
                     "seek to %" GST_TIME_FORMAT " - %" GST_TIME_FORMAT ": items %zu to %zu",
                     GST_TIME_ARGS(from), GST_TIME_ARGS(to), first, last);

    const auto joins = joinsCopy();
    {
        std::lock_guard lock(mutex_);
        srcFlushing_ = true;
        changed_.notify_all();
    }
    for (const auto& [element, join] : joins) {
        join->pushFlush(true, seqnum);
    }
    {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] {
            return stopping_ || std::none_of(joins.begin(), joins.end(), [](const auto& entry) {
                       return entry.second->pushingLocked();
                   });
        });
        if (stopping_) {
            srcFlushing_ = false;
            return false;
        }
        rate_ = rate;
        lastItem_ = last;
    }

    const auto keep =
        static_cast<GstSeekFlags>(flags & (GST_SEEK_FLAG_ACCURATE | GST_SEEK_FLAG_KEY_UNIT |
                                           GST_SEEK_FLAG_SNAP_BEFORE | GST_SEEK_FLAG_SNAP_AFTER));
    bool moved = true;
    for (size_t i = first; i <= last; ++i) {
        const ItemSpan span{i == first ? firstOffset : 0,
                            i == last ? lastOffset : timeline_.item(i).duration};
        bool reposition = false;
        {
            std::lock_guard lock(mutex_);
            ItemState& state = items_[i];
            reposition = i == first || !state.pristine || !state.positioned ||
                         state.span.start != span.start || state.span.end != span.end;
            state.span = span;
        }
        if (reposition) {
            const bool ok = positionNow(i, i == first ? keep : GST_SEEK_FLAG_ACCURATE,
                                        i == first ? seqnum : gst_util_seqnum_next());
            moved = moved && (ok || i != first);
        }
    }

    {
        std::lock_guard lock(mutex_);
        for (const auto& [element, join] : joins) {
            join->restartLocked(first, seqnum, from);
        }
    }
    for (const auto& [element, join] : joins) {
        join->pushFlush(false, seqnum);
    }
    {
        std::lock_guard lock(mutex_);
        srcFlushing_ = false;
        lastSeqnum_ = seqnum;
        lastResult_ = true;
        changed_.notify_all();
    }
    for (const auto& [element, join] : joins) {
        join->advanceOverAbsent();
    }
    if (!moved) {
        GST_WARNING_OBJECT(owner_, "seek: item %zu plays from where its demuxer stands", first);
    }
    return true;
}

}  // namespace quarnex
