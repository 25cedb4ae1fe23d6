#include "graph/graph_waiter.h"

#include <algorithm>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_graph_debug

namespace nerla {

void GraphWaiter::arm(bool prerolled) {
    std::lock_guard guard(lock_);
    armed_ = true;
    prerolled_ = prerolled;
    selected_ = 0;
    counted_ = false;
    linked_ = 0;
    error_.reset();
}

void GraphWaiter::onMessage(GstMessage* message) {
    const GstMessageType type = GST_MESSAGE_TYPE(message);
    if (type != GST_MESSAGE_ASYNC_DONE && type != GST_MESSAGE_ERROR &&
        type != GST_MESSAGE_STREAMS_SELECTED) {
        return;
    }
    std::lock_guard guard(lock_);
    if (!armed_) {
        return;
    }
    if (type == GST_MESSAGE_ASYNC_DONE) {
        prerolled_ = true;
    } else if (type == GST_MESSAGE_STREAMS_SELECTED) {
        if (!counted_) {
            selected_ += gst_message_streams_selected_get_size(message);
        }
    } else if (!error_) {
        GError* error = nullptr;
        gchar* debug = nullptr;
        gst_message_parse_error(message, &error, &debug);
        GST_INFO("rendering failed in %s: %s (%s)", GST_OBJECT_NAME(GST_MESSAGE_SRC(message)),
                 error->message, debug ? debug : "");
        g_free(debug);
        error_.reset(error);
    }
    changed_.notify_all();
}

void GraphWaiter::expectStream() {
    std::lock_guard guard(lock_);
    if (!counted_) {
        counted_ = true;
        selected_ = 0;
    }
    ++selected_;
    changed_.notify_all();
}

void GraphWaiter::onStreamLinked() {
    std::lock_guard guard(lock_);
    ++linked_;
    changed_.notify_all();
}

RenderResult GraphWaiter::wait(GstElement* pipeline, std::chrono::milliseconds timeout,
                               std::chrono::milliseconds stallAfter) {
    using Clock = std::chrono::steady_clock;
    const Clock::time_point deadline = Clock::now() + timeout;
    std::unique_lock guard(lock_);
    if (stallAfter.count() > 0) {
        const bool moved = changed_.wait_until(
            guard, std::min(deadline, Clock::now() + stallAfter),
            [this] { return error_ || prerolled_ || selected_ > 0 || linked_ > 0; });
        if (!moved) {
            armed_ = false;
            GST_INFO("the decoder made no progress in %lld ms",
                     static_cast<long long>(stallAfter.count()));
            return RenderResult::Stalled;
        }
    }
    // The first streams may preroll before the decoder has exposed the rest.
    const bool done = changed_.wait_until(guard, deadline, [this] {
        return error_ || (prerolled_ && selected_ > 0 && linked_ >= selected_);
    });
    if (!done && !error_ && prerolled_ && selected_ == 0) {
        GST_DEBUG("prerolled without a stream selection; taking what is linked");
    } else if (!done && !error_) {
        armed_ = false;
        GST_INFO("the medium did not open within %lld ms (prerolled %d, %u of %u streams linked)",
                 static_cast<long long>(timeout.count()), prerolled_, linked_, selected_);
        return RenderResult::Format;
    }
    if (!error_) {
        // Let the state change that the last stream started settle.
        guard.unlock();
        const auto left = std::max(deadline - Clock::now(), Clock::duration(0));
        const GstStateChangeReturn settled = gst_element_get_state(
            pipeline, nullptr, nullptr,
            std::chrono::duration_cast<std::chrono::nanoseconds>(left).count());
        guard.lock();
        if (!error_ && settled != GST_STATE_CHANGE_SUCCESS &&
            settled != GST_STATE_CHANGE_NO_PREROLL) {
            armed_ = false;
            GST_INFO("the pipeline did not settle");
            return RenderResult::Format;
        }
    }
    armed_ = false;
    return error_ ? renderResultFromError(error_.get()) : RenderResult::Ok;
}

}  // namespace nerla
