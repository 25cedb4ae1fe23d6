// The engine's eight effects on 48 kHz stereo float audio, as real-time
// factors on one core, beside the nearest SoX effect on the same input.
//   bench_audio_fx [SECONDS]   (default 60 s of audio)
// SoX runs single-threaded on a raw float copy of the input; its figure is
// for the effect alone: the run with the effect less the run without.
#include <sched.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "../bench_timing.h"
#include "audio/effect_factory.h"
#include "frame/sample_convert.h"
#include "nerla.h"

namespace {

using bench::bestOf;
using bench::Clock;
using bench::secondsSince;
constexpr int kRate = 48000;
constexpr size_t kBlock = 4800;  // 100 ms, about what a decoder hands over

// Music-like: three tones, a slow swell and some noise; stereo float.
std::vector<float> makeAudio(size_t frames) {
    std::vector<float> s(frames * 2);
    std::mt19937 rng(3);
    std::normal_distribution<float> noise(0.0f, 0.02f);
    for (size_t f = 0; f < frames; ++f) {
        const double t = static_cast<double>(f) / kRate;
        const double swell = 0.6 + 0.4 * std::sin(2 * std::numbers::pi * 0.2 * t);
        const double music = swell * (0.3 * std::sin(2 * std::numbers::pi * 220 * t) +
                                      0.15 * std::sin(2 * std::numbers::pi * 1760 * t) +
                                      0.07 * std::sin(2 * std::numbers::pi * 7040 * t));
        s[2 * f] = static_cast<float>(music) + noise(rng);
        s[2 * f + 1] = static_cast<float>(0.8 * music) + noise(rng);
    }
    return s;
}

struct Effect {
    int32_t type;
    const char* name;
    const char* sox;  // the nearest SoX effect
    std::vector<uint8_t> record;
};

template <typename T>
std::vector<uint8_t> bytesOf(const T& record) {
    std::vector<uint8_t> b(sizeof record);
    std::memcpy(b.data(), &record, sizeof record);
    return b;
}

// Settings that match on both sides where the two effects allow it.
std::vector<Effect> effects() {
    return {
        {NERLA_FX_PARAMEQ, "parametric band +12 dB", "equalizer 1000 1o 12",
         bytesOf(DSFXParamEq{1000.0f, 12.0f, 12.0f})},
        // SoX wants a chorus delay above 20 ms.
        {NERLA_FX_CHORUS, "chorus (defaults)", "chorus 0.7 0.9 25 0.5 1.1 1.6 -s",
         bytesOf(DSFXChorus{50.0f, 10.0f, 25.0f, 1.1f, DSFXCHORUS_WAVE_SIN, 16.0f,
                            DSFXCHORUS_PHASE_90})},
        {NERLA_FX_COMPRESSOR, "compressor 3:1 at -20 dB",
         "compand 0.01,0.2 -90,-90,-20,-20,0,-13.33 0 -90 0.004",
         bytesOf(DSFXCompressor{0.0f, 10.0f, 200.0f, -20.0f, 3.0f, 4.0f})},
        {NERLA_FX_ECHO, "echo 500 ms (defaults)", "echo 0.8 0.8 500 0.5",
         bytesOf(DSFXEcho{50.0f, 50.0f, 500.0f, 500.0f, 0})},
        {NERLA_FX_FLANGER, "flanger (defaults)", "flanger 2 2 -50 50 0.25 sine 0 linear",
         bytesOf(DSFXFlanger{50.0f, 100.0f, -50.0f, 0.25f, DSFXFLANGER_WAVE_SIN, 2.0f,
                             DSFXFLANGER_PHASE_ZERO})},
        {NERLA_FX_WAVES_REVERB, "reverb 1 s, HF ratio 0.5", "reverb -w 50 50 100 100 0 0",
         bytesOf(DSFXWavesReverb{0.0f, 0.0f, 1000.0f, 0.5f})},
        {NERLA_FX_TEMPO, "tempo x1.5 (SoundTouch)", "tempo 1.5",
         bytesOf(NerlaTempoParameters{1.5f, 0.0f, 1.0f})},
        {NERLA_FX_CHANNEL_MIX, "channel copy (16-bit)", "remix 1 1",
         bytesOf(NerlaChannelMixParameters{1})},
    };
}

// Runs one effect over the whole input in 100 ms blocks.
double ourSeconds(const Effect& e, const std::vector<float>& audio) {
    // The channel copy takes only 16-bit stereo.
    const bool pcm16 = e.type == NERLA_FX_CHANNEL_MIX;
    const int bytes = pcm16 ? 2 : 4;
    std::vector<uint8_t> input(audio.size() * bytes);
    if (pcm16) {
        nerla::float2IntReference(audio.data(), input.data(), static_cast<uint32_t>(audio.size()),
                                  2);
    } else {
        std::memcpy(input.data(), audio.data(), input.size());
    }
    std::vector<uint8_t> work;
    return bestOf(3, [&] {
        std::unique_ptr<nerla::CBaseFX> fx = nerla::createEffect(e.type);
        if (!fx || !fx->Init(kRate, 2, pcm16 ? 16 : 32, !pcm16)) {
            std::fprintf(stderr, "effect %d refused the format\n", e.type);
            std::exit(1);
        }
        fx->SetParameters(e.record.data());
        work = input;
        const size_t block = kBlock * 2 * bytes;
        for (size_t at = 0; at < work.size(); at += block) {
            const auto n = static_cast<uint32_t>(std::min(block, work.size() - at));
            fx->Process(work.data() + at, n, n);
        }
    });
}

double timeCommand(const std::string& command) {
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        return -1;
    }
    return secondsSince(start);
}

}  // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::max(1.0, std::atof(argv[1])) : 60.0;
    // One core for us and for SoX (which inherits the affinity).
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(sched_getcpu() >= 0 ? sched_getcpu() : 0, &one);
    sched_setaffinity(0, sizeof one, &one);

    const std::vector<float> audio = makeAudio(static_cast<size_t>(seconds * kRate));
    char path[] = "/tmp/bench-audio-fx-XXXXXX";
    const int fd = mkstemp(path);
    if (fd < 0 ||
        write(fd, audio.data(), audio.size() * 4) != static_cast<ssize_t>(audio.size() * 4)) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return 1;
    }
    close(fd);
    const std::string sox = std::string("sox --single-threaded -q -D -t raw -r 48000 -c 2 ") +
                            "-e floating-point -b 32 " + path + " -n ";
    double baseline = 1e30;
    for (int r = 0; r < 3 && baseline > 0; ++r) {
        const double t = timeCommand(sox + " 2>/dev/null");
        baseline = t < 0 ? -1 : std::min(baseline, t);
    }

    std::printf("%.0f s of 48 kHz stereo float audio, one core, best of 3 runs\n", seconds);
    std::printf("real-time factor = audio time / processing time\n\n");
    std::printf("%-4s %-26s %10s   %-52s %10s %8s\n", "type", "Nerla effect", "Nerla RTF",
                "SoX effect", "SoX RTF", "ratio");
    for (const Effect& e : effects()) {
        const double ours = ourSeconds(e, audio);
        std::printf("%-4d %-26s %10.0f", e.type, e.name, seconds / ours);
        double with = 1e30;
        for (int r = 0; r < 3 && with > 0 && baseline > 0; ++r) {
            const double t = timeCommand(sox + e.sox + " 2>/dev/null");
            with = t < 0 ? -1 : std::min(with, t);
        }
        if (with < 0 || baseline < 0) {
            std::printf("   %-52s %10s\n", e.sox, "sox failed");
            continue;
        }
        const double alone = std::max(with - baseline, 1e-6);
        std::printf("   %-52s %10.0f %8.2f\n", e.sox, seconds / alone, alone / ours);
    }
    std::printf(
        "\nSoX without an effect (reading the input): %.3f s; ratio = SoX time / Nerla time\n",
        baseline);
    std::remove(path);
    return 0;
}
