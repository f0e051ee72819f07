#include "codecs/rar5/window.h"

#include <algorithm>

namespace quorvex6::backend::codecs::rar5 {

void Window::Fit(std::uint64_t stream_bytes, std::uint64_t wanted) {
    std::uint64_t size = 1;
    while (size < std::min(wanted, kMaxDictionary)) size <<= 1;
    if (size <= size_) return;
    std::unique_ptr<std::uint8_t[]> grown(new std::uint8_t[static_cast<std::size_t>(size)]);
    std::uint64_t kept = std::min(stream_bytes, size_);
    // What the old ring had already lost reads as zeros, as it always has; bytes the stream
    // has not reached yet cannot be read.
    if (kept < stream_bytes) std::fill_n(grown.get(), static_cast<std::size_t>(size), 0);
    for (std::uint64_t p = stream_bytes - kept; p < stream_bytes; ++p)
        grown[static_cast<std::size_t>(p & (size - 1))] = (*this)[p];
    bytes_ = std::move(grown);
    size_ = size;
    mask_ = size - 1;
}

}  // namespace quorvex6::backend::codecs::rar5
