// An OpenGL ES 3.0 context of the engine's own on an EGL display.
#pragma once

#include <EGL/egl.h>

#include <memory>

#include "video/gl/egl_display.h"

namespace nerla {

class EglContext {
  public:
    // A context without a window: surfaceless where the display allows it,
    // bound to a 1x1 pbuffer otherwise. With `shareWith`, textures, buffers,
    // samplers and programs are shared with that context. Null on failure.
    static std::shared_ptr<EglContext> createHeadless(std::shared_ptr<EglDisplay> display,
                                                      const EglContext* shareWith = nullptr);
    // The same, with a configuration that can also draw to window surfaces.
    static std::shared_ptr<EglContext> createForWindows(std::shared_ptr<EglDisplay> display);

    ~EglContext();
    EglContext(const EglContext&) = delete;
    EglContext& operator=(const EglContext&) = delete;

    EGLDisplay display() const { return display_->handle(); }
    const std::shared_ptr<EglDisplay>& sharedDisplay() const { return display_; }
    EGLContext handle() const { return context_; }
    EGLConfig config() const { return config_; }
    // The surface this context draws to when no window is bound (may be none).
    EGLSurface defaultSurface() const { return surface_; }

    // Binds the context to this thread with its default surface.
    bool makeCurrent() const;
    bool isCurrent() const { return eglGetCurrentContext() == context_; }

  private:
    static std::shared_ptr<EglContext> create(std::shared_ptr<EglDisplay> display,
                                              const EglContext* shareWith, bool windows);
    EglContext(std::shared_ptr<EglDisplay> display, EGLConfig config, EGLContext context,
               EGLSurface surface)
        : display_(std::move(display)), config_(config), context_(context), surface_(surface) {}

    std::shared_ptr<EglDisplay> display_;
    EGLConfig config_;
    EGLContext context_;
    EGLSurface surface_;
};

}  // namespace nerla
