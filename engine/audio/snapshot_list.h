// A list that the streaming thread walks without locks while other threads
// add and remove entries. Writers publish a new immutable snapshot under the
// list's lock; a reader holds the snapshot it took, so an entry removed
// meanwhile lives until the last walk that can see it has finished. Nobody
// waits for a walk, and a walk waits for nobody.
#pragma once

#include <atomic>
#include <memory>
#include <mutex>
#include <vector>

namespace nerla {

template <typename T>
class SnapshotList {
  public:
    using Entries = std::vector<std::shared_ptr<T>>;

    SnapshotList() : snapshot_(std::make_shared<const Entries>()) {}

    // Newest first.
    std::shared_ptr<const Entries> snapshot() const {
        return snapshot_.load(std::memory_order_acquire);
    }

    void pushFront(std::shared_ptr<T> entry) {
        std::lock_guard guard(lock_);
        auto next = std::make_shared<Entries>();
        const auto current = snapshot_.load();
        next->reserve(current->size() + 1);
        next->push_back(std::move(entry));
        next->insert(next->end(), current->begin(), current->end());
        snapshot_.store(std::move(next), std::memory_order_release);
    }

    // Removes the first entry for which match is true; false when none.
    template <typename Match>
    bool remove(Match&& match) {
        std::lock_guard guard(lock_);
        const auto current = snapshot_.load();
        auto next = std::make_shared<Entries>();
        bool removed = false;
        for (const auto& entry : *current) {
            if (!removed && match(*entry)) {
                removed = true;
            } else {
                next->push_back(entry);
            }
        }
        if (removed) {
            snapshot_.store(std::move(next), std::memory_order_release);
        }
        return removed;
    }

    template <typename Match>
    std::shared_ptr<T> find(Match&& match) const {
        for (const auto& entry : *snapshot()) {
            if (match(*entry)) {
                return entry;
            }
        }
        return nullptr;
    }

  private:
    std::mutex lock_;
    std::atomic<std::shared_ptr<const Entries>> snapshot_;
};

}  // namespace nerla
