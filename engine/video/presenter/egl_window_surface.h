// An EGL window surface on an X11 window: where a presented frame goes.
#pragma once

#include <EGL/egl.h>

#include <memory>

#include "video/gl/egl_context.h"

namespace nerla {

class EglWindowSurface {
  public:
    // Null when EGL refuses the window.
    // `window`: an X11 window id.
    static std::unique_ptr<EglWindowSurface> create(const EglContext& context,
                                                    unsigned long window);
    ~EglWindowSurface();
    EglWindowSurface(const EglWindowSurface&) = delete;
    EglWindowSurface& operator=(const EglWindowSurface&) = delete;

    EGLSurface handle() const { return surface_; }
    // Shows the drawn picture; the EGL error on failure, EGL_SUCCESS otherwise.
    EGLint swap() const;

  private:
    EglWindowSurface(EGLDisplay display, EGLSurface surface)
        : display_(display), surface_(surface) {}

    EGLDisplay display_;
    EGLSurface surface_;
};

}  // namespace nerla
