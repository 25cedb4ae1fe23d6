// Lets a splitter plug-in build a channel's graph from a source element
// before the engine renders the medium itself.
#pragma once

#include <gst/gst.h>

#include <string>

#include "graph/graph_builder.h"

namespace nerla {

// True when a splitter plug-in built the graph for `location` (a file path,
// or a URL when `url` is set); its unlinked source pads are then rendered
// by `builder`. False leaves the pipeline as it was.
bool trySplitters(GstPipeline* pipeline, GraphBuilder& builder, const std::string& location,
                  bool url);

}  // namespace nerla
