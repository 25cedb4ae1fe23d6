// One initialised EGL display, shared by the contexts made on it. It stays
// initialised for the life of the process: eglTerminate would end it for every
// user of the same display in the process, and Mesa does not give back all it
// took on a terminate and initialise again.
#pragma once

#include <EGL/egl.h>

#include <memory>

namespace nerla {

class EglDisplay {
  public:
    // Mesa's surfaceless platform when offered, the default display otherwise;
    // the same one on every call. Null when EGL cannot start.
    static std::shared_ptr<EglDisplay> openHeadless();
    // The X11 platform display of `xDisplay` (an Xlib Display*, which must stay
    // open for the life of the process); windows get surfaces on it. The same
    // one for the same connection. Null when EGL cannot start on it.
    static std::shared_ptr<EglDisplay> openX11(void* xDisplay);

    EglDisplay(const EglDisplay&) = delete;
    EglDisplay& operator=(const EglDisplay&) = delete;

    EGLDisplay handle() const { return display_; }
    bool hasExtension(const char* name) const;

  private:
    explicit EglDisplay(EGLDisplay display) : display_(display) {}

    EGLDisplay display_;
};

}  // namespace nerla
