// A headless GL device for the scene tests, and a reference model of the
// frame the view programs see.
#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <memory>
#include <vector>

#include "video/frame_planes.h"
#include "video/gl/gl_device.h"
#include "video/gl/offscreen_target.h"
#include "video/plane_scene.h"

namespace nerla::test {

struct Rgba {
    double r, g, b, a;
};

// An RGB source image, 0..255 per channel, with the GL sampler's view of it:
// bilinear, repeating outside 0..1.
class SourceImage {
  public:
    SourceImage(int width, int height) : width_(width), height_(height), texels_(width * height) {}

    int width() const { return width_; }
    int height() const { return height_; }
    Rgba& at(int x, int y) { return texels_[y * width_ + x]; }
    const Rgba& at(int x, int y) const { return texels_[y * width_ + x]; }

    // The bytes of an Rgbx frame.
    std::vector<uint8_t> rgbx() const {
        std::vector<uint8_t> bytes;
        for (const Rgba& t : texels_) {
            bytes.insert(bytes.end(), {static_cast<uint8_t>(t.r), static_cast<uint8_t>(t.g),
                                       static_cast<uint8_t>(t.b), 255});
        }
        return bytes;
    }

    // Sample in 0..255 at texture coordinate (u, v).
    Rgba sample(double u, double v) const {
        const double fx = u * width_ - 0.5;
        const double fy = v * height_ - 0.5;
        const int x0 = static_cast<int>(std::floor(fx));
        const int y0 = static_cast<int>(std::floor(fy));
        const double wx = fx - x0;
        const double wy = fy - y0;
        auto texel = [&](int x, int y) -> const Rgba& {
            return at(((x % width_) + width_) % width_, ((y % height_) + height_) % height_);
        };
        auto mix = [](const Rgba& a, const Rgba& b, double w) {
            return Rgba{a.r + (b.r - a.r) * w, a.g + (b.g - a.g) * w, a.b + (b.b - a.b) * w,
                        a.a + (b.a - a.a) * w};
        };
        return mix(mix(texel(x0, y0), texel(x0 + 1, y0), wx),
                   mix(texel(x0, y0 + 1), texel(x0 + 1, y0 + 1), wx), wy);
    }

  private:
    int width_;
    int height_;
    std::vector<Rgba> texels_;
};

// The device and an offscreen target, current on the test thread. One device
// serves a whole suite: contexts are not made and ended for every test.
class GlTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { suiteDevice() = GlDevice::createHeadless(); }
    static void TearDownTestSuite() {
        if (suiteDevice()) {
            releaseCurrent(*suiteDevice());
        }
        suiteDevice().reset();
    }

    void SetUp() override {
        device_ = suiteDevice();
        ASSERT_TRUE(device_) << "no EGL device (Mesa llvmpipe expected)";
        ASSERT_TRUE(device_->makeCurrent());
    }
    void TearDown() override {
        if (device_) {
            releaseCurrent(*device_);
        }
    }

    OffscreenTarget target(int width, int height) {
        auto made = OffscreenTarget::create(width, height);
        EXPECT_TRUE(made);
        return std::move(*made);
    }

    void uploadRgb(FramePlanes& planes, const SourceImage& image) {
        const std::vector<uint8_t> bytes = image.rgbx();
        const PlaneData plane{bytes.data(), image.width() * 4};
        ASSERT_TRUE(planes.upload(FrameFormat::Rgbx, image.width(), image.height(), {&plane, 1}));
    }

    // Draws `frame` through `scene` into `out` and reads it back.
    std::vector<uint8_t> draw(CPlaneScene& scene, const FramePlanes& frame,
                              const OffscreenTarget& out) {
        out.bind();
        EXPECT_EQ(scene.DrawFrame(device_.get(), &frame), CPlaneScene::Status::Ok);
        return out.readPixels();
    }

    std::shared_ptr<GlDevice> device_;

  private:
    static std::shared_ptr<GlDevice>& suiteDevice() {
        static std::shared_ptr<GlDevice> device;
        return device;
    }
    static void releaseCurrent(const GlDevice& device) {
        eglMakeCurrent(device.drawing().display(), EGL_NO_SURFACE, EGL_NO_SURFACE, EGL_NO_CONTEXT);
    }
};

inline uint8_t channel(const std::vector<uint8_t>& pixels, int width, int x, int y, int c) {
    return pixels[(static_cast<size_t>(y) * width + x) * 4 + c];
}

}  // namespace nerla::test
