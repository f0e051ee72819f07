#include "common/file_input.h"

#include <algorithm>
#include <cstring>

namespace quorvex6::backend {

std::ptrdiff_t FileInput::read_at(std::uint64_t offset, void* data, std::size_t n) {
    if (offset >= size()) return 0;
    n = static_cast<std::size_t>(std::min<std::uint64_t>(n, size() - offset));
    if (offset < ahead_at_ || offset + n > ahead_at_ + ahead_size_) {
        if (n >= kAhead) return file_.read_at(offset, data, n);
        if (!ahead_) ahead_ = std::make_unique_for_overwrite<std::uint8_t[]>(kAhead);
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(kAhead, size() - offset));
        const std::ptrdiff_t got = file_.read_at(offset, ahead_.get(), want);
        ahead_size_ = got > 0 ? static_cast<std::size_t>(got) : 0;
        ahead_at_ = offset;
        if (got < 0) return got;
        n = std::min(n, ahead_size_);
    }
    std::memcpy(data, ahead_.get() + (offset - ahead_at_), n);
    return static_cast<std::ptrdiff_t>(n);
}

}  // namespace quorvex6::backend
