// nerlaplay: the engine's command-line host. Opens a file or URL with the
// flag word of the chosen layout, plays it to the end (in a window of the
// video sink's own when there is a display, or in its own window) and prints
// what the engine reports: position, length and state once a second, and the
// sync events. It also takes snapshots of the presented picture and measures
// the presenter's frame rate.
#include <glib-unix.h>
#include <gst/gst.h>

#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "host_window.h"
#include "nerla.h"
#include "video_output.h"

// Attribute 3 (the rate) comes with the engine's attribute exports; an
// engine without them leaves these null.
#pragma weak Nerla_ChannelSetAttribute
#pragma weak Nerla_ChannelGetAttribute

namespace {

int usage() {
    std::fprintf(stderr,
                 "usage: nerlaplay [--layout sbs|tb|2d] [--start SECONDS] [--loop | --loops N]\n"
                 "                 [--rate RATE] [--mode N] [--swap] [--eye FACTOR] [--window]\n"
                 "                 [--size WxH] [--snapshot FILE.png --at SECONDS] [--bench]\n"
                 "                 FILE|URL\n"
                 "  --start SECONDS  start at this position\n"
                 "  --loop           play again from the start at every end (Ctrl+C stops)\n"
                 "  --loops N        the same, quitting after N ends\n"
                 "  --rate RATE      playback rate, 1.0 normal\n"
                 "  --mode N         view mode 0..12\n"
                 "  --swap           swap the eyes\n"
                 "  --eye FACTOR     eye factor 0.5..1.5\n"
                 "  --window         show the video in a window of --size (default 1280x720;\n"
                 "                   on a display, layout channels always get one)\n"
                 "  --size WxH       the size the picture is presented at\n"
                 "  --snapshot FILE  write the presented picture at --at SECONDS as PNG and quit\n"
                 "  --bench          null audio, no clock, every frame presented offscreen at\n"
                 "                   --size (default 1920x1080); prints frames per second\n");
    return 2;
}

bool layoutFlags(std::string_view layout, uint32_t& flags) {
    if (layout == "sbs") {
        flags |= NERLA_FLAG_SIDE_BY_SIDE;
    } else if (layout == "tb") {
        flags |= NERLA_FLAG_TOP_BOTTOM;
    } else if (layout == "2d") {
        flags |= NERLA_FLAG_SINGLE_VIEW;
    } else {
        return false;
    }
    return true;
}

bool parseSize(const char* text, int& width, int& height) {
    return std::sscanf(text, "%dx%d", &width, &height) == 2 && width > 0 && height > 0 &&
           width <= 16384 && height <= 16384;
}

bool parseNumber(const char* text, double& value) {
    char* end = nullptr;
    value = std::strtod(text, &end);
    return end != text && *end == '\0';
}

bool isUrl(const std::string& text) {
    return text.find("://") != std::string::npos;
}

const char* streamKind(GstStream* stream) {
    const GstStreamType type = gst_stream_get_stream_type(stream);
    if (type & GST_STREAM_TYPE_VIDEO) {
        return "video";
    }
    if (type & GST_STREAM_TYPE_AUDIO) {
        return "audio";
    }
    if (type & GST_STREAM_TYPE_TEXT) {
        return "text";
    }
    return "other";
}

// Lists the streams that reach the pipeline's sinks, with their formats.
void printStreams(GstPipeline* pipeline) {
    GstIterator* it = gst_bin_iterate_sinks(GST_BIN(pipeline));
    GValue item = G_VALUE_INIT;
    while (gst_iterator_next(it, &item) == GST_ITERATOR_OK) {
        auto* sink = GST_ELEMENT(g_value_get_object(&item));
        GstPad* pad = gst_element_get_static_pad(sink, "sink");
        if (pad && gst_pad_is_linked(pad)) {
            GstCaps* caps = gst_pad_get_current_caps(pad);
            GstStream* stream = gst_pad_get_stream(pad);
            gchar* text = caps ? gst_caps_to_string(caps) : g_strdup("(no format yet)");
            std::printf("stream: %s -> \"%s\": %s\n", stream ? streamKind(stream) : "?",
                        GST_OBJECT_NAME(sink), text);
            g_free(text);
            if (stream) {
                gst_object_unref(stream);
            }
            if (caps) {
                gst_caps_unref(caps);
            }
        }
        if (pad) {
            gst_object_unref(pad);
        }
        g_value_reset(&item);
    }
    g_value_unset(&item);
    gst_iterator_free(it);
}

const char* stateName(int32_t state) {
    switch (state) {
        case NERLA_STATE_PLAYING:
            return "playing";
        case NERLA_STATE_PAUSED:
            return "paused";
        case NERLA_STATE_STOPPED:
            return "stopped";
        default:
            return "no graph";
    }
}

// h:mm:ss of whole seconds.
std::string clockText(double seconds) {
    const long whole = seconds > 0 ? static_cast<long>(seconds) : 0;
    char text[32];
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    return text;
}

// What the sync callback and the timers share; the callback has no user value.
struct Session {
    NerlaHandle channel = 0;
    GMainLoop* loop = nullptr;
    bool quiet = false;  // --bench: no status lines
    bool looping = false;
    long endsToQuit = 0;  // 0: never
    long ends = 0;
};
Session session;

void printStatus() {
    if (session.quiet) {
        return;
    }
    const double position = Nerla_ChannelGetPosition(session.channel, NERLA_UNIT_MILLISECONDS);
    const double length = Nerla_ChannelGetLength(session.channel, NERLA_UNIT_SECONDS);
    const int32_t state = Nerla_ChannelGetState(session.channel);
    std::printf("position %s  %8.3f s  length %8.3f s  state %s\n",
                clockText(position / 1000).c_str(), position / 1000, length, stateName(state));
    std::fflush(stdout);
}

gboolean quitLoop(gpointer) {
    g_main_loop_quit(session.loop);
    return G_SOURCE_REMOVE;
}

void NERLA_CALL onSync(NerlaHandle channel, uint32_t type, uintptr_t data1, uintptr_t data2) {
    switch (type) {
        case NERLA_SYNC_END:
            ++session.ends;
            std::printf("sync %u: end of stream (%u, %lu, %lu), end %ld\n", channel, type,
                        static_cast<unsigned long>(data1), static_cast<unsigned long>(data2),
                        session.ends);
            // Without the loop the channel stops; with it, it plays on.
            if (!session.looping ||
                (session.endsToQuit > 0 && session.ends >= session.endsToQuit)) {
                g_idle_add(&quitLoop, nullptr);
            }
            break;
        case NERLA_SYNC_REPAINT:
            std::printf("sync %u: repaint (%u)\n", channel, type);
            break;
        case NERLA_SYNC_SIZE_CHANGED:
            std::printf("sync %u: native video size %lux%lu (%u, 0x%lx)\n", channel,
                        static_cast<unsigned long>(data1 & 0xFFFF),
                        static_cast<unsigned long>((data1 >> 16) & 0xFFFF), type,
                        static_cast<unsigned long>(data1));
            break;
        case NERLA_SYNC_PAUSED:
            std::printf("sync %u: paused or output device lost (%u)\n", channel, type);
            break;
        default:
            std::printf("sync %u: type %u (%lu, %lu)\n", channel, type,
                        static_cast<unsigned long>(data1), static_cast<unsigned long>(data2));
            break;
    }
    std::fflush(stdout);
}

gboolean onSecond(gpointer) {
    printStatus();
    return G_SOURCE_CONTINUE;
}

gboolean onSignal(gpointer) {
    std::printf("interrupted\n");
    g_main_loop_quit(session.loop);
    return G_SOURCE_CONTINUE;
}

// The rate goes through attribute 3, like any host's.
bool applyRate(double rate) {
    if (!Nerla_ChannelSetAttribute || !Nerla_ChannelGetAttribute) {
        std::fprintf(stderr,
                     "nerlaplay: this engine build has no attribute exports; "
                     "playing at the normal rate\n");
        return false;
    }
    const int32_t result =
        Nerla_ChannelSetAttribute(session.channel, NERLA_ATTRIB_RATE, static_cast<float>(rate));
    std::printf("rate: %.3f (result %d, error %d)\n",
                Nerla_ChannelGetAttribute(session.channel, NERLA_ATTRIB_RATE), result,
                Nerla_ErrorGetCode());
    return result != 0;
}

}  // namespace

// The host window's events: the video follows its size and repaints.
struct WindowWatch {
    HostWindow* window;
    VideoOutput* video;
};

gboolean onWindowEvents(gpointer data) {
    auto* watch = static_cast<WindowWatch*>(data);
    const HostWindow::Events events = watch->window->poll();
    if (events.resized) {
        watch->video->resize(events.width, events.height);
    }
    if (events.exposed) {
        watch->video->repaint(watch->window->id());
    }
    if (events.closed) {
        g_main_loop_quit(session.loop);
    }
    return G_SOURCE_CONTINUE;
}

// The view options as attribute 5 values, in order.
bool applyView(VideoOutput& video, int mode, bool swap, double eye) {
    bool ok = true;
    if (mode >= 0) {
        ok = video.setViewValue(mode) && ok;
    }
    if (swap) {
        ok = video.setViewValue(666) && ok;
    }
    if (eye > 0) {
        ok = video.setViewValue(static_cast<int>(std::lround(eye * 10000.0))) && ok;
    }
    if (!ok) {
        std::fprintf(stderr, "nerlaplay: this channel takes no view values\n");
    }
    return ok;
}

int main(int argc, char** argv) {
    uint32_t flags = 0;
    std::string medium;
    double start = -1.0;
    double rate = 1.0;
    int mode = -1;
    bool swap = false;
    double eye = 0.0;
    bool window = false;
    int width = 0;
    int height = 0;
    std::string snapshot;
    double snapshotAt = 0.0;
    bool bench = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        const bool hasValue = i + 1 < argc;
        double number = 0.0;
        if (arg == "--layout" && hasValue) {
            if (!layoutFlags(argv[++i], flags)) {
                return usage();
            }
        } else if (arg == "--start" && hasValue && parseNumber(argv[i + 1], number) &&
                   number >= 0) {
            start = number;
            ++i;
        } else if (arg == "--rate" && hasValue && parseNumber(argv[i + 1], number) && number > 0) {
            rate = number;
            ++i;
        } else if (arg == "--mode" && hasValue && parseNumber(argv[i + 1], number) && number >= 0 &&
                   number <= 12) {
            mode = static_cast<int>(number);
            ++i;
        } else if (arg == "--swap") {
            swap = true;
        } else if (arg == "--eye" && hasValue && parseNumber(argv[i + 1], number) &&
                   number >= 0.5 && number <= 1.5) {
            eye = number;
            ++i;
        } else if (arg == "--window") {
            window = true;
        } else if (arg == "--size" && hasValue && parseSize(argv[i + 1], width, height)) {
            ++i;
        } else if (arg == "--snapshot" && hasValue) {
            snapshot = argv[++i];
        } else if (arg == "--at" && hasValue && parseNumber(argv[i + 1], number) && number >= 0) {
            snapshotAt = number;
            ++i;
        } else if (arg == "--bench") {
            bench = true;
        } else if (arg == "--loop") {
            session.looping = true;
        } else if (arg == "--loops" && hasValue && parseNumber(argv[i + 1], number) &&
                   number >= 1) {
            session.looping = true;
            session.endsToQuit = static_cast<long>(number);
            ++i;
        } else if (arg.starts_with("--") || !medium.empty()) {
            return usage();
        } else {
            medium = arg;
        }
    }
    if (medium.empty()) {
        return usage();
    }
    if (session.looping) {
        flags |= NERLA_FLAG_LOOP;
    }
    if (bench && (window || !snapshot.empty())) {
        return usage();
    }
    const bool sizeGiven = width != 0;
    if (!sizeGiven) {
        width = window ? 1280 : 1920;
        height = window ? 720 : 1080;
    }

    if (!Nerla_Init(0, 0)) {
        std::fprintf(stderr, "nerlaplay: the engine did not start (error %d)\n",
                     Nerla_ErrorGetCode());
        return 1;
    }
    // No host window: the video sink opens a window of its own (or none
    // without a display) instead of drawing into whatever window is active.
    Nerla_SetConfig(NERLA_CONFIG_DEFAULT_WINDOW, 0);
    if (bench) {
        Nerla_SetConfig(NERLA_CONFIG_AUDIO_RENDERER, NERLA_AUDIO_RENDERER_NULL);
    }
    const NerlaHandle channel = isUrl(medium) ? Nerla_StreamCreateURL(medium.c_str(), 0, 0, flags)
                                              : Nerla_StreamCreateFile(medium.c_str(), 0, 0, flags);
    const int error = Nerla_ErrorGetCode();
    std::printf("medium: %s\nflags: 0x%08X\nhandle: %u\nerror: %d\n", medium.c_str(), flags,
                channel, error);
    if (!channel) {
        std::fprintf(stderr, "nerlaplay: cannot open %s (error %d)\n", medium.c_str(), error);
        Nerla_Free();
        return error ? error : 1;
    }
    session.channel = channel;
    auto* pipeline = static_cast<GstPipeline*>(Nerla_GetGraph(channel));
    printStreams(pipeline);
    NerlaChannelInfo info{};
    Nerla_ChannelGetInfo(channel, &info);
    std::printf("video: %dx%d at %.3f frames/s\naudio: %d channels, %d Hz, %d bits%s\n",
                info.videoWidth, info.videoHeight, info.framesPerSecond, info.audioChannels,
                info.audioSampleRate, info.audioBitsPerSample, info.audioFloat ? " float" : "");

    Nerla_ChannelSetCallbackSync(channel, &onSync);
    VideoOutput video(channel, pipeline);
    std::unique_ptr<HostWindow> host;
    // The stereoscopic renderer has no window of its own: on a display, the
    // picture goes into one of ours.
    if (!window && !bench && snapshot.empty() && video.presenterSink() && std::getenv("DISPLAY")) {
        window = true;
        if (!sizeGiven) {
            width = 1280;
            height = 720;
        }
    }
    if (window) {
        host = HostWindow::open(width, height);
        if (!host) {
            std::fprintf(stderr, "nerlaplay: no display for --window\n");
        } else if (!video.bindWindow(host->id())) {
            std::fprintf(stderr, "nerlaplay: the video cannot be bound to a window\n");
        }
    }
    if (window || bench || !snapshot.empty() || (width && video.presenterSink())) {
        video.resize(width, height);
    }
    if (mode >= 0 || swap || eye > 0) {
        applyView(video, mode, swap, eye);
    }
    if (!snapshot.empty()) {
        const bool moved =
            Nerla_ChannelSetPosition(channel, snapshotAt * 1000.0, NERLA_UNIT_MILLISECONDS) != 0;
        const bool written = moved && video.writeSnapshot(snapshot);
        std::printf("snapshot at %.3f s: %s\n", snapshotAt,
                    written ? snapshot.c_str() : "not written");
        Nerla_StreamFree(channel);
        Nerla_Free();
        return written ? 0 : 1;
    }
    if (bench) {
        session.quiet = true;
        gst_pipeline_use_clock(pipeline, nullptr);
    }
    if (start >= 0) {
        const int32_t moved =
            Nerla_ChannelSetPosition(channel, start * 1000.0, NERLA_UNIT_MILLISECONDS);
        std::printf("start at %.3f s: %s\n", start, moved ? "done" : "refused");
    }
    if (rate != 1.0) {
        applyRate(rate);
    }

    // The engine delivers the channel's events through this thread's main
    // context; the loop dispatches them.
    session.loop = g_main_loop_new(nullptr, FALSE);
    g_timeout_add_seconds(1, &onSecond, nullptr);
    WindowWatch watch{host.get(), &video};
    if (host) {
        g_timeout_add(20, &onWindowEvents, &watch);
    }
    g_unix_signal_add(SIGINT, &onSignal, nullptr);
    g_unix_signal_add(SIGTERM, &onSignal, nullptr);
    const uint64_t framesBefore = video.framesPresented();
    const auto started = std::chrono::steady_clock::now();
    const bool playing = Nerla_ChannelPlay(channel) != 0;
    if (!playing) {
        std::fprintf(stderr, "nerlaplay: cannot play (error %d)\n", Nerla_ErrorGetCode());
    } else {
        printStatus();
        g_main_loop_run(session.loop);
        printStatus();
    }
    if (bench && playing) {
        const double seconds =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
        const uint64_t frames = video.framesPresented() - framesBefore;
        std::printf("bench: %llu frames in %.3f s: %.1f frames/s at %dx%d\n",
                    static_cast<unsigned long long>(frames), seconds,
                    seconds > 0 ? static_cast<double>(frames) / seconds : 0.0, width, height);
    }
    g_main_loop_unref(session.loop);
    Nerla_StreamFree(channel);
    Nerla_Free();
    return playing ? 0 : 1;
}
