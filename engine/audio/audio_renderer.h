// The audio renderer objects of a channel.
#pragma once

#include <gst/gst.h>

#include <cstdint>

#include "nerla.h"

namespace nerla {

class IDirectShow;

class IAudioRenderer2 {
  public:
    virtual ~IAudioRenderer2() = default;
    // Adds the renderer's elements to the channel's pipeline; false when the
    // renderer cannot work here.
    virtual bool AttachToGraph(IDirectShow& channel, int32_t choice) = 0;
    // After rendering: true when decoded audio reaches the renderer.
    virtual bool VerifyConnection(IDirectShow& channel, GstPad* upstream) = 0;
    // Format of the audio the renderer receives; false when not connected.
    virtual bool QueryAudioInfo(NerlaChannelInfo& info) = 0;
    // Lets the renderer follow the pipeline's state once audio is linked to it.
    virtual void Activate() = 0;
    // The pad decoded audio is linked to.
    virtual GstPad* sinkPad() = 0;
    // Takes the renderer's elements out of the pipeline.
    virtual void Destroy() = 0;

    // Volume in percent 1..100 and balance -10000..10000 (hundredths of a
    // decibel taken off the other side); setters give false when there is
    // nothing to set.
    virtual int32_t GetVolume() const = 0;
    virtual bool SetVolume(int32_t volume) = 0;
    virtual int32_t GetPan() const = 0;
    virtual bool SetPan(int32_t balance) = 0;
};

}  // namespace nerla
