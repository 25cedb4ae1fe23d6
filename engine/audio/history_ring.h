// One second of the processed stream, with the start time of the newest
// block; read by the level and data queries.
#pragma once

#include <cstdint>
#include <vector>

#include "audio/wave_format.h"

namespace nerla {

class HistoryRing {
  public:
    explicit HistoryRing(const WaveFormat& format)
        : bytes_(format.avgBytesPerSec), frames_(static_cast<int32_t>(format.samplesPerSec)) {}

    // Writes n bytes, wrapping at the end; a block longer than the ring
    // keeps its first ring-size bytes after the wrap.
    void write(const uint8_t* data, size_t n, int64_t start100ns);

    const std::vector<uint8_t>& bytes() const { return bytes_; }
    size_t writePosition() const { return position_; }
    int32_t frames() const { return frames_; }
    int64_t lastBlockStart() const { return lastStart_; }
    // Bytes of the newest block that the ring holds.
    size_t lastBlockBytes() const { return lastBytes_; }

  private:
    std::vector<uint8_t> bytes_;
    int32_t frames_;
    size_t position_ = 0;
    int64_t lastStart_ = 0;
    size_t lastBytes_ = 0;
};

}  // namespace nerla
