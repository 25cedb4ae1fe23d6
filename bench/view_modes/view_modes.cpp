// Frames per second of upload + DrawFrame for a 1920x1080 I420 side-by-side
// frame into a 1920x1080 offscreen target, per view mode, next to
// `ffmpeg -vf stereo3d=sbsl:arcd -f null -` over as many frames of the same
// size, in one run. The machine may be shared: rounds alternate between the
// two and the medians are printed.
//   bench_view_modes [FRAMES] [ROUNDS]
#include <GLES3/gl3.h>

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "video/frame_planes.h"
#include "video/gl/gl_device.h"
#include "video/gl/offscreen_target.h"
#include "video/plane_scene.h"

namespace {

using Clock = std::chrono::steady_clock;
using nerla::CPlaneScene;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

const char* const kModeNames[] = {
    "Original",   "Blue/Yellow",  "Red/Cyan",   "Green/Magenta", "Left part",
    "Right part", "Side by side", "Top/bottom", "Red/Cyan mono", "Half colour",
    "Optimised",  "Dubois",       "Interlaced",
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// Y, U and V planes of one frame: two views with different ramps.
std::vector<uint8_t> syntheticFrame() {
    std::vector<uint8_t> bytes(kWidth * kHeight * 3 / 2);
    uint8_t* y = bytes.data();
    uint8_t* u = y + kWidth * kHeight;
    uint8_t* v = u + kWidth * kHeight / 4;
    for (int row = 0; row < kHeight; ++row) {
        for (int column = 0; column < kWidth; ++column) {
            const int inView = column % (kWidth / 2);
            y[row * kWidth + column] = static_cast<uint8_t>(16 + (inView + row) % 220);
        }
    }
    for (int row = 0; row < kHeight / 2; ++row) {
        for (int column = 0; column < kWidth / 2; ++column) {
            const bool left = column < kWidth / 4;
            u[row * kWidth / 2 + column] = static_cast<uint8_t>(left ? 90 + row % 64 : 160);
            v[row * kWidth / 2 + column] = static_cast<uint8_t>(left ? 200 : 70 + column % 64);
        }
    }
    return bytes;
}

// Wall time of a shell command, in seconds; negative when it fails.
double timeCommand(const std::string& command) {
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        return -1.0;
    }
    return secondsSince(start);
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const int frames = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    auto device = nerla::GlDevice::createHeadless();
    if (!device || !device->makeCurrent()) {
        std::fprintf(stderr, "no GL device\n");
        return 1;
    }
    auto target = nerla::OffscreenTarget::create(kWidth, kHeight);
    if (!target) {
        std::fprintf(stderr, "no %dx%d framebuffer\n", kWidth, kHeight);
        return 1;
    }
    const std::vector<uint8_t> yuv = syntheticFrame();
    const nerla::PlaneData planes[3] = {
        {yuv.data(), kWidth},
        {yuv.data() + kWidth * kHeight, kWidth / 2},
        {yuv.data() + kWidth * kHeight * 5 / 4, kWidth / 2},
    };
    nerla::FramePlanes frame;
    CPlaneScene scene;
    scene.SetSourceLayout(nerla::SourceLayout::SideBySide);
    if (scene.Setup(device) != CPlaneScene::Status::Ok) {
        std::fprintf(stderr, "scene set-up failed\n");
        return 1;
    }
    target->bind();

    std::printf("%dx%d I420 side by side into %dx%d, %d frames per mode, %d rounds, GL: %s\n",
                kWidth, kHeight, kWidth, kHeight, frames, rounds,
                reinterpret_cast<const char*>(glGetString(GL_RENDERER)));

    // ffmpeg reads one raw frame in a loop; the same command without the
    // filter times the source and the null output alone.
    char sourceFile[] = "/tmp/nerla-bench-XXXXXX";
    const int fd = mkstemp(sourceFile);
    const bool written =
        fd >= 0 && write(fd, yuv.data(), yuv.size()) == static_cast<ssize_t>(yuv.size());
    if (fd >= 0) {
        close(fd);
    }
    if (!written) {
        std::fprintf(stderr, "cannot write %s\n", sourceFile);
        return 1;
    }
    const std::string input =
        "ffmpeg -nostdin -hide_banner -loglevel error -stream_loop -1 "
        "-f rawvideo -pix_fmt yuv420p -s " +
        std::to_string(kWidth) + "x" + std::to_string(kHeight) + " -i " + sourceFile +
        " -frames:v " + std::to_string(frames);

    std::vector<std::vector<double>> fpsRounds(13);
    std::vector<double> withFilter, without;
    for (int round = 0; round < rounds; ++round) {
        for (int mode = 0; mode < 13; ++mode) {
            scene.SelectView(mode);
            for (int i = 0; i < 3; ++i) {  // the first draws build the driver's variants
                frame.upload(nerla::FrameFormat::I420, kWidth, kHeight, planes);
                scene.DrawFrame(device.get(), &frame);
                glFlush();
            }
            glFinish();
            const Clock::time_point start = Clock::now();
            for (int i = 0; i < frames; ++i) {
                if (!frame.upload(nerla::FrameFormat::I420, kWidth, kHeight, planes) ||
                    scene.DrawFrame(device.get(), &frame) != CPlaneScene::Status::Ok) {
                    std::fprintf(stderr, "draw failed in mode %d\n", mode);
                    unlink(sourceFile);
                    return 1;
                }
                // Where a presenter swaps: the frame is drawn, not dropped by the next clear.
                glFlush();
            }
            glFinish();
            fpsRounds[static_cast<size_t>(mode)].push_back(frames / secondsSince(start));
        }
        withFilter.push_back(timeCommand(input + " -vf stereo3d=sbsl:arcd -f null -"));
        without.push_back(timeCommand(input + " -f null -"));
    }
    unlink(sourceFile);
    if (*std::min_element(withFilter.begin(), withFilter.end()) < 0 ||
        *std::min_element(without.begin(), without.end()) < 0) {
        std::fprintf(stderr, "ffmpeg failed\n");
        return 1;
    }
    std::vector<double> fps;
    for (const auto& values : fpsRounds) {
        fps.push_back(median(values));
    }
    const double filterSeconds = median(withFilter) - median(without);
    const double ffmpegFps = frames / median(withFilter);
    const double filterFps = filterSeconds > 0 ? frames / filterSeconds : 0.0;
    // arcd shows one view: 960x1080 output pixels per frame against our 1920x1080.
    const double ffmpegOutput = kWidth / 2.0 * kHeight;
    const double ourOutput = static_cast<double>(kWidth) * kHeight;
    const double filterRate = filterFps * ffmpegOutput / 1e6;

    std::printf("\n%-4s %-14s %9s %12s %22s\n", "mode", "", "fps", "Mpx/s out",
                "ratio per px vs filter");
    for (int mode = 0; mode < 13; ++mode) {
        const double rate = fps[mode] * ourOutput / 1e6;
        std::printf("%-4d %-14s %9.1f %12.1f %22.2f\n", mode, kModeNames[mode], fps[mode], rate,
                    filterRate > 0 ? rate / filterRate : 0.0);
    }
    std::printf("\nffmpeg -vf stereo3d=sbsl:arcd -f null - (%dx%d out), same frames:\n", kWidth / 2,
                kHeight);
    std::printf("  whole process         %9.1f fps %12.1f Mpx/s\n", ffmpegFps,
                ffmpegFps * ffmpegOutput / 1e6);
    std::printf("  source and output     %9.1f fps (same command without the filter)\n",
                frames / median(without));
    std::printf("  filter alone          %9.1f fps %12.1f Mpx/s (difference of the two)\n",
                filterFps, filterRate);
    std::printf(
        "Dubois per output pixel: engine / filter alone %.2f, engine / whole process %.2f\n",
        filterRate > 0 ? fps[11] * ourOutput / 1e6 / filterRate : 0.0,
        fps[11] * ourOutput / (ffmpegFps * ffmpegOutput));
    return 0;
}
