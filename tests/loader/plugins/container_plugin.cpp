// A filter-class container: three classes answered with core factories, and
// with CONTAINER_FAILING a fourth class whose factory cannot be had.
#include <gst/gst.h>

#include <cstring>

#include "nerla_plugin.h"

namespace {

const NerlaClassEntry kEntries[] = {
    {{0x11111111, 1, 1, {1, 1, 1, 1, 1, 1, 1, 1}}, u"Test Identity"},
    {{0x22222222, 2, 2, {2, 2, 2, 2, 2, 2, 2, 2}}, u"Test Volume"},
    {{0x33333333, 3, 3, {3, 3, 3, 3, 3, 3, 3, 3}}, nullptr},
#ifdef CONTAINER_FAILING
    {{0x44444444, 4, 4, {4, 4, 4, 4, 4, 4, 4, 4}}, u"Test Missing"},
#endif
};

int32_t classObject(const NerlaGUID* clsid, GstElementFactory** factory) {
    const char* name = nullptr;
    switch (clsid->Data1) {
        case 0x11111111:
            name = "identity";
            break;
        case 0x22222222:
            name = "volume";
            break;
        case 0x33333333:
            name = "audioconvert";
            break;
        default:
            return static_cast<int32_t>(0x80040154);
    }
    *factory = gst_element_factory_find(name);
    return *factory ? 0 : static_cast<int32_t>(0x80004005);
}

const NerlaClassTable kTable{&classObject, kEntries, sizeof kEntries / sizeof kEntries[0]};

}  // namespace

extern "C" __attribute__((visibility("default"))) uintptr_t NerlaPlugin(uint32_t query) {
    return query == 4 ? reinterpret_cast<uintptr_t>(&kTable) : 0;
}
