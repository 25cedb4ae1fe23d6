#include "graph/graph_control.h"

#include <algorithm>
#include <cmath>

#include "frame/log.h"
#include "graph/media_units.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {
namespace {

// How long a seek waits for the pipeline to preroll at the new position.
constexpr GstClockTime kSeekSettleTimeout = 5 * GST_SECOND;

}  // namespace

GraphControl::GraphControl(GstPipeline* pipeline) : pipeline_(refGst(pipeline)) {}

bool GraphControl::run() {
    return gst_element_set_state(GST_ELEMENT(pipeline_.get()), GST_STATE_PLAYING) !=
           GST_STATE_CHANGE_FAILURE;
}

bool GraphControl::pause() {
    return gst_element_set_state(GST_ELEMENT(pipeline_.get()), GST_STATE_PAUSED) !=
           GST_STATE_CHANGE_FAILURE;
}

std::optional<int64_t> GraphControl::duration() const {
    gint64 nanos = -1;
    if (!gst_element_query_duration(GST_ELEMENT(pipeline_.get()), GST_FORMAT_TIME, &nanos) ||
        nanos < 0) {
        return std::nullopt;
    }
    return mediaTimeFromNanos(static_cast<GstClockTime>(nanos));
}

std::optional<int64_t> GraphControl::position() const {
    if (ended_.load()) {
        return duration();
    }
    gint64 nanos = -1;
    if (!gst_element_query_position(GST_ELEMENT(pipeline_.get()), GST_FORMAT_TIME, &nanos) ||
        nanos < 0) {
        return std::nullopt;
    }
    return mediaTimeFromNanos(static_cast<GstClockTime>(nanos));
}

bool GraphControl::seek(int64_t mediaTime) {
    return seekAt(rate_.load(), nanosFromMediaTime(mediaTime));
}

bool GraphControl::setRate(double rate) {
    if (!std::isfinite(rate) || rate <= 0.0) {
        GST_INFO("rate %f refused", rate);
        return false;
    }
    const std::optional<int64_t> now = position();
    if (!seekAt(rate, nanosFromMediaTime(now.value_or(0)))) {
        return false;
    }
    rate_.store(rate);
    return true;
}

bool GraphControl::endIsStale(uint32_t seqnum) const {
    std::lock_guard guard(seeksLock_);
    if (seqnum == latestSeek_) {
        return false;
    }
    return std::find(earlierSeeks_.begin(), earlierSeeks_.end(), seqnum) != earlierSeeks_.end();
}

void GraphControl::noteSeek(uint32_t seqnum) {
    std::lock_guard guard(seeksLock_);
    if (latestSeek_ != GST_SEQNUM_INVALID) {
        earlierSeeks_[nextEarlier_] = latestSeek_;
        nextEarlier_ = (nextEarlier_ + 1) % earlierSeeks_.size();
    }
    latestSeek_ = seqnum;
}

bool GraphControl::seekAt(double rate, GstClockTime start) {
    GstElement* pipeline = GST_ELEMENT(pipeline_.get());
    const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
    // Flushing: a paused pipeline shows the new position only after prerolling
    // there again. The end of stream that follows carries the seek's number.
    GstEvent* seek =
        gst_event_new_seek(rate, GST_FORMAT_TIME, flags, GST_SEEK_TYPE_SET,
                           static_cast<gint64>(start), GST_SEEK_TYPE_NONE, GST_CLOCK_TIME_NONE);
    const uint32_t seqnum = gst_event_get_seqnum(seek);
    // After the sinks have ended, a playing audio sink sometimes keeps its
    // clock stopped through a flushing seek: seek paused, then play again.
    GstState state = GST_STATE_NULL;
    gst_element_get_state(pipeline, &state, nullptr, 0);
    const bool replay = sinksEnded_.exchange(false) && state == GST_STATE_PLAYING;
    if (replay) {
        gst_element_set_state(pipeline, GST_STATE_PAUSED);
    }
    if (!gst_element_send_event(pipeline, seek)) {
        GST_INFO("seek to %" GST_TIME_FORMAT " at rate %f refused", GST_TIME_ARGS(start), rate);
        if (replay) {
            gst_element_set_state(pipeline, GST_STATE_PLAYING);
        }
        return false;
    }
    noteSeek(seqnum);
    ended_.store(false);
    const GstStateChangeReturn settled =
        gst_element_get_state(pipeline, nullptr, nullptr, kSeekSettleTimeout);
    if (replay) {
        gst_element_set_state(pipeline, GST_STATE_PLAYING);
    }
    if (settled == GST_STATE_CHANGE_FAILURE) {
        GST_INFO("the pipeline failed after the seek");
        return false;
    }
    if (settled == GST_STATE_CHANGE_ASYNC) {
        GST_INFO("the seek to %" GST_TIME_FORMAT " has not settled yet", GST_TIME_ARGS(start));
    }
    return true;
}

}  // namespace nerla
