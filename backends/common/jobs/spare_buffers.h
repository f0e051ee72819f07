// Buffers of small files already written, kept for the next ones: a buffer freed on another
// thread than the one that made it costs more than one reused.
#pragma once
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <vector>

namespace quorvex6::backend::jobs {

class SpareBuffers {
  public:
    static constexpr size_t kMaxKept = 64;
    static constexpr size_t kMaxBytes = 64 << 10;  // a larger buffer is let go of

    // An empty buffer, with room from an earlier file when one is kept.
    std::vector<uint8_t> Take() {
        std::lock_guard lock(mutex_);
        if (kept_.empty()) return {};
        std::vector<uint8_t> buffer = std::move(kept_.back());
        kept_.pop_back();
        return buffer;
    }
    void Give(std::vector<uint8_t>& buffer) {
        if (buffer.capacity() > kMaxBytes) return;
        buffer.clear();
        std::lock_guard lock(mutex_);
        if (kept_.size() < kMaxKept) kept_.push_back(std::move(buffer));
    }

  private:
    std::mutex mutex_;
    std::vector<std::vector<uint8_t>> kept_;
};

}  // namespace quorvex6::backend::jobs
