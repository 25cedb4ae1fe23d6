// Turns a playlist file into the timeline of the clips it names.
#pragma once

#include <optional>
#include <string>

#include "quarnex/playlist_timeline.h"

namespace quarnex {

// The timeline of the playlist at `path` (UTF-8), or nullopt when the path is
// not a playlist of a Blu-ray folder, the file does not parse or one of its
// clips is missing. With `probeClips` each clip's first timestamp is read so
// that the item's IN time becomes an offset into the clip; without it the
// offsets stay 0 (enough to decide whether to take the file).
std::optional<PlaylistTimeline> planPlaylist(const std::string& path, bool probeClips);

}  // namespace quarnex
