// What the equaliser and the amplifier share: the switches and the chunking.
#pragma once

#include <cstdint>
#include <functional>

#include "dspInterfaces.h"

namespace corvane::dsp {

class TDCSampleProcessor : public virtual IDCSampleProcessor {
  public:
    bool Enabled() const override { return fEnabled; }
    void SetEnabled(bool enabled) override { fEnabled = enabled; }
    bool Seperate() const override { return fSeperate; }
    void SetSeperate(bool seperate) override { fSeperate = seperate; }
    bool ProcessMessages() const override { return fProcessMessages; }
    void SetProcessMessages(bool processMessages) override { fProcessMessages = processMessages; }
    int SampleSize() const override { return fSampleSize; }
    void SetSampleSize(int frames) override { fSampleSize = frames; }
    void SetProcessMessagesHook(TProcessMessagesHook hook) override { fHook = std::move(hook); }

  protected:
    // Cuts the buffer into chunks of SampleSize frames (0: one chunk) and
    // calls chunk(bytes, frames) on each, running the hook in between.
    void ForEachChunk(void* buffer, int size, int bits, int channels,
                      const std::function<void(uint8_t*, int)>& chunk);

    static bool ValidFormat(int bits, int channels) {
        return (bits == 8 || bits == 16 || bits == 24 || bits == 32) && channels > 0;
    }

    bool fSeperate = false;
    bool fEnabled = false;
    bool fProcessMessages = false;
    int fSampleSize = 8192;

  private:
    TProcessMessagesHook fHook;
};

}  // namespace corvane::dsp
