#include "frame/log.h"

#include <mutex>

GST_DEBUG_CATEGORY(nerla_frame_debug);
GST_DEBUG_CATEGORY(nerla_graph_debug);
GST_DEBUG_CATEGORY(nerla_video_debug);
GST_DEBUG_CATEGORY(nerla_audio_debug);

namespace nerla {

bool ensureGstreamer() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        GError* error = nullptr;
        started = gst_init_check(nullptr, nullptr, &error);
        if (!started) {
            g_clear_error(&error);
            return;
        }
        GST_DEBUG_CATEGORY_INIT(nerla_frame_debug, "nerlaframe", 0, "Nerla library frame");
        GST_DEBUG_CATEGORY_INIT(nerla_graph_debug, "nerlagraph", 0, "Nerla channels and graphs");
        GST_DEBUG_CATEGORY_INIT(nerla_video_debug, "nerlavideo", 0, "Nerla video rendering");
        GST_DEBUG_CATEGORY_INIT(nerla_audio_debug, "nerlaaudio", 0, "Nerla audio processing");
    });
    return started;
}

}  // namespace nerla
