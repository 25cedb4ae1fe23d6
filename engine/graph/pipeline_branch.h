// An element (or bin) that a channel object keeps in its pipeline. It waits
// in locked state until decoded data is linked to it, and leaves the pipeline
// when the branch is destroyed.
#pragma once

#include <gst/gst.h>

#include "frame/gst_ptr.h"

namespace nerla {

class PipelineBranch {
  public:
    PipelineBranch() = default;
    PipelineBranch(const PipelineBranch&) = delete;
    PipelineBranch& operator=(const PipelineBranch&) = delete;
    ~PipelineBranch() { detach(); }

    // Adds `element` (floating or owned reference, taken) to `pipeline`.
    bool attach(GstPipeline* pipeline, GstElement* element);
    // Leaves the pipeline: the element is stopped and removed.
    void detach();

    GstElement* element() const { return element_.get(); }
    GstPad* sinkPad() const;  // borrowed; null when none
    bool sinkLinked() const;
    // Lets the element follow the pipeline's state (after linking).
    void activate();

  private:
    GstPtr<GstElement> element_;
    GstPipeline* pipeline_ = nullptr;
    GstPtr<GstPad> sinkPad_;
};

// Creates a bin named `name` from a launch description whose unlinked sink
// pad becomes the bin's "sink" ghost pad. Null on failure.
GstElement* makeBranchBin(const char* name, const char* description);

}  // namespace nerla
