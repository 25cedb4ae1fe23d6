// The player's FFT against KISS FFT, and the equaliser with the amplifier
// against ffmpeg's superequalizer on the same ten minutes of audio.
//   bench_dsp [MINUTES]
#include <kiss_fft.h>

#include "../bench_timing.h"

#include <unistd.h>
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "dspAmplify.h"
#include "dspEqualizer.h"
#include "dspFastFourier.h"

namespace {

using namespace corvane::dsp;
using bench::bestOf;
using bench::Clock;
using bench::secondsSince;

void fftFigures() {
    std::printf("forward + inverse complex transform, best of 5 rounds, per pair\n");
    for (TDCFFTSize size : {TDCFFTSize::fts1024, TDCFFTSize::fts8192}) {
        const int n = SizeInPoints(size);
        const int pairs = 4000000 / n;
        std::mt19937 rng(1);
        std::uniform_real_distribution<float> dist(-1, 1);

        TDCFFT fft;
        fft.SetFFTSize(size);
        for (int i = 0; i < n; ++i) {
            fft.Complex()[i] = {dist(rng), dist(rng)};
        }
        auto ours = [&](bool reorder) {
            fft.SetReOrder(reorder);
            return bestOf(5,
                          [&] {
                              for (int p = 0; p < pairs; ++p) {
                                  fft.FFT();
                                  fft.IFFT();
                              }
                          }) /
                   pairs * 1e6;
        };
        const double unordered = ours(false);
        const double ordered = ours(true);

        kiss_fft_cfg forward = kiss_fft_alloc(n, 0, nullptr, nullptr);
        kiss_fft_cfg inverse = kiss_fft_alloc(n, 1, nullptr, nullptr);
        std::vector<kiss_fft_cpx> a(n), b(n);
        for (auto& v : a) {
            v = {dist(rng), dist(rng)};
        }
        const float scale = 1.0f / n;
        const double kiss = bestOf(5,
                                   [&] {
                                       for (int p = 0; p < pairs; ++p) {
                                           kiss_fft(forward, a.data(), b.data());
                                           kiss_fft(inverse, b.data(), a.data());
                                           for (auto& v : a) {
                                               v.r *= scale;
                                               v.i *= scale;
                                           }
                                       }
                                   }) /
                            pairs * 1e6;
        kiss_fft_free(forward);
        kiss_fft_free(inverse);
        std::printf(
            "  N = %4d  TDCFFT %7.2f us (unordered) %7.2f us (reordered)   KISS FFT %7.2f us"
            "   ratio TDCFFT/KISS %.2f (unordered) %.2f (reordered)\n",
            n, unordered, ordered, kiss, unordered / kiss, ordered / kiss);
    }
}

// Music-like test signal: a few tones and some noise, 16-bit stereo.
std::vector<int16_t> makeAudio(int frames) {
    std::vector<int16_t> pcm(static_cast<size_t>(frames) * 2);
    std::mt19937 rng(2);
    std::normal_distribution<float> noise(0, 600);
    for (int f = 0; f < frames; ++f) {
        const double t = f / 44100.0;
        const double music = 6000 * std::sin(2 * M_PI * 220 * t) +
                             3000 * std::sin(2 * M_PI * 1760 * t) +
                             1500 * std::sin(2 * M_PI * 7040 * t);
        pcm[2 * f] = static_cast<int16_t>(music + noise(rng));
        pcm[2 * f + 1] = static_cast<int16_t>(0.8 * music + noise(rng));
    }
    return pcm;
}

bool writeWav(const std::string& path, const std::vector<int16_t>& pcm) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return false;
    }
    const uint32_t data = static_cast<uint32_t>(pcm.size() * 2);
    auto u32 = [f](uint32_t v) { std::fwrite(&v, 4, 1, f); };
    auto u16 = [f](uint16_t v) { std::fwrite(&v, 2, 1, f); };
    std::fwrite("RIFF", 1, 4, f);
    u32(36 + data);
    std::fwrite("WAVEfmt ", 1, 8, f);
    u32(16);
    u16(1);
    u16(2);
    u32(44100);
    u32(44100 * 4);
    u16(4);
    u16(16);
    std::fwrite("data", 1, 4, f);
    u32(data);
    const bool ok = std::fwrite(pcm.data(), 2, pcm.size(), f) == pcm.size();
    return std::fclose(f) == 0 && ok;
}

double timeCommand(const std::string& command) {
    const Clock::time_point start = Clock::now();
    if (std::system(command.c_str()) != 0) {
        return -1;
    }
    return secondsSince(start);
}

void equalizerFigures(int minutes) {
    const double seconds = minutes * 60.0;
    const std::vector<int16_t> audio = makeAudio(static_cast<int>(seconds * 44100));
    const int bytes = static_cast<int>(audio.size() * 2);

    TDCEqualizer eq;
    TDCAmplify amp;
    eq.SetEnabled(true);
    amp.SetEnabled(true);
    for (int j = 0; j < 8192; ++j) {
        eq.SetBand(0, static_cast<uint16_t>(j),
                   static_cast<int8_t>(j < 40 ? 30 : (j < 200 ? -10 : 10)));
    }
    amp.SetVolume(0, 8000);
    // The engine hands the DSP callback buffers of about 100 ms.
    const int block = 4410 * 4;
    std::vector<int16_t> work;
    const double ours = bestOf(3, [&] {
        work = audio;
        auto* bytesOf = reinterpret_cast<uint8_t*>(work.data());
        for (int offset = 0; offset < bytes; offset += block) {
            const int size = std::min(block, bytes - offset);
            eq.Process(bytesOf + offset, size, 16, 2, false);
            amp.Process(bytesOf + offset, size, 16, 2, false);
        }
    });

    char path[] = "/tmp/bench-dsp-XXXXXX.wav";
    const int fd = mkstemps(path, 4);
    if (fd < 0 || !writeWav(path, audio)) {
        std::fprintf(stderr, "cannot write %s\n", path);
        return;
    }
    close(fd);
    const std::string ffmpeg =
        std::string("ffmpeg -nostdin -hide_banner -loglevel error -threads 1 -i ") + path;
    double decode = 1e30, filtered = 1e30;
    for (int r = 0; r < 3; ++r) {
        decode = std::min(decode, timeCommand(ffmpeg + " -f null -"));
        filtered = std::min(
            filtered, timeCommand(ffmpeg + " -af superequalizer=1b=1.4:2b=0.9:10b=1.2 -f null -"));
    }
    std::remove(path);

    std::printf("\n%d minutes of 44.1 kHz 16-bit stereo, best of 3\n", minutes);
    std::printf("  TDCEqualizer + TDCAmplify     %6.3f s   real-time factor %7.0f\n", ours,
                seconds / ours);
    if (decode < 0 || filtered < 0) {
        std::printf("  ffmpeg did not run\n");
        return;
    }
    const double filterOnly = std::max(filtered - decode, 1e-6);
    std::printf(
        "  ffmpeg -af superequalizer     %6.3f s   real-time factor %7.0f (whole process)\n",
        filtered, seconds / filtered);
    std::printf("    less ffmpeg without filter  %6.3f s   real-time factor %7.0f (filter alone)\n",
                filterOnly, seconds / filterOnly);
    std::printf("  ratio ours/superequalizer     %.2f (whole process)  %.2f (filter alone)\n",
                ours / filtered, ours / filterOnly);
}

}  // namespace

int main(int argc, char** argv) {
    const int minutes = argc > 1 ? std::max(1, std::atoi(argv[1])) : 10;
    fftFigures();
    equalizerFigures(minutes);
    return 0;
}
