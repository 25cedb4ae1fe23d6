// The renderer objects a channel gets by configuration, what they show in a
// real X window, their snapshots, stream alpha, overlay and picture controls.
#include <gtest/gtest.h>

#include <chrono>
#include <vector>

#include "renderer_fixture.h"
#include "video/renderer/basic_video_renderer.h"
#include "video/renderer/evr_renderer.h"
#include "video/renderer/null_video_renderer.h"
#include "video/renderer/vmr7_renderer.h"
#include "video/renderer/vmr9_renderer.h"

namespace {

using namespace renderers;

// Left eye red, right eye blue, in a 640x240 picture.
void expectPair(const NerlaBitmap* bitmap) {
    ASSERT_NE(bitmap, nullptr);
    ASSERT_EQ(bitmap->width, 640);
    ASSERT_EQ(bitmap->height, 240);
    EXPECT_EQ(bitmap->stride, 640 * 4);
    EXPECT_GT(share(pixelsOf(bitmap), 0, 0, 320, 240, kRed), 0.6);
    EXPECT_GT(share(pixelsOf(bitmap), 320, 0, 640, 240, kBlue), 0.6);
}

TEST_F(RendererTest, GraphOwnSinkAdoptedByTheBasicRenderer) {
    const NerlaHandle channel = open("sbs.mp4", 7);
    ASSERT_NE(channel, 0u);
    auto* basic = dynamic_cast<nerla::IBasicVideoRenderer*>(rendererOf(channel));
    ASSERT_NE(basic, nullptr);
    EXPECT_NE(GST_PAD_PEER(basic->adoptedPad()), nullptr);
    NerlaChannelInfo info{};
    ASSERT_TRUE(basic->QueryVideoInfo(info));
    EXPECT_EQ(info.videoWidth, 640);
    EXPECT_FLOAT_EQ(info.framesPerSecond, 25.0f);
    EXPECT_EQ(basic->RepaintFrame(0, 0), 1);
    EXPECT_EQ(basic->SetStreamAlpha(0, 50.0f), 1);
    EXPECT_EQ(basic->GetStreamAlpha(0), 0.0f);
    EXPECT_EQ(basic->SetStreamRect(0, NerlaRect{0, 0, 10, 10}), 0);
    NerlaColorRange range{0, 0, 0, 0, 1};
    EXPECT_EQ(basic->GetColorControlRange(range), 0);
    EXPECT_EQ(basic->SetViewValue(3), 0);
    BitmapPtr frame(Nerla_ChannelGetBitmap(channel, 0));
    expectPair(frame.get());
}

TEST_F(RendererTest, NullRendererDiscardsAtTheClocksPace) {
    const NerlaHandle channel = open("video-only.mp4", 6);
    ASSERT_NE(channel, 0u);
    auto* null = dynamic_cast<nerla::INullVideoRenderer*>(rendererOf(channel));
    ASSERT_NE(null, nullptr);
    auto* graph = GST_BIN(Nerla_GetGraph(channel));
    GstElement* sink = gst_bin_get_by_name(graph, "NULL Video Renderer");
    ASSERT_NE(sink, nullptr);
    gst_object_unref(sink);
    NerlaChannelInfo info{};
    ASSERT_TRUE(null->QueryVideoInfo(info));
    EXPECT_EQ(info.videoWidth, 320);
    EXPECT_EQ(info.videoHeight, 240);
    EXPECT_EQ(null->BindWindow(0, nullptr), 0);
    EXPECT_EQ(null->RepaintFrame(0, 0), 0);
    EXPECT_EQ(null->SetStreamAlpha(0, 50.0f), 0);
    EXPECT_EQ(null->GetStreamAlpha(0), 0.0f);
    NerlaOverlayBitmap overlay{};
    EXPECT_EQ(null->SetOverlay(&overlay), 0);
    EXPECT_EQ(null->SetStreamRect(0, NerlaRect{0, 0, 10, 10}), 0);
    EXPECT_EQ(Nerla_ChannelGetBitmap(channel, 0), nullptr);
    NerlaColorRange range{0, 0, 0, 0, 1};
    EXPECT_EQ(null->GetColorControlRange(range), 0);
    EXPECT_EQ(null->SetColorControl(1, 0.0f), 0);

    // Not faster than the clock: a second of video takes a second.
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    ASSERT_TRUE(playback::pumpUntil(
        [&] { return Nerla_ChannelGetPosition(channel, NERLA_UNIT_SECONDS) >= 1.0; }));
    EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(900));
}

TEST_F(RendererTest, WithoutDisplayTheBasicRendererStandsIn) {
    if (hasDisplay()) {
        GTEST_SKIP() << "runs without a display";
    }
    for (int32_t config : {1, 2, 4, 5}) {
        const NerlaHandle channel = open("sbs.mp4", config);
        ASSERT_NE(channel, 0u);
        EXPECT_NE(dynamic_cast<nerla::IBasicVideoRenderer*>(rendererOf(channel)), nullptr)
            << config;
        Nerla_StreamFree(channel);
    }
}

TEST_F(RendererTest, Vmr9ShowsThePictureInTheWindow) {
    if (!hasDisplay()) {
        GTEST_SKIP() << "needs a display";
    }
    for (int32_t config : {2, 4}) {
        TestWindow& shown = window(640, 240);
        const NerlaHandle channel = open("sbs.mp4", config, shown.id());
        ASSERT_NE(channel, 0u);
        auto* vmr = dynamic_cast<nerla::IVMR9Renderer*>(rendererOf(channel));
        ASSERT_NE(vmr, nullptr) << config;
        EXPECT_EQ(vmr->windowed(), config == 2);
        // Windowed answers 0, windowless 1.
        EXPECT_EQ(Nerla_ChannelSetWindow(channel, 0, shown.id()), config == 2 ? 0 : 1);
        EXPECT_EQ(Nerla_ChannelRepaint(channel, 0, shown.id(), 0), 1);
        ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
        EXPECT_TRUE(shown.waitForPair()) << config;
        Nerla_StreamFree(channel);
    }
}

TEST_F(RendererTest, Vmr9SnapshotAlphaAndOverlay) {
    if (!hasDisplay()) {
        GTEST_SKIP() << "needs a display";
    }
    TestWindow& shown = window(640, 240);
    const NerlaHandle channel = open("sbs.mp4", 4, shown.id());
    ASSERT_NE(channel, 0u);
    nerla::IVideoRenderer2* vmr = rendererOf(channel);
    ASSERT_NE(dynamic_cast<nerla::IVMR9Renderer*>(vmr), nullptr);
    NerlaBitmap* first = Nerla_ChannelGetBitmap(channel, 0);
    expectPair(first);
    EXPECT_EQ(Nerla_FreeMem(first), 1);

    // Half the alpha over the black background: half the brightness.
    EXPECT_EQ(vmr->SetStreamAlpha(0, 50.0f), 1);
    EXPECT_FLOAT_EQ(vmr->GetStreamAlpha(0), 50.0f);
    EXPECT_EQ(vmr->SetStreamAlpha(0, 150.0f), 0);
    EXPECT_EQ(vmr->SetStreamAlpha(7, 50.0f), 0);  // only the configured streams
    EXPECT_FLOAT_EQ(vmr->GetStreamAlpha(0), 50.0f);
    refresh(channel);
    {
        BitmapPtr dim(Nerla_ChannelGetBitmap(channel, 0));
        ASSERT_TRUE(dim);
        EXPECT_GT(share(pixelsOf(dim.get()), 0, 0, 320, 240, Rgb{96, 16, 16}, 16), 0.6);
        EXPECT_GT(share(pixelsOf(dim.get()), 320, 0, 640, 240, Rgb{16, 16, 96}, 16), 0.6);
    }
    EXPECT_EQ(vmr->SetStreamAlpha(0, 100.0f), 1);

    // Green on the left of the overlay, black (the key) on the right.
    const int side = 64;
    std::vector<uint8_t> pixels(side * side * 4, 0);
    for (int y = 0; y < side; ++y) {
        for (int x = 0; x < side / 2; ++x) {
            pixels[(y * side + x) * 4 + 1] = 255;
        }
    }
    const NerlaBitmap picture{side, side, side * 4, pixels.data()};
    NerlaOverlayBitmap overlay{1,    0,    0,     side, side,     0.75f,
                               0.0f, 1.0f, 0.25f, 0.5f, 0x000000, &picture};
    EXPECT_EQ(Nerla_ChannelOverlayBMP(channel, 0, &overlay), 1);
    refresh(channel);
    {
        BitmapPtr mixed(Nerla_ChannelGetBitmap(channel, 0));
        ASSERT_TRUE(mixed);
        const auto pixel = pixelsOf(mixed.get());
        // Destination: x 480..640, y 0..60; green blended half over blue.
        EXPECT_GT(share(pixel, 482, 2, 558, 58, Rgb{16, 143, 112}), 0.6);
        EXPECT_GT(share(pixel, 562, 2, 638, 58, kBlue), 0.6);  // keyed out
        EXPECT_GT(share(pixel, 482, 62, 638, 238, kBlue), 0.6);
        EXPECT_GT(share(pixel, 0, 0, 320, 240, kRed), 0.6);
    }
    EXPECT_TRUE(shown.waitFor([](const auto& pixel) {
        return share(pixel, 482, 2, 558, 58, Rgb{16, 143, 112}) > 0.6;
    }));

    // Bad descriptions change nothing; hiding takes the overlay away.
    EXPECT_EQ(Nerla_ChannelOverlayBMP(channel, 0, nullptr), 0);
    NerlaOverlayBitmap noPicture = overlay;
    noPicture.bitmap = nullptr;
    EXPECT_EQ(Nerla_ChannelOverlayBMP(channel, 0, &noPicture), 0);
    NerlaOverlayBitmap tooOpaque = overlay;
    tooOpaque.opacity = 1.5f;
    EXPECT_EQ(Nerla_ChannelOverlayBMP(channel, 0, &tooOpaque), 0);
    NerlaOverlayBitmap hide{};
    EXPECT_EQ(Nerla_ChannelOverlayBMP(channel, 0, &hide), 1);
    refresh(channel, 700);
    BitmapPtr plain(Nerla_ChannelGetBitmap(channel, 0));
    ASSERT_TRUE(plain);
    EXPECT_GT(share(pixelsOf(plain.get()), 482, 2, 558, 58, kBlue), 0.6);
}

TEST_F(RendererTest, Vmr9StreamRectangleInWholePercentages) {
    if (!hasDisplay()) {
        GTEST_SKIP() << "needs a display";
    }
    const NerlaHandle channel = open("sbs.mp4", 2);
    ASSERT_NE(channel, 0u);
    nerla::IVideoRenderer2* vmr = rendererOf(channel);
    ASSERT_NE(dynamic_cast<nerla::IVMR9Renderer*>(vmr), nullptr);
    // The right half of the picture: the video shrunk into it, black beside.
    EXPECT_EQ(vmr->SetStreamRect(0, NerlaRect{320, 0, 640, 240}), 1);
    EXPECT_EQ(vmr->SetStreamRect(0, NerlaRect{320, 0, 320, 240}), 0);  // empty
    EXPECT_EQ(vmr->SetStreamRect(9, NerlaRect{0, 0, 640, 240}), 0);
    refresh(channel);
    BitmapPtr frame(Nerla_ChannelGetBitmap(channel, 0));
    ASSERT_TRUE(frame);
    ASSERT_EQ(frame->width, 640);
    const auto pixel = pixelsOf(frame.get());
    EXPECT_GT(share(pixel, 0, 0, 320, 240, Rgb{0, 0, 0}, 8), 0.9);
    EXPECT_GT(share(pixel, 322, 0, 478, 240, kRed), 0.6);
    EXPECT_GT(share(pixel, 482, 0, 640, 240, kBlue), 0.6);
}

TEST_F(RendererTest, Vmr9PictureControls) {
    if (!hasDisplay()) {
        GTEST_SKIP() << "needs a display";
    }
    const NerlaHandle channel = open("sbs.mp4", 4);
    ASSERT_NE(channel, 0u);
    ASSERT_NE(dynamic_cast<nerla::IVMR9Renderer*>(rendererOf(channel)), nullptr);
    NerlaColorRange brightness{0, 0, 0, 0, 1};
    ASSERT_EQ(Nerla_ChannelColorRange(channel, 0, 1, &brightness), 1);
    EXPECT_LT(brightness.minimum, brightness.maximum);
    EXPECT_GT(brightness.step, 0.0f);
    EXPECT_GE(brightness.defaultValue, brightness.minimum);
    NerlaColorRange unknown{-5, -5, -5, -5, 3};
    EXPECT_EQ(Nerla_ChannelColorRange(channel, 0, 3, &unknown), 0);
    EXPECT_EQ(unknown.minimum, -5);
    EXPECT_EQ(Nerla_ChannelColorRange(channel, 0, 1, nullptr), 0);

    // No control flagged: succeeds, the picture stays.
    EXPECT_EQ(Nerla_ChannelSetColorValue(channel, 0, 3, brightness.maximum), 1);
    refresh(channel);
    {
        BitmapPtr same(Nerla_ChannelGetBitmap(channel, 0));
        expectPair(same.get());
    }
    EXPECT_EQ(Nerla_ChannelSetColorValue(channel, 0, 1, brightness.maximum + 1.0f), 0);
    const float brighter =
        brightness.defaultValue + (brightness.maximum - brightness.defaultValue) / 2;
    EXPECT_EQ(Nerla_ChannelSetColorValue(channel, 0, 1, brighter), 1);
    refresh(channel);
    BitmapPtr bright(Nerla_ChannelGetBitmap(channel, 0));
    ASSERT_TRUE(bright);
    const Rgb red = pixelsOf(bright.get())(40, 200);
    EXPECT_GT(red.g, kRed.g + 60) << red.r << "," << red.g << "," << red.b;
    EXPECT_GT(red.b, kRed.b + 60);

    // VMR-7 has no picture controls.
    const NerlaHandle vmr7 = open("sbs.mp4", 3);
    ASSERT_NE(dynamic_cast<nerla::IVMR7Renderer*>(rendererOf(vmr7)), nullptr);
    EXPECT_EQ(Nerla_ChannelColorRange(vmr7, 0, 1, &brightness), 0);
    EXPECT_EQ(Nerla_ChannelSetColorValue(vmr7, 0, 1, 0.0f), 0);
}

TEST_F(RendererTest, EvrReportsRangesAndIgnoresSettings) {
    if (!hasDisplay()) {
        GTEST_SKIP() << "needs a display";
    }
    const NerlaHandle channel = open("sbs.mp4", 5);
    ASSERT_NE(channel, 0u);
    nerla::IVideoRenderer2* evr = rendererOf(channel);
    if (!dynamic_cast<nerla::IEVRRenderer*>(evr)) {
        GTEST_SKIP() << "glimagesink cannot run on this display";
    }
    for (int32_t control : {1, 2, 4, 8}) {
        NerlaColorRange range{0, 0, 0, 0, control};
        EXPECT_EQ(Nerla_ChannelColorRange(channel, 0, control, &range), 1) << control;
        EXPECT_LT(range.minimum, range.maximum) << control;
    }
    EXPECT_EQ(Nerla_ChannelSetColorValue(channel, 0, 1, 500.0f), 0);
    EXPECT_EQ(evr->SetStreamAlpha(0, 20.0f), 1);
    EXPECT_EQ(evr->GetStreamAlpha(0), 0.0f);
    EXPECT_EQ(evr->SetStreamRect(0, NerlaRect{0, 0, 10, 10}), 0);
    refresh(channel);
    BitmapPtr frame(Nerla_ChannelGetBitmap(channel, 0));
    expectPair(frame.get());
}

TEST_F(RendererTest, MediumWithoutVideoAnswersNoVideo) {
    const NerlaHandle channel = open("audio.wav", 4);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(rendererOf(channel), nullptr);
    const auto expectNoVideo = [](auto result, auto expected, const char* what) {
        EXPECT_EQ(result, expected) << what;
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOVIDEO) << what;
    };
    expectNoVideo(Nerla_ChannelSetWindow(channel, 0, 0), 1, "set window");
    expectNoVideo(Nerla_ChannelResizeWindow(channel, 0, 0, 0, 10, 10), 1, "resize");
    expectNoVideo(Nerla_ChannelRepaint(channel, 0, 0, 0), 1, "repaint");
    expectNoVideo(Nerla_ChannelGetBitmap(channel, 0), static_cast<NerlaBitmap*>(nullptr), "bitmap");
    NerlaOverlayBitmap overlay{};
    expectNoVideo(Nerla_ChannelOverlayBMP(channel, 0, &overlay), 0, "overlay");
    NerlaColorRange range{0, 0, 0, 0, 1};
    expectNoVideo(Nerla_ChannelColorRange(channel, 0, 1, &range), 0, "range");
    expectNoVideo(Nerla_ChannelSetColorValue(channel, 0, 1, 0.0f), 0, "colour");
    expectNoVideo(Nerla_ChannelAddWindow(channel, 0, 6), 0u, "add window");
    expectNoVideo(Nerla_ChannelRemoveWindow(channel, 1024), 0, "remove window");
    // Unknown channels stay unknown.
    EXPECT_EQ(Nerla_ChannelGetBitmap(channel + 1000, 0), nullptr);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

}  // namespace
