// Attribute slides: an attribute moved one unit per tick of a media timer
// of its own until it reaches its target.
#pragma once

#include <cstdint>

#include "graph/media_timer.h"
#include "nerla.h"

namespace nerla {

// How a slide reads and sets its attribute.
struct AttributeAccess {
    int32_t (*set)(NerlaHandle channel, int32_t attribute, float value);
    float (*get)(NerlaHandle channel, int32_t attribute);
};

// What every slide has: the completion callback and the timer that drives it.
class MEDIA_SLIDE {
  public:
    MEDIA_SLIDE(NerlaSyncProc callback, void* user) : callback_(callback), user_(user) {}
    virtual ~MEDIA_SLIDE() = default;
    MEDIA_SLIDE(const MEDIA_SLIDE&) = delete;
    MEDIA_SLIDE& operator=(const MEDIA_SLIDE&) = delete;

    IWinMediaTimer& timer() { return timer_; }

  protected:
    NerlaSyncProc callback_;
    void* user_;
    IWinMediaTimer timer_;
};

class MEDIA_SLIDE_Audio final : public MEDIA_SLIDE {
  public:
    MEDIA_SLIDE_Audio(NerlaHandle channel, int32_t attribute, float target, float timeMs,
                      NerlaSyncProc callback, void* user, const AttributeAccess& access);

    // Reads the start value and starts the timer; false when the timer
    // refuses the period (the slide then never ticks).
    bool Start();
    float period() const { return period_; }

  private:
    static void Tick(void* self);

    const AttributeAccess access_;
    const NerlaHandle channel_;
    const int32_t attribute_;
    float current_ = 0.0f;
    const float target_;
    const float time_;
    int32_t direction_ = 0;  // 0 upward, 1 downward
    float step_ = 1.0f;
    float period_ = 0.0f;  // milliseconds
};

// Starts a slide of `attribute` to `target` over `timeMs`: 1, also when the
// timer refuses the period (such a slide never ticks and never calls back).
int32_t startSlide(NerlaHandle channel, int32_t attribute, float target, float timeMs,
                   NerlaSyncProc callback, void* user, const AttributeAccess& access);

}  // namespace nerla
