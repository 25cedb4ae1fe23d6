#include "video/presenter/egl_window_surface.h"

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {

std::unique_ptr<EglWindowSurface> EglWindowSurface::create(const EglContext& context,
                                                           unsigned long window) {
    EGLNativeWindowType native = window;
    const EGLSurface surface =
        eglCreateWindowSurface(context.display(), context.config(), native, nullptr);
    if (surface == EGL_NO_SURFACE) {
        GST_WARNING("eglCreateWindowSurface on 0x%lx failed: 0x%x", window, eglGetError());
        return nullptr;
    }
    return std::unique_ptr<EglWindowSurface>(new EglWindowSurface(context.display(), surface));
}

EglWindowSurface::~EglWindowSurface() {
    if (eglGetCurrentSurface(EGL_DRAW) == surface_) {
        eglMakeCurrent(display_, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    eglDestroySurface(display_, surface_);
}

EGLint EglWindowSurface::swap() const {
    return eglSwapBuffers(display_, surface_) ? EGL_SUCCESS : eglGetError();
}

}  // namespace nerla
