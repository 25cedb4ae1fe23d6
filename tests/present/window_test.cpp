// The presenter in a real X window under Xvfb: the picture read back from
// the device window for a few modes, following the host's size, repaint
// while paused, nothing visible before a target, and the host window
// destroyed under a playing channel.
#include <optional>

#include "present_fixture.h"
// After the engine's headers: X11 defines None.
#include <X11/Xlib.h>
#include <X11/Xutil.h>

namespace {

using nerla::CAllocator;
using present::Pixel;

class HostWindow {
  public:
    HostWindow(int width, int height) : display_(XOpenDisplay(nullptr)) {
        if (!display_) {
            return;
        }
        const int screen = DefaultScreen(display_);
        window_ = XCreateSimpleWindow(display_, RootWindow(display_, screen), 0, 0, width, height,
                                      0, 0, WhitePixel(display_, screen));
        XSelectInput(display_, window_, StructureNotifyMask);
        XMapWindow(display_, window_);
        for (XEvent event;;) {
            XWindowEvent(display_, window_, StructureNotifyMask, &event);
            if (event.type == MapNotify) {
                break;
            }
        }
    }
    ~HostWindow() {
        if (display_) {
            if (window_) {
                XDestroyWindow(display_, window_);
            }
            XCloseDisplay(display_);
        }
    }
    Display* display() const { return display_; }
    Window id() const { return window_; }
    void destroy() {
        XDestroyWindow(display_, window_);
        XSync(display_, False);
        window_ = 0;
    }

    std::optional<Pixel> pixel(Window window, int x, int y) const {
        XImage* image = XGetImage(display_, window, x, y, 1, 1, AllPlanes, ZPixmap);
        if (!image) {
            return std::nullopt;
        }
        const unsigned long value = XGetPixel(image, 0, 0);
        auto channel = [value](unsigned long mask) {
            int shift = 0;
            while (mask && !(mask & 1)) {
                mask >>= 1;
                ++shift;
            }
            return static_cast<int>(((value >> shift) & mask) * 255 / (mask ? mask : 1));
        };
        const Pixel pixel{channel(image->red_mask), channel(image->green_mask),
                          channel(image->blue_mask)};
        XDestroyImage(image);
        return pixel;
    }
    struct Geometry {
        Window parent = 0;
        unsigned width = 0, height = 0;
        int mapState = IsUnmapped;
    };
    Geometry geometry(Window window) const {
        Geometry g;
        XWindowAttributes attributes;
        if (XGetWindowAttributes(display_, window, &attributes)) {
            g.width = attributes.width;
            g.height = attributes.height;
            g.mapState = attributes.map_state;
        }
        Window root = 0;
        Window* children = nullptr;
        unsigned count = 0;
        if (XQueryTree(display_, window, &root, &g.parent, &children, &count) && children) {
            XFree(children);
        }
        return g;
    }

  private:
    Display* display_;
    Window window_ = 0;
};

class WindowTest : public present::PresenterTest {
  protected:
    void SetUp() override {
        if (!present::hasDisplay()) {
            GTEST_SKIP() << "needs a display";
        }
    }
};

struct ModeCase {
    int mode;
    double x, y;  // where to look, as fractions of the window
    bool (*expect)(const Pixel&);
    const char* what;
};

bool red(const Pixel& p) {
    return p.r > 140 && p.g < 90 && p.b < 90;
}
bool blue(const Pixel& p) {
    return p.b > 140 && p.r < 90 && p.g < 90;
}
// Dubois: red mostly from the (red) left eye, blue from the (blue) right one.
bool mixed(const Pixel& p) {
    return p.r > 75 && p.r < 150 && p.b > 150 && p.g < 90;
}

TEST_F(WindowTest, ModesReadBackFromTheWindow) {
    HostWindow host(320, 240);
    ASSERT_NE(host.display(), nullptr);
    nerla::IVMR9Renderer3D* renderer = open();
    ASSERT_NE(renderer, nullptr);
    CAllocator* presenter = renderer->presenter();
    const Window device = presenter->deviceWindow();
    ASSERT_NE(device, 0u);

    // Before a target the device window stays unmapped: the prerolled frame
    // was presented and nothing of it shows.
    EXPECT_GE(presenter->framesPresented(), 1u);
    EXPECT_EQ(host.geometry(device).mapState, IsUnmapped);
    EXPECT_FALSE(presenter->presentsToWindow());

    EXPECT_EQ(renderer->BindWindow(host.id(), nullptr), 0);
    const auto bound = host.geometry(device);
    EXPECT_EQ(bound.parent, host.id());
    EXPECT_EQ(bound.width, 320u);
    EXPECT_EQ(bound.height, 240u);
    EXPECT_NE(bound.mapState, IsUnmapped);
    ASSERT_TRUE(playFrames(*presenter, 5));

    for (const ModeCase& c : {ModeCase{0, 0.2, 0.2, red, "original, left half"},
                              ModeCase{0, 0.8, 0.2, blue, "original, right half"},
                              ModeCase{4, 0.8, 0.2, red, "left eye only"},
                              ModeCase{5, 0.2, 0.2, blue, "right eye only"},
                              ModeCase{11, 0.2, 0.2, mixed, "Dubois anaglyph"}}) {
        ASSERT_EQ(renderer->SetViewValue(c.mode), 1);
        const int x = static_cast<int>(c.x * 320);
        const int y = static_cast<int>(c.y * 240);
        std::optional<Pixel> seen;
        const bool matched = playback::pumpUntil(
            [&] {
                seen = host.pixel(device, x, y);
                return seen && c.expect(*seen);
            },
            std::chrono::seconds(10));
        EXPECT_TRUE(matched) << c.what << ": " << (seen ? seen->r : -1) << ","
                             << (seen ? seen->g : -1) << "," << (seen ? seen->b : -1);
    }
}

TEST_F(WindowTest, FollowsTheHostSizeAndRepaintsWhilePaused) {
    HostWindow host(320, 240);
    ASSERT_NE(host.display(), nullptr);
    nerla::IVMR9Renderer3D* renderer = open();
    ASSERT_NE(renderer, nullptr);
    CAllocator* presenter = renderer->presenter();
    renderer->BindWindow(host.id(), nullptr);
    ASSERT_TRUE(playFrames(*presenter, 3));
    ASSERT_EQ(renderer->SetViewValue(4), 1);

    XResizeWindow(host.display(), host.id(), 400, 300);
    XSync(host.display(), False);
    // Paused: the repaint notices the new size and fills it.
    const Window device = presenter->deviceWindow();
    ASSERT_TRUE(playback::pumpUntil(
        [&] {
            EXPECT_EQ(renderer->RepaintFrame(host.id(), 0), CAllocator::kOk);
            const auto g = host.geometry(device);
            return g.width == 400 && g.height == 300;
        },
        std::chrono::seconds(10)));
    std::optional<Pixel> corner;
    EXPECT_TRUE(playback::pumpUntil(
        [&] {
            renderer->RepaintFrame(host.id(), 0);
            corner = host.pixel(device, 390, 290);
            return corner && red(*corner);
        },
        std::chrono::seconds(10)))
        << "the picture reaches the new bottom-right corner";
    // The rectangle of a binding does not shrink the picture.
    const NerlaRect small{0, 0, 100, 100};
    EXPECT_EQ(renderer->BindWindow(0, &small), 0);
    EXPECT_EQ(host.geometry(device).width, 400u);
}

TEST_F(WindowTest, HostWindowDestroyedWhilePlaying) {
    auto host = std::make_unique<HostWindow>(320, 240);
    ASSERT_NE(host->display(), nullptr);
    nerla::IVMR9Renderer3D* renderer = open();
    ASSERT_NE(renderer, nullptr);
    CAllocator* presenter = renderer->presenter();
    renderer->BindWindow(host->id(), nullptr);
    ASSERT_TRUE(presenter->presentsToWindow());
    ASSERT_EQ(renderer->SetViewValue(4), 1);
    ASSERT_NE(Nerla_ChannelPlay(handle_), 0);
    const uint64_t start = presenter->framesPresented();
    ASSERT_TRUE(playback::pumpUntil([&] { return presenter->framesPresented() >= start + 3; }));

    host->destroy();
    // The device is made again (set up anew, mode 0) and frames go on offscreen.
    ASSERT_TRUE(playback::pumpUntil([&] { return presenter->deviceResets() >= 1; }));
    const uint64_t after = presenter->framesPresented();
    EXPECT_TRUE(playback::pumpUntil([&] { return presenter->framesPresented() >= after + 3; }));
    EXPECT_FALSE(presenter->presentsToWindow());
    EXPECT_EQ(presenter->scene().viewMode(), 0);
    EXPECT_TRUE(presenter->GrabPresented().has_value());
    // A window that does not exist is refused.
    EXPECT_EQ(renderer->BindWindow(0x7ffffff0, nullptr), 0);
    EXPECT_FALSE(presenter->presentsToWindow());
}

TEST_F(WindowTest, FreeWhilePresentingIntoAWindow) {
    HostWindow host(320, 240);
    ASSERT_NE(host.display(), nullptr);
    for (int round = 0; round < 2; ++round) {
        nerla::IVMR9Renderer3D* renderer = open();
        ASSERT_NE(renderer, nullptr);
        CAllocator* presenter = renderer->presenter();
        renderer->BindWindow(host.id(), nullptr);
        ASSERT_NE(Nerla_ChannelPlay(handle_), 0);
        const uint64_t start = presenter->framesPresented();
        ASSERT_TRUE(playback::pumpUntil([&] { return presenter->framesPresented() >= start + 3; }));
        ASSERT_NE(Nerla_StreamFree(handle_), 0);
        handle_ = 0;
    }
}

}  // namespace
