// View values, extents, set-up and the failure paths of the scene.
#include <gtest/gtest.h>

#include <atomic>
#include <climits>
#include <string>
#include <thread>
#include <vector>

#include "gl_fixture.h"
#include "nerla.h"

namespace nerla::test {
namespace {

using Status = CPlaneScene::Status;

// Left half red, right half blue, both flat, so one column tells the view.
SourceImage halvesFrame(int width, int height) {
    SourceImage image(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            image.at(x, y) = x < width / 2 ? Rgba{220, 40, 40, 255} : Rgba{40, 60, 220, 255};
        }
    }
    return image;
}

// Video-range value of an 8-bit full-range channel, as the programs see it.
double video(double c) {
    return 16.0 + 219.0 * c / 255.0;
}

class SceneTest : public GlTest {
  protected:
    void SetUp() override {
        GlTest::SetUp();
        Nerla_SetMessageHook(&SceneTest::onMessage, this);
    }
    void TearDown() override {
        Nerla_SetMessageHook(nullptr, nullptr);
        GlTest::TearDown();
    }

    static void NERLA_CALL onMessage(const char* caption, const char* text, void* user) {
        auto* self = static_cast<SceneTest*>(user);
        self->captions_.emplace_back(caption);
        self->texts_.emplace_back(text);
    }

    std::vector<std::string> captions_;
    std::vector<std::string> texts_;
};

TEST_F(SceneTest, EyeFactorValuesRebuildTheCurrentMode) {
    struct {
        int value;
        float factor;
    } const cases[] = {
        {9700, 0.97f}, {10000, 1.0f}, {10300, 1.03f}, {9000, 0.9f}, {20000, 1.5f}, {INT_MAX, 1.5f},
    };
    CPlaneScene scene;
    ASSERT_EQ(scene.Setup(device_), Status::Ok);
    scene.SelectView(11);
    for (const auto& c : cases) {
        scene.SelectView(c.value);
        EXPECT_FLOAT_EQ(scene.eyeFactor(), c.factor) << c.value;
        EXPECT_EQ(scene.viewMode(), 11) << c.value;
        EXPECT_TRUE(scene.hasProgram()) << c.value;
    }
}

TEST_F(SceneTest, ValuesOutsideTheDefinedSetsAreIgnored) {
    const SourceImage image = halvesFrame(32, 8);
    FramePlanes frame;
    uploadRgb(frame, image);
    OffscreenTarget out = target(16, 4);
    CPlaneScene scene;
    ASSERT_EQ(scene.Setup(device_), Status::Ok);
    scene.SelectView(5);
    scene.SelectView(CPlaneScene::kSwapOn);
    const std::vector<uint8_t> before = draw(scene, frame, out);
    for (int value : {-1, INT_MIN, 13, 665, 668, 8999}) {
        scene.SelectView(value);
        EXPECT_EQ(scene.viewMode(), 5) << value;
        EXPECT_TRUE(scene.swapped()) << value;
        EXPECT_FLOAT_EQ(scene.eyeFactor(), 1.0f) << value;
        EXPECT_EQ(draw(scene, frame, out), before) << value;
    }
    EXPECT_TRUE(captions_.empty());
}

TEST_F(SceneTest, ExtentsFollowLayoutAndModeAcrossSwapToggles) {
    struct {
        SourceLayout layout;
        int mode;
        float u, v;
    } const cases[] = {
        {SourceLayout::SideBySide, 6, 1, 1},   {SourceLayout::SideBySide, 7, 1, 1},
        {SourceLayout::TopBottom, 6, 2, 0.5f}, {SourceLayout::TopBottom, 7, 1, 1},
        {SourceLayout::SingleView, 6, 2, 1},   {SourceLayout::SingleView, 7, 1, 2},
        {SourceLayout::SingleView, 0, 1, 1},   {SourceLayout::None, 6, 1, 1},
    };
    for (const auto& c : cases) {
        CPlaneScene scene;
        scene.SetSourceLayout(c.layout);
        ASSERT_EQ(scene.Setup(device_), Status::Ok);
        scene.SelectView(c.mode);
        for (int swap : {CPlaneScene::kSwapOn, CPlaneScene::kSwapOff, CPlaneScene::kSwapOn}) {
            scene.SelectView(swap);
            const auto extent = scene.texExtent();
            EXPECT_FLOAT_EQ(extent[0], c.u) << static_cast<int>(c.layout) << " mode " << c.mode;
            EXPECT_FLOAT_EQ(extent[1], c.v) << static_cast<int>(c.layout) << " mode " << c.mode;
        }
    }
}

// Side by side at A = 1.03: Blue/Yellow and Green/Magenta go black where
// 0.5 * x * 1.03 + 0.5 > 1, Red/Cyan shows the wrapped left half there.
TEST_F(SceneTest, BlackBandAtTheRightEdgeOnlyWhereTheFormulaSays) {
    constexpr int kWidth = 200;
    const SourceImage image = halvesFrame(64, 8);
    FramePlanes frame;
    uploadRgb(frame, image);
    OffscreenTarget out = target(kWidth, 4);
    for (int mode : {1, 3, 2}) {
        CPlaneScene scene;
        ASSERT_EQ(scene.Setup(device_), Status::Ok);
        scene.SelectView(mode);
        scene.SelectView(10300);
        const std::vector<uint8_t> pixels = draw(scene, frame, out);
        int blackColumns = 0;
        for (int x = 0; x < kWidth; ++x) {
            const bool black = channel(pixels, kWidth, x, 1, 0) == 0 &&
                               channel(pixels, kWidth, x, 1, 1) == 0 &&
                               channel(pixels, kWidth, x, 1, 2) == 0;
            const double u = (x + 0.5) / kWidth;
            if (mode != 2) {
                EXPECT_EQ(black, 0.5 * u * 1.03 + 0.5 > 1.0) << "mode " << mode << " x " << x;
            }
            blackColumns += black;
        }
        if (mode == 2) {
            EXPECT_EQ(blackColumns, 0);
            // Red comes from the right half (red 40) and, past its edge, from
            // the wrapped left half (red 220); cyan from the left half.
            EXPECT_NEAR(channel(pixels, kWidth, kWidth / 2, 1, 0), video(40), 2);
            EXPECT_NEAR(channel(pixels, kWidth, kWidth / 2, 1, 2), video(40), 2);
            EXPECT_NEAR(channel(pixels, kWidth, kWidth - 1, 1, 0), video(220), 2);
        } else {
            EXPECT_EQ(blackColumns, 6) << "mode " << mode;  // about 3 % of the width
        }
    }
}

// Each output row is one stripe, whatever the target height: odd rows from
// the top show the first view, even rows the second; swapped, the reverse.
TEST_F(SceneTest, InterlacedStripesAreOneRowEach) {
    const SourceImage image = halvesFrame(32, 8);
    FramePlanes frame;
    uploadRgb(frame, image);
    for (int height : {1080, 37}) {
        OffscreenTarget out = target(4, height);
        for (bool swap : {false, true}) {
            CPlaneScene scene;
            ASSERT_EQ(scene.Setup(device_), Status::Ok);
            scene.SelectView(12);
            scene.SelectView(swap ? CPlaneScene::kSwapOn : CPlaneScene::kSwapOff);
            const std::vector<uint8_t> pixels = draw(scene, frame, out);
            int wrong = 0;
            for (int row = 0; row < height; ++row) {
                const bool firstView = (row % 2 == 1) != swap;
                const double red = firstView ? video(220) : video(40);
                wrong += std::abs(channel(pixels, 4, 1, row, 0) - red) > 2;
            }
            EXPECT_EQ(wrong, 0) << "height " << height << " swap " << swap;
        }
    }
}

TEST_F(SceneTest, CompileFailureShowsTheLogAndDrawsBlack) {
    ViewProgramTable broken = storedViewPrograms();
    broken.swapClear[0][11] = "in vec2 tex;\nout vec4 color;\nvoid main() { color = nothing; }\n";
    const SourceImage image = halvesFrame(32, 8);
    FramePlanes frame;
    uploadRgb(frame, image);
    OffscreenTarget out = target(8, 4);

    CPlaneScene scene(broken);
    ASSERT_EQ(scene.Setup(device_), Status::Ok);
    EXPECT_TRUE(captions_.empty());
    scene.SelectView(11);
    ASSERT_EQ(captions_.size(), 1u);
    EXPECT_EQ(captions_[0], "");
    EXPECT_NE(texts_[0].find("nothing"), std::string::npos) << texts_[0];
    EXPECT_FALSE(scene.hasProgram());

    const std::vector<uint8_t> pixels = draw(scene, frame, out);
    for (size_t i = 0; i < pixels.size(); i += 4) {
        ASSERT_EQ(pixels[i] + pixels[i + 1] + pixels[i + 2], 0) << "pixel " << i / 4;
        ASSERT_EQ(pixels[i + 3], 255);
    }
    // Frames, of any planes, do not try the broken view again.
    draw(scene, frame, out);
    EXPECT_EQ(captions_.size(), 1u);

    scene.SelectView(10300);  // the same broken mode again: one more message
    EXPECT_EQ(captions_.size(), 2u);
    scene.SelectView(4);
    EXPECT_EQ(captions_.size(), 2u);
    EXPECT_TRUE(scene.hasProgram());
    EXPECT_NEAR(channel(draw(scene, frame, out), 8, 3, 1, 0), video(220), 2);
}

TEST_F(SceneTest, SetupReturnsToOriginalAndKeepsTheRest) {
    const SourceImage image = halvesFrame(32, 8);
    FramePlanes frame;
    uploadRgb(frame, image);
    OffscreenTarget out = target(8, 4);

    CPlaneScene scene;
    scene.SetSourceLayout(SourceLayout::TopBottom);
    ASSERT_EQ(scene.Setup(device_), Status::Ok);
    scene.SelectView(11);
    scene.SelectView(CPlaneScene::kSwapOn);
    scene.SelectView(10300);

    // A recreated device, as after a lost context.
    auto second = GlDevice::createHeadless();
    ASSERT_TRUE(second && second->makeCurrent());
    OffscreenTarget secondOut = target(8, 4);
    FramePlanes secondFrame;
    uploadRgb(secondFrame, image);
    ASSERT_EQ(scene.Setup(second), Status::Ok);
    EXPECT_EQ(scene.viewMode(), 0);
    EXPECT_TRUE(scene.swapped());
    EXPECT_FLOAT_EQ(scene.eyeFactor(), 1.03f);
    EXPECT_EQ(scene.sourceLayout(), 2);

    secondOut.bind();
    ASSERT_EQ(scene.DrawFrame(second.get(), &secondFrame), Status::Ok);
    const std::vector<uint8_t> pixels = secondOut.readPixels();
    EXPECT_NEAR(channel(pixels, 8, 1, 1, 0), 220, 2);  // Original: the left half, full range
    EXPECT_NEAR(channel(pixels, 8, 6, 1, 2), 220, 2);
    ASSERT_TRUE(device_->makeCurrent());
}

TEST_F(SceneTest, WithoutDeviceTheViewIsOnlyRecorded) {
    const SourceImage image = halvesFrame(32, 8);
    FramePlanes frame;
    uploadRgb(frame, image);
    FramePlanes empty;

    CPlaneScene scene;
    scene.SelectView(5);
    scene.SelectView(CPlaneScene::kSwapOn);
    scene.SelectView(9700);
    EXPECT_EQ(scene.viewMode(), 5);
    EXPECT_TRUE(scene.swapped());
    EXPECT_FLOAT_EQ(scene.eyeFactor(), 0.97f);
    EXPECT_FALSE(scene.hasProgram());
    EXPECT_TRUE(captions_.empty());
    EXPECT_EQ(scene.DrawFrame(device_.get(), &frame), Status::NoVertexBuffer);

    EXPECT_EQ(scene.Setup(nullptr), Status::NullArgument);
    ASSERT_EQ(scene.Setup(device_), Status::Ok);
    EXPECT_EQ(scene.viewMode(), 0);
    EXPECT_EQ(scene.DrawFrame(nullptr, &frame), Status::NullArgument);
    EXPECT_EQ(scene.DrawFrame(device_.get(), nullptr), Status::NullArgument);
    EXPECT_EQ(scene.DrawFrame(device_.get(), &empty), Status::NullArgument);

    auto other = GlDevice::createHeadless();
    ASSERT_TRUE(other && other->makeCurrent());
    EXPECT_EQ(scene.DrawFrame(device_.get(), &frame), Status::NotCurrent);
    EXPECT_EQ(scene.DrawFrame(other.get(), &frame), Status::WrongDevice);
    ASSERT_TRUE(device_->makeCurrent());
}

// View values come from the application's thread while the presenting
// thread draws with the device current: every frame draws, and the last
// value wins.
TEST_F(SceneTest, ViewValuesFromAnotherThreadWhileFramesDraw) {
    const SourceImage image = halvesFrame(32, 8);
    FramePlanes frame;
    uploadRgb(frame, image);
    OffscreenTarget out = target(8, 4);
    CPlaneScene scene;
    ASSERT_EQ(scene.Setup(device_), Status::Ok);

    std::atomic<bool> done = false;
    std::thread application([&] {
        for (int round = 0; round < 3; ++round) {
            for (int value : {1, 2, 11, CPlaneScene::kSwapOn, 12, 9700, CPlaneScene::kSwapOff, 6}) {
                scene.SelectView(value);
            }
        }
        scene.SelectView(4);
        done = true;
    });
    int failed = 0;
    int drawn = 0;
    out.bind();
    while (!done || drawn == 0) {
        failed += scene.DrawFrame(device_.get(), &frame) != Status::Ok;
        ++drawn;
    }
    application.join();
    EXPECT_EQ(failed, 0) << "of " << drawn;
    EXPECT_TRUE(captions_.empty());
    // Mode 4: the left half (red), video range.
    EXPECT_NEAR(channel(draw(scene, frame, out), 8, 4, 1, 0), video(220), 2);
}

}  // namespace
}  // namespace nerla::test
