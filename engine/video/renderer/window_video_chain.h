// The elements behind a windowed renderer object: a bin with the mixer, the
// picture controls where the sink has none of its own, and an X11 sink,
//   videoconvert ! [videobalance] ! compositor ! capsfilter ! videoconvert ! sink
// in the channel's pipeline.
#pragma once

#include <gst/gst.h>

#include <cstdint>

#include "frame/gst_ptr.h"
#include "nerla.h"
#include "video/renderer/color_balance_controls.h"
#include "video/renderer/renderer_branch.h"
#include "video/renderer/video_mixer.h"
#include "video/renderer/window_sinks.h"

namespace nerla {

class IDirectShow;

class WindowVideoChain {
  public:
    // False when the sink cannot run (no display) or the bin cannot be made.
    // `pictureControls`: a videobalance stands in for a sink without controls.
    bool attach(IDirectShow& channel, GstPad* upstream, WindowSinkKind kind, bool pictureControls);
    void destroy();

    GstPad* inputPad() const { return branch_.inputPad(); }
    bool linked() const { return branch_.linked(); }
    // Size and frame rate (25 when the stream states none) of the video.
    bool videoInfo(NerlaChannelInfo& info) const;

    // Draws into `window` (0: the current one), inside (x, y, width, height)
    // of it, or the whole window without `area`.
    bool bind(NerlaWindow window, const NerlaRect* area);
    bool expose();
    NerlaBitmap* grab() const;

    VideoMixer& mixer() { return mixer_; }
    ColorBalanceControls& colors() { return colors_; }

  private:
    GstElement* build(WindowSink sink, bool balance);

    RendererBranch branch_;
    VideoMixer mixer_;
    ColorBalanceControls colors_;
    GstPtr<GstElement> sink_;
    GstPtr<GstPad> input_;
};

}  // namespace nerla
