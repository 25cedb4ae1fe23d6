// A float effect driven by one parameter record: records out of range are
// refused whole; an accepted record reaches the streaming thread at the
// start of the next buffer.
#pragma once

#include <cstring>

#include "audio/fx/float_fx.h"
#include "audio/fx/parameter_slot.h"

namespace nerla {

// True for lo <= value <= hi (never for NaN).
inline bool within(float value, float lo, float hi) {
    return value >= lo && value <= hi;
}

template <typename Record>
class CRecordFX : public CFloatFX {
  public:
    void SetParameters(const void* parameters) final {
        if (!parameters) {
            return;
        }
        Record record;
        std::memcpy(&record, parameters, sizeof record);
        if (!accept(record)) {
            logRefusedParameters(name(), handle());
            return;
        }
        slot_.set(record);
    }

    void GetParameters(void* parameters) final {
        if (!parameters) {
            return;
        }
        Record record = slot_.get();
        report(record);
        std::memcpy(parameters, &record, sizeof record);
    }

  protected:
    explicit CRecordFX(const Record& defaults) : slot_(defaults), params_(defaults) {}

    virtual const char* name() const = 0;
    virtual bool accept(const Record& record) const = 0;
    // Adjusts a record read back to what the effect uses.
    virtual void report(Record& /*record*/) const {}
    // Derives the working values from params() for stream().
    virtual void configure() = 0;

    const Record& params() const { return params_; }

  private:
    void refresh(bool force) final {
        if (slot_.take(params_) || force) {
            configure();
        }
    }

    ParameterSlot<Record> slot_;
    Record params_;  // streaming thread
};

}  // namespace nerla
