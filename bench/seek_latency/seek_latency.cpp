// Seek latency: from Nerla_ChannelSetPosition to the first frame at the new
// position reaching the video renderer, against the same accurate seek done
// on a plain playbin with the same kind of video sink, in one run, while
// stopped and while playing (a stopped channel is a paused pipeline).
//   bench_seek_latency [FILE] [ROUNDS]
// Run it inside scripts/test-session (a sound server for both pipelines);
// with NERLA_TEST_HEADLESS=1 both render into a synchronised fakesink.
#include <gst/gst.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "nerla.h"

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

// Notes when the first buffer that shows `target` (stream time) or a later
// moment passes a video sink's input pad.
class FirstFrame {
  public:
    explicit FirstFrame(GstPad* pad) : pad_(pad) {
        probe_ =
            gst_pad_add_probe(pad, GST_PAD_PROBE_TYPE_BUFFER, &FirstFrame::onBuffer, this, nullptr);
    }
    ~FirstFrame() {
        gst_pad_remove_probe(pad_, probe_);
        gst_object_unref(pad_);
    }

    void arm(GstClockTime target) {
        std::lock_guard guard(lock_);
        target_ = target;
        armed_ = true;
        seen_.reset();
    }

    // Milliseconds from `start` to the frame, or a negative value on timeout.
    double waitSince(Clock::time_point start) {
        std::unique_lock guard(lock_);
        if (!shown_.wait_for(guard, std::chrono::seconds(10), [&] { return seen_.has_value(); })) {
            armed_ = false;
            return -1.0;
        }
        return std::chrono::duration<double, std::milli>(*seen_ - start).count();
    }

  private:
    static GstPadProbeReturn onBuffer(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
        static_cast<FirstFrame*>(self)->check(pad, GST_PAD_PROBE_INFO_BUFFER(info));
        return GST_PAD_PROBE_OK;
    }

    void check(GstPad* pad, GstBuffer* buffer) {
        const Clock::time_point now = Clock::now();
        GstEvent* event = gst_pad_get_sticky_event(pad, GST_EVENT_SEGMENT, 0);
        if (!event) {
            return;
        }
        const GstSegment* segment = nullptr;
        gst_event_parse_segment(event, &segment);
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        const GstClockTime duration = GST_BUFFER_DURATION(buffer);
        const GstClockTime shown = GST_CLOCK_TIME_IS_VALID(pts)
                                       ? gst_segment_to_stream_time(segment, GST_FORMAT_TIME, pts)
                                       : GST_CLOCK_TIME_NONE;
        gst_event_unref(event);
        if (!GST_CLOCK_TIME_IS_VALID(shown)) {
            return;
        }
        const GstClockTime end = shown + (GST_CLOCK_TIME_IS_VALID(duration) ? duration : 1);
        std::lock_guard guard(lock_);
        if (armed_ && end > target_) {
            armed_ = false;
            seen_ = now;
            shown_.notify_all();
        }
    }

    GstPad* pad_;
    gulong probe_ = 0;
    std::mutex lock_;
    std::condition_variable shown_;
    bool armed_ = false;
    GstClockTime target_ = 0;
    std::optional<Clock::time_point> seen_;
};

GstPad* videoInput(GstElement* sink) {
    return gst_element_get_static_pad(sink, "sink");
}

// The sink the engine's graph builder uses for the graph's own video output.
GstElement* referenceVideoSink() {
    if (std::getenv("DISPLAY")) {
        return gst_parse_bin_from_description("videoconvert ! autovideosink", TRUE, nullptr);
    }
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(sink, "sync", TRUE, nullptr);
    return sink;
}

const std::vector<double> kTargets = {0.5, 3.7, 1.2, 4.5, 2.3, 0.9, 3.1, 1.8, 4.1, 2.6, 0.2};

// One of the two pipelines under test.
class Seeker {
  public:
    virtual ~Seeker() = default;
    virtual void setPlaying(bool playing) = 0;
    // Milliseconds from the seek call to the first frame at `target` seconds.
    virtual double seek(double target) = 0;
};

class EngineSeeker final : public Seeker {
  public:
    explicit EngineSeeker(const std::string& file)
        : channel_(Nerla_StreamCreateFile(file.c_str(), 0, 0, NERLA_FLAG_SIDE_BY_SIDE)) {
        if (!channel_) {
            std::fprintf(stderr, "open failed: error %d\n", Nerla_ErrorGetCode());
            std::exit(1);
        }
        auto* pipeline = static_cast<GstBin*>(Nerla_GetGraph(channel_));
        GstElement* renderer = gst_bin_get_by_name(pipeline, "Video Renderer");
        if (!renderer) {
            std::fprintf(stderr, "the channel has no video renderer\n");
            std::exit(1);
        }
        frame_ = std::make_unique<FirstFrame>(videoInput(renderer));
        gst_object_unref(renderer);
    }
    ~EngineSeeker() override {
        Nerla_StreamFree(channel_);
        frame_.reset();
    }

    void setPlaying(bool playing) override {
        playing ? Nerla_ChannelPlay(channel_) : Nerla_ChannelPause(channel_);
    }
    double seek(double target) override {
        frame_->arm(static_cast<GstClockTime>(target * GST_SECOND));
        const Clock::time_point start = Clock::now();
        if (!Nerla_ChannelSetPosition(channel_, target * 1000, NERLA_UNIT_MILLISECONDS)) {
            std::fprintf(stderr, "seek refused\n");
            std::exit(1);
        }
        return frame_->waitSince(start);
    }

  private:
    NerlaHandle channel_;
    std::unique_ptr<FirstFrame> frame_;
};

class PlaybinSeeker final : public Seeker {
  public:
    explicit PlaybinSeeker(const std::string& file)
        : playbin_(gst_element_factory_make("playbin", nullptr)) {
        GstElement* sink = referenceVideoSink();
        gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
        g_object_set(playbin_, "uri", uri, "video-sink", sink, nullptr);
        g_free(uri);
        frame_ = std::make_unique<FirstFrame>(videoInput(sink));
        setPlaying(false);
    }
    ~PlaybinSeeker() override {
        gst_element_set_state(playbin_, GST_STATE_NULL);
        gst_object_unref(playbin_);
    }

    void setPlaying(bool playing) override {
        gst_element_set_state(playbin_, playing ? GST_STATE_PLAYING : GST_STATE_PAUSED);
        gst_element_get_state(playbin_, nullptr, nullptr, 10 * GST_SECOND);
    }
    double seek(double target) override {
        const auto flags = static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE);
        frame_->arm(static_cast<GstClockTime>(target * GST_SECOND));
        const Clock::time_point start = Clock::now();
        if (!gst_element_seek_simple(playbin_, GST_FORMAT_TIME, flags,
                                     static_cast<gint64>(target * GST_SECOND))) {
            std::fprintf(stderr, "playbin refused the seek\n");
            std::exit(1);
        }
        const double ms = frame_->waitSince(start);
        gst_element_get_state(playbin_, nullptr, nullptr, 10 * GST_SECOND);  // settled, as ours
        return ms;
    }

  private:
    GstElement* playbin_;
    std::unique_ptr<FirstFrame> frame_;
};

struct Figures {
    std::vector<double> stopped;
    std::vector<double> playing;
};

// Alternates the two, seek for seek and each first in turn, so that both see
// the same machine load. Only the one measured plays.
void measure(Seeker& engine, Seeker& reference, int rounds, Figures& ours, Figures& theirs) {
    for (const bool playing : {false, true}) {
        for (int i = -1; i < rounds; ++i) {  // -1: warm-up
            const double target = kTargets[(i + 1) % kTargets.size()];
            Seeker* const first = (i & 1) != 0 ? &reference : &engine;
            Seeker* const second = first == &engine ? &reference : &engine;
            for (Seeker* seeker : {first, second}) {
                if (playing) {
                    seeker->setPlaying(true);
                }
                const double ms = seeker->seek(target);
                if (playing) {
                    seeker->setPlaying(false);
                }
                if (i >= 0 && ms >= 0) {
                    Figures& figures = seeker == &engine ? ours : theirs;
                    (playing ? figures.playing : figures.stopped).push_back(ms);
                }
            }
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : NERLA_FIXTURES "/sbs-1080p.mp4";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 11;
    gst_init(nullptr, nullptr);
    if (!Nerla_Init(0, 0)) {
        std::fprintf(stderr, "engine did not start\n");
        return 1;
    }
    Nerla_SetConfig(NERLA_CONFIG_DEFAULT_WINDOW, 0);
    Figures engine;
    Figures reference;
    {
        EngineSeeker ours(file);
        PlaybinSeeker theirs(file);
        measure(ours, theirs, rounds, engine, reference);
    }
    if (engine.stopped.empty() || engine.playing.empty() || reference.stopped.empty() ||
        reference.playing.empty()) {
        std::fprintf(stderr, "some seeks never showed a frame\n");
        return 1;
    }
    std::printf("file: %s, %d accurate seeks per state, %s, medians\n", file.c_str(), rounds,
                std::getenv("DISPLAY") ? "videoconvert ! autovideosink" : "fakesink sync=true");
    std::printf("state     Nerla_ChannelSetPosition   playbin seek   ratio engine/playbin\n");
    const double ep = median(engine.stopped);
    const double rp = median(reference.stopped);
    const double eq = median(engine.playing);
    const double rq = median(reference.playing);
    std::printf("stopped   %14.1f ms        %8.1f ms   %6.2f\n", ep, rp, ep / rp);
    std::printf("playing   %14.1f ms        %8.1f ms   %6.2f\n", eq, rq, eq / rq);
    Nerla_Free();
    return 0;
}
