// Helpers of the video renderer tests: channels opened with a renderer
// configuration, X windows whose pixels are read back, and colour checks on
// pictures (the fixtures' left eye is red, the right eye blue, each with a
// white ball moving over it).
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <functional>
#include <memory>
#include <vector>

#include "frame/channel_list.h"
#include "graph/direct_show.h"
#include "graph/playback.h"
#include "nerla.h"

namespace renderers {

struct Rgb {
    int r;
    int g;
    int b;
};

inline constexpr Rgb kRed{192, 32, 32};
inline constexpr Rgb kBlue{32, 32, 192};
inline constexpr int kTolerance = 24;

inline bool near(Rgb a, Rgb b, int tolerance = kTolerance) {
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance &&
           std::abs(a.b - b.b) <= tolerance;
}

inline bool hasDisplay() {
    return std::getenv("DISPLAY") != nullptr;
}

// The share of a 6x6 grid of points inside [x0, x1) x [y0, y1) that `pixel`
// finds near `colour`; the moving ball covers a few of them at most.
inline double share(const std::function<Rgb(int, int)>& pixel, int x0, int y0, int x1, int y1,
                    Rgb colour, int tolerance = kTolerance) {
    int hits = 0;
    constexpr int kSteps = 6;
    for (int i = 0; i < kSteps; ++i) {
        for (int j = 0; j < kSteps; ++j) {
            const int x = x0 + (x1 - x0) * (2 * i + 1) / (2 * kSteps);
            const int y = y0 + (y1 - y0) * (2 * j + 1) / (2 * kSteps);
            hits += near(pixel(x, y), colour, tolerance) ? 1 : 0;
        }
    }
    return static_cast<double>(hits) / (kSteps * kSteps);
}

inline std::function<Rgb(int, int)> pixelsOf(const NerlaBitmap* bitmap) {
    return [bitmap](int x, int y) {
        const uint8_t* p = bitmap->pixels + y * bitmap->stride + x * 4;
        return Rgb{p[2], p[1], p[0]};
    };
}

struct BitmapFree {
    void operator()(NerlaBitmap* bitmap) const { Nerla_FreeMem(bitmap); }
};
using BitmapPtr = std::unique_ptr<NerlaBitmap, BitmapFree>;

// A mapped top-level window on the test display.
class TestWindow {
  public:
    // At (0, top) of the screen.
    TestWindow(int width, int height, int top = 0);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    NerlaWindow id() const { return window_; }
    int bottom() const { return top_ + height_; }

    // Reads the window's pixels and runs `check` on them, until it holds or
    // `timeout` passes.
    bool waitFor(const std::function<bool(const std::function<Rgb(int, int)>&)>& check,
                 std::chrono::milliseconds timeout = std::chrono::seconds(20));

    // Left half red and right half blue, over most of each half.
    bool waitForPair() {
        return waitFor([this](const auto& pixel) {
            return share(pixel, 0, 0, width_ / 2, height_, kRed) > 0.6 &&
                   share(pixel, width_ / 2, 0, width_, height_, kBlue) > 0.6;
        });
    }

  private:
    void* display_ = nullptr;  // Display*
    NerlaWindow window_ = 0;
    int width_;
    int height_;
    int top_;
};

class RendererTest : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override {
        Nerla_Free();
        Nerla_SetConfig(NERLA_CONFIG_VIDEO_RENDERER, 1);
    }

    NerlaHandle open(const char* name, int32_t renderer, NerlaWindow window = 0,
                     uint32_t flags = 0) {
        Nerla_SetConfig(NERLA_CONFIG_VIDEO_RENDERER, renderer);
        const NerlaHandle channel =
            Nerla_StreamCreateFile(playback::fixture(name).c_str(), 0, window, flags);
        EXPECT_NE(channel, 0u) << name << ": error " << Nerla_ErrorGetCode();
        return channel;
    }

    // A window that outlives the test's channels (freed in TearDown), below
    // the ones before it: read back, a window must not be covered.
    TestWindow& window(int width, int height) {
        const int top = windows_.empty() ? 0 : windows_.back()->bottom() + 10;
        windows_.push_back(std::make_unique<TestWindow>(width, height, top));
        return *windows_.back();
    }

    static nerla::IDirectShow* channelOf(NerlaHandle handle) {
        return nerla::ChannelList::instance().find(handle);
    }
    static nerla::IVideoRenderer2* rendererOf(NerlaHandle handle) {
        nerla::IDirectShow* channel = channelOf(handle);
        return channel ? channel->videoRenderer() : nullptr;
    }

    // Prerolls again at `seconds`: the picture shows the renderer's settings.
    static void refresh(NerlaHandle channel, uint32_t milliseconds = 500) {
        ASSERT_EQ(Nerla_ChannelSetPositionVB(channel, milliseconds, 0, NERLA_UNIT_MILLISECONDS), 1);
    }

  private:
    std::vector<std::unique_ptr<TestWindow>> windows_;
};

}  // namespace renderers
