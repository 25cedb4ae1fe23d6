#include "quarnex/stream_join.h"

#include <algorithm>
#include <cmath>

#include "quarnex/log.h"
#include "quarnex/playlist_control.h"

#define GST_CAT_DEFAULT quarnex_debug

namespace quarnex {
namespace {

using plugin::CapsPtr;
using plugin::EventPtr;

GstStaticPadTemplate slotTemplate =
    GST_STATIC_PAD_TEMPLATE("sink_%u", GST_PAD_SINK, GST_PAD_REQUEST, GST_STATIC_CAPS_ANY);

size_t slotOf(GstPad* pad) {
    return GPOINTER_TO_SIZE(gst_pad_get_element_private(pad));
}

StreamJoin* joinOf(GstObject* parent) {
    return static_cast<StreamJoin*>(g_object_get_data(G_OBJECT(parent), "quarnex-join"));
}

GstFlowReturn slotChain(GstPad* pad, GstObject* parent, GstBuffer* buffer) {
    return joinOf(parent)->chain(slotOf(pad), buffer);
}

gboolean slotEvent(GstPad* pad, GstObject* parent, GstEvent* event) {
    return joinOf(parent)->sinkEvent(slotOf(pad), pad, event);
}

gboolean slotQuery(GstPad* pad, GstObject* parent, GstQuery* query) {
    return joinOf(parent)->sinkQuery(slotOf(pad), pad, query);
}

gboolean srcEventFunction(GstPad* /*pad*/, GstObject* parent, GstEvent* event) {
    return joinOf(parent)->srcEvent(event);
}

gboolean srcQueryFunction(GstPad* pad, GstObject* parent, GstQuery* query) {
    return joinOf(parent)->srcQuery(pad, query);
}

uint64_t segmentLength(const GstSegment& segment) {
    const double rate = segment.rate != 0 ? std::abs(segment.rate) : 1.0;
    return static_cast<uint64_t>(static_cast<double>(segment.stop - segment.start) / rate);
}

GstClockTime bufferTime(GstBuffer* buffer) {
    return GST_BUFFER_DTS_IS_VALID(buffer) ? GST_BUFFER_DTS(buffer) : GST_BUFFER_PTS(buffer);
}

}  // namespace

StreamJoin::StreamJoin(GstElement* element, GstPad* src, PlaylistControl& control, size_t items,
                       std::string streamId, guint groupId)
    : element_(element),
      src_(src),
      control_(control),
      streamId_(std::move(streamId)),
      groupId_(groupId),
      slots_(items) {
    g_object_set_data(G_OBJECT(element_), "quarnex-join", this);
    gst_pad_set_event_function(src_, srcEventFunction);
    gst_pad_set_query_function(src_, srcQueryFunction);
    gst_segment_init(&out_, GST_FORMAT_TIME);
}

GstPad* StreamJoin::slotPad(size_t item) {
    {
        std::lock_guard lock(control_.mutex());
        if (slots_[item].pad) {
            return slots_[item].pad;
        }
    }
    const std::string name = "sink_" + std::to_string(item);
    GstPad* pad = gst_pad_new_from_static_template(&slotTemplate, name.c_str());
    gst_pad_set_element_private(pad, GSIZE_TO_POINTER(item));
    gst_pad_set_chain_function(pad, slotChain);
    gst_pad_set_event_function(pad, slotEvent);
    gst_pad_set_query_function(pad, slotQuery);
    GST_PAD_SET_PROXY_ALLOCATION(pad);
    if (!gst_element_add_pad(element_, pad)) {
        return nullptr;
    }
    std::lock_guard lock(control_.mutex());
    slots_[item].pad = pad;
    control_.changed().notify_all();
    return pad;
}

void StreamJoin::resetLocked() {
    current_ = 0;
    pushing_ = false;
    done_ = false;
    started_ = false;
    segmentPending_ = true;
    sentCaps_.reset();
    outValid_ = false;
    runningBase_ = 0;
    seqnum_ = GST_SEQNUM_INVALID;
    position_.reset();
    for (Slot& slot : slots_) {
        slot.flushing = false;
        slot.hasSegment = false;
        slot.caps.reset();
        slot.sticky.clear();
    }
}

void StreamJoin::restartLocked(size_t item, uint32_t seqnum, uint64_t position) {
    current_ = item;
    done_ = false;
    segmentPending_ = true;
    outValid_ = false;
    runningBase_ = 0;
    seqnum_ = seqnum;
    position_ = position;
}

StreamJoin::Admission StreamJoin::admit(size_t item, std::unique_lock<std::mutex>& lock) {
    for (;;) {
        if (control_.stoppingLocked() || slots_[item].flushing) {
            return Admission::Flushing;
        }
        if (control_.srcFlushingLocked()) {
            // a seek is deciding which item plays next
            control_.changed().wait(lock);
            continue;
        }
        if (done_ || item < current_) {
            return Admission::Ended;
        }
        const bool free = !pushing_;
        if (free && item == current_ && control_.positionedLocked(item)) {
            pushing_ = true;
            return Admission::Go;
        }
        if (free && current_ < item && absentLocked(current_)) {
            // The playing item lacks this stream: bridge it from here.
            pushing_ = true;
            Events events;
            skipAbsentLocked(events);
            lock.unlock();
            pushAll(events);
            lock.lock();
            pushing_ = false;
            control_.changed().notify_all();
            continue;
        }
        control_.changed().wait(lock);
    }
}

void StreamJoin::release(std::unique_lock<std::mutex>& lock) {
    if (!lock.owns_lock()) {
        lock.lock();
    }
    pushing_ = false;
    control_.changed().notify_all();
}

bool StreamJoin::absentLocked(size_t item) const {
    return !slots_[item].pad && control_.padsKnownLocked(item);
}

EventPtr StreamJoin::withSeqnum(GstEvent* event) const {
    if (seqnum_ != GST_SEQNUM_INVALID) {
        gst_event_set_seqnum(event, seqnum_);
    }
    return EventPtr(event);
}

GstSegment StreamJoin::outputSegmentLocked(size_t item) const {
    const Slot& slot = slots_[item];
    const ItemSpan span = control_.spanLocked(item);
    const uint64_t itemStart = control_.timeline().item(item).start;
    GstSegment out;
    if (!slot.hasSegment) {
        // Nothing came from the demuxer: the item's span on a time line of its own.
        gst_segment_init(&out, GST_FORMAT_TIME);
        out.start = span.start;
        out.stop = span.end;
        out.time = itemStart + span.start;
    } else {
        gst_segment_copy_into(&slot.segment, &out);
        const uint64_t localIn = control_.localInLocked(item).value_or(slot.segment.start);
        const uint64_t from = localIn + span.start;
        const uint64_t to = localIn + span.end;
        out.start = std::max<uint64_t>(slot.segment.start, from);
        out.stop = GST_CLOCK_TIME_IS_VALID(slot.segment.stop)
                       ? std::min<uint64_t>(slot.segment.stop, to)
                       : to;
        out.stop = std::max(out.stop, out.start);
        out.time = itemStart + (out.start - localIn);
    }
    out.position = out.start;
    out.duration = GST_CLOCK_TIME_NONE;
    out.base = runningBase_;
    return out;
}

void StreamJoin::startLocked(Events& events) {
    if (!started_) {
        GstEvent* start = gst_event_new_stream_start(streamId_.c_str());
        gst_event_set_group_id(start, groupId_);
        events.emplace_back(start);
        started_ = true;
    }
}

void StreamJoin::prepareLocked(size_t item, Events& events) {
    startLocked(events);
    Slot& slot = slots_[item];
    if (slot.caps && (!sentCaps_ || !gst_caps_is_equal(sentCaps_.get(), slot.caps.get()))) {
        events.emplace_back(gst_event_new_caps(slot.caps.get()));
        sentCaps_.reset(gst_caps_ref(slot.caps.get()));
    }
    for (EventPtr& sticky : slot.sticky) {
        events.push_back(std::move(sticky));
    }
    slot.sticky.clear();
    if (segmentPending_) {
        out_ = outputSegmentLocked(item);
        outValid_ = true;
        segmentPending_ = false;
        events.push_back(withSeqnum(gst_event_new_segment(&out_)));
        GST_DEBUG_OBJECT(element_, "item %zu: segment %" GST_SEGMENT_FORMAT, item,
                         static_cast<gpointer>(&out_));
    }
}

void StreamJoin::finishLocked(size_t item, Events& events) {
    runningBase_ += segmentLength(outValid_ ? out_ : outputSegmentLocked(item));
    current_ = item + 1;
    outValid_ = false;
    segmentPending_ = true;
    GST_DEBUG_OBJECT(element_, "item %zu done, running time %" GST_TIME_FORMAT, item,
                     GST_TIME_ARGS(runningBase_));
    skipAbsentLocked(events);
}

void StreamJoin::skipAbsentLocked(Events& events) {
    const size_t last = control_.lastItemLocked();
    while (current_ <= last && absentLocked(current_)) {
        const size_t item = current_;
        startLocked(events);
        const GstSegment gap = outputSegmentLocked(item);
        GST_DEBUG_OBJECT(element_, "item %zu has no such stream: gap", item);
        events.push_back(withSeqnum(gst_event_new_segment(&gap)));
        events.emplace_back(gst_event_new_gap(gap.start, gap.stop - gap.start));
        runningBase_ += segmentLength(gap);
        position_ = gap.time + (gap.stop - gap.start);
        current_ = item + 1;
    }
    if (current_ > last && !done_) {
        done_ = true;
        events.push_back(withSeqnum(gst_event_new_eos()));
    }
}

void StreamJoin::pushAll(Events& events) {
    for (EventPtr& event : events) {
        gst_pad_push_event(src_, event.release());
    }
    events.clear();
}

GstFlowReturn StreamJoin::chain(size_t item, GstBuffer* buffer) {
    std::unique_lock lock(control_.mutex());
    switch (admit(item, lock)) {
        case Admission::Flushing:
            gst_buffer_unref(buffer);
            return GST_FLOW_FLUSHING;
        case Admission::Ended:
            gst_buffer_unref(buffer);
            return GST_FLOW_EOS;
        case Admission::Go:
            break;
    }
    Events events;
    prepareLocked(item, events);
    const GstClockTime time = bufferTime(buffer);
    if (GST_CLOCK_TIME_IS_VALID(time) && time >= out_.stop) {
        // past the item's OUT point: the next item takes over
        gst_buffer_unref(buffer);
        finishLocked(item, events);
        lock.unlock();
        pushAll(events);
        release(lock);
        return GST_FLOW_EOS;
    }
    control_.deliveredLocked(item);
    GST_LOG_OBJECT(element_, "item %zu: buffer %" GST_TIME_FORMAT, item,
                   GST_TIME_ARGS(GST_BUFFER_PTS(buffer)));
    const GstSegment out = out_;
    lock.unlock();
    pushAll(events);
    const GstClockTime pts = GST_BUFFER_PTS(buffer);
    const GstFlowReturn result = gst_pad_push(src_, buffer);
    if (result != GST_FLOW_OK) {
        GST_DEBUG_OBJECT(element_, "item %zu: downstream answered %s", item,
                         gst_flow_get_name(result));
    }
    lock.lock();
    if (GST_CLOCK_TIME_IS_VALID(pts) && pts >= out.start) {
        position_ = out.time + (pts - out.start);
    }
    release(lock);
    return result;
}

bool StreamJoin::sinkEvent(size_t item, GstPad* pad, GstEvent* event) {
    const EventPtr owned(event);
    Slot& slot = slots_[item];
    switch (GST_EVENT_TYPE(event)) {
        case GST_EVENT_FLUSH_START: {
            std::lock_guard lock(control_.mutex());
            slot.flushing = true;
            control_.changed().notify_all();
            return true;
        }
        case GST_EVENT_FLUSH_STOP: {
            std::lock_guard lock(control_.mutex());
            slot.flushing = false;
            slot.hasSegment = false;
            if (item == current_) {
                segmentPending_ = true;
            }
            return true;
        }
        case GST_EVENT_STREAM_START:
            return true;  // the join is one stream of its own
        case GST_EVENT_CAPS: {
            GstCaps* caps = nullptr;
            gst_event_parse_caps(event, &caps);
            std::lock_guard lock(control_.mutex());
            slot.caps.reset(gst_caps_ref(caps));
            return true;
        }
        case GST_EVENT_SEGMENT: {
            const GstSegment* segment = nullptr;
            gst_event_parse_segment(event, &segment);
            if (segment->format != GST_FORMAT_TIME) {
                GST_ELEMENT_ERROR(element_, STREAM, FORMAT, (nullptr),
                                  ("the demuxer of item %zu gave a non-time segment", item));
                return false;
            }
            bool schedule = false;
            {
                std::lock_guard lock(control_.mutex());
                gst_segment_copy_into(segment, &slot.segment);
                slot.hasSegment = true;
                if (item == current_) {
                    segmentPending_ = true;
                }
                schedule = control_.segmentSeenLocked(item, segment->start);
            }
            if (schedule) {
                control_.schedulePositioning(item);
            }
            return true;
        }
        case GST_EVENT_STREAM_COLLECTION:
            return true;  // the demuxer's streams, not the join's
        default:
            break;
    }
    if (GST_EVENT_IS_STICKY(event) && GST_EVENT_TYPE(event) != GST_EVENT_EOS) {
        // tags and the like come before the data: they go out with it
        std::lock_guard lock(control_.mutex());
        slot.sticky.emplace_back(gst_event_ref(event));
        return true;
    }
    if (!GST_EVENT_IS_SERIALIZED(event)) {
        return gst_pad_event_default(pad, GST_OBJECT(element_), gst_event_ref(event));
    }
    std::unique_lock lock(control_.mutex());
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) {
        control_.endSeenLocked(item);
    }
    switch (admit(item, lock)) {
        case Admission::Flushing:
            return false;
        case Admission::Ended:
            return true;
        case Admission::Go:
            break;
    }
    Events events;
    prepareLocked(item, events);
    if (GST_EVENT_TYPE(event) == GST_EVENT_EOS) {
        finishLocked(item, events);
        lock.unlock();
        pushAll(events);
        release(lock);
        return true;
    }
    lock.unlock();
    pushAll(events);
    const bool result = gst_pad_push_event(src_, gst_event_ref(event));
    release(lock);
    return result;
}

bool StreamJoin::sinkQuery(size_t item, GstPad* pad, GstQuery* query) {
    if (!GST_QUERY_IS_SERIALIZED(query)) {
        return gst_pad_query_default(pad, GST_OBJECT(element_), query);
    }
    std::unique_lock lock(control_.mutex());
    if (admit(item, lock) != Admission::Go) {
        return false;
    }
    Events events;
    prepareLocked(item, events);
    lock.unlock();
    pushAll(events);
    const bool result = gst_pad_peer_query(src_, query);
    release(lock);
    return result;
}

bool StreamJoin::srcEvent(GstEvent* event) {
    if (GST_EVENT_TYPE(event) == GST_EVENT_SEEK) {
        const bool result = control_.seek(event);
        gst_event_unref(event);
        return result;
    }
    plugin::GstPtr<GstPad> upstream;
    {
        std::lock_guard lock(control_.mutex());
        const size_t item = std::min(current_, slots_.size() - 1);
        upstream = plugin::refGst(slots_[item].pad);
    }
    if (!upstream) {
        gst_event_unref(event);
        return false;
    }
    return gst_pad_push_event(upstream.get(), event);
}

bool StreamJoin::srcQuery(GstPad* pad, GstQuery* query) {
    GstFormat format = GST_FORMAT_UNDEFINED;
    switch (GST_QUERY_TYPE(query)) {
        case GST_QUERY_DURATION:
            gst_query_parse_duration(query, &format, nullptr);
            if (format != GST_FORMAT_TIME) {
                return false;
            }
            gst_query_set_duration(query, GST_FORMAT_TIME,
                                   static_cast<gint64>(control_.timeline().total()));
            return true;
        case GST_QUERY_POSITION: {
            gst_query_parse_position(query, &format, nullptr);
            std::lock_guard lock(control_.mutex());
            if (format != GST_FORMAT_TIME || !position_) {
                return false;
            }
            gst_query_set_position(query, GST_FORMAT_TIME, static_cast<gint64>(*position_));
            return true;
        }
        case GST_QUERY_SEEKING:
            gst_query_parse_seeking(query, &format, nullptr, nullptr, nullptr);
            if (format != GST_FORMAT_TIME) {
                return false;
            }
            gst_query_set_seeking(query, GST_FORMAT_TIME, TRUE, 0,
                                  static_cast<gint64>(control_.timeline().total()));
            return true;
        case GST_QUERY_SEGMENT: {
            std::lock_guard lock(control_.mutex());
            if (!outValid_) {
                return false;
            }
            gst_query_set_segment(query, out_.rate, GST_FORMAT_TIME, static_cast<gint64>(out_.time),
                                  static_cast<gint64>(out_.time + (out_.stop - out_.start)));
            return true;
        }
        default:
            break;
    }
    plugin::GstPtr<GstPad> upstream;
    {
        std::lock_guard lock(control_.mutex());
        const size_t item = std::min(current_, slots_.size() - 1);
        upstream = plugin::refGst(slots_[item].pad);
    }
    if (upstream && gst_pad_peer_query(upstream.get(), query)) {
        return true;
    }
    return gst_pad_query_default(pad, GST_OBJECT(element_), query);
}

void StreamJoin::pushFlush(bool start, uint32_t seqnum) {
    GstEvent* event = start ? gst_event_new_flush_start() : gst_event_new_flush_stop(TRUE);
    gst_event_set_seqnum(event, seqnum);
    gst_pad_push_event(src_, event);
}

void StreamJoin::advanceOverAbsent() {
    Events events;
    {
        std::lock_guard lock(control_.mutex());
        if (pushing_ || done_ || control_.srcFlushingLocked() || control_.stoppingLocked() ||
            current_ >= slots_.size() || !absentLocked(current_)) {
            return;
        }
        pushing_ = true;
        skipAbsentLocked(events);
    }
    pushAll(events);
    std::unique_lock lock(control_.mutex());
    release(lock);
}

}  // namespace quarnex
