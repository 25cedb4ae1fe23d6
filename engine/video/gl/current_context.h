// Makes a context current for a scope and restores what the thread had before.
#pragma once

#include <EGL/egl.h>

#include "video/gl/egl_context.h"

namespace nerla {

class ScopedCurrent {
  public:
    explicit ScopedCurrent(const EglContext& context);
    ~ScopedCurrent();
    ScopedCurrent(const ScopedCurrent&) = delete;
    ScopedCurrent& operator=(const ScopedCurrent&) = delete;

    // False when the context could not be bound (it is current on another thread).
    bool ok() const { return ok_; }

  private:
    EGLDisplay previousDisplay_;
    EGLContext previousContext_;
    EGLSurface previousDraw_;
    EGLSurface previousRead_;
    bool switched_ = false;
    bool ok_ = false;
};

}  // namespace nerla
