// A channel's extra output windows: their renderer objects under window ids
// counted from 1024 and never given twice, the newest first.
#pragma once

#include <cstdint>
#include <forward_list>
#include <memory>
#include <mutex>

#include "nerla.h"
#include "video/renderer/video_renderer.h"

namespace nerla {

class ExtraWindowList {
  public:
    static constexpr uint32_t kFirstId = 1024;

    ExtraWindowList() = default;
    ExtraWindowList(const ExtraWindowList&) = delete;
    ExtraWindowList& operator=(const ExtraWindowList&) = delete;
    ~ExtraWindowList() { destroyAll(); }

    // Binds `renderer` to the whole of `window` and keeps it under the next id.
    uint32_t add(std::unique_ptr<IVideoRenderer2> renderer, NerlaWindow window);
    bool contains(uint32_t id);
    // The renderer object of `id` (used after the lock is released), or null.
    IVideoRenderer2* find(uint32_t id);
    // Unlinks the window and hands its renderer object over (null when unknown).
    std::unique_ptr<IVideoRenderer2> remove(uint32_t id);
    // Destroys every renderer object.
    void destroyAll();

  private:
    struct Entry {
        uint32_t id;
        std::unique_ptr<IVideoRenderer2> renderer;
    };

    std::mutex lock_;
    std::forward_list<Entry> entries_;
    uint32_t nextId_ = kFirstId;
};

}  // namespace nerla
