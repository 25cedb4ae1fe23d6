// The interfaces the audio-effects window holds its sample processors by.
#pragma once

#include <cstdint>
#include <functional>

namespace corvane::dsp {

// Runs the user interface's pending messages between chunks.
using TProcessMessagesHook = std::function<void()>;

constexpr int kMaxChannels = 10;

// Both processors work in place on interleaved PCM: Bits 8 (unsigned),
// 16, 24 (packed) or 32 (integer, or IEEE float when Float is set).
class IDCSampleProcessor {
  public:
    virtual ~IDCSampleProcessor() = default;
    virtual void Process(void* buffer, int size, int bits, int channels, bool isFloat) = 0;
    virtual bool Enabled() const = 0;
    virtual void SetEnabled(bool enabled) = 0;
    virtual bool Seperate() const = 0;
    virtual void SetSeperate(bool seperate) = 0;
    virtual bool ProcessMessages() const = 0;
    virtual void SetProcessMessages(bool processMessages) = 0;
    virtual int SampleSize() const = 0;
    virtual void SetSampleSize(int frames) = 0;
    virtual void SetProcessMessagesHook(TProcessMessagesHook hook) = 0;
};

class IDCEqualizer : public virtual IDCSampleProcessor {
  public:
    virtual void SetBand(uint8_t channel, uint16_t index, int8_t amp) = 0;
    virtual int GetBand(uint8_t channel, uint16_t index) const = 0;
    virtual void Flush() = 0;
};

class IDCAmplify : public virtual IDCSampleProcessor {
  public:
    virtual void SetVolume(uint8_t channel, int volume) = 0;
    virtual int GetVolume(uint8_t channel) const = 0;
};

}  // namespace corvane::dsp
