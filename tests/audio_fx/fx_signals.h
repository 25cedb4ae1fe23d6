// Signals and measurements for the effect tests.
#pragma once

#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "audio/base_fx.h"

namespace fxtest {

constexpr int kRate = 48000;

// Interleaved frames of a sine on every channel.
std::vector<float> sine(double frequency, double amplitude, size_t frames, int channels);

// An effect of `type` ready for the format; fails the test when refused.
std::unique_ptr<nerla::CBaseFX> makeEffect(int32_t type, int channels, int bits = 32,
                                           bool isFloat = true, int rate = kRate);

// Runs interleaved floats through a float effect in blocks of `block` frames.
void run(nerla::CBaseFX& fx, std::vector<float>& samples, int channels, size_t block = 480);

// Over frames [from, to) of one channel.
double peak(const std::vector<float>& s, int channels, int channel, size_t from, size_t to);
double rms(const std::vector<float>& s, int channels, int channel, size_t from, size_t to);
double db(double ratio);

// The frame and value of the largest magnitude of one channel in [from, to).
std::pair<size_t, float> largest(const std::vector<float>& s, int channels, int channel,
                                 size_t from, size_t to);

// The frequency in [lo, hi] with the most energy in a series sampled at
// `rate` (mean removed, Hann window).
double dominantFrequency(const std::vector<double>& series, double rate, double lo, double hi);

}  // namespace fxtest
