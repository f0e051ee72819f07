#include "common/byte_pipe.h"

#include <algorithm>
#include <cstring>

namespace quorvex6::backend {

template <class Ready>
void BytePipe::WaitFor(std::unique_lock<std::mutex>& lock, Ready ready) {
    while (!ready()) {
        if (idle_work_ != nullptr) {
            IdleWork* work = idle_work_;
            ++helping_;
            lock.unlock();
            const bool did = work->RunOne();
            lock.lock();
            if (--helping_ == 0 && withdrawing_) changed_.notify_all();
            // The other side may have moved while the lock was free; its wake-up is gone.
            if (did || ready()) continue;
        }
        changed_.wait(lock);
    }
}

void BytePipe::ShareIdleTime(IdleWork* work) {
    std::unique_lock lock(mutex_);
    idle_work_ = work;
    withdrawing_ = true;
    changed_.wait(lock, [&] { return helping_ == 0; });
    withdrawing_ = false;
}

bool BytePipe::Push(const uint8_t* data, size_t size) {
    if (size == 0) return true;
    std::memcpy(Room(size), data, size);
    return Commit(size);
}

uint8_t* BytePipe::Room(size_t size) {
    if (room_.size() < size) {
        std::lock_guard lock(mutex_);
        if (!spares_.empty()) {
            room_ = std::move(spares_.back());
            spares_.pop_back();
        }
    }
    if (room_.size() < size) room_.resize(size);
    return room_.data();
}

bool BytePipe::Commit(size_t size) {
    if (size == 0) return true;
    std::unique_lock lock(mutex_);
    WaitFor(lock, [&] { return failed_ || (waiting_ < kCapacity && pieces_.size() < kMaxPieces); });
    if (failed_) return false;
    if (size >= room_.size() / 2) {
        pieces_.push_back(Piece{std::move(room_), size});
        room_ = {};
    } else {
        // A short piece (the end of a gzip member, say) gets memory of its size, so that the
        // memory held stays near the bytes waiting however short the pieces are.
        pieces_.push_back(Piece{
            std::vector<uint8_t>(room_.begin(), room_.begin() + static_cast<std::ptrdiff_t>(size)),
            size});
    }
    waiting_ += size;
    changed_.notify_all();
    return true;
}

std::ptrdiff_t BytePipe::Pull(uint8_t* data, size_t size) {
    std::unique_lock lock(mutex_);
    WaitFor(lock, [&] { return failed_ || closed_ || waiting_ > 0; });
    if (failed_ || (broken_ && waiting_ == 0)) return -1;
    size_t done = 0;
    while (done < size && !pieces_.empty()) {
        Piece& front = pieces_.front();
        size_t n = std::min(size - done, front.size - front_used_);
        std::copy_n(front.bytes.data() + front_used_, n, data + done);
        done += n;
        front_used_ += n;
        if (front_used_ == front.size) {
            if (spares_.size() < kSpares) spares_.push_back(std::move(front.bytes));
            pieces_.pop_front();
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

void BytePipe::WaitUntilDrained() {
    std::unique_lock lock(mutex_);
    WaitFor(lock, [&] { return failed_ || waiting_ == 0; });
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
