// Opening files and URLs into channels: every fixture, every kind of bad
// input, several channels at once, and freeing.
#include <gio/gio.h>
#include <gst/gst.h>
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "nerla.h"

namespace {

// Longer than any wait of the engine's, also in the slower sanitizer build.
#if defined(__SANITIZE_ADDRESS__)
constexpr std::chrono::seconds kNoHang{60};
#else
constexpr std::chrono::seconds kNoHang{15};
#endif

std::string fixture(const char* name) {
    return std::string(NERLA_FIXTURES "/") + name;
}

class Open : public testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(Nerla_Init(0, 0), 1); }
    void TearDown() override { Nerla_Free(); }
};

GstElement* findByName(NerlaHandle channel, const char* name) {
    auto* pipeline = static_cast<GstBin*>(Nerla_GetGraph(channel));
    return pipeline ? gst_bin_get_by_name(pipeline, name) : nullptr;
}

bool hasElement(NerlaHandle channel, const char* name) {
    GstElement* element = findByName(channel, name);
    if (element) {
        gst_object_unref(element);
    }
    return element != nullptr;
}

TEST_F(Open, EveryFixtureOpensWithItsStreams) {
    struct Case {
        const char* file;
        bool audio;
        bool video;
    };
    const Case cases[] = {
        {"sbs.mp4", true, true},       {"sbs.mkv", true, true},    {"tb.mp4", true, true},
        {"tb.mkv", true, true},        {"2d.mp4", true, true},     {"2d.mkv", true, true},
        {"audio.mp3", true, false},    {"audio.wav", true, false}, {"video-only.mp4", false, true},
        {"sbs-1080p.mp4", true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file);
        const NerlaHandle channel =
            Nerla_StreamCreateFile(fixture(c.file).c_str(), 0, 0, NERLA_FLAG_SIDE_BY_SIDE);
        ASSERT_NE(channel, 0u) << "error " << Nerla_ErrorGetCode();
        EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
        auto* pipeline = static_cast<GstElement*>(Nerla_GetGraph(channel));
        ASSERT_TRUE(GST_IS_PIPELINE(pipeline));
        GstState state = GST_STATE_VOID_PENDING;
        // Prerolled when the export returns.
        EXPECT_EQ(gst_element_get_state(pipeline, &state, nullptr, 0), GST_STATE_CHANGE_SUCCESS);
        EXPECT_EQ(state, GST_STATE_PAUSED);
        // Audio goes through the processor; without audio the processor leaves.
        EXPECT_EQ(hasElement(channel, "Nerla Audio Processor"), c.audio);
        EXPECT_EQ(hasElement(channel, "Audio Renderer"), c.audio);
        // A layout pattern: video goes to the stereoscopic renderer.
        EXPECT_EQ(hasElement(channel, "Nerla Video Renderer"), c.video);
        EXPECT_EQ(Nerla_StreamFree(channel), 1);
    }
}

TEST_F(Open, DecodedFramesShowBothEyes) {
    // The left eye of the side-by-side clip is red, the right eye blue. Without
    // a display the graph's own sink (no layout pattern) keeps the last frame.
    const std::string display = std::getenv("DISPLAY") ? std::getenv("DISPLAY") : "";
    unsetenv("DISPLAY");
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("sbs.mp4").c_str(), 0, 0, 0);
    if (!display.empty()) {
        setenv("DISPLAY", display.c_str(), 1);
    }
    ASSERT_NE(channel, 0u);
    GstElement* output = findByName(channel, "Video Renderer");
    ASSERT_NE(output, nullptr);
    GstElement* sink = gst_bin_get_by_name(GST_BIN(output), "Video Output");
    ASSERT_NE(sink, nullptr);
    GstSample* sample = nullptr;
    g_object_get(sink, "last-sample", &sample, nullptr);
    ASSERT_NE(sample, nullptr);
    GstBuffer* buffer = gst_sample_get_buffer(sample);
    GstMapInfo map;
    ASSERT_TRUE(gst_buffer_map(buffer, &map, GST_MAP_READ));
    // I420: the V plane follows Y (640x240) and U (320x120).
    const guint8* v = map.data + 640 * 240 + 320 * 120;
    const int leftV = v[60 * 320 + 10];
    const int rightV = v[60 * 320 + 310];
    EXPECT_GT(leftV, 160);  // red: high Cr
    EXPECT_LT(rightV, 128);
    gst_buffer_unmap(buffer, &map);
    gst_sample_unref(sample);
    gst_object_unref(sink);
    gst_object_unref(output);
    Nerla_StreamFree(channel);
}

TEST_F(Open, BadInputGivesItsCodeAndNoChannel) {
    const std::string directory = NERLA_FIXTURES;
    struct Case {
        std::string path;
        int code;
    };
    const Case cases[] = {
        {fixture("missing.mp4"), NERLA_ERROR_FORMAT},
        {directory, NERLA_ERROR_FORMAT},
        {fixture("not-media.mp4"), NERLA_ERROR_FORMAT},
        {fixture("truncated.mp4"), NERLA_ERROR_FORMAT},
        {"", NERLA_ERROR_FORMAT},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(Nerla_StreamCreateFile(c.path.c_str(), 0, 0, 0), 0u);
        EXPECT_EQ(Nerla_ErrorGetCode(), c.code);
        EXPECT_LT(std::chrono::steady_clock::now() - start, kNoHang);
    }
    // An unreachable URL and one that is not a URL.
    EXPECT_EQ(Nerla_StreamCreateURL("http://127.0.0.1:9/clip.mp4", 0, 0, 0), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_FORMAT);
    EXPECT_EQ(Nerla_StreamCreateURL("no url at all", 0, 0, 0), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_FORMAT);
    // A null path fails and leaves the code as it was.
    EXPECT_EQ(Nerla_StreamCreateFile(nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_FORMAT);
    EXPECT_EQ(Nerla_StreamCreateURL(nullptr, 0, 0, 0), 0u);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_FORMAT);
    // Nothing was registered.
    const NerlaHandle good = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
    ASSERT_NE(good, 0u);
    EXPECT_EQ(Nerla_StreamFree(good), 1);
}

TEST_F(Open, Utf16PathOpensTheSameFile) {
    const std::string path = fixture("audio.wav");
    const std::u16string wide(path.begin(), path.end());
    const NerlaHandle channel = Nerla_StreamCreateFile(wide.c_str(), 0, 0, NERLA_FLAG_UNICODE);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
    // The same bytes read as ANSI are not the path.
    EXPECT_EQ(Nerla_StreamCreateFile(wide.c_str(), 0, 0, 0), 0u);
}

TEST_F(Open, ChannelsAreIndependent) {
    const NerlaHandle a = Nerla_StreamCreateFile(fixture("sbs.mp4").c_str(), 0, 0, 0);
    const NerlaHandle b = Nerla_StreamCreateFile(fixture("tb.mkv").c_str(), 0, 0, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    EXPECT_NE(a, b);
    EXPECT_NE(Nerla_GetGraph(a), Nerla_GetGraph(b));
    EXPECT_EQ(Nerla_StreamFree(a), 1);
    EXPECT_NE(Nerla_GetGraph(b), nullptr);  // the other one lives on
    EXPECT_EQ(Nerla_StreamFree(b), 1);
}

TEST_F(Open, FreeDestroysLiveChannels) {
    const NerlaHandle a = Nerla_StreamCreateFile(fixture("sbs.mkv").c_str(), 0, 0, 0);
    const NerlaHandle b = Nerla_StreamCreateFile(fixture("audio.mp3").c_str(), 0, 0, 0);
    ASSERT_NE(a, 0u);
    ASSERT_NE(b, 0u);
    auto* pipeline = static_cast<GstObject*>(Nerla_GetGraph(a));
    gst_object_ref(pipeline);
    EXPECT_EQ(Nerla_Free(), 1);
    EXPECT_EQ(GST_OBJECT_REFCOUNT_VALUE(pipeline), 1);  // the channel let go
    gst_object_unref(pipeline);
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    EXPECT_EQ(Nerla_GetGraph(a), nullptr);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_HANDLE);
}

TEST_F(Open, AddFileRendersIntoTheSameGraph) {
    const NerlaHandle channel = Nerla_StreamCreateFile(fixture("video-only.mp4").c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u);
    EXPECT_EQ(Nerla_ChannelAddFile(channel, fixture("audio.wav").c_str(), 0), 1);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_OK);
    EXPECT_EQ(Nerla_ChannelAddFile(channel, fixture("not-media.mp4").c_str(), 0), 0);
    EXPECT_EQ(Nerla_ErrorGetCode(), NERLA_ERROR_FORMAT);
    EXPECT_EQ(Nerla_StreamFree(channel), 1);
}

TEST_F(Open, UrlOverLoopbackHttp) {
    // A one-file HTTP server on a free loopback port.
    gchar* contents = nullptr;
    gsize length = 0;
    ASSERT_TRUE(g_file_get_contents(fixture("sbs.mkv").c_str(), &contents, &length, nullptr));
    GSocketService* service = g_socket_service_new();
    guint16 port =
        g_socket_listener_add_any_inet_port(G_SOCKET_LISTENER(service), nullptr, nullptr);
    ASSERT_NE(port, 0);
    std::thread server([&] {
        for (int i = 0; i < 4; ++i) {
            GSocketConnection* connection =
                g_socket_listener_accept(G_SOCKET_LISTENER(service), nullptr, nullptr, nullptr);
            if (!connection) {
                return;
            }
            GInputStream* in = g_io_stream_get_input_stream(G_IO_STREAM(connection));
            char request[4096];
            g_input_stream_read(in, request, sizeof request, nullptr, nullptr);
            const std::string header =
                "HTTP/1.0 200 OK\r\nContent-Type: video/x-matroska\r\n"
                "Content-Length: " +
                std::to_string(length) + "\r\nConnection: close\r\n\r\n";
            GOutputStream* out = g_io_stream_get_output_stream(G_IO_STREAM(connection));
            g_output_stream_write_all(out, header.data(), header.size(), nullptr, nullptr, nullptr);
            g_output_stream_write_all(out, contents, length, nullptr, nullptr, nullptr);
            g_io_stream_close(G_IO_STREAM(connection), nullptr, nullptr);
            g_object_unref(connection);
            if (std::string(request).find("Range: bytes=0-") != std::string::npos ||
                std::string(request).find("Range") == std::string::npos) {
                break;
            }
        }
    });
    const std::string url = "http://127.0.0.1:" + std::to_string(port) + "/sbs.mkv";
    const NerlaHandle channel = Nerla_StreamCreateURL(url.c_str(), 0, 0, NERLA_FLAG_SIDE_BY_SIDE);
    EXPECT_NE(channel, 0u) << "error " << Nerla_ErrorGetCode();
    EXPECT_TRUE(hasElement(channel, "Nerla Video Renderer"));
    Nerla_StreamFree(channel);
    g_socket_listener_close(G_SOCKET_LISTENER(service));
    server.join();
    g_object_unref(service);
    g_free(contents);
}

TEST_F(Open, RepeatedCreateAndFree) {
    // Leaks show in the sanitizer build.
    for (int i = 0; i < 200; ++i) {
        const NerlaHandle channel = Nerla_StreamCreateFile(fixture("audio.wav").c_str(), 0, 0, 0);
        ASSERT_NE(channel, 0u) << "cycle " << i;
        ASSERT_EQ(Nerla_StreamFree(channel), 1);
    }
}

}  // namespace
