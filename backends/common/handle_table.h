// Archive handles for the open/find/close calls: small nonzero integers (the lowest free one),
// never pointers, so that they fit the 32-bit handle the control keeps.
#pragma once
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>

namespace quorvex6::backend {

template <class T>
class HandleTable {
  public:
    static constexpr uint32_t kMaxHandles = 4096;

    uint32_t Add(std::unique_ptr<T> item) {
        std::lock_guard lock(mutex_);
        uint32_t handle = 1;
        for (const auto& [h, _] : items_) {
            if (h != handle) break;
            ++handle;
        }
        if (handle > kMaxHandles) return 0;
        items_.emplace(handle, std::move(item));
        return handle;
    }

    // The item stays owned by the table; callers use it on the thread that opened it.
    T* Get(uint32_t handle) {
        std::lock_guard lock(mutex_);
        auto it = items_.find(handle);
        return it == items_.end() ? nullptr : it->second.get();
    }

    bool Remove(uint32_t handle) {
        std::unique_ptr<T> doomed;
        std::lock_guard lock(mutex_);
        auto it = items_.find(handle);
        if (it == items_.end()) return false;
        doomed = std::move(it->second);
        items_.erase(it);
        return true;
    }

  private:
    std::mutex mutex_;
    std::map<uint32_t, std::unique_ptr<T>> items_;
};

}  // namespace quorvex6::backend
