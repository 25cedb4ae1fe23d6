// The elements a video renderer object keeps in a channel's pipeline. As the
// channel's own renderer it waits in locked state until decoded video is
// linked to it; fed from an upstream pad (an extra window's tee pad) it gets
// a queue of its own and follows the pipeline at once. Leaving the pipeline
// gives a requested upstream pad back to its element.
#pragma once

#include <gst/gst.h>

#include "frame/gst_ptr.h"

namespace nerla {

class RendererBranch {
  public:
    RendererBranch() = default;
    RendererBranch(const RendererBranch&) = delete;
    RendererBranch& operator=(const RendererBranch&) = delete;
    ~RendererBranch() { detach(); }

    // Adds `element` (floating or owned reference, taken) to `pipeline`;
    // with `upstream`, links it there through a queue. False on failure,
    // with nothing left in the pipeline.
    bool attach(GstPipeline* pipeline, GstElement* element, GstPad* upstream);
    void detach();

    GstElement* element() const { return element_.get(); }
    // The pad decoded video goes to; null for a branch fed from upstream.
    GstPad* inputPad() const { return upstream_ ? nullptr : sinkPad_.get(); }
    bool linked() const;

    // Unlocks the element that owns `pad` (a claimed renderer input) and
    // lets it follow its pipeline.
    static void activateOwnerOf(GstPad* pad);

  private:
    GstPipeline* pipeline_ = nullptr;
    GstPtr<GstElement> element_;
    GstPtr<GstElement> queue_;
    GstPtr<GstPad> sinkPad_;   // the element's input
    GstPtr<GstPad> upstream_;  // the pad feeding the queue
};

}  // namespace nerla
