// The attribute slides that are running, each owned here until it ends.
#pragma once

#include <cstddef>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace nerla {

class MEDIA_SLIDE;

class SlideRegistry {
  public:
    static SlideRegistry& instance();
    ~SlideRegistry();
    SlideRegistry(const SlideRegistry&) = delete;
    SlideRegistry& operator=(const SlideRegistry&) = delete;

    // Held while a slide is added and started: endAll waits for it.
    std::unique_lock<std::mutex> starting() { return std::unique_lock(startLock_); }
    void add(std::unique_ptr<MEDIA_SLIDE> slide);
    // The slide back to its own tick when it ends; null when the library
    // already ended it.
    std::unique_ptr<MEDIA_SLIDE> take(MEDIA_SLIDE* slide);
    // Ends every running slide without its callback and waits for ticks in
    // progress (the library stops).
    void endAll();
    size_t running() const;

  private:
    SlideRegistry();

    std::mutex startLock_;
    mutable std::mutex lock_;
    std::unordered_map<MEDIA_SLIDE*, std::unique_ptr<MEDIA_SLIDE>> slides_;
};

}  // namespace nerla
