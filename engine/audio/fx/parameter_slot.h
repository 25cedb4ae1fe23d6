// An effect's parameter record, written by application threads and taken
// by the streaming thread without ever waiting: a writer holds the lock
// only to copy the record; the streaming thread only tries it and keeps
// its current record when the lock is busy, taking the new one next time.
#pragma once

#include <cstdint>
#include <mutex>

namespace nerla {

template <typename Record>
class ParameterSlot {
  public:
    explicit ParameterSlot(const Record& initial) : latest_(initial) {}

    void set(const Record& record) {
        std::lock_guard guard(lock_);
        latest_ = record;
        ++version_;
    }

    Record get() const {
        std::lock_guard guard(lock_);
        return latest_;
    }

    // Streaming thread: true with `record` filled when a newer record came
    // since the last take.
    bool take(Record& record) {
        if (!lock_.try_lock()) {
            return false;
        }
        const bool fresh = version_ != taken_;
        if (fresh) {
            record = latest_;
            taken_ = version_;
        }
        lock_.unlock();
        return fresh;
    }

  private:
    mutable std::mutex lock_;
    Record latest_;
    uint64_t version_ = 0;
    uint64_t taken_ = 0;
};

}  // namespace nerla
