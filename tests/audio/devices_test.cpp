// Audio outputs on the test session's sound server: what each chosen device
// records on its sink's monitor, volume and balance as heard there, the null
// renderer's pace, exchanging the device of a living channel, and opening
// media without any sound server.
#include <gst/app/gstappsink.h>
#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "nerla.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

constexpr int kRate = 44100;
constexpr int kBlockFrames = kRate / 10;  // 100 ms
constexpr double kLoud = 1e-3;            // RMS above about -60 dBFS

struct Level {
    double left;
    double right;
};

// Records the monitor of one of the session's sinks and measures it in
// blocks of 100 ms.
class MonitorRecorder {
  public:
    explicit MonitorRecorder(const std::string& sink) {
        const std::string description = "pulsesrc device=" + sink +
                                        ".monitor ! audioconvert ! audio/x-raw,format=F32LE,"
                                        "channels=2,rate=44100 ! appsink name=out sync=false";
        pipeline_ = gst_parse_launch(description.c_str(), nullptr);
        if (!pipeline_) {
            return;
        }
        appsink_ = gst_bin_get_by_name(GST_BIN(pipeline_), "out");
        gst_element_set_state(pipeline_, GST_STATE_PLAYING);
        puller_ = std::thread([this] { pull(); });
    }
    ~MonitorRecorder() {
        if (!pipeline_) {
            return;
        }
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        puller_.join();
        gst_object_unref(appsink_);
        gst_object_unref(pipeline_);
    }
    MonitorRecorder(const MonitorRecorder&) = delete;
    MonitorRecorder& operator=(const MonitorRecorder&) = delete;

    bool ok() const { return pipeline_ != nullptr; }
    void clear() {
        std::lock_guard guard(lock_);
        blocks_.clear();
    }
    size_t loudBlocks() {
        std::lock_guard guard(lock_);
        return static_cast<size_t>(std::count_if(blocks_.begin(), blocks_.end(), [](Level l) {
            return std::max(l.left, l.right) > kLoud;
        }));
    }
    // The median level of the blocks with sound, per side.
    Level level() {
        std::lock_guard guard(lock_);
        std::vector<double> left, right;
        for (Level l : blocks_) {
            if (std::max(l.left, l.right) > kLoud) {
                left.push_back(l.left);
                right.push_back(l.right);
            }
        }
        if (left.empty()) {
            return {0.0, 0.0};
        }
        std::sort(left.begin(), left.end());
        std::sort(right.begin(), right.end());
        return {left[left.size() / 2], right[right.size() / 2]};
    }

  private:
    void pull() {
        double sum[2] = {0.0, 0.0};
        int frames = 0;
        while (GstSample* sample = gst_app_sink_pull_sample(GST_APP_SINK(appsink_))) {
            GstBuffer* buffer = gst_sample_get_buffer(sample);
            GstMapInfo map;
            if (gst_buffer_map(buffer, &map, GST_MAP_READ)) {
                const auto* f = reinterpret_cast<const float*>(map.data);
                for (size_t i = 0; i + 1 < map.size / 4; i += 2) {
                    sum[0] += f[i] * f[i];
                    sum[1] += f[i + 1] * f[i + 1];
                    if (++frames == kBlockFrames) {
                        std::lock_guard guard(lock_);
                        blocks_.push_back({std::sqrt(sum[0] / frames), std::sqrt(sum[1] / frames)});
                        sum[0] = sum[1] = 0.0;
                        frames = 0;
                    }
                }
                gst_buffer_unmap(buffer, &map);
            }
            gst_sample_unref(sample);
        }
    }

    GstElement* pipeline_ = nullptr;
    GstElement* appsink_ = nullptr;
    std::thread puller_;
    std::mutex lock_;
    std::vector<Level> blocks_;
};

double db(double ratio) {
    return 20.0 * std::log10(ratio);
}

struct Devices {
    std::vector<std::string> names;
};

void NERLA_CALL collect(const void* name, NerlaGUID, void* user) {
    static_cast<Devices*>(user)->names.emplace_back(static_cast<const char*>(name));
}

// The session's sink behind a listed device name.
std::string sinkOf(const std::string& name) {
    return name == "Nerla_Test_Sink_A" ? "nerla_sink_a" : "nerla_sink_b";
}

class AudioDevices : public ::testing::Test {
  protected:
    void SetUp() override {
        gst_init(nullptr, nullptr);
        ASSERT_EQ(Nerla_Init(0, 0), 1);
        Devices devices;
        ASSERT_EQ(Nerla_GetAudioRenderers(&collect, &devices, 0), 2);
        for (const std::string& name : devices.names) {
            sinks_.push_back(sinkOf(name));
        }
        ASSERT_NE(sinks_[0], sinks_[1]);
    }
    void TearDown() override {
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, -1);
        Nerla_Free();
    }

    NerlaHandle open(intptr_t choice) {
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, choice);
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
        EXPECT_NE(channel, 0u) << Nerla_ErrorGetCode();
        return channel;
    }

    // Plays from the start until `heard` has recorded a second of sound (or
    // 15 s passed), then stops; the sink's monitor lags by its latency.
    static void playUntilHeard(NerlaHandle channel, MonitorRecorder& heard) {
        heard.clear();
        ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
        const auto until = Clock::now() + std::chrono::seconds(15);
        while (heard.loudBlocks() < 10 && Clock::now() < until) {
            std::this_thread::sleep_for(milliseconds(50));
        }
        Nerla_ChannelStop(channel);
        std::this_thread::sleep_for(milliseconds(300));
    }

    std::vector<std::string> sinks_;  // in the order of the device list
};

TEST_F(AudioDevices, TheChosenDeviceGetsTheSoundAtItsVolumeAndBalance) {
    MonitorRecorder first(sinks_[0]);
    MonitorRecorder second(sinks_[1]);
    ASSERT_TRUE(first.ok() && second.ok());
    const NerlaHandle channel = open(2);
    playUntilHeard(channel, second);
    ASSERT_GE(second.loudBlocks(), 10u);
    EXPECT_EQ(first.loudBlocks(), 0u);
    // audio.wav: a sine at 0.8 of full scale on both sides.
    const Level full = second.level();
    EXPECT_NEAR(db(full.left), db(0.8 / std::sqrt(2.0)), 0.5);
    EXPECT_NEAR(db(full.right), db(0.8 / std::sqrt(2.0)), 0.5);

    struct Case {
        float volume;
        float pan;
        double leftDb;  // against full level
        double rightDb;
    };
    for (Case c : {Case{50.0f, 0.0f, -7.52, -7.52}, Case{100.0f, 30.0f, -30.0, 0.0},
                   Case{100.0f, -30.0f, 0.0, -30.0}}) {
        SCOPED_TRACE(testing::Message() << "volume " << c.volume << ", pan " << c.pan);
        ASSERT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_VOLUME, c.volume), 1);
        ASSERT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_BALANCE, c.pan), 1);
        playUntilHeard(channel, second);
        const Level heard = second.level();
        EXPECT_NEAR(db(heard.left / full.left), c.leftDb, 0.5);
        EXPECT_NEAR(db(heard.right / full.right), c.rightDb, 0.5);
    }
    Nerla_StreamFree(channel);
}

std::atomic<int> dspCalls{0};
void NERLA_CALL countCalls(uint32_t, NerlaHandle, void*, uint32_t, void*) {
    ++dspCalls;
}

TEST_F(AudioDevices, ExchangingTheDeviceOfAPlayingChannel) {
    MonitorRecorder first(sinks_[0]);
    MonitorRecorder second(sinks_[1]);
    ASSERT_TRUE(first.ok() && second.ok());
    const NerlaHandle channel = open(1);
    ASSERT_NE(Nerla_ChannelSetDSP(channel, &countCalls, nullptr), 0u);
    ASSERT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_VOLUME, 50.0f), 1);
    ASSERT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_BALANCE, -20.0f), 1);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(milliseconds(300));

    // Stopped, back at the start, at full volume in the middle.
    EXPECT_EQ(Nerla_ChannelSetAudioDevice(channel, 2), 1);
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_STOPPED);
    EXPECT_EQ(Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS), 0.0);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_VOLUME), 100.0f);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_BALANCE), 0.0f);
    std::this_thread::sleep_for(milliseconds(300));
    first.clear();
    const int callsBefore = dspCalls.load();
    playUntilHeard(channel, second);
    EXPECT_GE(second.loudBlocks(), 10u);
    EXPECT_EQ(first.loudBlocks(), 0u);
    EXPECT_GT(dspCalls.load(), callsBefore);  // the processor stayed with its callbacks

    // The null renderer: playback goes on, nothing is heard.
    EXPECT_EQ(Nerla_ChannelSetAudioDevice(channel, NERLA_AUDIO_RENDERER_NULL), 1);
    first.clear();
    second.clear();
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(milliseconds(1500));
    EXPECT_GT(Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS), 500.0);
    EXPECT_EQ(first.loudBlocks() + second.loudBlocks(), 0u);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_VOLUME), 100.0f);

    // A device that is not there: no renderer any more, the channel still plays.
    EXPECT_EQ(Nerla_ChannelSetAudioDevice(channel, 3), 0);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_VOLUME), 0.0f);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    std::this_thread::sleep_for(milliseconds(800));
    EXPECT_GT(Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS), 300.0);
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_PLAYING);
    EXPECT_EQ(Nerla_ChannelSetAudioDevice(channel, -1), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_NOAUDIO);
    Nerla_StreamFree(channel);
    EXPECT_EQ(Nerla_ChannelSetAudioDevice(channel, -1), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

// Plays audio.wav (3 s) through `choice`; the seconds until its end, or -1.
double secondsToPlay(NerlaHandle channel) {
    const auto start = Clock::now();
    if (Nerla_ChannelPlay(channel) != 1) {
        return -1.0;
    }
    const auto until = start + std::chrono::seconds(20);
    while (Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS) < 2950.0) {
        if (Clock::now() > until) {
            return -1.0;
        }
        std::this_thread::sleep_for(milliseconds(10));
    }
    return std::chrono::duration<double>(Clock::now() - start).count();
}

TEST_F(AudioDevices, TheNullRendererKeepsPace) {
    const NerlaHandle channel = open(NERLA_AUDIO_RENDERER_NULL);
    const double seconds = secondsToPlay(channel);
    EXPECT_GT(seconds, 2.8);
    EXPECT_LT(seconds, 4.5);
    Nerla_StreamFree(channel);
}

// Run by WithoutASoundServer in a child process that has none.
TEST(NoSoundServer, DISABLED_DefaultAndNullRenderersStillPlay) {
    ASSERT_NE(std::getenv("NERLA_TEST_NO_SOUND_SERVER"), nullptr);
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    for (intptr_t choice : {intptr_t{-1}, intptr_t{NERLA_AUDIO_RENDERER_NULL}}) {
        SCOPED_TRACE(choice);
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, choice);
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
        ASSERT_NE(channel, 0u) << Nerla_ErrorGetCode();
        ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
        std::this_thread::sleep_for(milliseconds(700));
        EXPECT_GT(Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS), 300.0);
        Nerla_StreamFree(channel);
    }
    Nerla_Free();
}

TEST_F(AudioDevices, WithoutASoundServer) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("PULSE_SERVER", "unix:/nonexistent/native", 1);
        setenv("NERLA_TEST_NO_SOUND_SERVER", "1", 1);
        char filter[] = "--gtest_filter=NoSoundServer.*";
        char disabled[] = "--gtest_also_run_disabled_tests";
        char self[] = "/proc/self/exe";
        char* argv[] = {self, filter, disabled, nullptr};
        execve(self, argv, environ);
        _exit(127);
    }
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
