// The live channels and their handles.
#pragma once

#include <atomic>
#include <cstdint>
#include <forward_list>
#include <memory>
#include <mutex>

namespace nerla {

class IDirectShow;

class ChannelList {
  public:
    static ChannelList& instance();

    // Gives the channel the next handle and links it at the head.
    uint32_t add(std::unique_ptr<IDirectShow> channel);
    // The live channel with this handle, or null with NERLA_ERROR_INIT /
    // NERLA_ERROR_HANDLE set. The channel is used without the lock.
    IDirectShow* find(uint32_t handle);
    // Unlinks the channel and hands it to the caller (null when unknown).
    std::unique_ptr<IDirectShow> remove(uint32_t handle);
    // Destroys every channel, newest first.
    void destroyAll();

  private:
    ChannelList() = default;

    std::mutex lock_;
    std::forward_list<std::unique_ptr<IDirectShow>> channels_;
    std::atomic<uint32_t> lastHandle_{132456};
};

}  // namespace nerla
