#include "common/byte_pipe.h"

#include <algorithm>

namespace quorvex6::backend {

bool BytePipe::Push(const uint8_t* data, size_t size) {
    if (size == 0) return true;
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || waiting_ < kCapacity; });
    if (failed_) return false;
    chunks_.emplace_back(data, data + size);
    waiting_ += size;
    changed_.notify_all();
    return true;
}

std::ptrdiff_t BytePipe::Pull(uint8_t* data, size_t size) {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return failed_ || closed_ || waiting_ > 0; });
    if (failed_ || (broken_ && waiting_ == 0)) return -1;
    size_t done = 0;
    while (done < size && !chunks_.empty()) {
        const std::vector<uint8_t>& front = chunks_.front();
        size_t n = std::min(size - done, front.size() - front_used_);
        std::copy_n(front.data() + front_used_, n, data + done);
        done += n;
        front_used_ += n;
        if (front_used_ == front.size()) {
            chunks_.pop_front();
            front_used_ = 0;
        }
    }
    waiting_ -= done;
    changed_.notify_all();
    return static_cast<std::ptrdiff_t>(done);
}

void BytePipe::Close() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    changed_.notify_all();
}

void BytePipe::Break() {
    std::lock_guard lock(mutex_);
    closed_ = true;
    broken_ = true;
    changed_.notify_all();
}

void BytePipe::Fail() {
    std::lock_guard lock(mutex_);
    failed_ = true;
    changed_.notify_all();
}

}  // namespace quorvex6::backend
