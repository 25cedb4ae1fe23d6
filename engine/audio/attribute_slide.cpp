#include "audio/attribute_slide.h"

#include <memory>

#include "audio/slide_registry.h"
#include "frame/library.h"
#include "frame/log.h"

#define GST_CAT_DEFAULT nerla_audio_debug

namespace nerla {
namespace {

// Whole milliseconds toward zero; 0 (refused by the timer) for a period that
// is not a number or beyond any the timer takes.
uint32_t timerPeriod(float period) {
    if (!(period >= 0.0f) || period >= 4294967296.0f) {
        return 0;
    }
    return static_cast<uint32_t>(period);
}

}  // namespace

MEDIA_SLIDE_Audio::MEDIA_SLIDE_Audio(NerlaHandle channel, int32_t attribute, float target,
                                     float timeMs, NerlaSyncProc callback, void* user,
                                     const AttributeAccess& access)
    : MEDIA_SLIDE(callback, user),
      access_(access),
      channel_(channel),
      attribute_(attribute),
      target_(target),
      time_(timeMs) {}

bool MEDIA_SLIDE_Audio::Start() {
    current_ = access_.get(channel_, attribute_);
    double distance = 0.0;
    if (target_ > current_) {
        direction_ = 0;
        step_ = 1.0f;
        distance = static_cast<double>(target_) - current_;
    } else {
        direction_ = 1;
        step_ = -1.0f;
        distance = static_cast<double>(current_) - target_;
    }
    period_ = static_cast<float>(static_cast<double>(time_) / distance);
    timer_.SetCallback(&MEDIA_SLIDE_Audio::Tick, this);
    return timer_.Start(timerPeriod(period_)) == 1;
}

// On the slide's timer thread; the last tick ends the slide.
void MEDIA_SLIDE_Audio::Tick(void* self) {
    auto* slide = static_cast<MEDIA_SLIDE_Audio*>(self);
    slide->access_.set(slide->channel_, slide->attribute_, slide->current_ + slide->step_);
    slide->current_ += slide->step_;
    const bool ended = slide->direction_ == 0 ? slide->current_ >= slide->target_
                                              : slide->current_ <= slide->target_;
    if (!ended) {
        return;
    }
    std::unique_ptr<MEDIA_SLIDE> owned = SlideRegistry::instance().take(slide);
    if (!owned) {
        return;  // the library is ending it and waits for this tick
    }
    slide->timer_.Stop();
    if (slide->callback_) {
        slide->callback_(slide->channel_, NERLA_SYNC_SLIDE, 0,
                         reinterpret_cast<uintptr_t>(slide->user_));
    }
    // The timer goes with the record; nothing of the slide is touched after.
}

int32_t startSlide(NerlaHandle channel, int32_t attribute, float target, float timeMs,
                   NerlaSyncProc callback, void* user, const AttributeAccess& access) {
    auto slide = std::make_unique<MEDIA_SLIDE_Audio>(channel, attribute, target, timeMs, callback,
                                                     user, access);
    MEDIA_SLIDE_Audio* started = slide.get();
    SlideRegistry& registry = SlideRegistry::instance();
    {
        // Registered before the first tick can end it.
        const auto guard = registry.starting();
        registry.add(std::move(slide));
        bool ticking = false;
        try {
            ticking = started->Start();
        } catch (...) {
            registry.take(started);  // no thread for its timer
            throw;
        }
        if (!ticking) {
            // It would never tick: its record goes now.
            GST_DEBUG("slide of attribute %d on channel %u: period %f ms refused", attribute,
                      channel, static_cast<double>(started->period()));
            registry.take(started);
        }
    }
    setError(NERLA_OK);
    return 1;
}

}  // namespace nerla
