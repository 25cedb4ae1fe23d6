// The video renderer objects of a channel: one wrapper per renderer sink,
// answering the channel's video requests the way its sink allows.
#pragma once

#include <gst/gst.h>

#include <cstdint>

#include "nerla.h"

namespace nerla {

class IDirectShow;

class IVideoRenderer2 {
  public:
    virtual ~IVideoRenderer2() = default;

    // Frame rate (25 when the stream states none), height and width.
    virtual bool QueryVideoInfo(NerlaChannelInfo& info) = 0;
    // Shows the video in `window` (0: keep the current one), inside `rect`
    // (null: the whole client area).
    virtual int32_t BindWindow(NerlaWindow window, const NerlaRect* rect) = 0;
    virtual int32_t RepaintFrame(NerlaWindow window, uintptr_t deviceContext) = 0;
    // Mixer alpha of `stream` in percent.
    virtual int32_t SetStreamAlpha(int32_t stream, float percent) = 0;
    virtual float GetStreamAlpha(int32_t stream) = 0;
    virtual int32_t SetOverlay(const NerlaOverlayBitmap* overlay) = 0;
    // Output rectangle of `stream` in video pixels (left, top, right, bottom).
    virtual int32_t SetStreamRect(int32_t stream, const NerlaRect& rect) = 0;
    // The current frame, freed by the caller with Nerla_FreeMem; or null.
    virtual NerlaBitmap* GrabBitmap() = 0;
    // The control number is read from `range.control`.
    virtual int32_t GetColorControlRange(NerlaColorRange& range) = 0;
    virtual int32_t SetColorControl(int32_t control, float value) = 0;
    // Puts the renderer's sink into the channel's pipeline, linked to
    // `upstream` when given (an extra window's tee pad).
    virtual bool AttachToGraph(IDirectShow& channel, GstPad* upstream) = 0;
    // After rendering: true when decoded video reaches the renderer.
    virtual bool VerifyConnection(IDirectShow& channel) = 0;
    virtual int32_t SetViewValue(int32_t value) = 0;

    // The pad decoded video is linked to; null when the renderer adopts the
    // graph's own video sink.
    virtual GstPad* sinkPad() = 0;
    // Takes the renderer's elements out of the pipeline.
    virtual void Destroy() = 0;
};

}  // namespace nerla
