// The element around a StreamJoin: an always source pad and one sink pad per
// playlist item, made as the items' demuxers announce the stream.
#pragma once

#include <gst/gst.h>

#include <string>

namespace quarnex {

class PlaylistControl;
class StreamJoin;

// A new (floating) join element named `name` with `items` slots, starting
// the stream `streamId` of group `groupId`; `join` receives its logic, which
// lives as long as the element.
GstElement* makeJoinElement(PlaylistControl& control, size_t items, const std::string& name,
                            std::string streamId, guint groupId, StreamJoin** join);

}  // namespace quarnex
