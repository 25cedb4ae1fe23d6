// Library start and stop, configuration, version and last-error code.
#include "audio/slide_registry.h"
#include "frame/export_guard.h"
#include "frame/library.h"
#include "frame/plugin_registry.h"
#include "nerla.h"

using nerla::guarded;
using nerla::Library;

extern "C" {

NERLA_API int32_t NERLA_CALL Nerla_Init(NerlaWindow win, int32_t /*reserved*/) {
    return guarded(0, [&] { return Library::instance().init(win) ? 1 : 0; });
}

NERLA_API int32_t NERLA_CALL Nerla_Free(void) {
    return guarded(0, [] {
        // No slide ticks into what goes now.
        nerla::SlideRegistry::instance().endAll();
        const bool stopped = Library::instance().free();
        // Plug-ins load without Nerla_Init, so they are unloaded either way.
        nerla::PluginRegistry::destroy();
        return stopped ? 1 : 0;
    });
}

NERLA_API int32_t NERLA_CALL Nerla_GetVersion(void) {
    return NERLA_VERSION;
}

NERLA_API int32_t NERLA_CALL Nerla_ErrorGetCode(void) {
    return nerla::errorCode();
}

NERLA_API intptr_t NERLA_CALL Nerla_SetConfig(uint32_t option, intptr_t value) {
    return Library::instance().setConfig(option, value);
}

NERLA_API intptr_t NERLA_CALL Nerla_GetConfig(uint32_t option) {
    return Library::instance().config(option);
}

}  // extern "C"
