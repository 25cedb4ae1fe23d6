#include "video/gl/egl_display.h"

#include <EGL/eglext.h>

#include <cstring>
#include <mutex>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

bool listHas(const char* list, const char* name) {
    if (!list) {
        return false;
    }
    const size_t length = std::strlen(name);
    for (const char* at = std::strstr(list, name); at; at = std::strstr(at + 1, name)) {
        const bool starts = at == list || at[-1] == ' ';
        const bool ends = at[length] == '\0' || at[length] == ' ';
        if (starts && ends) {
            return true;
        }
    }
    return false;
}

EGLDisplay headlessHandle() {
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    if (listHas(clientExtensions, "EGL_MESA_platform_surfaceless")) {
        auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
            eglGetProcAddress("eglGetPlatformDisplayEXT"));
        if (getPlatformDisplay) {
            EGLDisplay display =
                getPlatformDisplay(EGL_PLATFORM_SURFACELESS_MESA, EGL_DEFAULT_DISPLAY, nullptr);
            if (display != EGL_NO_DISPLAY) {
                return display;
            }
        }
    }
    return eglGetDisplay(EGL_DEFAULT_DISPLAY);
}

}  // namespace

std::shared_ptr<EglDisplay> EglDisplay::openHeadless() {
    static std::mutex openLock;
    static std::shared_ptr<EglDisplay> opened;
    std::lock_guard lock(openLock);
    if (opened) {
        return opened;
    }
    ensureGstreamer();
    const EGLDisplay display = headlessHandle();
    if (display == EGL_NO_DISPLAY) {
        GST_ERROR("no EGL display");
        return nullptr;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        GST_ERROR("eglInitialize failed: 0x%x", eglGetError());
        return nullptr;
    }
    GST_DEBUG("EGL %d.%d, vendor %s", major, minor, eglQueryString(display, EGL_VENDOR));
    opened = std::shared_ptr<EglDisplay>(new EglDisplay(display));
    return opened;
}

std::shared_ptr<EglDisplay> EglDisplay::openX11(void* xDisplay) {
    static std::mutex openLock;
    static void* openedFor = nullptr;
    static std::shared_ptr<EglDisplay> opened;
    std::lock_guard lock(openLock);
    if (opened && openedFor == xDisplay) {
        return opened;
    }
    ensureGstreamer();
    const char* clientExtensions = eglQueryString(EGL_NO_DISPLAY, EGL_EXTENSIONS);
    EGLDisplay display = EGL_NO_DISPLAY;
    auto getPlatformDisplay = reinterpret_cast<PFNEGLGETPLATFORMDISPLAYEXTPROC>(
        eglGetProcAddress("eglGetPlatformDisplayEXT"));
    if (getPlatformDisplay && listHas(clientExtensions, "EGL_EXT_platform_x11")) {
        display = getPlatformDisplay(EGL_PLATFORM_X11_EXT, xDisplay, nullptr);
    }
    if (display == EGL_NO_DISPLAY) {
        GST_WARNING("no EGL display on the X11 platform");
        return nullptr;
    }
    EGLint major = 0;
    EGLint minor = 0;
    if (!eglInitialize(display, &major, &minor)) {
        GST_WARNING("eglInitialize on X11 failed: 0x%x", eglGetError());
        return nullptr;
    }
    GST_DEBUG("EGL %d.%d on X11, vendor %s", major, minor, eglQueryString(display, EGL_VENDOR));
    opened = std::shared_ptr<EglDisplay>(new EglDisplay(display));
    openedFor = xDisplay;
    return opened;
}

bool EglDisplay::hasExtension(const char* name) const {
    return listHas(eglQueryString(display_, EGL_EXTENSIONS), name);
}

}  // namespace nerla
