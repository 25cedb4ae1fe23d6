// What Nerla_ChannelGetData and Nerla_ChannelGetLevel read: the history
// ring from the play position on, located from the start time of the last
// block written and the processor's running time now.
#pragma once

#include <cstddef>
#include <cstdint>

#include "audio/history_ring.h"
#include "audio/wave_format.h"

namespace nerla {

class AudioProcessorState;

// The ring from the play position on, up to the newest frame or, for a
// position in the previous lap, to the end of the ring; reads never wrap.
// A read of a fixed `span` of bytes (a spectrum, a level) that would pass
// the newest frame takes the newest `span` bytes.
class PlayWindow {
  public:
    PlayWindow(const HistoryRing* ring, const WaveFormat& format, int64_t now100ns,
               size_t span = 0);

    const uint8_t* data() const { return data_; }
    size_t available() const { return available_; }
    // The frame of the ring at the play position, or -1 without one.
    int64_t frame() const { return frame_; }
    // For a window that runs to the end of the ring from an older lap: the
    // newer frames from the ring's start on, where the stream goes on.
    PlayWindow continuation() const;

  private:
    PlayWindow() = default;

    const uint8_t* data_ = nullptr;
    size_t available_ = 0;
    int64_t frame_ = -1;
    const uint8_t* continuation_ = nullptr;
    size_t continued_ = 0;
};

// Up to `bytes` of the stream's own samples; the bytes copied.
uint32_t readPlain(const PlayWindow& window, void* buffer, uint32_t bytes);
// Up to bytes / 4 samples as floats; the bytes taken from the ring.
uint32_t readFloats(const PlayWindow& window, const WaveFormat& format, float* buffer,
                    uint32_t bytes);
// Peaks of the first two channels over the 20 ms at the play position, on
// the 16-bit scale: left (or mono) in the low word, right in the high word.
uint32_t levelWord(const PlayWindow& window, const WaveFormat& format);
// The bytes of the 20 ms a level reads.
size_t levelBytes(const WaveFormat& format);

// 256, 512, 1024 or 2048 for a spectrum request, else 0.
int spectrumPoints(int32_t request);

// A whole request of Nerla_ChannelGetData, its result.
int32_t readChannelData(const AudioProcessorState& state, int64_t now100ns, void* buffer,
                        int32_t request);
uint32_t readChannelLevel(const AudioProcessorState& state, int64_t now100ns);

}  // namespace nerla
