// A buffer of the stream's own samples seen as interleaved floats: 32-bit
// float streams in place, integer streams (8, 16, 24 packed or 32 bits)
// through a scratch buffer that is kept between buffers.
#pragma once

#include <cstdint>
#include <vector>

namespace nerla {

class SampleBlock {
  public:
    // False for a format the effects cannot read.
    static bool supported(int32_t channels, int32_t bitsPerSample, bool isFloat);

    // Takes the format; reserves room for `reserveFrames` frames.
    void configure(int32_t channels, int32_t bitsPerSample, bool isFloat, uint32_t reserveFrames);

    // The whole frames of `length` bytes at `data` as floats; `frames` gets
    // their count. store() writes them back.
    float* load(uint8_t* data, uint32_t length, uint32_t& frames);
    void store(uint8_t* data, uint32_t frames);

  private:
    int32_t channels_ = 0;
    int bytes_ = 0;
    bool float_ = false;
    bool inPlace_ = false;
    std::vector<float> scratch_;
};

}  // namespace nerla
