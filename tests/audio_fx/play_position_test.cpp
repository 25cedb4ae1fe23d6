// The spectrum of a playing channel follows the position the channel
// reports: a tone that changes at 2 s shows the change there, even when the
// sound server starts playing late.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <string>
#include <thread>
#include <vector>

#include "nerla.h"

namespace {

constexpr int kRate = 44100;
constexpr double kChange = 2.0;  // seconds
constexpr double kSeconds = 3.5;
// Peak bins of a 2048-point spectrum at 44.1 kHz.
constexpr long kBinBefore = 20;  // 440 Hz
constexpr long kBinAfter = 93;   // 2000 Hz
// The spectrum covers 46 ms from the position, which is read around it.
constexpr double kTolerance = 0.15;

void put16(std::FILE* f, uint16_t v) {
    std::fputc(v & 0xFF, f);
    std::fputc(v >> 8, f);
}
void put32(std::FILE* f, uint32_t v) {
    put16(f, static_cast<uint16_t>(v & 0xFFFF));
    put16(f, static_cast<uint16_t>(v >> 16));
}

// 16-bit mono: 440 Hz until kChange, then 2000 Hz.
std::string writeToneChange() {
    const std::string path = testing::TempDir() + "tone-change.wav";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) {
        return {};
    }
    const auto frames = static_cast<uint32_t>(kSeconds * kRate);
    std::fwrite("RIFF", 1, 4, f);
    put32(f, 36 + frames * 2);
    std::fwrite("WAVEfmt ", 1, 8, f);
    put32(f, 16);
    put16(f, 1);  // PCM
    put16(f, 1);
    put32(f, kRate);
    put32(f, kRate * 2);
    put16(f, 2);
    put16(f, 16);
    std::fwrite("data", 1, 4, f);
    put32(f, frames * 2);
    double phase = 0.0;
    for (uint32_t i = 0; i < frames; ++i) {
        const double frequency = static_cast<double>(i) / kRate < kChange ? 440.0 : 2000.0;
        phase += 2.0 * std::numbers::pi * frequency / kRate;
        put16(f,
              static_cast<uint16_t>(static_cast<int16_t>(std::lround(16000.0 * std::sin(phase)))));
    }
    std::fclose(f);
    return path;
}

TEST(PlayPosition, SpectrumChangesWhereThePositionSaysTheToneChanges) {
    const std::string path = writeToneChange();
    ASSERT_FALSE(path.empty());
    ASSERT_EQ(Nerla_Init(0, 0), 1);
    const NerlaHandle channel = Nerla_StreamCreateFile(path.c_str(), 0, 0, 0);
    ASSERT_NE(channel, 0u) << Nerla_ErrorGetCode();
    ASSERT_EQ(Nerla_ChannelPlay(channel), 1);

    int before = 0;
    int after = 0;
    int silent = 0;
    std::vector<float> spectrum(1024);
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (std::chrono::steady_clock::now() < until) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        const double from = Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS) / 1000.0;
        ASSERT_EQ(Nerla_ChannelGetData(channel, spectrum.data(), NERLA_DATA_FFT2048), 2048);
        const double to = Nerla_ChannelGetPosition(channel, NERLA_UNIT_MILLISECONDS) / 1000.0;
        const double position = (from + to) / 2;
        if (position > kSeconds - 0.2) {
            break;
        }
        const auto top = std::max_element(spectrum.begin(), spectrum.end());
        if (*top < 0.05f) {
            ++silent;
            ADD_FAILURE() << "silence at " << position << " s";
            continue;
        }
        const long bin = top - spectrum.begin();
        if (position < kChange - kTolerance) {
            EXPECT_EQ(bin, kBinBefore) << "at " << position << " s";
            ++before;
        } else if (position > kChange + kTolerance) {
            EXPECT_EQ(bin, kBinAfter) << "at " << position << " s";
            ++after;
        }
    }
    EXPECT_GT(before, 20);
    EXPECT_GT(after, 10);
    EXPECT_EQ(silent, 0);
    Nerla_StreamFree(channel);
    Nerla_Free();
    std::remove(path.c_str());
}

}  // namespace
