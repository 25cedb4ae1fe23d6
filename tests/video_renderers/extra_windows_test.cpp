// Extra output windows: ids, the "Infinite TEE", renderer types, removal,
// and video in every window.
#include <gtest/gtest.h>

#include <string_view>

#include "renderer_fixture.h"
#include "video/renderer/null_video_sink.h"

namespace {

using namespace renderers;

int nullSinks(NerlaHandle channel) {
    int count = 0;
    GstIterator* it = gst_bin_iterate_recurse(GST_BIN(Nerla_GetGraph(channel)));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        GstElementFactory* factory =
            gst_element_get_factory(GST_ELEMENT(g_value_get_object(&item)));
        if (factory && std::string_view(GST_OBJECT_NAME(factory)) == nerla::kNullVideoSinkFactory) {
            ++count;
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
    return count;
}

bool hasTee(NerlaHandle channel) {
    GstElement* tee = gst_bin_get_by_name(GST_BIN(Nerla_GetGraph(channel)), "Infinite TEE");
    if (tee) {
        gst_object_unref(tee);
    }
    return tee != nullptr;
}

TEST_F(RendererTest, ExtraWindowIdsTypesAndRemoval) {
    const NerlaHandle channel = open("sbs.mp4", 6);
    ASSERT_NE(channel, 0u);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    EXPECT_EQ(Nerla_ChannelAddWindow(channel, 0, 0), 0u);  // type 0: nothing happens
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_PLAYING);
    EXPECT_FALSE(hasTee(channel));

    EXPECT_EQ(Nerla_ChannelAddWindow(channel, 0, 6), 1024u);
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_STOPPED);
    EXPECT_TRUE(hasTee(channel));
    EXPECT_EQ(nullSinks(channel), 2);
    EXPECT_NE(channelOf(channel)->windowRenderer(1024), nullptr);
    EXPECT_EQ(Nerla_ChannelGetBitmap(channel, 1024), nullptr);  // a null renderer
    EXPECT_EQ(Nerla_ChannelRepaint(channel, 4242, 0, 0), 1);    // no such window

    EXPECT_EQ(Nerla_ChannelRemoveWindow(channel, 1024), 1);
    EXPECT_EQ(Nerla_ChannelRemoveWindow(channel, 1024), 0);
    EXPECT_EQ(channelOf(channel)->windowRenderer(1024), nullptr);
    EXPECT_EQ(nullSinks(channel), 1);
    EXPECT_TRUE(hasTee(channel));

    // Ids are never given twice.
    EXPECT_EQ(Nerla_ChannelAddWindow(channel, 0, 6), 1025u);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    EXPECT_EQ(Nerla_ChannelAddWindow(channel, 0, 7), 0u);
    EXPECT_EQ(Nerla_ChannelGetState(channel), NERLA_STATE_STOPPED);
    EXPECT_TRUE(hasTee(channel));
    EXPECT_EQ(nullSinks(channel), 2);
    NerlaColorRange range{0, 0, 0, 0, 1};
    EXPECT_EQ(Nerla_ChannelColorRange(channel, 1026, 1, &range), 0);

    // Both branches play on.
    const double from = Nerla_ChannelGetPosition(channel, NERLA_UNIT_SECONDS);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    EXPECT_TRUE(playback::pumpUntil(
        [&] { return Nerla_ChannelGetPosition(channel, NERLA_UNIT_SECONDS) > from + 0.5; }));
}

TEST_F(RendererTest, ExtraWindowShowsTheVideoToo) {
    if (!hasDisplay()) {
        GTEST_SKIP() << "needs a display";
    }
    TestWindow& main = window(640, 240);
    TestWindow& extra = window(640, 240);
    const NerlaHandle channel = open("sbs.mp4", 4, main.id());
    ASSERT_NE(channel, 0u);
    const uint32_t id = Nerla_ChannelAddWindow(channel, extra.id(), 2);
    ASSERT_EQ(id, 1024u);
    // Stopped, prerolled: both windows show the frame.
    EXPECT_TRUE(extra.waitForPair());
    BitmapPtr snapshot(Nerla_ChannelGetBitmap(channel, id));
    ASSERT_TRUE(snapshot);
    EXPECT_EQ(snapshot->width, 640);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    EXPECT_TRUE(main.waitForPair());
    EXPECT_TRUE(extra.waitForPair());
    // The main window is unaffected by removing the extra one.
    EXPECT_EQ(Nerla_ChannelRemoveWindow(channel, id), 1);
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);
    EXPECT_TRUE(main.waitForPair());
}

}  // namespace
