#include "audio/levels.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "audio/audio_processor_state.h"
#include "audio/spectrum_analyser.h"
#include "frame/sample_convert.h"
#include "nerla.h"

namespace nerla {

namespace {

constexpr int64_t kTicksPerSecond = 10000000;
// Beyond a day apart the two times have nothing to do with each other.
constexpr int64_t kFarApart = 24 * 3600 * kTicksPerSecond;
constexpr uint32_t kLevelFrames = 2048;

}  // namespace

// The newest block starts `block` frames before the write position w; the
// play position lies `offset` frames after that start. A position past the
// newest block has no data yet; one already overwritten falls back to w,
// the oldest frame the ring holds. A read never passes the newest frame
// into data a second old. A window of `span` bytes that would run past the
// newest frame ends at it instead: a sink that plays everything it was
// given reports the end of it as its position.
PlayWindow::PlayWindow(const HistoryRing* ring, const WaveFormat& format, int64_t now100ns,
                       size_t span) {
    const int64_t blockAlign = int64_t{format.channels} * (format.bitsPerSample / 8);
    if (!ring || blockAlign == 0 || ring->bytes().empty()) {
        return;
    }
    const int64_t frames = ring->frames();
    const int64_t w = static_cast<int64_t>(ring->writePosition()) / blockAlign;
    const int64_t block = static_cast<int64_t>(ring->lastBlockBytes()) / blockAlign;
    const int64_t apart = std::clamp(now100ns - ring->lastBlockStart(), -kFarApart, kFarApart);
    const int64_t offset = apart * int64_t{format.samplesPerSec} / kTicksPerSecond;
    const auto spanFrames = static_cast<int64_t>((span + blockAlign - 1) / blockAlign);
    int64_t t = 0;
    if (spanFrames > 0 && block - offset < spanFrames && offset - block <= spanFrames) {
        t = w - std::min(spanFrames, frames);
    } else if (offset >= block) {
        return;
    } else {
        t = w - block + offset;
    }
    if (t < w - frames) {
        t = w;
    } else if (t < 0) {
        t += frames;
    }
    if (t >= frames) {
        t = 0;
    }
    const auto start = static_cast<size_t>(t * blockAlign);
    if (start >= ring->bytes().size()) {
        return;
    }
    frame_ = t;
    data_ = ring->bytes().data() + start;
    // Up to the newest frame, or from an older lap to the end of the ring.
    const size_t end = t < w ? ring->writePosition() : ring->bytes().size();
    available_ = end - start;
    if (t >= w) {
        continuation_ = ring->bytes().data();
        continued_ = ring->writePosition();
    }
}

PlayWindow PlayWindow::continuation() const {
    PlayWindow next;
    if (continuation_ && continued_ > 0) {
        next.data_ = continuation_;
        next.available_ = continued_;
        next.frame_ = 0;
    }
    return next;
}

uint32_t readPlain(const PlayWindow& window, void* buffer, uint32_t bytes) {
    const auto n = static_cast<uint32_t>(std::min<size_t>(bytes, window.available()));
    if (n > 0) {
        std::memcpy(buffer, window.data(), n);
    }
    return n;
}

uint32_t readFloats(const PlayWindow& window, const WaveFormat& format, float* buffer,
                    uint32_t bytes) {
    const int width = format.bitsPerSample / 8;
    if (width < 1 || width > 4 || (format.isFloat() && width != 4)) {
        return 0;
    }
    const size_t wanted = static_cast<size_t>(width) * (bytes / 4);
    const auto m = static_cast<uint32_t>(std::min(wanted, window.available()));
    if (m == 0) {
        return 0;
    }
    if (format.isFloat()) {
        std::memcpy(buffer, window.data(), m);
    } else {
        int2Float(window.data(), buffer, m / static_cast<uint32_t>(width), width);
    }
    return m;
}

// 20 ms of samples.
static uint32_t levelSamples(const WaveFormat& format) {
    return static_cast<uint32_t>(uint64_t{format.samplesPerSec} * format.channels / 50);
}

size_t levelBytes(const WaveFormat& format) {
    return size_t{levelSamples(format)} * (format.bitsPerSample / 8);
}

uint32_t levelWord(const PlayWindow& window, const WaveFormat& format) {
    const int width = format.bitsPerSample / 8;
    const uint32_t channels = format.channels;
    if (channels == 0 || width == 0) {
        return 0;
    }
    // On the 16-bit scale.
    const uint32_t wanted = levelSamples(format);
    std::vector<int16_t> samples(wanted);
    uint32_t count = 0;
    if (format.bitsPerSample == 16 && !format.isFloat()) {
        count = readPlain(window, samples.data(), wanted * 2) / 2;
    } else {
        std::vector<float> floats(wanted);
        count =
            readFloats(window, format, floats.data(), wanted * 4) / static_cast<uint32_t>(width);
        float2Int(floats.data(), samples.data(), count, 2);
    }
    const uint32_t frames = std::min(count / channels, kLevelFrames);
    int16_t left = 0;
    int16_t right = 0;
    for (uint32_t f = 0; f < frames; ++f) {
        left = std::max(left, samples[f * channels]);
        if (channels >= 2) {
            right = std::max(right, samples[f * channels + 1]);
        }
    }
    return static_cast<uint32_t>(left) | (static_cast<uint32_t>(right) << 16);
}

int spectrumPoints(int32_t request) {
    switch (static_cast<uint32_t>(request)) {
        case NERLA_DATA_FFT256:
            return 256;
        case NERLA_DATA_FFT512:
            return 512;
        case NERLA_DATA_FFT1024:
            return 1024;
        case NERLA_DATA_FFT2048:
            return 2048;
        default:
            return 0;
    }
}

int32_t readChannelData(const AudioProcessorState& state, int64_t now100ns, void* buffer,
                        int32_t request) {
    const auto code = static_cast<uint32_t>(request);
    if (const int n = spectrumPoints(request)) {
        // Samples not in the ring count as silence.
        std::vector<float> samples(static_cast<size_t>(n), 0.0f);
        // Samples cut off by the end of the ring go on at its start.
        state.withHistory([&](const HistoryRing* ring, const WaveFormat& format) {
            const int width = format.bitsPerSample / 8;
            const size_t span = static_cast<size_t>(n) * width;
            const PlayWindow window(ring, format, now100ns, span);
            const uint32_t taken =
                readFloats(window, format, samples.data(), static_cast<uint32_t>(n) * 4);
            if (width > 0 && taken < span) {
                const uint32_t got = taken / static_cast<uint32_t>(width);
                readFloats(window.continuation(), format, samples.data() + got,
                           (static_cast<uint32_t>(n) - got) * 4);
            }
        });
        SpectrumAnalyser(n).magnitudes(samples.data(), static_cast<float*>(buffer));
        return n;
    }
    uint32_t result = 0;
    if (code & NERLA_DATA_FLOAT) {
        state.withHistory([&](const HistoryRing* ring, const WaveFormat& format) {
            result = readFloats(PlayWindow(ring, format, now100ns), format,
                                static_cast<float*>(buffer), code & 0xFFFFu);
        });
    } else if (request > 0) {
        state.withHistory([&](const HistoryRing* ring, const WaveFormat& format) {
            result = readPlain(PlayWindow(ring, format, now100ns), buffer, code);
        });
    }
    return static_cast<int32_t>(result);
}

uint32_t readChannelLevel(const AudioProcessorState& state, int64_t now100ns) {
    uint32_t word = 0;
    state.withHistory([&](const HistoryRing* ring, const WaveFormat& format) {
        word = levelWord(PlayWindow(ring, format, now100ns, levelBytes(format)), format);
    });
    return word;
}

}  // namespace nerla
