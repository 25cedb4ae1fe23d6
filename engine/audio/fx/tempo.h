// Type 7: tempo, pitch and rate through SoundTouch, on mono and stereo
// streams. Tempo 1 with pitch 0 leaves buffers alone whatever the rate.
// A buffer never grows: with a slower tempo or a lower rate the surplus
// waits inside SoundTouch, up to a few seconds of it.
// Parameters reach SoundTouch on the streaming thread, before the next
// buffer, so SoundTouch is only ever called from one thread at a time.
#pragma once

#include <memory>
#include <mutex>
#include <vector>

#include "audio/base_fx.h"

namespace soundtouch {
class SoundTouch;
}

namespace nerla {

class CTempo final : public CBaseFX {
  public:
    CTempo();
    ~CTempo() override;

    bool Init(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample,
              bool isFloat) override;
    void Reset(int32_t samplesPerSec, int32_t channels, int32_t bitsPerSample,
               bool isFloat) override;
    uint32_t Process(uint8_t* buffer, uint32_t length, uint32_t capacity) override;
    // NerlaTempoParameters
    void SetParameters(const void* parameters) override;
    void GetParameters(void* parameters) override;

  private:
    struct Values {
        double tempo = 1.0;
        double pitch = 0.0;
        double rate = 1.0;
    };

    void takeValues();
    uint32_t stretch(uint8_t* buffer, uint32_t length);

    std::unique_ptr<soundtouch::SoundTouch> touch_;
    int32_t bits_ = 0;
    bool isFloat_ = false;
    int32_t channels_ = 0;

    std::mutex lock_;  // latest_, pending_
    Values latest_;
    bool pending_ = false;
    Values applied_;  // streaming thread
    std::vector<float> scratch_;
    uint32_t backlog_ = 0;  // frames
};

}  // namespace nerla
