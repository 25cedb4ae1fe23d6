#include "video/gl/egl_context.h"

#include <EGL/eglext.h>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {

std::shared_ptr<EglContext> EglContext::createHeadless(std::shared_ptr<EglDisplay> display,
                                                       const EglContext* shareWith) {
    return create(std::move(display), shareWith, false);
}

std::shared_ptr<EglContext> EglContext::createForWindows(std::shared_ptr<EglDisplay> display) {
    return create(std::move(display), nullptr, true);
}

std::shared_ptr<EglContext> EglContext::create(std::shared_ptr<EglDisplay> display,
                                               const EglContext* shareWith, bool windows) {
    if (!display) {
        return nullptr;
    }
    const EGLDisplay dpy = display->handle();
    const bool surfaceless = display->hasExtension("EGL_KHR_surfaceless_context");
    if (!eglBindAPI(EGL_OPENGL_ES_API)) {
        GST_ERROR("OpenGL ES is not offered by EGL");
        return nullptr;
    }
    const EGLint configAttributes[] = {
        EGL_RENDERABLE_TYPE,
        EGL_OPENGL_ES3_BIT,
        EGL_SURFACE_TYPE,
        (surfaceless ? 0 : EGL_PBUFFER_BIT) | (windows ? EGL_WINDOW_BIT : 0),
        EGL_RED_SIZE,
        8,
        EGL_GREEN_SIZE,
        8,
        EGL_BLUE_SIZE,
        8,
        EGL_NONE};
    EGLConfig config = nullptr;
    EGLint count = 0;
    if (shareWith) {
        config = shareWith->config();
    } else if (!eglChooseConfig(dpy, configAttributes, &config, 1, &count) || count < 1) {
        GST_ERROR("no OpenGL ES 3 configuration: 0x%x", eglGetError());
        return nullptr;
    }
    const EGLint contextAttributes[] = {EGL_CONTEXT_MAJOR_VERSION, 3, EGL_CONTEXT_MINOR_VERSION, 0,
                                        EGL_NONE};
    EGLContext context = eglCreateContext(
        dpy, config, shareWith ? shareWith->handle() : EGL_NO_CONTEXT, contextAttributes);
    if (context == EGL_NO_CONTEXT) {
        GST_ERROR("eglCreateContext failed: 0x%x", eglGetError());
        return nullptr;
    }
    EGLSurface surface = EGL_NO_SURFACE;
    if (!surfaceless) {
        const EGLint pbufferAttributes[] = {EGL_WIDTH, 1, EGL_HEIGHT, 1, EGL_NONE};
        surface = eglCreatePbufferSurface(dpy, config, pbufferAttributes);
        if (surface == EGL_NO_SURFACE) {
            GST_ERROR("eglCreatePbufferSurface failed: 0x%x", eglGetError());
            eglDestroyContext(dpy, context);
            return nullptr;
        }
    }
    return std::shared_ptr<EglContext>(
        new EglContext(std::move(display), config, context, surface));
}

EglContext::~EglContext() {
    if (isCurrent()) {
        eglMakeCurrent(display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
    if (surface_ != EGL_NO_SURFACE) {
        eglDestroySurface(display(), surface_);
    }
    eglDestroyContext(display(), context_);
}

bool EglContext::makeCurrent() const {
    if (!eglMakeCurrent(display(), surface_, surface_, context_)) {
        GST_WARNING("eglMakeCurrent failed: 0x%x", eglGetError());
        return false;
    }
    return true;
}

}  // namespace nerla
