#include "quarnex/log.h"

#include <mutex>

GST_DEBUG_CATEGORY(quarnex_debug);

namespace quarnex {

void ensureLog() {
    static std::once_flag once;
    std::call_once(once, [] {
        GST_DEBUG_CATEGORY_INIT(quarnex_debug, "quarnex", 0, "Blu-ray playlist splitter");
    });
}

}  // namespace quarnex
