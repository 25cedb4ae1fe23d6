// The graph events of a channel as the bus messages that stand for them.
#pragma once

#include <gst/gst.h>

#include <cstdint>

namespace nerla {

enum class GraphEventCode { None, Complete, Repaint, VideoSizeChanged, Paused, DeviceLost };

struct GraphEvent {
    GraphEventCode code = GraphEventCode::None;
    uintptr_t param1 = 0;  // video size: width in the low, height in the high 16 bits
};

// Element messages the channel's renderers post.
inline constexpr const char* kRepaintMessage = "nerla-repaint";
inline constexpr const char* kVideoSizeMessage = "nerla-video-size";  // "width", "height"

GstMessage* newRepaintMessage(GstObject* source);
GstMessage* newVideoSizeMessage(GstObject* source, int width, int height);

// The event `message` of `pipeline`'s bus stands for. A completed pause is
// any settling of the pipeline in PAUSED; the channel knows whether it asked
// for one.
GraphEvent graphEventOf(GstMessage* message, GstPipeline* pipeline);

}  // namespace nerla
