// Takes the streams of the items that the playlist does not play (further
// audio tracks, subtitles), so that no demuxer pad stays unlinked.
#pragma once

#include <gst/gst.h>

namespace quarnex {

// A new (floating) element that accepts and drops whatever comes in.
GstElement* makeDiscardElement(const char* name);

// A new sink pad of `discard` (borrowed).
GstPad* discardPad(GstElement* discard);

}  // namespace quarnex
