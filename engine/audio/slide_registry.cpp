#include "audio/slide_registry.h"

#include <vector>

#include "audio/attribute_slide.h"
#include "frame/channel_list.h"
#include "frame/library.h"

namespace nerla {

SlideRegistry& SlideRegistry::instance() {
    static SlideRegistry registry;
    return registry;
}

// Ticks look channels up: what they use is made first and so outlives this.
SlideRegistry::SlideRegistry() {
    Library::instance();
    ChannelList::instance();
}

SlideRegistry::~SlideRegistry() {
    endAll();
}

void SlideRegistry::add(std::unique_ptr<MEDIA_SLIDE> slide) {
    std::lock_guard guard(lock_);
    MEDIA_SLIDE* key = slide.get();
    slides_.emplace(key, std::move(slide));
}

std::unique_ptr<MEDIA_SLIDE> SlideRegistry::take(MEDIA_SLIDE* slide) {
    std::lock_guard guard(lock_);
    const auto it = slides_.find(slide);
    if (it == slides_.end()) {
        return nullptr;
    }
    std::unique_ptr<MEDIA_SLIDE> owned = std::move(it->second);
    slides_.erase(it);
    return owned;
}

void SlideRegistry::endAll() {
    std::lock_guard start(startLock_);
    std::vector<std::unique_ptr<MEDIA_SLIDE>> ending;
    {
        std::lock_guard guard(lock_);
        for (auto& [key, slide] : slides_) {
            ending.push_back(std::move(slide));
        }
        slides_.clear();
    }
    // Stopping waits for a tick in progress, outside the lock: that tick may
    // be taking itself out.
    for (auto& slide : ending) {
        slide->timer().Stop();
    }
}

size_t SlideRegistry::running() const {
    std::lock_guard guard(lock_);
    return slides_.size();
}

}  // namespace nerla
