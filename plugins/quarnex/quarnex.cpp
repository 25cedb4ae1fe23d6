// Plugins/Quarnex.so: the suite's splitter plug-in. It takes the playlist
// files of unencrypted Blu-ray folders and plays their clips as one medium.
#include <gst/gst.h>

#include <functional>
#include <string>

#include "common/plugin_export.h"
#include "nerla_plugin.h"
#include "quarnex/log.h"
#include "quarnex/path_text.h"
#include "quarnex/playlist_bin.h"
#include "quarnex/playlist_plan.h"

#define GST_CAT_DEFAULT quarnex_debug

namespace {

struct QuarnexRecord {
    NerlaPluginHeader header;
    uint32_t version;
    char16_t name[32];
};

const QuarnexRecord kRecord = {{sizeof(QuarnexRecord), 0}, 0x00010000, u"Quarnex Blu-ray Splitter"};

int32_t NERLA_CALL accept(const char16_t* path) {
    try {
        const auto file = quarnex::utf8FromUtf16(path);
        return file && quarnex::planPlaylist(*file, false) ? 1 : 0;
    } catch (...) {
        return 0;
    }
}

int32_t NERLA_CALL build(const char16_t* path, GstPipeline* pipeline, GstElement* /*source*/) {
    // The playlist's own file source is of no use: it stays unlinked, which
    // tells the engine to take it out.
    try {
        if (!pipeline || !gst_is_initialized()) {
            return 0;
        }
        quarnex::ensureLog();
        const auto file = quarnex::utf8FromUtf16(path);
        if (!file) {
            return 0;
        }
        auto timeline = quarnex::planPlaylist(*file, true);
        if (!timeline) {
            GST_INFO("%s is not a playable Blu-ray playlist", file->c_str());
            return 0;
        }
        const std::string id = std::to_string(std::hash<std::string>{}(*file));
        GstElement* bin = quarnex::makePlaylistBin(std::move(*timeline), "Blu-ray Playlist", id);
        if (!bin || !gst_bin_add(GST_BIN(pipeline), bin)) {
            return 0;
        }
        if (GST_STATE(pipeline) > GST_STATE_NULL || GST_STATE_PENDING(pipeline) > GST_STATE_NULL) {
            gst_element_sync_state_with_parent(bin);
        }
        GST_INFO("playing %s", file->c_str());
        return 1;
    } catch (...) {
        return 0;
    }
}

}  // namespace

NERLA_PLUGIN_API uintptr_t NERLA_CALL NerlaPlugin(uint32_t query) {
    switch (query) {
        case 0:
            return reinterpret_cast<uintptr_t>(&kRecord);
        case 2:
            return reinterpret_cast<uintptr_t>(&build);
        case 3:
            return reinterpret_cast<uintptr_t>(&accept);
        default:
            return 0;
    }
}
