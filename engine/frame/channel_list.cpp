#include "frame/channel_list.h"

#include "frame/library.h"
#include "graph/direct_show.h"

namespace nerla {

ChannelList& ChannelList::instance() {
    static ChannelList list;
    return list;
}

uint32_t ChannelList::add(std::unique_ptr<IDirectShow> channel) {
    const uint32_t handle = lastHandle_.fetch_add(1) + 1;
    channel->setHandle(handle);
    std::lock_guard guard(lock_);
    channels_.push_front(std::move(channel));
    return handle;
}

IDirectShow* ChannelList::find(uint32_t handle) {
    if (!Library::instance().initialised()) {
        setError(NERLA_ERROR_INIT);
        return nullptr;
    }
    {
        std::lock_guard guard(lock_);
        for (const auto& channel : channels_) {
            if (channel->handle() == handle) {
                return channel.get();
            }
        }
    }
    setError(NERLA_ERROR_HANDLE);
    return nullptr;
}

std::unique_ptr<IDirectShow> ChannelList::remove(uint32_t handle) {
    std::lock_guard guard(lock_);
    for (auto before = channels_.before_begin(), it = channels_.begin(); it != channels_.end();
         before = it++) {
        if ((*it)->handle() == handle) {
            std::unique_ptr<IDirectShow> channel = std::move(*it);
            channels_.erase_after(before);
            return channel;
        }
    }
    return nullptr;
}

void ChannelList::destroyAll() {
    // Channels are destroyed outside the lock: stopping a graph waits for its
    // streaming threads, which may be inside a call that looks a channel up.
    std::forward_list<std::unique_ptr<IDirectShow>> doomed;
    {
        std::lock_guard guard(lock_);
        doomed.swap(channels_);
    }
    while (!doomed.empty()) {
        doomed.pop_front();
    }
}

}  // namespace nerla
