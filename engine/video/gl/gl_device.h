// The engine's GL device: the context frames are drawn with, and a second
// context in its share group for the threads on which that one is not current
// (view changes build their programs there).
#pragma once

#include <memory>
#include <mutex>

#include "video/gl/current_context.h"
#include "video/gl/egl_context.h"

namespace nerla {

class GlDevice {
  public:
    // Around an existing drawing context. Null when the second context cannot be made.
    static std::shared_ptr<GlDevice> create(std::shared_ptr<EglContext> drawing);
    // A device without a window: surfaceless or pbuffer, on Mesa's
    // surfaceless display when offered. Null when EGL cannot start.
    static std::shared_ptr<GlDevice> createHeadless();

    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    const EglContext& drawing() const { return *drawing_; }
    // Binds the drawing context to this thread with its default surface.
    bool makeCurrent() const { return drawing_->makeCurrent(); }
    bool isCurrent() const { return drawing_->isCurrent(); }

    // The second context, current on this thread for the scope's life; one
    // thread at a time.
    class SideScope {
      public:
        explicit SideScope(const GlDevice& device)
            : lock_(device.sideLock_), current_(*device.side_) {}
        bool ok() const { return current_.ok(); }

      private:
        std::unique_lock<std::mutex> lock_;
        ScopedCurrent current_;
    };

  private:
    GlDevice(std::shared_ptr<EglContext> drawing, std::shared_ptr<EglContext> side)
        : drawing_(std::move(drawing)), side_(std::move(side)) {}

    std::shared_ptr<EglContext> drawing_;
    mutable std::mutex sideLock_;
    // Lives as long as the device: ending one context of a share group while
    // another goes on drawing its programs stalls Mesa's llvmpipe.
    std::shared_ptr<EglContext> side_;
};

}  // namespace nerla
