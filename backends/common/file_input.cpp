#include "common/file_input.h"

#include <algorithm>
#include <cstring>

namespace quorvex6::backend {

std::ptrdiff_t FileInput::read_at(std::uint64_t offset, void* data, std::size_t n) {
    if (offset >= size()) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size() - offset));
    if (offset < ahead_at_ || offset + n > ahead_at_ + ahead_.size()) {
        if (n >= kAhead) return file_.read_at(offset, data, n);
        ahead_.resize(static_cast<std::size_t>(std::min<std::uint64_t>(kAhead, size() - offset)));
        const std::ptrdiff_t got = file_.read_at(offset, ahead_.data(), ahead_.size());
        ahead_.resize(got > 0 ? static_cast<std::size_t>(got) : 0);
        ahead_at_ = offset;
        if (got < 0) return got;
        n = std::min(n, ahead_.size());
    }
    std::memcpy(data, ahead_.data() + (offset - ahead_at_), n);
    return static_cast<std::ptrdiff_t>(n);
}

}  // namespace quorvex6::backend
