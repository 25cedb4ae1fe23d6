#include "video/presenter/allocator.h"

#include <EGL/eglext.h>

#include <algorithm>
#include <array>

#include "frame/log.h"
#include "video/gl/egl_display.h"
#include "video/presenter/device_window.h"
#include "video/presenter/egl_window_surface.h"
#include "video/presenter/x11_connection.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

std::optional<FrameFormat> frameFormatOf(GstVideoFormat format) {
    switch (format) {
        case GST_VIDEO_FORMAT_I420:
        case GST_VIDEO_FORMAT_YV12:  // the planes are read by component
            return FrameFormat::I420;
        case GST_VIDEO_FORMAT_NV12:
            return FrameFormat::Nv12;
        case GST_VIDEO_FORMAT_RGBx:
        case GST_VIDEO_FORMAT_RGBA:
            return FrameFormat::Rgbx;
        case GST_VIDEO_FORMAT_BGRx:
        case GST_VIDEO_FORMAT_BGRA:
            return FrameFormat::Bgrx;
        default:
            return std::nullopt;
    }
}

bool deviceGone(EGLint error) {
    return error == EGL_CONTEXT_LOST || error == EGL_BAD_SURFACE ||
           error == EGL_BAD_NATIVE_WINDOW || error == EGL_BAD_CURRENT_SURFACE;
}

}  // namespace

std::unique_ptr<CAllocator> CAllocator::create() {
    std::unique_ptr<CAllocator> allocator(new CAllocator());
    std::lock_guard objectLock(allocator->objectLock_);
    std::lock_guard presentLock(allocator->presentLock_);
    if (!allocator->createDeviceLocked()) {
        GST_ERROR("the presenter has no GL device");
        return nullptr;
    }
    return allocator;
}

CAllocator::~CAllocator() {
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    releaseDeviceLocked();
}

bool CAllocator::createDeviceLocked() {
    if (X11Connection* connection = X11Connection::instance()) {
        auto context = EglContext::createForWindows(EglDisplay::openX11(connection->display()));
        auto gl = context ? GlDevice::create(context) : nullptr;
        EGLint visual = 0;
        if (gl && eglGetConfigAttrib(context->display(), context->config(), EGL_NATIVE_VISUAL_ID,
                                     &visual)) {
            device_.window = DeviceWindow::create(*connection, static_cast<VisualID>(visual));
        }
        if (device_.window) {
            device_.gl = std::move(gl);
            if (target_ && !retargetLocked(target_)) {
                target_ = 0;
            }
            if (!target_) {
                device_.window->resize(offscreenWidth_, offscreenHeight_);
            }
        }
    }
    if (!device_.gl) {
        device_.window.reset();
        device_.gl = GlDevice::createHeadless();
    }
    if (!device_.gl) {
        return false;
    }
    if (format_) {
        scene_.Setup(device_.gl, *format_);
    }
    return true;
}

void CAllocator::releaseDeviceLocked() {
    if (!device_.gl) {
        return;
    }
    // The window may be gone: the objects are freed with the context alone.
    device_.surface.reset();
    const bool bound = bindLocked();
    if (!bound) {
        // Nothing current: the lost context's names are only forgotten.
        eglMakeCurrent(device_.gl->drawing().display(), EGL_NO_SURFACE, EGL_NO_SURFACE,
                       EGL_NO_CONTEXT);
    }
    planes_ = FramePlanes();
    overlay_.releaseGpu(!bound);
    device_.offscreen.reset();
    if (bound) {
        unbindLocked();
    }
    device_.window.reset();
    device_.gl.reset();
    hasFrame_ = false;
}

bool CAllocator::bindLocked() {
    previousDisplay_ = eglGetCurrentDisplay();
    previousContext_ = eglGetCurrentContext();
    previousDraw_ = eglGetCurrentSurface(EGL_DRAW);
    previousRead_ = eglGetCurrentSurface(EGL_READ);
    const EglContext& context = device_.gl->drawing();
    const EGLSurface surface =
        device_.surface ? device_.surface->handle() : context.defaultSurface();
    if (!eglMakeCurrent(context.display(), surface, surface, context.handle())) {
        const EGLint error = eglGetError();
        GST_WARNING("presenter context cannot be bound: 0x%x", error);
        if (deviceGone(error)) {
            lost_ = true;
        }
        return false;
    }
    return true;
}

void CAllocator::unbindLocked() {
    const EGLDisplay display = device_.gl->drawing().display();
    if (previousContext_ != EGL_NO_CONTEXT && previousContext_ != device_.gl->drawing().handle()) {
        eglMakeCurrent(previousDisplay_, previousDraw_, previousRead_, previousContext_);
    } else {
        eglMakeCurrent(display, EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
}

bool CAllocator::retargetLocked(NerlaWindow target) {
    if (!device_.window || !device_.window->setTarget(static_cast<Window>(target))) {
        return false;
    }
    if (!device_.surface) {
        device_.surface = EglWindowSurface::create(device_.gl->drawing(), device_.window->id());
        if (!device_.surface) {
            return false;
        }
    }
    if (device_.offscreen && bindLocked()) {
        device_.offscreen.reset();
        unbindLocked();
    }
    return true;
}

int CAllocator::targetWidthLocked() const {
    return device_.surface ? device_.window->width() : offscreenWidth_;
}

int CAllocator::targetHeightLocked() const {
    return device_.surface ? device_.window->height() : offscreenHeight_;
}

void CAllocator::pollWindowLocked() {
    if (!device_.window) {
        return;
    }
    const DeviceWindow::Changes changes = device_.window->poll();
    if (device_.window->destroyed()) {
        GST_INFO("device window destroyed; the device is made again");
        lost_ = true;
        return;
    }
    if (changes.exposed && exposeHandler_) {
        exposeHandler_();
    }
}

bool CAllocator::InitializeDevice(const GstVideoInfo& info) {
    const std::optional<FrameFormat> format = frameFormatOf(GST_VIDEO_INFO_FORMAT(&info));
    if (!format) {
        GST_WARNING("frames of format %s cannot be drawn",
                    gst_video_format_to_string(GST_VIDEO_INFO_FORMAT(&info)));
        return false;
    }
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    videoWidth_.store(GST_VIDEO_INFO_WIDTH(&info));
    videoHeight_.store(std::abs(GST_VIDEO_INFO_HEIGHT(&info)));
    format_ = *format;
    videoInfo_ = info;
    planes_.setColorMatrix(info.colorimetry.matrix == GST_VIDEO_COLOR_MATRIX_BT601
                               ? ColorMatrix::Bt601
                               : ColorMatrix::Bt709);
    if (device_.gl) {
        scene_.Setup(device_.gl, *format_);
    }
    GST_DEBUG("presenting %dx%d %s", videoWidth_.load(), videoHeight_.load(),
              gst_video_format_to_string(GST_VIDEO_INFO_FORMAT(&info)));
    return true;
}

bool CAllocator::PresentImage(GstBuffer* buffer) {
    if (!buffer) {
        return false;
    }
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    pollWindowLocked();
    if (lost_ || !device_.gl) {
        // This frame is skipped; the next one goes to the new device.
        releaseDeviceLocked();
        if (createDeviceLocked()) {
            lost_ = false;
            resets_.fetch_add(1);
        }
        return true;
    }
    if (!format_) {
        return true;
    }
    GstVideoFrame frame;
    if (!gst_video_frame_map(&frame, &videoInfo_, buffer, GST_MAP_READ)) {
        GST_WARNING("frame cannot be read");
        return false;
    }
    if (!bindLocked()) {
        gst_video_frame_unmap(&frame);
        return true;
    }
    std::array<PlaneData, 3> planes{};
    const int count = FramePlanes::planeCount(*format_);
    static constexpr int kComponents[3] = {GST_VIDEO_COMP_Y, GST_VIDEO_COMP_U, GST_VIDEO_COMP_V};
    for (int i = 0; i < count; ++i) {
        const int component = count == 1 ? 0 : kComponents[i];
        planes[i].data = static_cast<const uint8_t*>(GST_VIDEO_FRAME_COMP_DATA(&frame, component));
        planes[i].stride = GST_VIDEO_FRAME_COMP_STRIDE(&frame, component);
    }
    const bool uploaded =
        planes_.upload(*format_, GST_VIDEO_FRAME_WIDTH(&frame), GST_VIDEO_FRAME_HEIGHT(&frame),
                       std::span<const PlaneData>(planes.data(), count));
    if (uploaded) {
        drawLocked(nullptr);
        presentLocked();
        hasFrame_ = true;
        frames_.fetch_add(1);
    }
    unbindLocked();
    gst_video_frame_unmap(&frame);
    return true;
}

void CAllocator::drawLocked(const OffscreenTarget* into) {
    const int width = targetWidthLocked();
    const int height = targetHeightLocked();
    if (into) {
        into->bind();
    } else if (device_.surface) {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    } else {
        if (!device_.offscreen || device_.offscreen->width() != width ||
            device_.offscreen->height() != height) {
            device_.offscreen.reset();
            device_.offscreen = OffscreenTarget::create(width, height);
            if (!device_.offscreen) {
                return;
            }
        }
        device_.offscreen->bind();
    }
    const auto& [left, top, right, bottom] = outputRect_;
    glViewport(static_cast<GLint>(left * width), static_cast<GLint>((1.0f - bottom) * height),
               static_cast<GLsizei>((right - left) * width),
               static_cast<GLsizei>((bottom - top) * height));
    scene_.DrawFrame(device_.gl.get(), &planes_);
    glViewport(0, 0, width, height);
    overlay_.draw();
}

void CAllocator::presentLocked() {
    if (!device_.surface) {
        glFlush();
        return;
    }
    const EGLint error = device_.surface->swap();
    if (error != EGL_SUCCESS) {
        GST_WARNING("present failed: 0x%x", error);
        if (deviceGone(error)) {
            lost_ = true;
        }
    }
}

int32_t CAllocator::repaintLocked() {
    pollWindowLocked();
    if (lost_) {
        return kNoFrame;  // the next frame makes the device again
    }
    if (!hasFrame_ || !device_.gl) {
        return kNoFrame;
    }
    if (!bindLocked()) {
        return kFailed;
    }
    drawLocked(nullptr);
    presentLocked();
    unbindLocked();
    return lost_ ? kFailed : kOk;
}

int32_t CAllocator::RepaintVideo() {
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    return repaintLocked();
}

bool CAllocator::SetVideoClippingWindow(NerlaWindow target) {
    if (!target) {
        return false;
    }
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    if (!device_.gl || !retargetLocked(target)) {
        GST_INFO("window 0x%lx cannot be a target", static_cast<unsigned long>(target));
        return false;
    }
    target_ = target;
    return true;
}

void CAllocator::SetDevicePosition(const NerlaRect& rect) {
    const int width = rect.right - rect.left;
    const int height = rect.bottom - rect.top;
    if (width <= 0 || height <= 0) {
        return;
    }
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    offscreenWidth_ = width;
    offscreenHeight_ = height;
    if (device_.window && !device_.surface) {
        device_.window->resize(width, height);
    }
}

void CAllocator::GetNativeVideoSize(int32_t* width, int32_t* height, int32_t* aspectX,
                                    int32_t* aspectY) const {
    if (width) {
        *width = videoWidth_.load();
    }
    if (height) {
        *height = videoHeight_.load();
    }
    if (aspectX) {
        *aspectX = 4;
    }
    if (aspectY) {
        *aspectY = 3;
    }
}

bool CAllocator::SetOverlay(const NerlaOverlayBitmap& overlay) {
    if (!overlay_.set(overlay)) {
        return false;
    }
    RepaintVideo();
    return true;
}

void CAllocator::SetStreamAlpha(float alpha) {
    overlay_.setAlpha(alpha);
    RepaintVideo();
}

void CAllocator::SetOutputRect(const std::array<float, 4>& rect) {
    {
        std::lock_guard objectLock(objectLock_);
        std::lock_guard presentLock(presentLock_);
        outputRect_ = rect;
    }
    RepaintVideo();
}

void CAllocator::SetColorControls(const ColorControls& controls) {
    {
        std::lock_guard objectLock(objectLock_);
        colorControls_ = controls;
        scene_.SetColorControls(controls);
    }
    RepaintVideo();
}

ColorControls CAllocator::colorControls() const {
    std::lock_guard objectLock(objectLock_);
    return colorControls_;
}

void CAllocator::SelectView(int value) {
    scene_.SelectView(value);
    RepaintVideo();
}

std::optional<CAllocator::Picture> CAllocator::GrabPresented() {
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    if (!hasFrame_ || lost_ || !device_.gl || !bindLocked()) {
        return std::nullopt;
    }
    std::optional<Picture> picture;
    {
        std::optional<OffscreenTarget> target =
            OffscreenTarget::create(targetWidthLocked(), targetHeightLocked());
        if (target) {
            drawLocked(&*target);
            picture = Picture{target->width(), target->height(), target->readPixels()};
        }
    }
    unbindLocked();
    return picture;
}

void CAllocator::setExposeHandler(std::function<void()> handler) {
    std::lock_guard objectLock(objectLock_);
    std::lock_guard presentLock(presentLock_);
    exposeHandler_ = std::move(handler);
}

NerlaWindow CAllocator::deviceWindow() const {
    std::lock_guard objectLock(objectLock_);
    return device_.window ? device_.window->id() : 0;
}

bool CAllocator::presentsToWindow() const {
    std::lock_guard objectLock(objectLock_);
    return device_.surface != nullptr;
}

}  // namespace nerla
