// The video renderer objects of a channel.
#pragma once

#include <gst/gst.h>

#include "nerla.h"

namespace nerla {

class IDirectShow;

class IVideoRenderer2 {
  public:
    virtual ~IVideoRenderer2() = default;
    // Puts the renderer's sink into the channel's pipeline (or adopts one).
    virtual bool AttachToGraph(IDirectShow& channel) = 0;
    // After rendering: true when decoded video reaches the renderer.
    virtual bool VerifyConnection(IDirectShow& channel) = 0;
    // Frame rate (25 when the stream states none), height and width.
    virtual bool QueryVideoInfo(NerlaChannelInfo& info) = 0;
    // Shows the video in `window` (0: the renderer's own), inside `rect`
    // (null: the whole client area).
    virtual int32_t BindWindow(NerlaWindow window, const NerlaRect* rect) = 0;
    // The pad decoded video is linked to; null when the renderer adopts the
    // graph's own video sink.
    virtual GstPad* sinkPad() = 0;
    virtual void Destroy() = 0;
};

}  // namespace nerla
