// A built-in effect of a channel's effect chain.
#pragma once

#include <cstdint>

namespace nerla {

class CBaseFX {
  public:
    virtual ~CBaseFX() = default;

    // Prepares for the format; false refuses it.
    virtual bool Init(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample,
                      bool isFloat) = 0;
    // The format changed mid-stream.
    virtual void Reset(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample,
                       bool isFloat) = 0;
    // Processes `length` bytes in place within `capacity`; the new length.
    virtual uint32_t Process(uint8_t* buffer, uint32_t length, uint32_t capacity) = 0;
    // The effect's own parameter record; called while Process may run.
    virtual void SetParameters(const void* parameters) = 0;
    virtual void GetParameters(void* parameters) = 0;

    uint32_t handle() const { return handle_; }
    void setHandle(uint32_t handle) { handle_ = handle; }

  private:
    uint32_t handle_ = 0;
};

}  // namespace nerla
