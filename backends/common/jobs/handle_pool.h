// Handles that work running on any thread takes one at a time (an archive read through its own
// read-ahead buffer, say): one is made only when every other is in use, so there are never more
// than pieces of work running at once.
#pragma once
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace quorvex6::backend::jobs {

template <class Handle>
class HandlePool {
  public:
    using Make = std::function<std::unique_ptr<Handle>()>;

    // Gives its handle back to the pool when it ends.
    class Lease {
      public:
        Lease(HandlePool& pool, std::unique_ptr<Handle> handle)
            : pool_(pool), handle_(std::move(handle)) {}
        ~Lease() { pool_.Return(std::move(handle_)); }
        Lease(const Lease&) = delete;
        Lease& operator=(const Lease&) = delete;
        Handle& operator*() const { return *handle_; }

      private:
        HandlePool& pool_;
        std::unique_ptr<Handle> handle_;
    };

    explicit HandlePool(Make make) : make_(std::move(make)) {}

    Lease Take() {
        {
            std::lock_guard lock(mutex_);
            if (!free_.empty()) {
                std::unique_ptr<Handle> handle = std::move(free_.back());
                free_.pop_back();
                return Lease(*this, std::move(handle));
            }
        }
        return Lease(*this, make_());
    }

  private:
    void Return(std::unique_ptr<Handle> handle) {
        if (!handle) return;
        std::lock_guard lock(mutex_);
        free_.push_back(std::move(handle));
    }

    Make make_;
    std::mutex mutex_;
    std::vector<std::unique_ptr<Handle>> free_;
};

}  // namespace quorvex6::backend::jobs
