// Plugins/Quarnex.so as the engine uses it: loaded with dlopen, asked
// through "NerlaPlugin", given a pipeline with a "Source Filter"; every pad
// it leaves unlinked is rendered, here into fakesinks that record what
// arrives.
#include <dlfcn.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cstring>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "nerla_plugin.h"
#include "plugins/bluray_fixture.h"

namespace {

namespace fs = std::filesystem;
using fixture::kTicksPerFrame;
using fixture::MplsItem;

constexpr uint32_t kRed = 0xffc02020;
constexpr uint32_t kBlue = 0xff2020c0;
constexpr uint32_t kGreen = 0xff20c020;
constexpr GstClockTime kFrame = GST_SECOND / 25;
constexpr GstClockTime kTolerance = GST_MSECOND;

std::u16string utf16(const std::string& text) {
    gunichar2* wide = g_utf8_to_utf16(text.c_str(), -1, nullptr, nullptr, nullptr);
    std::u16string out(reinterpret_cast<const char16_t*>(wide));
    g_free(wide);
    return out;
}

std::string frameHash(GstBuffer* buffer) {
    GstMapInfo map;
    gst_buffer_map(buffer, &map, GST_MAP_READ);
    gchar* sum = g_compute_checksum_for_data(G_CHECKSUM_SHA1, map.data, map.size);
    gst_buffer_unmap(buffer, &map);
    std::string hash(sum);
    g_free(sum);
    return hash;
}

// The plug-in, loaded the engine's way.
class SplitterLibrary {
  public:
    SplitterLibrary() : handle_(dlopen(QUARNEX_PATH, RTLD_NOW | RTLD_LOCAL)) {
        if (handle_) {
            plugin_ = reinterpret_cast<NerlaPluginProc>(dlsym(handle_, NERLA_PLUGIN_EXPORT));
        }
    }
    ~SplitterLibrary() {
        if (handle_) {
            dlclose(handle_);
        }
    }
    NerlaPluginProc plugin() const { return plugin_; }
    NerlaSplitterAcceptProc accept() const {
        return reinterpret_cast<NerlaSplitterAcceptProc>(plugin_(3));
    }
    NerlaSplitterBuildProc build() const {
        return reinterpret_cast<NerlaSplitterBuildProc>(plugin_(2));
    }

  private:
    void* handle_;
    NerlaPluginProc plugin_ = nullptr;
};

// What one rendered stream received.
struct Frame {
    GstClockTime streamTime;
    GstClockTime runningTime;
    std::string hash;
};
struct Sound {
    GstClockTime streamTime;
    GstClockTime duration;
};

class Recorder {
  public:
    void clear() {
        std::lock_guard lock(mutex_);
        frames_.clear();
        sounds_.clear();
    }
    std::vector<Frame> frames() {
        std::lock_guard lock(mutex_);
        return frames_;
    }
    std::vector<Sound> sounds() {
        std::lock_guard lock(mutex_);
        return sounds_;
    }

    static GstPadProbeReturn probe(GstPad* pad, GstPadProbeInfo* info, gpointer self) {
        static_cast<Recorder*>(self)->record(pad, info);
        return GST_PAD_PROBE_OK;
    }

  private:
    void record(GstPad* pad, GstPadProbeInfo* info) {
        std::lock_guard lock(mutex_);
        if (info->type & GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM) {
            GstEvent* event = GST_PAD_PROBE_INFO_EVENT(info);
            if (GST_EVENT_TYPE(event) == GST_EVENT_SEGMENT) {
                const GstSegment* segment = nullptr;
                gst_event_parse_segment(event, &segment);
                segments_[pad] = *segment;
            }
            return;
        }
        GstBuffer* buffer = GST_PAD_PROBE_INFO_BUFFER(info);
        const GstSegment& segment = segments_[pad];
        const GstClockTime pts = GST_BUFFER_PTS(buffer);
        const GstClockTime streamTime = gst_segment_to_stream_time(&segment, GST_FORMAT_TIME, pts);
        GstCaps* caps = gst_pad_get_current_caps(pad);
        const bool video =
            caps &&
            g_str_has_prefix(gst_structure_get_name(gst_caps_get_structure(caps, 0)), "video/");
        if (caps) {
            gst_caps_unref(caps);
        }
        if (video) {
            frames_.push_back(Frame{streamTime,
                                    gst_segment_to_running_time(&segment, GST_FORMAT_TIME, pts),
                                    frameHash(buffer)});
        } else {
            sounds_.push_back(Sound{streamTime, GST_BUFFER_DURATION(buffer)});
        }
    }

    std::mutex mutex_;
    std::map<GstPad*, GstSegment> segments_;
    std::vector<Frame> frames_;
    std::vector<Sound> sounds_;
};

// A channel's pipeline around the splitter.
class Player {
  public:
    Player() : pipeline_(gst_pipeline_new("channel")) {
        GstBus* bus = gst_element_get_bus(pipeline_);
        gst_bus_set_sync_handler(bus, &Player::countSelected, this, nullptr);
        gst_object_unref(bus);
    }
    ~Player() {
        gst_element_set_state(pipeline_, GST_STATE_NULL);
        gst_object_unref(pipeline_);
    }

    bool build(const SplitterLibrary& library, const fs::path& playlist) {
        GstElement* source = gst_element_factory_make("filesrc", "Source Filter");
        g_object_set(source, "location", playlist.c_str(), nullptr);
        gst_bin_add(GST_BIN(pipeline_), source);
        const std::u16string path = utf16(playlist.string());
        if (!library.build()(path.c_str(), GST_PIPELINE(pipeline_), source)) {
            return false;
        }
        GstPad* pad = gst_element_get_static_pad(source, "src");
        const bool unlinked = !gst_pad_is_linked(pad);
        gst_object_unref(pad);
        if (unlinked) {
            gst_bin_remove(GST_BIN(pipeline_), source);
        }
        GstIterator* it = gst_bin_iterate_elements(GST_BIN(pipeline_));
        GValue item = G_VALUE_INIT;
        std::vector<GstElement*> elements;
        while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
            elements.push_back(GST_ELEMENT(g_value_get_object(&item)));
            g_value_reset(&item);
        }
        g_value_unset(&item);
        gst_iterator_free(it);
        for (GstElement* element : elements) {
            g_signal_connect(element, "pad-added", G_CALLBACK(&Player::onPad), this);
            for (GList* l = element->srcpads; l; l = l->next) {
                render(GST_PAD(l->data));
            }
        }
        return true;
    }

    GstElement* pipeline() const { return pipeline_; }
    Recorder& recorder() { return recorder_; }
    unsigned rendered() const { return rendered_; }
    // streams announced as selected, as the engine counts them while opening
    unsigned selected() const { return selected_; }

    GstMessageType waitFor(GstMessageType type, GstClockTime timeout = 20 * GST_SECOND) {
        GstBus* bus = gst_element_get_bus(pipeline_);
        GstMessage* message = gst_bus_timed_pop_filtered(
            bus, timeout, static_cast<GstMessageType>(type | GST_MESSAGE_ERROR));
        gst_object_unref(bus);
        if (!message) {
            return GST_MESSAGE_UNKNOWN;
        }
        const GstMessageType got = GST_MESSAGE_TYPE(message);
        if (got == GST_MESSAGE_ERROR) {
            GError* error = nullptr;
            gst_message_parse_error(message, &error, nullptr);
            ADD_FAILURE() << "pipeline error: " << error->message;
            g_error_free(error);
        }
        gst_message_unref(message);
        return got;
    }

    bool preroll() {
        gst_element_set_state(pipeline_, GST_STATE_PAUSED);
        return waitFor(GST_MESSAGE_ASYNC_DONE) == GST_MESSAGE_ASYNC_DONE;
    }

    bool playToEnd() {
        gst_element_set_state(pipeline_, GST_STATE_PLAYING);
        return waitFor(GST_MESSAGE_EOS) == GST_MESSAGE_EOS;
    }

    bool seek(GstClockTime position) {
        recorder_.clear();
        if (!gst_element_seek_simple(
                pipeline_, GST_FORMAT_TIME,
                static_cast<GstSeekFlags>(GST_SEEK_FLAG_FLUSH | GST_SEEK_FLAG_ACCURATE),
                static_cast<gint64>(position))) {
            return false;
        }
        return waitFor(GST_MESSAGE_ASYNC_DONE) == GST_MESSAGE_ASYNC_DONE;
    }

    std::optional<GstClockTime> duration() {
        gint64 value = -1;
        if (!gst_element_query_duration(pipeline_, GST_FORMAT_TIME, &value)) {
            return std::nullopt;
        }
        return static_cast<GstClockTime>(value);
    }

  private:
    static GstBusSyncReply countSelected(GstBus*, GstMessage* message, gpointer self) {
        if (GST_MESSAGE_TYPE(message) == GST_MESSAGE_STREAMS_SELECTED) {
            static_cast<Player*>(self)->selected_ += gst_message_streams_selected_get_size(message);
        }
        return GST_BUS_PASS;
    }

    static void onPad(GstElement*, GstPad* pad, gpointer self) {
        static_cast<Player*>(self)->render(pad);
    }

    void render(GstPad* pad) {
        if (GST_PAD_DIRECTION(pad) != GST_PAD_SRC || gst_pad_is_linked(pad)) {
            return;
        }
        GstElement* sink = gst_element_factory_make("fakesink", nullptr);
        g_object_set(sink, "sync", FALSE, nullptr);
        gst_bin_add(GST_BIN(pipeline_), sink);
        GstPad* input = gst_element_get_static_pad(sink, "sink");
        gst_pad_add_probe(input,
                          static_cast<GstPadProbeType>(GST_PAD_PROBE_TYPE_BUFFER |
                                                       GST_PAD_PROBE_TYPE_EVENT_DOWNSTREAM),
                          &Recorder::probe, &recorder_, nullptr);
        gst_element_sync_state_with_parent(sink);
        if (gst_pad_link(pad, input) == GST_PAD_LINK_OK) {
            ++rendered_;
        }
        gst_object_unref(input);
    }

    GstElement* pipeline_;
    Recorder recorder_;
    std::atomic<unsigned> rendered_{0};
    std::atomic<unsigned> selected_{0};
};

// The decoded frames of a clip on its own, to compare with.
std::vector<std::string> referenceFrames(const fs::path& clip) {
    gchar* description = g_strdup_printf(
        "filesrc location=\"%s\" ! tsdemux ! h264parse ! avdec_h264 ! video/x-raw,format=I420 "
        "! appsink name=out sync=false",
        clip.c_str());
    GstElement* pipeline = gst_parse_launch(description, nullptr);
    g_free(description);
    GstElement* out = gst_bin_get_by_name(GST_BIN(pipeline), "out");
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    std::vector<std::string> hashes;
    for (;;) {
        GstSample* sample = nullptr;
        g_signal_emit_by_name(out, "pull-sample", &sample);
        if (!sample) {
            break;  // end of stream
        }
        hashes.push_back(frameHash(gst_sample_get_buffer(sample)));
        gst_sample_unref(sample);
    }
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(out);
    gst_object_unref(pipeline);
    return hashes;
}

// A Blu-ray folder with three clips: 00001 red (2 s), 00002 blue with
// B-frames (3 s), 00003 green without audio (1 s).
class QuarnexTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        gst_init(nullptr, nullptr);
        dir_ = new fixture::TempDir();
        const fs::path streams = root() / "BDMV" / "STREAM";
        ASSERT_TRUE(fixture::makeClip(streams / "00001.m2ts", 50, kRed, 0));
        ASSERT_TRUE(fixture::makeClip(streams / "00002.m2ts", 75, kBlue, 2));
        ASSERT_TRUE(fixture::makeClip(streams / "00003.m2ts", 25, kGreen, 0, false));
        for (const char* clip : {"00001", "00002", "00003"}) {
            const fs::path file = streams / (std::string(clip) + ".m2ts");
            firstPts_[clip] = static_cast<uint32_t>(fixture::firstVideoPts(file) / 2);
            references_[clip] = referenceFrames(file);
        }
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }

    static fs::path root() { return dir_->path() / "disc"; }

    // A play item of `clip` from frame `from`, `frames` long.
    static MplsItem item(const std::string& clip, unsigned from, unsigned frames) {
        const uint32_t in = firstPts_[clip] + from * kTicksPerFrame;
        return MplsItem{clip, in, in + frames * kTicksPerFrame};
    }

    static fs::path playlist(const std::string& name, const std::vector<MplsItem>& items) {
        const fs::path path = root() / "BDMV" / "PLAYLIST" / (name + ".mpls");
        fixture::writeFile(path, fixture::mplsBytes(items));
        return path;
    }

    static std::vector<std::string> frames(const std::string& clip, size_t from, size_t count) {
        const auto& all = references_[clip];
        return {all.begin() + static_cast<std::ptrdiff_t>(from),
                all.begin() + static_cast<std::ptrdiff_t>(from + count)};
    }

    static std::vector<std::string> hashes(const std::vector<Frame>& frames) {
        std::vector<std::string> out;
        for (const Frame& frame : frames) {
            out.push_back(frame.hash);
        }
        return out;
    }

    // Frames one frame apart from `start` on, in stream and running time.
    static void expectContinuous(const std::vector<Frame>& frames, GstClockTime start) {
        for (size_t i = 0; i < frames.size(); ++i) {
            const GstClockTime expected = start + i * kFrame;
            ASSERT_NEAR(static_cast<double>(frames[i].streamTime), static_cast<double>(expected),
                        kTolerance)
                << "frame " << i;
            ASSERT_NEAR(static_cast<double>(frames[i].runningTime), static_cast<double>(i * kFrame),
                        kTolerance)
                << "frame " << i;
        }
    }

    // Audio from about `start` to about `end` without holes.
    static void expectSoundFrom(const std::vector<Sound>& sounds, GstClockTime start,
                                GstClockTime end) {
        ASSERT_FALSE(sounds.empty());
        EXPECT_NEAR(static_cast<double>(sounds.front().streamTime), static_cast<double>(start),
                    50 * GST_MSECOND);
        for (size_t i = 1; i < sounds.size(); ++i) {
            const GstClockTime previousEnd = sounds[i - 1].streamTime + sounds[i - 1].duration;
            ASSERT_LT(static_cast<double>(sounds[i].streamTime) - static_cast<double>(previousEnd),
                      60.0 * GST_MSECOND)
                << "hole before sound buffer " << i;
        }
        EXPECT_NEAR(static_cast<double>(sounds.back().streamTime + sounds.back().duration),
                    static_cast<double>(end), 60 * GST_MSECOND);
    }

    SplitterLibrary library_;
    static fixture::TempDir* dir_;
    static std::map<std::string, uint32_t> firstPts_;
    static std::map<std::string, std::vector<std::string>> references_;
};

fixture::TempDir* QuarnexTest::dir_ = nullptr;
std::map<std::string, uint32_t> QuarnexTest::firstPts_;
std::map<std::string, std::vector<std::string>> QuarnexTest::references_;

TEST_F(QuarnexTest, AnswersTheSplitterQueries) {
    ASSERT_NE(library_.plugin(), nullptr);
    const auto* record = reinterpret_cast<const NerlaPluginHeader*>(library_.plugin()(0));
    ASSERT_NE(record, nullptr);
    EXPECT_EQ(record->kind, 0u);
    EXPECT_GE(record->size, sizeof(NerlaPluginHeader));
    EXPECT_NE(library_.plugin()(2), 0u);
    EXPECT_NE(library_.plugin()(3), 0u);
    for (const uint32_t query : {1u, 4u, 5u, 0xFFFFFFFFu}) {
        EXPECT_EQ(library_.plugin()(query), 0u) << "query " << query;
    }
}

TEST_F(QuarnexTest, AcceptsOnlyPlaylistsWhoseClipsAreThere) {
    const fs::path good = playlist("00000", {item("00001", 0, 50), item("00002", 0, 75)});
    const auto bytes = fixture::mplsBytes({item("00001", 0, 50)});
    const fs::path lists = root() / "BDMV" / "PLAYLIST";
    fixture::writeFile(lists / "00010.mpls", {bytes.begin(), bytes.begin() + 60});
    fixture::writeFile(lists / "00011.mpls", std::vector<uint8_t>(200, 0x5A));
    playlist("00012", {item("00001", 0, 50), item("00009", 0, 10)});
    fixture::writeFile(dir_->path() / "loose" / "00000.mpls", bytes);
    fixture::writeFile(dir_->path() / "other" / "PLAYLIST" / "00000.mpls", bytes);

    const struct {
        fs::path path;
        bool accepted;
    } cases[] = {
        {good, true},
        {lists / "00010.mpls", false},                   // truncated
        {lists / "00011.mpls", false},                   // not a playlist
        {lists / "00012.mpls", false},                   // names a missing clip
        {lists / "00099.mpls", false},                   // no such file
        {dir_->path() / "loose" / "00000.mpls", false},  // not in BDMV/PLAYLIST
        {dir_->path() / "other" / "PLAYLIST" / "00000.mpls", false},
        {root() / "BDMV" / "STREAM" / "00001.m2ts", false},  // a clip, not a playlist
    };
    for (const auto& test : cases) {
        const std::u16string path = utf16(test.path.string());
        EXPECT_EQ(library_.accept()(path.c_str()) != 0, test.accepted) << test.path;
    }
    EXPECT_EQ(library_.accept()(nullptr), 0);
}

TEST_F(QuarnexTest, DeclinesToBuildWhatItDoesNotAccept) {
    Player player;
    EXPECT_FALSE(player.build(library_, root() / "BDMV" / "PLAYLIST" / "00099.mpls"));
    EXPECT_EQ(GST_BIN(player.pipeline())->numchildren, 1);  // only the source
    EXPECT_EQ(library_.build()(u"x", nullptr, nullptr), 0);
}

TEST_F(QuarnexTest, PlaysTheClipsInOrderOnOneTimeline) {
    Player player;
    ASSERT_TRUE(
        player.build(library_, playlist("00001", {item("00001", 0, 50), item("00002", 0, 75)})));
    ASSERT_TRUE(player.preroll());
    EXPECT_EQ(player.rendered(), 2u);  // the video and the audio stream
    EXPECT_EQ(player.selected(), 2u);
    const auto duration = player.duration();
    ASSERT_TRUE(duration);
    EXPECT_NEAR(static_cast<double>(*duration), 5.0 * GST_SECOND, kTolerance);
    ASSERT_TRUE(player.playToEnd());

    const auto got = player.recorder().frames();
    std::vector<std::string> expected = frames("00001", 0, 50);
    const auto second = frames("00002", 0, 75);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(hashes(got), expected);
    expectContinuous(got, 0);
    expectSoundFrom(player.recorder().sounds(), 0, 5 * GST_SECOND);
}

TEST_F(QuarnexTest, PlaysOnlyFromInToOutOfEachItem) {
    Player player;
    // frames 13 to 37 of the first clip, then frames 10 to 69 of the second
    ASSERT_TRUE(
        player.build(library_, playlist("00002", {item("00001", 13, 25), item("00002", 10, 60)})));
    ASSERT_TRUE(player.preroll());
    const auto duration = player.duration();
    ASSERT_TRUE(duration);
    EXPECT_NEAR(static_cast<double>(*duration), 3.4 * GST_SECOND, kTolerance);
    ASSERT_TRUE(player.playToEnd());

    const auto got = player.recorder().frames();
    std::vector<std::string> expected = frames("00001", 13, 25);
    const auto second = frames("00002", 10, 60);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(hashes(got), expected);
    expectContinuous(got, 0);
    expectSoundFrom(player.recorder().sounds(), 0, 3400 * GST_MSECOND);
}

TEST_F(QuarnexTest, SeeksToAnyPointOfTheTimeline) {
    const struct {
        GstClockTime target;
        std::vector<std::pair<const char*, size_t>> from;  // clip and first frame, in order
    } cases[] = {
        {3 * GST_SECOND, {{"00002", 25}}},                   // inside the second item
        {2 * GST_SECOND, {{"00002", 0}}},                    // right at its start
        {520 * GST_MSECOND, {{"00001", 13}, {"00002", 0}}},  // inside the first
        {4960 * GST_MSECOND, {{"00002", 74}}},               // its last frame
    };
    const fs::path list = playlist("00003", {item("00001", 0, 50), item("00002", 0, 75)});
    for (const auto& test : cases) {
        Player player;
        ASSERT_TRUE(player.build(library_, list));
        ASSERT_TRUE(player.preroll());
        ASSERT_TRUE(player.seek(test.target));
        ASSERT_TRUE(player.playToEnd());
        std::vector<std::string> expected;
        for (const auto& [clip, first] : test.from) {
            const auto rest = frames(clip, first, references_[clip].size() - first);
            expected.insert(expected.end(), rest.begin(), rest.end());
        }
        const auto got = player.recorder().frames();
        EXPECT_EQ(hashes(got), expected) << test.target;
        expectContinuous(got, test.target);
    }
}

TEST_F(QuarnexTest, SeeksBackIntoAnItemAlreadyPlayed) {
    Player player;
    ASSERT_TRUE(
        player.build(library_, playlist("00005", {item("00001", 0, 50), item("00002", 0, 75)})));
    ASSERT_TRUE(player.preroll());
    ASSERT_TRUE(player.seek(3 * GST_SECOND));
    ASSERT_TRUE(player.playToEnd());

    // the first item again, and the second from its IN point once more
    ASSERT_TRUE(player.seek(1 * GST_SECOND));
    ASSERT_TRUE(player.playToEnd());
    const auto got = player.recorder().frames();
    std::vector<std::string> expected = frames("00001", 25, 25);
    const auto second = frames("00002", 0, 75);
    expected.insert(expected.end(), second.begin(), second.end());
    EXPECT_EQ(hashes(got), expected);
    expectContinuous(got, GST_SECOND);
    expectSoundFrom(player.recorder().sounds(), GST_SECOND, 5 * GST_SECOND);
}

TEST_F(QuarnexTest, BridgesAnItemWithoutAudio) {
    Player player;
    ASSERT_TRUE(player.build(
        library_,
        playlist("00004", {item("00001", 0, 50), item("00003", 0, 25), item("00002", 0, 75)})));
    ASSERT_TRUE(player.preroll());
    ASSERT_TRUE(player.playToEnd());

    const auto got = player.recorder().frames();
    std::vector<std::string> expected = frames("00001", 0, 50);
    for (const char* clip : {"00003", "00002"}) {
        const auto& all = references_[clip];
        expected.insert(expected.end(), all.begin(), all.end());
    }
    EXPECT_EQ(hashes(got), expected);
    expectContinuous(got, 0);

    // sound until 2 s, nothing for the silent item, sound again from 3 s
    const auto sounds = player.recorder().sounds();
    std::vector<Sound> before;
    std::vector<Sound> after;
    for (const Sound& sound : sounds) {
        (sound.streamTime < 2500 * GST_MSECOND ? before : after).push_back(sound);
    }
    expectSoundFrom(before, 0, 2 * GST_SECOND);
    expectSoundFrom(after, 3 * GST_SECOND, 6 * GST_SECOND);
}

}  // namespace
