// The presenter without a window: device set-up, repaints, colour controls,
// overlay and stream alpha read back from the presented picture, and freeing
// channels while they present. Runs with and without a display.
#include <gst/video/video.h>

#include <cmath>

#include "frame/log.h"
#include "present_fixture.h"

namespace {

using nerla::CAllocator;
using present::Pixel;
using present::pixelAt;

GstVideoInfo videoInfo(GstVideoFormat format, int width, int height) {
    GstVideoInfo info;
    gst_video_info_set_format(&info, format, width, height);
    return info;
}

TEST(Allocator, DeviceSetupRepaintAndNativeSize) {
    ASSERT_TRUE(nerla::ensureGstreamer());
    std::unique_ptr<CAllocator> presenter = CAllocator::create();
    ASSERT_NE(presenter, nullptr);
    // Nothing to repaint or grab before the first frame.
    EXPECT_EQ(presenter->RepaintVideo(), CAllocator::kNoFrame);
    EXPECT_FALSE(presenter->GrabPresented().has_value());

    presenter->SelectView(4);
    EXPECT_EQ(presenter->scene().viewMode(), 4);
    const GstVideoInfo info = videoInfo(GST_VIDEO_FORMAT_I420, 720, 576);
    ASSERT_TRUE(presenter->InitializeDevice(info));
    EXPECT_EQ(presenter->scene().viewMode(), 0) << "new caps set the scene up with mode 0";

    int32_t width = 0, height = 0, aspectX = 0, aspectY = 0;
    presenter->GetNativeVideoSize(&width, &height, &aspectX, &aspectY);
    EXPECT_EQ(width, 720);
    EXPECT_EQ(height, 576);
    EXPECT_EQ(aspectX, 4);
    EXPECT_EQ(aspectY, 3);
    presenter->GetNativeVideoSize(nullptr, nullptr, nullptr, nullptr);

    // A grey frame: Y 126, U V 128.
    GstBuffer* buffer = gst_buffer_new_allocate(nullptr, info.size, nullptr);
    gst_buffer_memset(buffer, 0, 126, info.size);
    gst_buffer_memset(buffer, info.offset[1], 128, info.size - info.offset[1]);
    ASSERT_TRUE(presenter->PresentImage(buffer));
    gst_buffer_unref(buffer);
    EXPECT_EQ(presenter->framesPresented(), 1u);
    EXPECT_EQ(presenter->RepaintVideo(), CAllocator::kOk);

    presenter->SetDevicePosition(NerlaRect{0, 0, 64, 48});
    const auto picture = presenter->GrabPresented();
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 64);
    EXPECT_EQ(picture->height, 48);
    const Pixel grey = pixelAt(*picture, 32, 24);
    EXPECT_NEAR(grey.r, grey.g, 4);
    EXPECT_NEAR(grey.g, grey.b, 4);
    EXPECT_NEAR(grey.g, 128, 20);

    // Formats the planes cannot carry are refused and change nothing.
    EXPECT_FALSE(presenter->InitializeDevice(videoInfo(GST_VIDEO_FORMAT_GRAY8, 64, 64)));
    EXPECT_EQ(presenter->videoWidth(), 720);
}

class StereoChannel : public present::PresenterTest {
  protected:
    // The paused picture at 320x240, drawn again for every read.
    void SetUp() override {
        renderer_ = open();
        ASSERT_NE(renderer_, nullptr);
        presenter_ = renderer_->presenter();
        const NerlaRect size{0, 0, 320, 240};
        EXPECT_EQ(renderer_->BindWindow(0, &size), 0);
        ASSERT_EQ(renderer_->SetViewValue(4), 1);  // left eye only: red
    }
    CAllocator::Picture grab() {
        auto picture = presenter_->GrabPresented();
        EXPECT_TRUE(picture.has_value());
        return picture ? *picture : CAllocator::Picture{};
    }

    nerla::IVMR9Renderer3D* renderer_ = nullptr;
    CAllocator* presenter_ = nullptr;
};

TEST_F(StereoChannel, ColourControlRangesAndOnlyTheFlaggedControl) {
    struct Range {
        int32_t control;
        float minimum, maximum, defaultValue, step;
    };
    for (const Range& want : {Range{1, -100, 100, 0, 1}, Range{2, 0, 10, 1, 0.01f},
                              Range{4, -180, 180, 0, 1}, Range{8, 0, 10, 1, 0.01f}}) {
        NerlaColorRange range{};
        range.control = want.control;
        ASSERT_EQ(renderer_->GetColorControlRange(range), 1) << want.control;
        EXPECT_EQ(range.minimum, want.minimum);
        EXPECT_EQ(range.maximum, want.maximum);
        EXPECT_EQ(range.defaultValue, want.defaultValue);
        EXPECT_FLOAT_EQ(range.step, want.step);
    }
    NerlaColorRange unknown{1, 2, 3, 4, 3};
    EXPECT_EQ(renderer_->GetColorControlRange(unknown), 0);
    EXPECT_EQ(unknown.minimum, 1.0f) << "an unknown control leaves the record alone";

    const Pixel base = pixelAt(grab(), 40, 40);
    EXPECT_GT(base.r, 140);
    EXPECT_LT(base.b, 90);

    // Control 3 flags nothing: accepted, nothing changes.
    EXPECT_EQ(renderer_->SetColorControl(3, 50.0f), 1);
    const Pixel same = pixelAt(grab(), 40, 40);
    EXPECT_EQ(same.r, base.r);
    EXPECT_EQ(same.b, base.b);
    // Out of range: refused.
    EXPECT_EQ(renderer_->SetColorControl(1, 500.0f), 0);

    ASSERT_EQ(renderer_->SetColorControl(1, 40.0f), 1);
    const Pixel brighter = pixelAt(grab(), 40, 40);
    EXPECT_GT(brighter.r, base.r + 15);
    EXPECT_GT(brighter.g, base.g + 15);
    EXPECT_GT(brighter.b, base.b + 15);
    ASSERT_EQ(renderer_->SetColorControl(1, 0.0f), 1);

    // Hue half a turn: red becomes cyan-like, the other controls keep their values.
    ASSERT_EQ(renderer_->SetColorControl(4, 180.0f), 1);
    const nerla::ColorControls controls = presenter_->colorControls();
    EXPECT_EQ(controls.hue, 180.0f);
    EXPECT_EQ(controls.brightness, 0.0f);
    EXPECT_EQ(controls.contrast, 1.0f);
    EXPECT_EQ(controls.saturation, 1.0f);
    const Pixel turned = pixelAt(grab(), 40, 40);
    EXPECT_LT(turned.r, base.r - 60);
    EXPECT_GT(turned.b, base.b + 40);
    EXPECT_GT(turned.g, base.g + 20);

    ASSERT_EQ(renderer_->SetColorControl(4, 0.0f), 1);
    ASSERT_EQ(renderer_->SetColorControl(8, 0.0f), 1);
    const Pixel grey = pixelAt(grab(), 40, 40);
    EXPECT_NEAR(grey.r, grey.g, 4);
    EXPECT_NEAR(grey.g, grey.b, 4);
}

TEST_F(StereoChannel, OverlayInTheTopRightCornerWithBlackKeyedOut) {
    const CAllocator::Picture before = grab();
    // 40x40 black bitmap with a white 20x20 square in the middle.
    std::vector<uint8_t> pixels(40 * 40 * 4, 0);
    for (int y = 10; y < 30; ++y) {
        for (int x = 10; x < 30; ++x) {
            std::fill_n(pixels.begin() + (y * 40 + x) * 4, 4, 255);
        }
    }
    const NerlaBitmap bitmap{40, 40, 160, pixels.data()};
    NerlaOverlayBitmap overlay{1, 0, 0, 40, 40, 0.75f, 0.0f, 1.0f, 0.25f, 0.5f, 0x000000, &bitmap};
    ASSERT_EQ(renderer_->SetOverlay(&overlay), 1);
    const CAllocator::Picture after = grab();

    // The square covers x 260..300, y 15..45 of the 320x240 picture.
    const Pixel under = pixelAt(before, 280, 30);
    const Pixel blended = pixelAt(after, 280, 30);
    EXPECT_NEAR(blended.r, (under.r + 255) / 2, 6);
    EXPECT_NEAR(blended.g, (under.g + 255) / 2, 6);
    EXPECT_NEAR(blended.b, (under.b + 255) / 2, 6);
    for (auto [x, y] : {std::pair{245, 5}, {315, 55}, {200, 30}, {280, 100}}) {
        const Pixel a = pixelAt(before, x, y);
        const Pixel b = pixelAt(after, x, y);
        EXPECT_EQ(a.r, b.r) << x << "," << y << " is keyed out or outside";
        EXPECT_EQ(a.g, b.g) << x << "," << y;
    }

    // Hidden again; a bitmap that does not fit is refused.
    overlay.show = 0;
    ASSERT_EQ(renderer_->SetOverlay(&overlay), 1);
    EXPECT_EQ(pixelAt(grab(), 280, 30).g, under.g);
    NerlaOverlayBitmap broken = overlay;
    broken.show = 1;
    broken.bitmap = nullptr;
    EXPECT_EQ(renderer_->SetOverlay(&broken), 0);
    EXPECT_EQ(renderer_->SetOverlay(nullptr), 0);
}

TEST_F(StereoChannel, StreamAlphaAndOutputRectangle) {
    EXPECT_EQ(renderer_->GetStreamAlpha(0), 100.0f);
    const Pixel full = pixelAt(grab(), 40, 40);
    ASSERT_EQ(renderer_->SetStreamAlpha(0, 50.0f), 1);
    EXPECT_EQ(renderer_->GetStreamAlpha(0), 50.0f);
    const Pixel half = pixelAt(grab(), 40, 40);
    EXPECT_NEAR(half.r, full.r / 2, 6);
    EXPECT_EQ(renderer_->SetStreamAlpha(0, 150.0f), 0);
    EXPECT_EQ(renderer_->GetStreamAlpha(0), 50.0f);
    ASSERT_EQ(renderer_->SetStreamAlpha(0, 100.0f), 1);

    // Video pixels (left, top, right, bottom) of the 640x240 frame: the right half.
    ASSERT_EQ(renderer_->SetStreamRect(0, NerlaRect{320, 0, 640, 240}), 1);
    const CAllocator::Picture rect = grab();
    const Pixel outside = pixelAt(rect, 40, 120);
    EXPECT_LT(outside.r + outside.g + outside.b, 30) << "outside the rectangle is black";
    EXPECT_GT(pixelAt(rect, 240, 40).r, 140);
    EXPECT_EQ(renderer_->SetStreamRect(0, NerlaRect{300, 0, 100, 240}), 0);
}

TEST_F(StereoChannel, FixedAnswers) {
    EXPECT_EQ(renderer_->GrabBitmap(), nullptr);
    NerlaChannelInfo info{};
    ASSERT_TRUE(renderer_->QueryVideoInfo(info));
    EXPECT_EQ(info.videoWidth, 640);
    EXPECT_EQ(info.videoHeight, 240);
    EXPECT_FLOAT_EQ(info.framesPerSecond, 25.0f);
    EXPECT_EQ(renderer_->RepaintFrame(0, 0), CAllocator::kOk);
    EXPECT_EQ(presenter_->scene().sourceLayout(), 1);
}

// Freeing channels while their frames are being presented.
TEST_F(StereoChannel, FreeWhilePresenting) {
    for (int round = 0; round < 3; ++round) {
        nerla::IVMR9Renderer3D* renderer = round == 0 ? renderer_ : open();
        ASSERT_NE(renderer, nullptr);
        CAllocator* presenter = renderer->presenter();
        const uint64_t start = presenter->framesPresented();
        ASSERT_NE(Nerla_ChannelPlay(handle_), 0);
        ASSERT_TRUE(playback::pumpUntil([&] { return presenter->framesPresented() >= start + 3; }));
        renderer->SetViewValue(2);
        ASSERT_NE(Nerla_StreamFree(handle_), 0);
        handle_ = 0;
    }
}

}  // namespace
