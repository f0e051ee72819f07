#include "common/byte_pipe.h"

#include <algorithm>

namespace quorvex6::backend {

bool BytePipe::Push(const uint8_t* data, size_t size) {
    while (size > 0) {
        std::unique_lock lock(mutex_);
        changed_.wait(lock, [&] { return failed_ || bytes_.size() < kCapacity; });
        if (failed_) return false;
        size_t n = std::min(size, kCapacity - bytes_.size());
        bytes_.insert(bytes_.end(), data, data + n);
        data += n;
        size -= n;
        changed_.notify_all();
    }
    return true;
}

size_t BytePipe::Pull(uint8_t* data, size_t size) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || closed_ || !bytes_.empty(); });
    if (failed_) return 0;
    size_t n = std::min(size, bytes_.size());
    std::copy_n(bytes_.begin(), n, data);
    bytes_.erase(bytes_.begin(), bytes_.begin() + static_cast<std::ptrdiff_t>(n));
    changed_.notify_all();
    return n;
}

void BytePipe::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

void BytePipe::Fail() {
    std::lock_guard lock(mutex_);
    failed_ = true;
    changed_.notify_all();
}

}  // namespace quorvex6::backend
