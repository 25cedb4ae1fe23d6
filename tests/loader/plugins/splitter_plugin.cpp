// A splitter that accepts paths ending in ".nsplit" with its own answer
// (SPLITTER_ANSWER), and builds by linking the source into a parsebin.
#include <gst/gst.h>

#include <string>

#include "nerla_plugin.h"

namespace {

const NerlaPluginHeader kRecord{sizeof(NerlaPluginHeader), 0};

bool wanted(const char16_t* path) {
    const std::u16string p(path);
    const std::u16string suffix = u".nsplit";
    return p.size() > suffix.size() &&
           p.compare(p.size() - suffix.size(), suffix.size(), suffix) == 0;
}

int32_t accept(const char16_t* path) {
    return wanted(path) ? SPLITTER_ANSWER : 0;
}

int32_t build(const char16_t* path, GstPipeline* pipeline, GstElement* source) {
    if (!wanted(path)) {
        return 0;
    }
    GstElement* demux = gst_element_factory_make("parsebin", nullptr);
    gst_bin_add(GST_BIN(pipeline), demux);
    return gst_element_link(source, demux) ? SPLITTER_ANSWER : 0;
}

}  // namespace

extern "C" __attribute__((visibility("default"))) uintptr_t NerlaPlugin(uint32_t query) {
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
