#include "video/gl/current_context.h"

namespace nerla {

ScopedCurrent::ScopedCurrent(const EglContext& context)
    : previousDisplay_(eglGetCurrentDisplay()),
      previousContext_(eglGetCurrentContext()),
      previousDraw_(eglGetCurrentSurface(EGL_DRAW)),
      previousRead_(eglGetCurrentSurface(EGL_READ)) {
    if (previousContext_ == context.handle()) {
        ok_ = true;
        return;
    }
    ok_ = context.makeCurrent();
    switched_ = ok_;
}

ScopedCurrent::~ScopedCurrent() {
    if (!switched_) {
        return;
    }
    if (previousContext_ != EGL_NO_CONTEXT) {
        eglMakeCurrent(previousDisplay_, previousDraw_, previousRead_, previousContext_);
    } else {
        eglMakeCurrent(eglGetCurrentDisplay(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
}

}  // namespace nerla
