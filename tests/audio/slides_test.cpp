// Attribute slides: the values each tick sends and the completion call, on a
// recording target and on real channels; slides that never start, slides
// whose period the timer refuses, and slides that outlive their channel or
// the library.
#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <condition_variable>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "audio/attribute_slide.h"
#include "audio/slide_registry.h"
#include "nerla.h"

namespace {

using Clock = std::chrono::steady_clock;

// What the slides sent and the completion calls they made.
class Recorder {
  public:
    static Recorder& instance() {
        static Recorder recorder;
        return recorder;
    }
    void reset(float start) {
        std::lock_guard guard(lock_);
        start_ = start;
        sent_.clear();
        done_.clear();
    }
    static int32_t NERLA_CALL set(NerlaHandle, int32_t, float value) {
        std::lock_guard guard(instance().lock_);
        instance().sent_.push_back(value);
        return 1;
    }
    static float NERLA_CALL get(NerlaHandle, int32_t) {
        std::lock_guard guard(instance().lock_);
        return instance().start_;
    }
    static void NERLA_CALL done(NerlaHandle channel, uint32_t type, uintptr_t data1,
                                uintptr_t data2) {
        {
            std::lock_guard guard(instance().lock_);
            instance().done_.push_back({channel, type, data1, data2, Clock::now()});
        }
        instance().changed_.notify_all();
    }

    struct Done {
        NerlaHandle channel;
        uint32_t type;
        uintptr_t data1;
        uintptr_t data2;
        Clock::time_point at;
    };
    bool waitDone(std::chrono::milliseconds timeout) {
        std::unique_lock guard(lock_);
        return changed_.wait_for(guard, timeout, [&] { return !done_.empty(); });
    }
    std::vector<float> sent() {
        std::lock_guard guard(lock_);
        return sent_;
    }
    std::vector<Done> done() {
        std::lock_guard guard(lock_);
        return done_;
    }

  private:
    std::mutex lock_;
    std::condition_variable changed_;
    float start_ = 0.0f;
    std::vector<float> sent_;
    std::vector<Done> done_;
};

constexpr nerla::AttributeAccess kRecorded{&Recorder::set, &Recorder::get};
const auto kUser = reinterpret_cast<void*>(uintptr_t{0x5EED});

TEST(Slide, SendsOneUnitPerTickThenCallsBack) {
    struct Case {
        int32_t attribute;
        float start;
        float target;
        float timeMs;
        float period;  // ms
        std::vector<float> sent;
    };
    std::vector<float> down;
    for (int v = 99; v >= 0; --v) {
        down.push_back(static_cast<float>(v));
    }
    std::vector<float> across;
    for (int v = -99; v <= 100; ++v) {
        across.push_back(static_cast<float>(v));
    }
    for (const Case& c : {
             Case{NERLA_ATTRIB_VOLUME, 100.0f, 0.0f, 1000.0f, 10.0f, down},
             Case{NERLA_ATTRIB_BALANCE, -100.0f, 100.0f, 2000.0f, 10.0f, across},
             // The last value is not held at the target.
             Case{NERLA_ATTRIB_RATE, 0.5f, 3.0f, 250.0f, 100.0f, {1.5f, 2.5f, 3.5f}},
             Case{NERLA_ATTRIB_VOLUME, 10.0f, 7.5f, 150.0f, 60.0f, {9.0f, 8.0f, 7.0f}},
         }) {
        SCOPED_TRACE(testing::Message() << c.start << " to " << c.target);
        Recorder::instance().reset(c.start);
        const auto started = Clock::now();
        ASSERT_EQ(nerla::startSlide(7, c.attribute, c.target, c.timeMs, &Recorder::done, kUser,
                                    kRecorded),
                  1);
        ASSERT_TRUE(Recorder::instance().waitDone(std::chrono::seconds(30)));
        EXPECT_EQ(Recorder::instance().sent(), c.sent);
        const auto done = Recorder::instance().done();
        ASSERT_EQ(done.size(), 1u);
        EXPECT_EQ(done[0].channel, 7u);
        EXPECT_EQ(done[0].type, 10u);
        EXPECT_EQ(done[0].data1, 0u);
        EXPECT_EQ(done[0].data2, reinterpret_cast<uintptr_t>(kUser));
        // Ticks at the period, never faster (a busy machine may drop some).
        EXPECT_GE(done[0].at - started,
                  std::chrono::milliseconds(static_cast<int>(c.period * c.sent.size())));
        EXPECT_EQ(nerla::SlideRegistry::instance().running(), 0u);
    }
}

TEST(Slide, APeriodTheTimerRefusesIsStartedButNeverTicks) {
    struct Case {
        float start;
        float target;
        float timeMs;
    };
    for (Case c : {
             Case{50.0f, 50.0f, 1000.0f},  // no distance: an infinite period
             Case{0.0f, 100.0f, 0.0f},
             Case{0.0f, 100.0f, -500.0f},
             Case{0.0f, 100.0f, 0.5f},  // under a millisecond
             Case{0.0f, 1.0f, 2.0e6f},  // beyond the timer's range
             Case{0.0f, NAN, 100.0f},
         }) {
        SCOPED_TRACE(testing::Message() << c.start << " to " << c.target << " in " << c.timeMs);
        Recorder::instance().reset(c.start);
        EXPECT_EQ(nerla::startSlide(7, NERLA_ATTRIB_VOLUME, c.target, c.timeMs, &Recorder::done,
                                    kUser, kRecorded),
                  1);
        // Its record is gone at once: nothing is left to tick.
        EXPECT_EQ(nerla::SlideRegistry::instance().running(), 0u);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    EXPECT_TRUE(Recorder::instance().sent().empty());
    EXPECT_TRUE(Recorder::instance().done().empty());
}

TEST(Slide, EndingAllStopsRunningSlidesWithoutTheirCallbacks) {
    Recorder::instance().reset(0.0f);
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(nerla::startSlide(7, NERLA_ATTRIB_VOLUME, 100.0f, 10000.0f, &Recorder::done,
                                    kUser, kRecorded),
                  1);
    }
    EXPECT_EQ(nerla::SlideRegistry::instance().running(), 3u);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    nerla::SlideRegistry::instance().endAll();
    EXPECT_EQ(nerla::SlideRegistry::instance().running(), 0u);
    const size_t sent = Recorder::instance().sent().size();
    EXPECT_GT(sent, 0u);
    std::this_thread::sleep_for(std::chrono::milliseconds(250));
    EXPECT_EQ(Recorder::instance().sent().size(), sent);
    EXPECT_TRUE(Recorder::instance().done().empty());
}

// On real channels, through the exports.
std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

class ChannelSlides : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(Nerla_Init(0, 0), 1);
        Recorder::instance().reset(0.0f);
    }
    void TearDown() override { Nerla_Free(); }
};

TEST_F(ChannelSlides, VolumeAndRateReachTheirEnds) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_EQ(Nerla_ChannelSlideAttrib(channel, NERLA_ATTRIB_VOLUME, 0.0f, 300.0f, &Recorder::done,
                                       kUser),
              1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    ASSERT_TRUE(Recorder::instance().waitDone(std::chrono::seconds(20)));
    EXPECT_EQ(Recorder::instance().done()[0].channel, channel);
    EXPECT_EQ(Recorder::instance().done()[0].type, 10u);
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_VOLUME), 1.0f);  // 0 reads 1

    Recorder::instance().reset(0.0f);
    ASSERT_EQ(Nerla_ChannelSetAttribute(channel, NERLA_ATTRIB_RATE, 0.5f), 1);
    ASSERT_EQ(
        Nerla_ChannelSlideAttrib(channel, NERLA_ATTRIB_RATE, 3.0f, 250.0f, &Recorder::done, kUser),
        1);
    ASSERT_TRUE(Recorder::instance().waitDone(std::chrono::seconds(30)));
    EXPECT_EQ(Nerla_ChannelGetAttribute(channel, NERLA_ATTRIB_RATE), 3.5f);
    Nerla_StreamFree(channel);
}

TEST_F(ChannelSlides, OnlyWhereThereIsSomethingToSlide) {
    const NerlaHandle video = Nerla_StreamCreateFile(fixture("video-only.mp4").c_str(), 0, 0, 0);
    const NerlaHandle sound = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(video, 0u);
    ASSERT_NE(sound, 0u);
    struct Case {
        NerlaHandle channel;
        int32_t attribute;
    };
    for (Case c : {Case{video, NERLA_ATTRIB_VOLUME}, Case{video, NERLA_ATTRIB_BALANCE},
                   Case{sound, NERLA_ATTRIB_VIDEO_ALPHA}}) {
        SCOPED_TRACE(testing::Message() << c.channel << " attribute " << c.attribute);
        Nerla_ChannelSetAttribute(sound, 6, 0.0f);  // error 11 before
        EXPECT_EQ(
            Nerla_ChannelSlideAttrib(c.channel, c.attribute, 50.0f, 100.0f, &Recorder::done, kUser),
            0);
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_ILLPARAM);  // unchanged
    }
    EXPECT_EQ(Nerla_ChannelSlideAttrib(999, NERLA_ATTRIB_RATE, 2.0f, 100.0f, nullptr, nullptr), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
    EXPECT_EQ(nerla::SlideRegistry::instance().running(), 0u);
    EXPECT_FALSE(Recorder::instance().waitDone(std::chrono::milliseconds(200)));
    Nerla_StreamFree(video);
    Nerla_StreamFree(sound);
}

TEST_F(ChannelSlides, AFreedChannelsSlideRunsToItsEnd) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    ASSERT_EQ(Nerla_ChannelSlideAttrib(channel, NERLA_ATTRIB_VOLUME, 50.0f, 250.0f, &Recorder::done,
                                       kUser),
              1);
    std::this_thread::sleep_for(std::chrono::milliseconds(60));
    Nerla_StreamFree(channel);
    ASSERT_TRUE(Recorder::instance().waitDone(std::chrono::seconds(20)));
    EXPECT_EQ(Recorder::instance().done()[0].channel, channel);
    EXPECT_EQ(Recorder::instance().done()[0].type, 10u);
}

TEST_F(ChannelSlides, TheLibraryStopsWhileSlidesRun) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    for (int32_t attribute : {NERLA_ATTRIB_VOLUME, NERLA_ATTRIB_BALANCE}) {
        ASSERT_EQ(
            Nerla_ChannelSlideAttrib(channel, attribute, -100.0f, 2000.0f, &Recorder::done, kUser),
            1);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_EQ(Nerla_Free(), 1);
    EXPECT_EQ(nerla::SlideRegistry::instance().running(), 0u);
    EXPECT_FALSE(Recorder::instance().waitDone(std::chrono::milliseconds(300)));
    ASSERT_EQ(Nerla_Init(0, 0), 1);  // for TearDown
}

}  // namespace
