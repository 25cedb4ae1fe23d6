#include "frame/shared_library.h"

#include <dlfcn.h>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_frame_debug

namespace nerla {

std::shared_ptr<SharedLibrary> SharedLibrary::open(const std::string& path) {
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        GST_INFO("cannot load %s: %s", path.c_str(), dlerror());
        return nullptr;
    }
    return std::shared_ptr<SharedLibrary>(new SharedLibrary(handle, path));
}

SharedLibrary::~SharedLibrary() {
    GST_DEBUG("unloading %s", path_.c_str());
    dlclose(handle_);
}

void* SharedLibrary::symbol(const char* name) const {
    return dlsym(handle_, name);
}

}  // namespace nerla
