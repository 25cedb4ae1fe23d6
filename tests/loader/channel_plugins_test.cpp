// Plug-ins in new channels: the filter classes' elements in the decoded
// paths, unused ones removed, failing classes reported, and splitters that
// build the graph themselves.
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "nerla.h"

namespace {

std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}
std::string plugin(const char* name) {
    return std::string(TEST_PLUGINS "/") + name + ".so";
}

class ChannelPlugins : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override { Nerla_Free(); }
};

// Null: not in the pipeline. Else whether its input is linked.
std::optional<bool> inputLinked(NerlaHandle channel, const char* name) {
    auto* pipeline = static_cast<GstBin*>(Nerla_GetGraph(channel));
    GstElement* element = pipeline ? gst_bin_get_by_name(pipeline, name) : nullptr;
    if (!element) {
        return std::nullopt;
    }
    GstPad* sink = gst_element_get_static_pad(element, "sink");
    const bool linked = sink && gst_pad_is_linked(sink);
    if (sink) {
        gst_object_unref(sink);
    }
    gst_object_unref(element);
    return linked;
}

bool hasFactory(NerlaHandle channel, const char* factory) {
    auto* pipeline = static_cast<GstBin*>(Nerla_GetGraph(channel));
    bool found = false;
    GstIterator* it = gst_bin_iterate_recurse(pipeline);
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstElementFactory* f = gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
        found = found || (f && std::string(GST_OBJECT_NAME(f)) == factory);
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return found;
}

TEST_F(ChannelPlugins, FilterClassesJoinTheStreamsTheyAcceptAndTheRestLeave) {
    ASSERT_EQ(Nerla_LoadPlugin(plugin("container_plugin").c_str(), 0), 88835u);
    // Queued newest first: audioconvert (unnamed), "Test Volume", "Test Identity".
    struct Case {
        const char* file;
        std::optional<bool> identity;
        std::optional<bool> volume;
    };
    for (Case c : {Case{"video-only.mp4", true, std::nullopt}, Case{"audio.wav", true, true}}) {
        SCOPED_TRACE(c.file);
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture(c.file).c_str(), 0, 0, 0);
        ASSERT_NE(channel, 0u) << Nerla_ErrorGetCode();
        EXPECT_EQ(inputLinked(channel, "Test Identity"), c.identity);
        EXPECT_EQ(inputLinked(channel, "Test Volume"), c.volume);
        Nerla_StreamFree(channel);
    }
    // Every channel gets its own set.
    const NerlaHandle a = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    const NerlaHandle b = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    EXPECT_EQ(inputLinked(a, "Test Volume"), true);
    EXPECT_EQ(inputLinked(b, "Test Volume"), true);
    Nerla_StreamFree(a);
    Nerla_StreamFree(b);
}

struct Seen {
    std::vector<std::string> captions;
};

void NERLA_CALL record(const char* caption, const char*, void* user) {
    static_cast<Seen*>(user)->captions.push_back(caption);
}

TEST_F(ChannelPlugins, AClassWithoutFactoryIsReportedAndTheChannelOpens) {
    ASSERT_NE(Nerla_LoadPlugin(plugin("container_failing").c_str(), 0), 0u);
    Seen seen;
    Nerla_SetMessageHook(&record, &seen);
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("sbs.mp4").c_str(), 0, 0, 0);
    Nerla_SetMessageHook(nullptr, nullptr);
    ASSERT_NE(channel, 0u) << Nerla_ErrorGetCode();
    EXPECT_EQ(seen.captions, std::vector<std::string>{"Error!"});
    Nerla_StreamFree(channel);
}

TEST_F(ChannelPlugins, ASplitterBuildsFromTheSourceFilter) {
    ASSERT_NE(Nerla_LoadPlugin(plugin("splitter_a").c_str(), 0), 0u);
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / "nerla-splitter-test";
    std::filesystem::create_directories(dir);
    const std::string film = (dir / "film.nsplit").string();
    std::filesystem::copy_file(fixture("sbs.mp4"), film,
                               std::filesystem::copy_options::overwrite_existing);

    const NerlaHandle channel = Nerla_StreamCreateFile(film.c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u) << Nerla_ErrorGetCode();
    EXPECT_TRUE(hasFactory(channel, "parsebin"));
    EXPECT_FALSE(hasFactory(channel, "uridecodebin3"));
    EXPECT_EQ(inputLinked(channel, "Audio Renderer"), true);
    auto* pipeline = static_cast<GstElement*>(Nerla_GetGraph(channel));
    GstState state = GST_STATE_VOID_PENDING;
    EXPECT_EQ(gst_element_get_state(pipeline, &state, nullptr, 0), GST_STATE_CHANGE_SUCCESS);
    EXPECT_EQ(state, GST_STATE_PAUSED);
    Nerla_StreamFree(channel);

    // Media the splitter does not take are the engine's own.
    const NerlaHandle plain = Nerla_StreamCreateFile(fixture("sbs.mp4").c_str(), 0, 0, 0);
    ASSERT_NE(plain, 0u);
    EXPECT_TRUE(hasFactory(plain, "uridecodebin3"));
    Nerla_StreamFree(plain);

    // What the splitter accepts but cannot parse fails cleanly.
    const std::string junk = (dir / "junk.nsplit").string();
    std::ofstream(junk) << "not a medium at all";
    EXPECT_EQ(Nerla_StreamCreateFile(junk.c_str(), 0, 0, 0), 0u);
    EXPECT_NE(Nerla_ErrorGetCode(), NERLA_OK);
    std::filesystem::remove_all(dir);
}

}  // namespace
