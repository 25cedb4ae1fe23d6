// Time to open a medium: Nerla_StreamCreateFile (create to return, prerolled)
// against GStreamer's discoverer on the same file, in one run.
//   bench_open_time [FILE] [ROUNDS]
#include <gst/gst.h>
#include <gst/pbutils/pbutils.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "nerla.h"

namespace {

using Clock = std::chrono::steady_clock;

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    const std::string file = argc > 1 ? argv[1] : NERLA_FIXTURES "/sbs-1080p.mp4";
    const int rounds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 9;
    gst_init(nullptr, nullptr);
    if (!Nerla_Init(0, 0)) {
        std::fprintf(stderr, "engine did not start\n");
        return 1;
    }
    gchar* uri = gst_filename_to_uri(file.c_str(), nullptr);
    GstDiscoverer* discoverer = gst_discoverer_new(10 * GST_SECOND, nullptr);

    // One warm-up each: the registry and the decoders' libraries load once.
    Nerla_StreamFree(Nerla_StreamCreateFile(file.c_str(), 0, 0, NERLA_FLAG_SIDE_BY_SIDE));
    GstDiscovererInfo* warm = gst_discoverer_discover_uri(discoverer, uri, nullptr);
    g_clear_object(&warm);

    std::vector<double> engine, discover, tool;
    for (int i = 0; i < rounds; ++i) {
        Clock::time_point start = Clock::now();
        const NerlaHandle channel =
            Nerla_StreamCreateFile(file.c_str(), 0, 0, NERLA_FLAG_SIDE_BY_SIDE);
        engine.push_back(millisecondsSince(start));
        if (!channel) {
            std::fprintf(stderr, "open failed: error %d\n", Nerla_ErrorGetCode());
            return 1;
        }
        Nerla_StreamFree(channel);

        start = Clock::now();
        GstDiscovererInfo* info = gst_discoverer_discover_uri(discoverer, uri, nullptr);
        discover.push_back(millisecondsSince(start));
        g_clear_object(&info);

        const std::string command = "gst-discoverer-1.0 '" + file + "' >/dev/null 2>&1";
        start = Clock::now();
        if (std::system(command.c_str()) != 0) {
            std::fprintf(stderr, "gst-discoverer-1.0 failed\n");
            return 1;
        }
        tool.push_back(millisecondsSince(start));
    }
    const double e = median(engine);
    const double d = median(discover);
    const double t = median(tool);
    std::printf("file: %s, %d rounds, medians\n", file.c_str(), rounds);
    std::printf("Nerla_StreamCreateFile (prerolled)   %8.1f ms\n", e);
    std::printf("GstDiscoverer, in process             %8.1f ms   ratio engine/discoverer %.2f\n",
                d, e / d);
    std::printf("gst-discoverer-1.0, whole process     %8.1f ms   ratio engine/tool %.2f\n", t,
                e / t);
    g_object_unref(discoverer);
    g_free(uri);
    Nerla_Free();
    return 0;
}
