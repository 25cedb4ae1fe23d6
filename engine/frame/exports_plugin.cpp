// Plug-in libraries: loading, information, removal. None needs Nerla_Init.
#include <gst/gst.h>

#include "frame/export_guard.h"
#include "frame/guid.h"
#include "frame/plugin_registry.h"
#include "frame/text.h"
#include "nerla.h"

using nerla::guarded;
using nerla::PluginRegistry;

extern "C" {

NERLA_API uint32_t NERLA_CALL Nerla_LoadPlugin(const void* path, uint32_t encoding) {
    return guarded(0u, [&]() -> uint32_t {
        const auto file = nerla::readText(path, nerla::encodingFromSignForm(encoding));
        if (!file || file->empty()) {
            return 0;
        }
        return PluginRegistry::acquire()->loadPlugin(*file);
    });
}

NERLA_API uint32_t NERLA_CALL Nerla_LoadPluginDS(const void* path, const void* clsid,
                                                 const char16_t* filterName, uint32_t encoding) {
    return guarded(0u, [&]() -> uint32_t {
        const auto file = nerla::readText(path, nerla::encodingFromSignForm(encoding));
        const auto text = nerla::readText(clsid, nerla::TextEncoding::Utf16);
        if (!file || file->empty() || !text) {
            return 0;
        }
        const std::optional<NerlaGUID> guid = nerla::parseGuid(*text);
        if (!guid || nerla::isNullGuid(*guid) || !gst_init_check(nullptr, nullptr, nullptr)) {
            return 0;
        }
        std::optional<std::u16string> name;
        if (filterName) {
            name = std::u16string(filterName);
        }
        return PluginRegistry::acquire()->loadGstPlugin(*file, *guid, std::move(name));
    });
}

NERLA_API const void* NERLA_CALL Nerla_PluginGetInfo(uint32_t plugin) {
    return guarded(static_cast<const void*>(nullptr), [&]() -> const void* {
        const auto registry = PluginRegistry::current();
        return registry ? registry->info(plugin) : nullptr;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_RemovePlugin(uint32_t plugin) {
    return guarded(0, [&]() -> int32_t {
        const auto registry = PluginRegistry::current();
        return registry && registry->remove(plugin) ? 1 : 0;
    });
}

}  // extern "C"
