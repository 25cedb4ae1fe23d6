// Type 8: copies one channel of a 16-bit stereo stream onto the other.
// Mode 0 leaves buffers alone, 1 copies left onto right, any other value
// right onto left. After a format change to anything but 16-bit stereo,
// buffers pass unchanged.
#pragma once

#include <atomic>

#include "audio/base_fx.h"

namespace nerla {

class CChannelMix final : public CBaseFX {
  public:
    bool Init(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample,
              bool isFloat) override;
    void Reset(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample,
               bool isFloat) override;
    uint32_t Process(uint8_t* buffer, uint32_t length, uint32_t capacity) override;
    // NerlaChannelMixParameters
    void SetParameters(const void* parameters) override;
    void GetParameters(void* parameters) override;

  private:
    int32_t channels_ = 0;  // streaming thread
    int32_t bits_ = 0;
    std::atomic<int32_t> mode_{0};
};

}  // namespace nerla
