#include "video/frame_planes.h"

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

PlaneShape planeShape(FrameFormat format, int plane, int width, int height) {
    const int chromaWidth = (width + 1) / 2;
    const int chromaHeight = (height + 1) / 2;
    switch (format) {
        case FrameFormat::I420:
            if (plane == 0) {
                return {width, height, 1, GL_R8, GL_RED};
            }
            return {chromaWidth, chromaHeight, 1, GL_R8, GL_RED};
        case FrameFormat::Nv12:
            if (plane == 0) {
                return {width, height, 1, GL_R8, GL_RED};
            }
            return {chromaWidth, chromaHeight, 2, GL_RG8, GL_RG};
        case FrameFormat::Rgbx:
        case FrameFormat::Bgrx:
            break;
    }
    return {width, height, 4, GL_RGBA8, GL_RGBA};
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

bool FramePlanes::upload(FrameFormat format, int width, int height,
                         std::span<const PlaneData> planes) {
    const int count = planeCount(format);
    if (width <= 0 || height <= 0 || static_cast<int>(planes.size()) < count) {
        GST_WARNING("frame %dx%d with %zu planes refused", width, height, planes.size());
        return false;
    }
    for (int i = 0; i < count; ++i) {
        const PlaneShape shape = planeShape(format, i, width, height);
        const PlaneData& plane = planes[i];
        if (!plane.data || plane.stride < shape.width * shape.bytesPerPixel ||
            plane.stride % shape.bytesPerPixel != 0) {
            GST_WARNING("plane %d of a %dx%d frame has stride %d", i, width, height, plane.stride);
            return false;
        }
    }

    const bool reallocate = format != format_ || width != width_ || height != height_;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    for (int i = 0; i < count; ++i) {
        const PlaneShape shape = planeShape(format, i, width, height);
        if (reallocate || !textures_[i]) {
            textures_[i] = GlTexture::create();
        }
        glBindTexture(GL_TEXTURE_2D, textures_[i].get());
        glPixelStorei(GL_UNPACK_ROW_LENGTH, planes[i].stride / shape.bytesPerPixel);
        if (reallocate) {
            glTexStorage2D(GL_TEXTURE_2D, 1, shape.internalFormat, shape.width, shape.height);
            if (format == FrameFormat::Bgrx) {
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_R, GL_BLUE);
                glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_SWIZZLE_B, GL_RED);
            }
        }
        glTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, shape.width, shape.height, shape.format,
                        GL_UNSIGNED_BYTE, planes[i].data);
    }
    for (int i = count; i < 3; ++i) {
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
