#include "video/frame_planes.h"

#include <algorithm>
#include <cstddef>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_video_debug

namespace nerla {
namespace {

struct PlaneShape {
    int width;
    int height;
    int bytesPerPixel;
    GLenum internalFormat;
    GLenum format;
};

// The texture `index` of a frame: I420 and NV12 both become Y and
// interleaved UV.
PlaneShape textureShape(FrameFormat format, int index, int width, int height) {
    switch (format) {
        case FrameFormat::I420:
        case FrameFormat::Nv12:
            if (index == 0) {
                return {width, height, 1, GL_R8, GL_RED};
            }
            return {(width + 1) / 2, (height + 1) / 2, 2, GL_RG8, GL_RG};
        case FrameFormat::Rgbx:
        case FrameFormat::Bgrx:
            break;
    }
    return {width, height, 4, GL_RGBA8, GL_RGBA};
}

// Bytes per row a source plane needs at least.
int planeRowBytes(FrameFormat format, int plane, int width) {
    switch (format) {
        case FrameFormat::I420:
            return plane == 0 ? width : (width + 1) / 2;
        case FrameFormat::Nv12:
            return plane == 0 ? width : (width + 1) / 2 * 2;
        case FrameFormat::Rgbx:
        case FrameFormat::Bgrx:
            break;
    }
    return width * 4;
}

// U and V rows side by side into UVUV... rows of `width` pairs.
void interleaveChroma(const PlaneData& u, const PlaneData& v, int width, int height, uint8_t* out) {
    for (int row = 0; row < height; ++row) {
        const uint8_t* uRow = u.data + static_cast<ptrdiff_t>(row) * u.stride;
        const uint8_t* vRow = v.data + static_cast<ptrdiff_t>(row) * v.stride;
        uint8_t* outRow = out + static_cast<ptrdiff_t>(row) * width * 2;
        int x = 0;
#if defined(__SSE2__)
        for (; x + 16 <= width; x += 16) {
            const __m128i us = _mm_loadu_si128(reinterpret_cast<const __m128i*>(uRow + x));
            const __m128i vs = _mm_loadu_si128(reinterpret_cast<const __m128i*>(vRow + x));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(outRow + 2 * x), _mm_unpacklo_epi8(us, vs));
            _mm_storeu_si128(reinterpret_cast<__m128i*>(outRow + 2 * x + 16),
                             _mm_unpackhi_epi8(us, vs));
        }
#endif
        for (; x < width; ++x) {
            outRow[2 * x] = uRow[x];
            outRow[2 * x + 1] = vRow[x];
        }
    }
}

}  // namespace

int FramePlanes::planeCount(FrameFormat format) {
    switch (format) {
        case FrameFormat::I420:
            return 3;
        case FrameFormat::Nv12:
            return 2;
        case FrameFormat::Rgbx:
        case FrameFormat::Bgrx:
            break;
    }
    return 1;
}

int FramePlanes::textureCount(FrameFormat format) {
    return format == FrameFormat::I420 ? 2 : planeCount(format);
}

bool FramePlanes::upload(FrameFormat format, int width, int height,
                         std::span<const PlaneData> planes) {
    const int count = planeCount(format);
    if (width <= 0 || height <= 0 || static_cast<int>(planes.size()) < count) {
        GST_WARNING("frame %dx%d with %zu planes refused", width, height, planes.size());
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const PlaneData& plane = planes[i];
        // Rows are handed to GL in whole texels.
        const int texelBytes = textureShape(format, std::min(i, 1), width, height).bytesPerPixel;
        const int unit = format == FrameFormat::I420 ? 1 : texelBytes;
        if (!plane.data || plane.stride < planeRowBytes(format, i, width) ||
            plane.stride % unit != 0) {
            GST_WARNING("plane %d of a %dx%d frame has stride %d", i, width, height, plane.stride);
            return false;
        }
    }

    const int textures = textureCount(format);
    std::array<PlaneData, 2> sources{planes[0], textures > 1 ? planes[1] : PlaneData{}};
    if (format == FrameFormat::I420) {
        const int chromaWidth = (width + 1) / 2;
        const int chromaHeight = (height + 1) / 2;
        chroma_.resize(static_cast<size_t>(chromaWidth) * chromaHeight * 2);
        interleaveChroma(planes[1], planes[2], chromaWidth, chromaHeight, chroma_.data());
        sources[1] = {chroma_.data(), chromaWidth * 2};
    }

    const bool reallocate = format != format_ || width != width_ || height != height_;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < textures; ++i) {
        const PlaneShape shape = textureShape(format, i, width, height);
        if (reallocate || !textures_[i]) {
            textures_[i] = GlTexture::create();
        }
        glBindTexture(GL_TEXTURE_2D, textures_[i].get());
        glPixelStorei(GL_UNPACK_ROW_LENGTH, sources[i].stride / shape.bytesPerPixel);
        if (reallocate) {
            glTexStorage2D(GL_TEXTURE_2D, 1, shape.internalFormat, shape.width, shape.height);
            if (format == FrameFormat::Bgrx) {
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_R, GL_BLUE);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_RED);
            }
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, shape.width, shape.height, shape.format,
                        GL_UNSIGNED_BYTE, sources[i].data);
    }
    for (int i = textures; i < static_cast<int>(textures_.size()); ++i) {
        textures_[i].reset();
    }
    glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
    glBindTexture(GL_TEXTURE_2D, 0);
    format_ = format;
    width_ = width;
    height_ = height;
    return true;
}

}  // namespace nerla
