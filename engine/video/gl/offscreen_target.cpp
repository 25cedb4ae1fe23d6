#include "video/gl/offscreen_target.h"

#include <algorithm>

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {

std::optional<OffscreenTarget> OffscreenTarget::create(int width, int height) {
    if (width <= 0 || height <= 0) {
        return std::nullopt;
    }
    GlRenderbuffer colour = GlRenderbuffer::create();
    glBindRenderbuffer(GL_RENDERBUFFER, colour.get());
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);

    GlFramebuffer framebuffer = GlFramebuffer::create();
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer.get());
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour.get());
    const GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (status != GL_FRAMEBUFFER_COMPLETE) {
        GST_WARNING("offscreen target %dx%d incomplete: 0x%x", width, height, status);
        return std::nullopt;
    }
    return OffscreenTarget(std::move(framebuffer), std::move(colour), width, height);
}

void OffscreenTarget::bind() const {
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.get());
    glViewport(0, 0, width_, height_);
}

std::vector<uint8_t> OffscreenTarget::readPixels() const {
    const size_t stride = static_cast<size_t>(width_) * 4;
    std::vector<uint8_t> bottomUp(stride * height_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_.get());
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width_, height_, GL_RGBA, GL_UNSIGNED_BYTE, bottomUp.data());
    std::vector<uint8_t> topDown(bottomUp.size());
    for (int row = 0; row < height_; ++row) {
        std::copy_n(bottomUp.begin() + stride * (height_ - 1 - row), stride,
                    topDown.begin() + stride * row);
    }
    return topDown;
}

}  // namespace nerla
