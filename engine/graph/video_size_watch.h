// Watches the decoded video reaching a channel's video renderer and posts a
// size message (graph_events.h) on the bus when the native size changes.
#pragma once

#include <gst/gst.h>

#include <atomic>
#include <cstdint>

#include "frame/gst_ptr.h"

namespace nerla {

class VideoSizeWatch {
  public:
    VideoSizeWatch() = default;
    ~VideoSizeWatch() { stop(); }
    VideoSizeWatch(const VideoSizeWatch&) = delete;
    VideoSizeWatch& operator=(const VideoSizeWatch&) = delete;

    // Starts from the size `pad` has now; later caps of another size are
    // reported. `pad` belongs to an element in the pipeline.
    void watch(GstPad* pad);
    void stop();

  private:
    static GstPadProbeReturn onEvent(GstPad* pad, GstPadProbeInfo* info, gpointer self);
    void checkCaps(GstPad* pad, GstCaps* caps, bool report);

    GstPtr<GstPad> pad_;
    gulong probe_ = 0;
    std::atomic<uint32_t> size_{0};  // width | height << 16, 0 while unknown
};

}  // namespace nerla
