// The decoded frame as GL textures, one per plane, uploaded as they come from
// the decoder. Conversion to RGB happens in the view programs.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "video/gl/gl_object.h"

namespace nerla {

enum class FrameFormat {
    I420,  // Y, U, V planes; chroma at half width and height
    Nv12,  // Y plane, interleaved UV plane at half width and height
    Rgbx,  // one plane, bytes R, G, B, unused
    Bgrx,  // one plane, bytes B, G, R, unused
};

// The YCbCr to RGB matrix of the source.
enum class ColorMatrix { Bt601, Bt709 };

struct PlaneData {
    const uint8_t* data = nullptr;
    int stride = 0;  // bytes from one row to the next
};

class FramePlanes {
  public:
    static int planeCount(FrameFormat format);
    static int textureCount(FrameFormat format);

    // Uploads one frame; needs a current context. Reallocates the textures
    // when the format or size changes. False (and nothing uploaded) for a
    // size, plane count or stride that does not fit the format.
    bool upload(FrameFormat format, int width, int height, std::span<const PlaneData> planes);

    void setColorMatrix(ColorMatrix matrix) { matrix_ = matrix; }

    bool empty() const { return width_ == 0; }
    FrameFormat format() const { return format_; }
    ColorMatrix colorMatrix() const { return matrix_; }
    int width() const { return width_; }
    int height() const { return height_; }
    // Textures to bind: Y and UV for I420 and NV12, one for RGB.
    int textures() const { return textureCount(format_); }
    GLuint texture(int index) const { return textures_[index].get(); }

  private:
    FrameFormat format_ = FrameFormat::I420;
    ColorMatrix matrix_ = ColorMatrix::Bt709;
    int width_ = 0;
    int height_ = 0;
    std::array<GlTexture, 2> textures_;
    // I420 chroma interleaved for its UV texture; kept between frames.
    std::vector<uint8_t> chroma_;
};

}  // namespace nerla
