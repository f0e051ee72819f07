#include "unlha32/file_bytes.h"

#include <algorithm>
#include <cstring>

namespace quorvex6::unlha32 {

std::ptrdiff_t FileInput::read_file(uint64_t offset, void* data, size_t n) {
    std::ptrdiff_t got = -1;
    Try([&] { got = static_cast<std::ptrdiff_t>(file_.ReadAt(offset, data, n)); });
    return got;
}

std::ptrdiff_t FileInput::read_at(uint64_t offset, void* data, size_t n) {
    if (offset >= size_) return 0;
    n = static_cast<size_t>(std::min<uint64_t>(n, size_ - offset));
    if (offset < ahead_at_ || offset + n > ahead_at_ + ahead_.size()) {
        if (n >= kAhead) return read_file(offset, data, n);
        ahead_.resize(static_cast<size_t>(std::min<uint64_t>(kAhead, size_ - offset)));
        const std::ptrdiff_t got = read_file(offset, ahead_.data(), ahead_.size());
        ahead_.resize(got > 0 ? static_cast<size_t>(got) : 0);
        ahead_at_ = offset;
        if (got < 0) return got;
        n = std::min(n, ahead_.size());
    }
    std::memcpy(data, ahead_.data() + (offset - ahead_at_), n);
    return static_cast<std::ptrdiff_t>(n);
}

}  // namespace quorvex6::unlha32
