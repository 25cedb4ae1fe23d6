// The live channels and their handles.
#pragma once

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <mutex>
#include <unordered_map>

namespace nerla {

class IDirectShow;
class ChannelList;

// A live channel that is not destroyed while this is held: freeing it
// waits. Empty when the handle was unknown.
class ChannelUse {
  public:
    ChannelUse() = default;
    ChannelUse(ChannelUse&& other) noexcept;
    ChannelUse& operator=(ChannelUse&& other) noexcept;
    ~ChannelUse() { release(); }

    IDirectShow* get() const { return channel_; }
    IDirectShow* operator->() const { return channel_; }
    explicit operator bool() const { return channel_ != nullptr; }

  private:
    friend class ChannelList;
    ChannelUse(ChannelList* list, IDirectShow* channel) : list_(list), channel_(channel) {}
    void release();

    ChannelList* list_ = nullptr;
    IDirectShow* channel_ = nullptr;
};

class ChannelList {
  public:
    static ChannelList& instance();

    // Gives the channel the next handle and links it at the head.
    uint32_t add(std::unique_ptr<IDirectShow> channel);
    // The live channel with this handle, or null with NERLA_ERROR_INIT /
    // NERLA_ERROR_HANDLE set. The channel is used without the lock.
    IDirectShow* find(uint32_t handle);
    // As find, and keeps the channel alive until the use is released.
    ChannelUse use(uint32_t handle);
    // Unlinks the channel and hands it to the caller (null when unknown)
    // once no use holds it.
    std::unique_ptr<IDirectShow> remove(uint32_t handle);
    // Destroys every channel, newest first.
    void destroyAll();

  private:
    friend class ChannelUse;
    ChannelList() = default;
    void release(IDirectShow* channel);
    // Waits, with `guard` on the lock, until no use holds the unlinked channel.
    void waitUnused(std::unique_lock<std::mutex>& guard, const IDirectShow* channel);

    std::mutex lock_;
    std::forward_list<std::unique_ptr<IDirectShow>> channels_;
    std::unordered_map<const IDirectShow*, int> uses_;  // guarded by lock_
    std::condition_variable released_;
    std::atomic<uint32_t> lastHandle_{132456};
};

}  // namespace nerla
