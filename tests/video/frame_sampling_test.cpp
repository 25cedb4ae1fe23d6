// The frame as the view programs see it: YUV and RGB planes converted on the
// GPU, checked through the Original mode (full range) and the left-part mode
// (video range, unstretched).
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

#include "gl_fixture.h"

namespace nerla::test {
namespace {

struct Ycc {
    int y, cb, cr;
};

// RGB 0..1 of a video-range Y'CbCr triple, from the luma weights.
std::array<double, 3> rgbOf(const Ycc& c, ColorMatrix matrix) {
    const double kr = matrix == ColorMatrix::Bt601 ? 0.299 : 0.2126;
    const double kb = matrix == ColorMatrix::Bt601 ? 0.114 : 0.0722;
    const double kg = 1.0 - kr - kb;
    const double y = (c.y - 16) / 219.0;
    const double pb = (c.cb - 128) / 224.0;
    const double pr = (c.cr - 128) / 224.0;
    const double r = y + 2.0 * (1.0 - kr) * pr;
    const double b = y + 2.0 * (1.0 - kb) * pb;
    return {r, (y - kr * r - kb * b) / kg, b};
}

// One colour over the whole frame; row padding and the bytes past odd
// chroma widths hold other values, so a stride read wrongly shows.
struct YuvFrame {
    int width, height, lumaStride, chromaStride;
    std::vector<uint8_t> y, u, v, uv;

    YuvFrame(int w, int h, const Ycc& c, int padding)
        : width(w),
          height(h),
          lumaStride(w + padding),
          chromaStride((w + 1) / 2 + padding),
          y(static_cast<size_t>(lumaStride * h), 235),
          u(static_cast<size_t>(chromaStride * ((h + 1) / 2)), 0),
          v(u.size(), 255),
          uv(static_cast<size_t>(chromaStride * 2 * ((h + 1) / 2)), 0) {
        for (int row = 0; row < h; ++row) {
            std::fill_n(y.begin() + row * lumaStride, w, static_cast<uint8_t>(c.y));
        }
        for (int row = 0; row < (h + 1) / 2; ++row) {
            for (int column = 0; column < (w + 1) / 2; ++column) {
                u[static_cast<size_t>(row * chromaStride + column)] = static_cast<uint8_t>(c.cb);
                v[static_cast<size_t>(row * chromaStride + column)] = static_cast<uint8_t>(c.cr);
                uv[static_cast<size_t>(row * chromaStride * 2 + column * 2)] =
                    static_cast<uint8_t>(c.cb);
                uv[static_cast<size_t>(row * chromaStride * 2 + column * 2 + 1)] =
                    static_cast<uint8_t>(c.cr);
            }
        }
    }

    bool upload(FramePlanes& planes, FrameFormat format) const {
        if (format == FrameFormat::Nv12) {
            const PlaneData data[2] = {{y.data(), lumaStride}, {uv.data(), chromaStride * 2}};
            return planes.upload(format, width, height, data);
        }
        const PlaneData data[3] = {
            {y.data(), lumaStride}, {u.data(), chromaStride}, {v.data(), chromaStride}};
        return planes.upload(format, width, height, data);
    }
};

class FrameSamplingTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        ASSERT_EQ(scene_.Setup(device_), CPlaneScene::Status::Ok);
    }

    // The output pixel in the middle of a small target.
    std::array<int, 3> centre(const FramePlanes& frame, int mode) {
        scene_.SelectView(mode);
        OffscreenTarget out = target(8, 4);
        const std::vector<uint8_t> pixels = draw(scene_, frame, out);
        return {channel(pixels, 8, 4, 2, 0), channel(pixels, 8, 4, 2, 1),
                channel(pixels, 8, 4, 2, 2)};
    }

    // Original shows full range; the left part of a side-by-side frame shows
    // the frame as the programs get it, in video range.
    void expectColour(const FramePlanes& frame, const std::array<double, 3>& rgb,
                      const char* what) {
        const std::array<int, 3> full = centre(frame, 0);
        const std::array<int, 3> video = centre(frame, 4);
        for (int c = 0; c < 3; ++c) {
            const double clamped = std::clamp(rgb[c], 0.0, 1.0);
            EXPECT_NEAR(full[c], 255.0 * clamped, 2.0) << what << " channel " << c;
            EXPECT_NEAR(video[c], 16.0 + 219.0 * std::clamp(rgb[c], -16.0 / 219, 239.0 / 219), 2.0)
                << what << " channel " << c;
        }
    }

    CPlaneScene scene_;
};

TEST_F(FrameSamplingTest, YuvPlanesBecomeRgbOnTheGpu) {
    const Ycc colours[] = {
        {16, 128, 128}, {235, 128, 128}, {126, 128, 128}, {81, 90, 240},
        {145, 54, 34},  {41, 240, 110},  {170, 166, 16},  {63, 102, 240},
    };
    for (FrameFormat format : {FrameFormat::I420, FrameFormat::Nv12}) {
        for (ColorMatrix matrix : {ColorMatrix::Bt601, ColorMatrix::Bt709}) {
            for (const Ycc& c : colours) {
                // Odd sizes and padded rows on the way; 45 columns take the
                // vector path of the chroma interleave as well as its tail.
                for (const int width : {15, 45}) {
                    const YuvFrame source(width, 9, c, 5);
                    FramePlanes frame;
                    frame.setColorMatrix(matrix);
                    ASSERT_TRUE(source.upload(frame, format));
                    const std::string what =
                        std::string(format == FrameFormat::I420 ? "I420" : "NV12") +
                        (matrix == ColorMatrix::Bt601 ? " 601 " : " 709 ") + std::to_string(c.y) +
                        "," + std::to_string(c.cb) + "," + std::to_string(c.cr) + " width " +
                        std::to_string(width);
                    expectColour(frame, rgbOf(c, matrix), what.c_str());
                }
            }
        }
    }
}

TEST_F(FrameSamplingTest, RgbFramesInEitherByteOrder) {
    const uint8_t rgb[3] = {200, 100, 30};
    for (FrameFormat format : {FrameFormat::Rgbx, FrameFormat::Bgrx}) {
        constexpr int kWidth = 6;
        constexpr int kStride = kWidth * 4 + 8;
        std::vector<uint8_t> bytes(kStride * 3, 255);
        for (int row = 0; row < 3; ++row) {
            for (int column = 0; column < kWidth; ++column) {
                uint8_t* texel = &bytes[row * kStride + column * 4];
                texel[0] = format == FrameFormat::Rgbx ? rgb[0] : rgb[2];
                texel[1] = rgb[1];
                texel[2] = format == FrameFormat::Rgbx ? rgb[2] : rgb[0];
                texel[3] = 0;
            }
        }
        const PlaneData plane{bytes.data(), kStride};
        FramePlanes frame;
        ASSERT_TRUE(frame.upload(format, kWidth, 3, {&plane, 1}));
        expectColour(frame, {rgb[0] / 255.0, rgb[1] / 255.0, rgb[2] / 255.0},
                     format == FrameFormat::Rgbx ? "RGBx" : "BGRx");
    }
}

// A refused frame leaves the last good one in place; a new size or format
// takes over at once.
TEST_F(FrameSamplingTest, BadPlanesAreRefusedAndTheLastFrameStays) {
    const Ycc grey{126, 128, 128};
    const YuvFrame good(8, 4, grey, 0);
    FramePlanes frame;
    ASSERT_TRUE(good.upload(frame, FrameFormat::I420));

    const YuvFrame other(8, 4, Ycc{235, 128, 128}, 0);
    const PlaneData y{other.y.data(), other.lumaStride};
    const PlaneData u{other.u.data(), other.chromaStride};
    const PlaneData v{other.v.data(), other.chromaStride};
    struct {
        const char* what;
        FrameFormat format;
        int width, height;
        std::vector<PlaneData> planes;
    } const refused[] = {
        {"no width", FrameFormat::I420, 0, 4, {y, u, v}},
        {"negative height", FrameFormat::I420, 8, -4, {y, u, v}},
        {"two planes for I420", FrameFormat::I420, 8, 4, {y, u}},
        {"no data", FrameFormat::I420, 8, 4, {y, PlaneData{nullptr, 4}, v}},
        {"luma stride below the width", FrameFormat::I420, 8, 4, {PlaneData{y.data, 7}, u, v}},
        {"chroma stride below half the width", FrameFormat::I420, 8, 4, {y, u, {v.data, 3}}},
        {"NV12 chroma stride not whole pairs", FrameFormat::Nv12, 6, 4, {y, {u.data, 7}}},
        {"RGB stride below four bytes a pixel", FrameFormat::Rgbx, 8, 4, {{y.data, 31}}},
    };
    for (const auto& r : refused) {
        EXPECT_FALSE(frame.upload(r.format, r.width, r.height, r.planes)) << r.what;
        EXPECT_EQ(frame.format(), FrameFormat::I420) << r.what;
        EXPECT_EQ(frame.width(), 8) << r.what;
        EXPECT_NEAR(centre(frame, 0)[0], 255.0 * (126 - 16) / 219.0, 2.0) << r.what;
    }

    const YuvFrame white(20, 6, Ycc{235, 128, 128}, 3);
    ASSERT_TRUE(white.upload(frame, FrameFormat::Nv12));
    EXPECT_EQ(frame.width(), 20);
    EXPECT_NEAR(centre(frame, 0)[0], 255.0, 2.0);
}

}  // namespace
}  // namespace nerla::test
