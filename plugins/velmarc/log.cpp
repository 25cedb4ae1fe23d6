#include "velmarc/log.h"

#include <mutex>

GST_DEBUG_CATEGORY(velmarc_debug);

namespace velmarc {

bool ensureGstreamer() {
    static std::once_flag once;
    static bool started = false;
    std::call_once(once, [] {
        started = gst_is_initialized() || gst_init_check(nullptr, nullptr, nullptr);
        if (started) {
            GST_DEBUG_CATEGORY_INIT(velmarc_debug, "velmarc", 0, "Velmarc decoder plug-in");
        }
    });
    return started;
}

}  // namespace velmarc
