// Plug-ins that answer nonsense, one kind per NONSENSE value:
// 1 no record at all, 2 a splitter record without functions, 3 an engine
// record without values, 4 an empty class table, 5 a table without a
// class-object function.
#include "nerla_plugin.h"

namespace {
const NerlaPluginHeader kSplitter{sizeof(NerlaPluginHeader), 0};
const NerlaPluginHeader kEngine{sizeof(NerlaPluginHeader), 7};
int32_t classObject(const NerlaGUID*, GstElementFactory**) {
    return 0;
}
const NerlaClassEntry kEntry{{1, 2, 3, {4}}, nullptr};
const NerlaClassTable kEmpty{&classObject, &kEntry, 0};
const NerlaClassTable kNoFunction{nullptr, &kEntry, 1};
}  // namespace

extern "C" __attribute__((visibility("default"))) uintptr_t NerlaPlugin(uint32_t query) {
#if NONSENSE == 2
    return query == 0 ? reinterpret_cast<uintptr_t>(&kSplitter) : 0;
#elif NONSENSE == 3
    return query == 0 ? reinterpret_cast<uintptr_t>(&kEngine) : 0;
#elif NONSENSE == 4
    return query == 4 ? reinterpret_cast<uintptr_t>(&kEmpty) : 0;
#elif NONSENSE == 5
    return query == 4 ? reinterpret_cast<uintptr_t>(&kNoFunction) : 0;
#else
    (void)query;
    return 0;
#endif
}
