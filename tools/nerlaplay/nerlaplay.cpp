// nerlaplay: the engine's command-line host. Opens a file or URL with the
// flag word of the chosen layout and prints what the engine reports.
#include <gst/gst.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "nerla.h"

namespace {

int usage() {
    std::fprintf(stderr, "usage: nerlaplay [--layout sbs|tb|2d] FILE|URL\n");
    return 2;
}

bool layoutFlags(std::string_view layout, uint32_t& flags) {
    if (layout == "sbs") {
        flags = NERLA_FLAG_SIDE_BY_SIDE;
    } else if (layout == "tb") {
        flags = NERLA_FLAG_TOP_BOTTOM;
    } else if (layout == "2d") {
        flags = NERLA_FLAG_SINGLE_VIEW;
    } else {
        return false;
    }
    return true;
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

}  // namespace

int main(int argc, char** argv) {
    uint32_t flags = 0;
    std::string medium;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--layout" && i + 1 < argc) {
            if (!layoutFlags(argv[++i], flags)) {
                return usage();
            }
        } else if (arg.starts_with("--") || !medium.empty()) {
            return usage();
        } else {
            medium = arg;
        }
    }
    if (medium.empty()) {
        return usage();
    }

    if (!Nerla_Init(0, 0)) {
        std::fprintf(stderr, "nerlaplay: the engine did not start (error %d)\n",
                     Nerla_ErrorGetCode());
        return 1;
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
    printStreams(static_cast<GstPipeline*>(Nerla_GetGraph(channel)));
    Nerla_StreamFree(channel);
    Nerla_Free();
    return 0;
}
