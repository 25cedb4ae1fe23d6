// The graph of one playlist, as one bin: per item a "filesrc" and a
// "tsdemux"; the first video and the first audio stream of every item go
// into a join per stream, each join through a queue into a "decodebin3". The
// decoded streams leave the bin on sometimes pads "video_%u" and "audio_%u",
// one timeline for the whole playlist, seekable over all of it.
#pragma once

#include <gst/gst.h>

#include <string>

#include "quarnex/playlist_timeline.h"

namespace quarnex {

// A new (floating) bin for `timeline`; `id` tells its streams from others'.
GstElement* makePlaylistBin(PlaylistTimeline timeline, const std::string& name,
                            const std::string& id);

}  // namespace quarnex
