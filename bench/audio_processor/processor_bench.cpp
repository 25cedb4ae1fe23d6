// What "Nerla Audio Processor" costs per buffer: CPU time of playing a 48 kHz
// stereo 16-bit WAV file without a clock (filesrc ! wavparse ! STAGE !
// fakesink sync=false) with the processor as STAGE, without DSP callbacks
// and with one and four trivial ones, in 16-bit and float-DSP mode, beside
// the same pipeline with `identity` as STAGE.
//   bench_audio_processor [SECONDS]   (default 60 s of audio)
#include <gst/gst.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "audio/audio_processor.h"
#include "audio/audio_processor_state.h"
#include "frame/library.h"
#include "nerla.h"

namespace {

constexpr int kRounds = 9;

double cpuSeconds() {
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

// The input: a sine with some movement, 16-bit stereo at 48 kHz.
bool writeInput(const std::string& path, int seconds) {
    const std::string description =
        "audiotestsrc wave=sine freq=330 num-buffers=" + std::to_string(seconds * 10) +
        " samplesperbuffer=4800 ! audio/x-raw,format=S16LE,rate=48000,channels=2 ! wavenc ! "
        "filesink location=\"" +
        path + "\"";
    GstElement* pipeline = gst_parse_launch(description.c_str(), nullptr);
    if (!pipeline) {
        return false;
    }
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus* bus = gst_element_get_bus(pipeline);
    GstMessage* end = gst_bus_timed_pop_filtered(
        bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ok = end && GST_MESSAGE_TYPE(end) == GST_MESSAGE_EOS;
    if (end) {
        gst_message_unref(end);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ok;
}

void NERLA_CALL trivialDsp(uint32_t, NerlaHandle, void* buffer, uint32_t length, void* user) {
    // Reads one sample, as a meter that looks at the block would.
    if (length >= 2) {
        *static_cast<volatile uint8_t*>(user) = *static_cast<const uint8_t*>(buffer);
    }
}

GstPadProbeReturn countBuffer(GstPad*, GstPadProbeInfo*, gpointer counter) {
    ++*static_cast<uint64_t*>(counter);
    return GST_PAD_PROBE_OK;
}

struct Run {
    double cpu = 0.0;  // seconds
    uint64_t buffers = 0;
};

// One play of `path` through `stage`; `dsps` callbacks on a processor stage.
Run play(const std::string& path, bool processor, int dsps, bool floatDsp) {
    Run run;
    GstElement* pipeline = gst_pipeline_new(nullptr);
    GstElement* src = gst_element_factory_make("filesrc", nullptr);
    GstElement* parse = gst_element_factory_make("wavparse", nullptr);
    GstElement* stage =
        processor ? nerla::makeAudioProcessor() : gst_element_factory_make("identity", nullptr);
    GstElement* sink = gst_element_factory_make("fakesink", nullptr);
    g_object_set(src, "location", path.c_str(), nullptr);
    g_object_set(sink, "sync", FALSE, nullptr);
    gst_bin_add_many(GST_BIN(pipeline), src, parse, stage, sink, nullptr);
    gst_element_link_many(src, parse, stage, sink, nullptr);
    GstPad* counted = gst_element_get_static_pad(sink, "sink");
    gst_pad_add_probe(counted, GST_PAD_PROBE_TYPE_BUFFER, &countBuffer, &run.buffers, nullptr);
    gst_object_unref(counted);

    // Prerolled, the processor knows the format its chain is made with.
    gst_element_set_state(pipeline, GST_STATE_PAUSED);
    gst_element_get_state(pipeline, nullptr, nullptr, GST_CLOCK_TIME_NONE);
    static volatile uint8_t seen = 0;
    if (processor && dsps > 0) {
        nerla::Library::instance().setConfig(NERLA_CONFIG_FLOAT_DSP, floatDsp ? 1 : 0);
        nerla::AudioEffectChain* chain = nerla::audioProcessorState(stage)->chain(true);
        for (int i = 0; i < dsps; ++i) {
            chain->addDsp(&trivialDsp, const_cast<uint8_t*>(&seen));
        }
    }
    GstBus* bus = gst_element_get_bus(pipeline);
    const double start = cpuSeconds();
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstMessage* end = gst_bus_timed_pop_filtered(
        bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    run.cpu = cpuSeconds() - start;
    if (!end || GST_MESSAGE_TYPE(end) != GST_MESSAGE_EOS) {
        std::fprintf(stderr, "the pipeline failed\n");
        run.cpu = -1.0;
    }
    if (end) {
        gst_message_unref(end);
    }
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return run;
}

Run bestOf(const std::string& path, bool processor, int dsps, bool floatDsp) {
    Run best;
    for (int r = 0; r < kRounds; ++r) {
        const Run run = play(path, processor, dsps, floatDsp);
        if (r == 0 || (run.cpu >= 0.0 && run.cpu < best.cpu)) {
            best = run;
        }
    }
    return best;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::atoi(argv[1]) : 60;
    if (seconds <= 0 || Nerla_Init(0, 0) != 1) {
        std::fprintf(stderr, "usage: bench_audio_processor [SECONDS]\n");
        return 1;
    }
    const std::string path = std::string(g_get_tmp_dir()) + "/nerla-processor-bench.wav";
    if (!writeInput(path, seconds)) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
    }
    struct Variant {
        const char* name;
        bool processor;
        int dsps;
        bool floatDsp;
    };
    const std::vector<Variant> variants = {
        {"identity (reference)", false, 0, false},
        {"processor, no DSP", true, 0, false},
        {"processor, 1 DSP, 16-bit", true, 1, false},
        {"processor, 4 DSP, 16-bit", true, 4, false},
        {"processor, 1 DSP, float DSP", true, 1, true},
        {"processor, 4 DSP, float DSP", true, 4, true},
    };
    std::printf(
        "%d s of 48 kHz stereo 16-bit WAV, no clock, CPU time of the whole process, "
        "best of %d runs\n\n",
        seconds, kRounds);
    std::printf("%-30s %10s %9s %14s %14s %12s\n", "stage", "CPU ms", "buffers", "us per buffer",
                "us over ident.", "vs identity");
    Run reference;
    for (const Variant& v : variants) {
        const Run run = bestOf(path, v.processor, v.dsps, v.floatDsp);
        if (!v.processor) {
            reference = run;
        }
        const double perBuffer = run.buffers ? run.cpu * 1e6 / static_cast<double>(run.buffers) : 0;
        const double over =
            run.buffers ? (run.cpu - reference.cpu) * 1e6 / static_cast<double>(run.buffers) : 0;
        std::printf("%-30s %10.1f %9llu %14.2f %14.2f %11.2fx\n", v.name, run.cpu * 1e3,
                    static_cast<unsigned long long>(run.buffers), perBuffer, over,
                    reference.cpu > 0 ? run.cpu / reference.cpu : 0.0);
    }
    std::remove(path.c_str());
    Nerla_Free();
    return 0;
}
