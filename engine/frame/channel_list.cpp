#include "frame/channel_list.h"

#include <utility>

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

ChannelUse ChannelList::use(uint32_t handle) {
    if (!Library::instance().initialised()) {
        setError(NERLA_ERROR_INIT);
        return {};
    }
    {
        std::lock_guard guard(lock_);
        for (const auto& channel : channels_) {
            if (channel->handle() == handle) {
                ++uses_[channel.get()];
                return ChannelUse(this, channel.get());
            }
        }
    }
    setError(NERLA_ERROR_HANDLE);
    return {};
}

void ChannelList::release(IDirectShow* channel) {
    {
        std::lock_guard guard(lock_);
        const auto it = uses_.find(channel);
        if (it == uses_.end() || --it->second > 0) {
            return;
        }
        uses_.erase(it);
    }
    released_.notify_all();
}

void ChannelList::waitUnused(std::unique_lock<std::mutex>& guard, const IDirectShow* channel) {
    released_.wait(guard, [&] { return uses_.find(channel) == uses_.end(); });
}

std::unique_ptr<IDirectShow> ChannelList::remove(uint32_t handle) {
    std::unique_lock guard(lock_);
    for (auto before = channels_.before_begin(), it = channels_.begin(); it != channels_.end();
         before = it++) {
        if ((*it)->handle() == handle) {
            std::unique_ptr<IDirectShow> channel = std::move(*it);
            channels_.erase_after(before);
            waitUnused(guard, channel.get());
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
        std::unique_lock guard(lock_);
        doomed.swap(channels_);
        for (const auto& channel : doomed) {
            waitUnused(guard, channel.get());
        }
    }
    while (!doomed.empty()) {
        doomed.pop_front();
    }
}

ChannelUse::ChannelUse(ChannelUse&& other) noexcept
    : list_(std::exchange(other.list_, nullptr)),
      channel_(std::exchange(other.channel_, nullptr)) {}

ChannelUse& ChannelUse::operator=(ChannelUse&& other) noexcept {
    if (this != &other) {
        release();
        list_ = std::exchange(other.list_, nullptr);
        channel_ = std::exchange(other.channel_, nullptr);
    }
    return *this;
}

void ChannelUse::release() {
    if (list_ && channel_) {
        list_->release(channel_);
    }
    list_ = nullptr;
    channel_ = nullptr;
}

}  // namespace nerla
