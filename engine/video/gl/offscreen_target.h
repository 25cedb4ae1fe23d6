// A framebuffer object of any size to draw into without a window; its pixels
// can be read back.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "video/gl/gl_object.h"

namespace nerla {

class OffscreenTarget {
  public:
    // Needs a current context; nullopt when the framebuffer is incomplete.
    static std::optional<OffscreenTarget> create(int width, int height);

    // Binds the framebuffer and sets the viewport to all of it.
    void bind() const;
    // RGBA bytes, top row first.
    std::vector<uint8_t> readPixels() const;

    int width() const { return width_; }
    int height() const { return height_; }

  private:
    OffscreenTarget(GlFramebuffer framebuffer, GlRenderbuffer colour, int width, int height)
        : framebuffer_(std::move(framebuffer)),
          colour_(std::move(colour)),
          width_(width),
          height_(height) {}

    GlFramebuffer framebuffer_;
    GlRenderbuffer colour_;
    int width_;
    int height_;
};

}  // namespace nerla
