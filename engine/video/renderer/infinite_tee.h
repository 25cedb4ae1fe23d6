// The "Infinite TEE" that feeds a channel's extra windows: a tee between the
// main renderer's input and the pad feeding it, with a queue in front of the
// main renderer.
#pragma once

#include <gst/gst.h>

#include "frame/gst_ptr.h"

namespace nerla {

class InfiniteTee {
  public:
    static constexpr const char* kName = "Infinite TEE";

    // The tee of `pipeline`; when there is none, one is put in front of
    // `rendererInput`. Null when that fails, with the old link restored.
    static GstPtr<GstElement> ensure(GstPipeline* pipeline, GstPad* rendererInput);
    // A new, unlinked output of the tee.
    static GstPtr<GstPad> newOutput(GstElement* tee);
    // Gives back an output that nothing was linked to.
    static void dropOutput(GstElement* tee, GstPad* output);
};

}  // namespace nerla
