// The filters of the plug-in filter classes that a channel's pipeline holds
// until rendering has shown which of them are used.
#pragma once

#include <gst/gst.h>

#include <deque>
#include <mutex>
#include <vector>

#include "frame/gst_ptr.h"

namespace nerla {

class PluginFilterQueue {
  public:
    // Adds one filter of every registered class to `pipeline`.
    void fill(GstPipeline* pipeline);

    // The queued filters whose sink pad is still free, in insertion order.
    std::vector<GstElement*> freeFilters();

    // Takes every filter out; those without a linked input leave `pipeline`.
    void removeUnconnected(GstPipeline* pipeline);

    bool empty();

  private:
    std::mutex lock_;
    std::deque<GstPtr<GstElement>> filters_;
};

}  // namespace nerla
