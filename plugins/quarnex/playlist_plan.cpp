#include "quarnex/playlist_plan.h"

#include "quarnex/bluray_folder.h"
#include "quarnex/clip_probe.h"
#include "quarnex/mpls_reader.h"

namespace quarnex {
namespace {

constexpr uint64_t kTicksPerSecond = 45000;
constexpr uint64_t kNanosPerSecond = 1000000000;

uint64_t ticksToNanos(uint64_t ticks) {
    return ticks / kTicksPerSecond * kNanosPerSecond +
           ticks % kTicksPerSecond * kNanosPerSecond / kTicksPerSecond;
}

}  // namespace

std::optional<PlaylistTimeline> planPlaylist(const std::string& path, bool probeClips) {
    const auto folder = BlurayFolder::fromPlaylist(path);
    if (!folder) {
        return std::nullopt;
    }
    const auto playlist = readMpls(path);
    if (!playlist) {
        return std::nullopt;
    }
    PlaylistTimeline timeline;
    for (const PlayItem& item : playlist->items) {
        const std::string clip = folder->clipPath(item.clip).string();
        if (clip.empty()) {
            return std::nullopt;
        }
        uint64_t inOffset = 0;
        if (probeClips) {
            // IN_time counts 45 kHz ticks of the clip's 90 kHz timestamps.
            if (const auto first = clipFirstTimestamp(clip)) {
                const int64_t ticks90 = timestampDistance(uint64_t{item.inTime} * 2, *first);
                inOffset = ticks90 > 0 ? static_cast<uint64_t>(ticks90) * 100000 / 9 : 0;
            }
        }
        timeline.append(clip, inOffset, ticksToNanos(item.outTime - item.inTime));
    }
    return timeline;
}

}  // namespace quarnex
