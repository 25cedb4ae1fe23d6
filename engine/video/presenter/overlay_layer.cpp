#include "video/presenter/overlay_layer.h"

#include <algorithm>
#include <array>

#include "frame/log.h"
#include "video/program_builder.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

constexpr std::string_view kVertex = R"(#version 300 es
layout(location = 0) in vec2 position;
layout(location = 1) in vec2 texcoord;
out vec2 uv;
void main() {
    uv = texcoord;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";

// The picture's bytes are B, G, R, alpha (0 where the colour key was).
constexpr std::string_view kFragment = R"(#version 300 es
precision mediump float;
uniform sampler2D bitmap;
uniform bool solid;
uniform float colourAlpha;
uniform float opacity;
in vec2 uv;
out vec4 colour;
void main() {
    if (solid) {
        colour = vec4(0.0, 0.0, 0.0, colourAlpha);
        return;
    }
    vec4 texel = texture(bitmap, uv);
    colour = vec4(texel.bgr, texel.a * opacity);
}
)";

}  // namespace

bool OverlayLayer::set(const NerlaOverlayBitmap& description) {
    if (description.show <= 0) {
        std::lock_guard lock(lock_);
        bitmap_.show = false;
        return true;
    }
    if (!(description.destRight > description.destLeft) ||
        !(description.destBottom > description.destTop)) {
        return false;
    }
    // The source rectangle with the colour key already transparent.
    OverlayPicture picture = makeOverlayPicture(description);
    if (!picture.pixels) {
        return false;
    }
    Bitmap next;
    next.show = true;
    next.picture = std::move(picture);
    next.dest[0] = description.destLeft;
    next.dest[1] = description.destTop;
    next.dest[2] = description.destRight;
    next.dest[3] = description.destBottom;
    next.opacity = std::clamp(description.opacity, 0.0f, 1.0f);
    std::lock_guard lock(lock_);
    bitmap_ = std::move(next);
    uploadPending_ = true;
    return true;
}

void OverlayLayer::setAlpha(float alpha) {
    std::lock_guard lock(lock_);
    alpha_ = std::clamp(alpha, 0.0f, 1.0f);
}

bool OverlayLayer::visible() const {
    std::lock_guard lock(lock_);
    return bitmap_.show || alpha_ < 1.0f;
}

bool OverlayLayer::createGpu() {
    if (program_) {
        return true;
    }
    BuiltProgram built = buildProgram({kVertex}, {kFragment});
    if (!built.program) {
        GST_WARNING("overlay program: %s", built.log.c_str());
        return false;
    }
    program_ = std::move(built.program);
    glUseProgram(program_.get());
    glUniform1i(glGetUniformLocation(program_.get(), "bitmap"), 0);
    solidLocation_ = glGetUniformLocation(program_.get(), "solid");
    colourAlphaLocation_ = glGetUniformLocation(program_.get(), "colourAlpha");
    opacityLocation_ = glGetUniformLocation(program_.get(), "opacity");
    glUseProgram(0);
    vertices_ = GlBuffer::create();
    glBindBuffer(GL_ARRAY_BUFFER, vertices_.get());
    glBufferData(GL_ARRAY_BUFFER, 16 * sizeof(float), nullptr, GL_DYNAMIC_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    texture_ = GlTexture::create();
    return true;
}

void OverlayLayer::draw() {
    float alpha = 1.0f;
    bool upload = false;
    {
        std::lock_guard lock(lock_);
        alpha = alpha_;
        if (uploadPending_) {
            drawn_.show = bitmap_.show;
            std::copy(std::begin(bitmap_.dest), std::end(bitmap_.dest), drawn_.dest);
            drawn_.opacity = bitmap_.opacity;
            drawn_.picture.width = bitmap_.picture.width;
            drawn_.picture.height = bitmap_.picture.height;
            drawn_.picture.pixels.reset(
                bitmap_.picture.pixels ? gst_buffer_ref(bitmap_.picture.pixels.get()) : nullptr);
            upload = true;
            uploadPending_ = false;
        } else {
            drawn_.show = bitmap_.show;
        }
    }
    if ((!drawn_.show && alpha >= 1.0f) || !createGpu()) {
        return;
    }
    if (upload && drawn_.picture.pixels) {
        GstMapInfo map;
        if (!gst_buffer_map(drawn_.picture.pixels.get(), &map, GST_MAP_READ)) {
            return;
        }
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture_.get());
        glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
        glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, drawn_.picture.width, drawn_.picture.height, 0,
                     GL_RGBA, GL_UNSIGNED_BYTE, map.data);
        gst_buffer_unmap(drawn_.picture.pixels.get(), &map);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
        glBindTexture(GL_TEXTURE_2D, 0);
        // The CPU copy is not needed once uploaded.
        drawn_.picture.pixels.reset();
    }
    glUseProgram(program_.get());
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    if (alpha < 1.0f) {
        static constexpr float kWhole[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        drawQuad(kWhole, kWhole, true, 1.0f - alpha);
    }
    if (drawn_.show) {
        glActiveTexture(GL_TEXTURE0);
        glBindTexture(GL_TEXTURE_2D, texture_.get());
        glBindSampler(0, 0);
        glUniform1f(opacityLocation_, drawn_.opacity);
        static constexpr float kWholePicture[4] = {0.0f, 0.0f, 1.0f, 1.0f};
        drawQuad(drawn_.dest, kWholePicture, false, 0.0f);
        glBindTexture(GL_TEXTURE_2D, 0);
    }
    glDisable(GL_BLEND);
    glUseProgram(0);
}

void OverlayLayer::drawQuad(const float dest[4], const float source[4], bool solid,
                            float solidAlpha) {
    // Fractions from the top-left corner to clip space (y up).
    const float x0 = dest[0] * 2.0f - 1.0f;
    const float x1 = dest[2] * 2.0f - 1.0f;
    const float y0 = 1.0f - dest[1] * 2.0f;
    const float y1 = 1.0f - dest[3] * 2.0f;
    const std::array<float, 16> quad = {x0, y0, source[0], source[1], x1, y0, source[2], source[1],
                                        x0, y1, source[0], source[3], x1, y1, source[2], source[3]};
    glUniform1i(solidLocation_, solid ? 1 : 0);
    glUniform1f(colourAlphaLocation_, solidAlpha);
    glBindBuffer(GL_ARRAY_BUFFER, vertices_.get());
    glBufferSubData(GL_ARRAY_BUFFER, 0, sizeof quad, quad.data());
    glEnableVertexAttribArray(0);
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float), nullptr);
    glVertexAttribPointer(1, 2, GL_FLOAT, GL_FALSE, 4 * sizeof(float),
                          reinterpret_cast<const void*>(2 * sizeof(float)));
    glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
    glDisableVertexAttribArray(0);
    glDisableVertexAttribArray(1);
    glBindBuffer(GL_ARRAY_BUFFER, 0);
}

void OverlayLayer::releaseGpu(bool contextLost) {
    if (contextLost) {
        program_.release();
        vertices_.release();
        texture_.release();
    } else {
        program_.reset();
        vertices_.reset();
        texture_.reset();
    }
    std::lock_guard lock(lock_);
    // The next device uploads the bitmap again.
    if (bitmap_.show) {
        uploadPending_ = true;
    }
    drawn_ = Bitmap{};
}

}  // namespace nerla
