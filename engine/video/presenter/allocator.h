// CAllocator: the stereoscopic renderer's presenter. It owns a GL device and
// a device window of its own; every decoded frame is uploaded once, drawn
// through the scene (and the overlay) and presented into the target window,
// or into an offscreen framebuffer while there is none. Lock order: object
// lock, present lock, then the scene's own lock.
#pragma once

#include <gst/video/video.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <vector>

#include "nerla.h"
#include "video/frame_planes.h"
#include "video/frame_sampling.h"
#include "video/gl/gl_device.h"
#include "video/gl/offscreen_target.h"
#include "video/plane_scene.h"
#include "video/presenter/overlay_layer.h"

namespace nerla {

class DeviceWindow;
class EglWindowSurface;

class CAllocator {
  public:
    // Results in the manner of the renderer's requests.
    static constexpr int32_t kOk = 0;
    static constexpr int32_t kNoFrame = 1;  // nothing presented yet
    static constexpr int32_t kFailed = -1;

    // Null when no GL device can be made.
    static std::unique_ptr<CAllocator> create();
    ~CAllocator();
    CAllocator(const CAllocator&) = delete;
    CAllocator& operator=(const CAllocator&) = delete;

    // Streaming thread. New caps: records the size, sets the scene up again
    // (view mode 0). False for a format the planes cannot carry.
    bool InitializeDevice(const GstVideoInfo& info);
    // One frame: uploaded, drawn, presented and kept for repaints. False
    // only for a buffer that cannot be read; a lost device skips frames.
    bool PresentImage(GstBuffer* buffer);

    // Application threads.
    // Draws the last frame again: kOk, kNoFrame before the first, kFailed.
    int32_t RepaintVideo();
    // The device window becomes a hidden-until-now child of `target`, filling it.
    bool SetVideoClippingWindow(NerlaWindow target);
    // Where the host puts the picture: without a target, the size frames are
    // drawn at; with one, the picture keeps filling the target.
    void SetDevicePosition(const NerlaRect& rect);
    // Each output optional; the aspect is always 4:3.
    void GetNativeVideoSize(int32_t* width, int32_t* height, int32_t* aspectX,
                            int32_t* aspectY) const;
    bool SetOverlay(const NerlaOverlayBitmap& overlay);
    // Alpha 0..1 of the picture over black.
    void SetStreamAlpha(float alpha);
    // Part of the target the picture is drawn in, as fractions (left, top,
    // right, bottom); the rest is black.
    void SetOutputRect(const std::array<float, 4>& rect);
    void SetColorControls(const ColorControls& controls);
    ColorControls colorControls() const;
    void SetSourceLayout(SourceLayout layout) { scene_.SetSourceLayout(layout); }
    // View value (mode, swap, eye factor), then the last frame drawn again.
    void SelectView(int value);

    // The presented picture drawn again offscreen at the target's size: RGBA,
    // top row first. Null before the first frame.
    struct Picture {
        int width = 0;
        int height = 0;
        std::vector<uint8_t> rgba;
    };
    std::optional<Picture> GrabPresented();

    // Called on the streaming thread when the target window needs a repaint.
    void setExposeHandler(std::function<void()> handler);

    const CPlaneScene& scene() const { return scene_; }
    int videoWidth() const { return videoWidth_.load(); }
    int videoHeight() const { return videoHeight_.load(); }
    // The device window (0 without a display) and whether it is shown.
    NerlaWindow deviceWindow() const;
    bool presentsToWindow() const;
    uint64_t framesPresented() const { return frames_.load(); }
    uint64_t deviceResets() const { return resets_.load(); }

  private:
    // The GL device and where it draws.
    struct Device {
        std::shared_ptr<GlDevice> gl;
        std::unique_ptr<DeviceWindow> window;       // null without a display
        std::unique_ptr<EglWindowSurface> surface;  // with a target
        std::optional<OffscreenTarget> offscreen;   // without one
    };

    CAllocator() = default;
    bool createDeviceLocked();
    void releaseDeviceLocked();
    // Binds the drawing context to this thread with the current surface.
    bool bindLocked();
    void unbindLocked();
    // Draws the kept frame into `into`, or where frames are presented.
    void drawLocked(const OffscreenTarget* into);
    // Presents what was drawn; notices a lost device.
    void presentLocked();
    void pollWindowLocked();
    bool retargetLocked(NerlaWindow target);
    int targetWidthLocked() const;
    int targetHeightLocked() const;
    int32_t repaintLocked();

    mutable std::mutex objectLock_;
    // Taken after the object lock, around each draw and present.
    std::mutex presentLock_;
    CPlaneScene scene_;
    Device device_;
    FramePlanes planes_;
    OverlayLayer overlay_;
    std::optional<FrameFormat> format_;
    GstVideoInfo videoInfo_{};
    NerlaWindow target_ = 0;
    // The device window's size while there is no target.
    int offscreenWidth_ = 1920;
    int offscreenHeight_ = 1080;
    std::array<float, 4> outputRect_ = {0.0f, 0.0f, 1.0f, 1.0f};
    ColorControls colorControls_;
    bool hasFrame_ = false;
    bool lost_ = false;
    EGLDisplay previousDisplay_ = EGL_NO_DISPLAY;
    EGLContext previousContext_ = EGL_NO_CONTEXT;
    EGLSurface previousDraw_ = EGL_NO_SURFACE;
    EGLSurface previousRead_ = EGL_NO_SURFACE;
    std::function<void()> exposeHandler_;
    std::atomic<int> videoWidth_{0};
    std::atomic<int> videoHeight_{0};
    std::atomic<uint64_t> frames_{0};
    std::atomic<uint64_t> resets_{0};
};

}  // namespace nerla
