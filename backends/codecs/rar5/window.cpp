#include "codecs/rar5/window.h"

#include <algorithm>

namespace quorvex6::backend::codecs::rar5 {

void Window::Fit(std::uint64_t stream_bytes, std::uint64_t wanted) {
    std::uint64_t size = 1;
    while (size < std::min(wanted, kMaxDictionary)) size <<= 1;
    if (size <= bytes_.size()) return;
    std::vector<std::uint8_t> grown(static_cast<std::size_t>(size));
    std::uint64_t kept = std::min<std::uint64_t>(stream_bytes, bytes_.size());
    for (std::uint64_t p = stream_bytes - kept; p < stream_bytes; ++p)
        grown[static_cast<std::size_t>(p & (size - 1))] = (*this)[p];
    bytes_ = std::move(grown);
    mask_ = size - 1;
}

}  // namespace quorvex6::backend::codecs::rar5
