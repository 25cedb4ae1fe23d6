#include "video/renderer/extra_window_list.h"

#include <utility>

namespace nerla {

uint32_t ExtraWindowList::add(std::unique_ptr<IVideoRenderer2> renderer, NerlaWindow window) {
    std::lock_guard guard(lock_);
    renderer->BindWindow(window, nullptr);
    const uint32_t id = nextId_++;
    entries_.push_front(Entry{id, std::move(renderer)});
    return id;
}

bool ExtraWindowList::contains(uint32_t id) {
    return find(id) != nullptr;
}

IVideoRenderer2* ExtraWindowList::find(uint32_t id) {
    std::lock_guard guard(lock_);
    for (const Entry& entry : entries_) {
        if (entry.id == id) {
            return entry.renderer.get();
        }
    }
    return nullptr;
}

std::unique_ptr<IVideoRenderer2> ExtraWindowList::remove(uint32_t id) {
    std::lock_guard guard(lock_);
    std::unique_ptr<IVideoRenderer2> found;
    entries_.remove_if([&](Entry& entry) {
        if (entry.id != id) {
            return false;
        }
        found = std::move(entry.renderer);
        return true;
    });
    return found;
}

void ExtraWindowList::destroyAll() {
    std::lock_guard guard(lock_);
    for (Entry& entry : entries_) {
        entry.renderer->Destroy();
    }
    entries_.clear();
}

}  // namespace nerla
