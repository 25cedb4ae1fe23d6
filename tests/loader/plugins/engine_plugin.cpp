// An engine plug-in: a description record of kind 1 and two values.
#include "nerla_plugin.h"

namespace {
struct Record {
    NerlaPluginHeader header;
    char name[16];
};
const Record kRecord{{sizeof(Record), 1}, "test engine"};
int kValue1, kValue3;
}  // namespace

extern "C" __attribute__((visibility("default"))) uintptr_t NerlaPlugin(uint32_t query) {
    switch (query) {
        case 0:
            return reinterpret_cast<uintptr_t>(&kRecord);
        case 1:
            return reinterpret_cast<uintptr_t>(&kValue1);
        case 3:
            return reinterpret_cast<uintptr_t>(&kValue3);
        default:
            return 0;
    }
}
