#include "quarnex/path_text.h"

#include <glib.h>

#include <memory>

namespace quarnex {

std::optional<std::string> utf8FromUtf16(const char16_t* text) {
    static_assert(sizeof(char16_t) == sizeof(gunichar2));
    if (!text) {
        return std::nullopt;
    }
    std::unique_ptr<gchar, decltype(&g_free)> utf8(
        g_utf16_to_utf8(reinterpret_cast<const gunichar2*>(text), -1, nullptr, nullptr, nullptr),
        &g_free);
    if (!utf8) {
        return std::nullopt;
    }
    return std::string(utf8.get());
}

}  // namespace quarnex
