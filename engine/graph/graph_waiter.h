// Waits, from the channel's thread, until the pipeline has prerolled with
// every selected stream linked, or failed. Fed from the bus sync handler and
// the graph builder on streaming threads.
#pragma once

#include <gst/gst.h>

#include <chrono>
#include <condition_variable>
#include <mutex>

#include "frame/gst_ptr.h"
#include "graph/render_result.h"

namespace nerla {

class GraphWaiter {
  public:
    // Forgets earlier outcomes; call before starting a state change. A
    // pipeline that has prerolled already (a file added) needs no new preroll.
    void arm(bool prerolled = false);
    // Sees every bus message (any thread).
    void onMessage(GstMessage* message);
    // A decoded stream was linked to its sink.
    void onStreamLinked();
    // A stream the engine decodes for a splitter plug-in will come; from the
    // first on, the streams are counted so instead of taken from the
    // decoders' selections.
    void expectStream();
    // Blocks until the pipeline has prerolled with all its selected streams
    // linked, an error arrived, or `timeout` passed. With `stallAfter` set,
    // gives Stalled when by then no stream was selected or linked, nothing
    // prerolled and no error came.
    RenderResult wait(GstElement* pipeline, std::chrono::milliseconds timeout,
                      std::chrono::milliseconds stallAfter = std::chrono::milliseconds(0));

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    bool armed_ = false;
    bool prerolled_ = false;
    unsigned selected_ = 0;  // streams the decoders chose
    bool counted_ = false;   // selected_ counts expectStream() calls
    unsigned linked_ = 0;
    ErrorPtr error_;
};

}  // namespace nerla
