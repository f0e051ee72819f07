#include "codecs/common/canonical_huffman.h"

namespace quorvex6::backend::codecs {

bool CanonicalHuffman::Build(std::span<const std::uint8_t> lengths) {
    if (lengths.size() > kMaxSymbols) return false;
    std::array<std::uint32_t, kMaxLength + 1> count{};
    for (std::uint8_t n : lengths) ++count[n & 0xF];
    count[0] = 0;
    std::uint32_t code = 0;
    std::uint32_t offset = 0;
    for (unsigned n = 1; n <= kMaxLength; ++n) {
        first_[n] = code;
        offset_[n] = offset;
        if (code + count[n] > (1u << n)) return false;
        limit_[n] = (code + count[n]) << (16 - n);
        offset += count[n];
        code = (code + count[n]) << 1;
    }
    std::array<std::uint32_t, kMaxLength + 1> next = offset_;
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        unsigned n = lengths[s] & 0xF;
        if (n != 0) symbols_[next[n]++] = static_cast<std::uint16_t>(s);
    }
    quick_.fill(0);
    for (unsigned n = 1; n <= kQuickBits; ++n) {
        for (std::uint32_t i = 0; i < count[n]; ++i) {
            std::uint32_t from = (first_[n] + i) << (kQuickBits - n);
            std::uint32_t to = from + (1u << (kQuickBits - n));
            auto entry = static_cast<std::uint16_t>(symbols_[offset_[n] + i] << 4 | n);
            for (std::uint32_t k = from; k < to; ++k) quick_[k] = entry;
        }
    }
    return true;
}

int CanonicalHuffman::DecodeLong(std::uint32_t v, unsigned& length) const {
    for (unsigned n = kQuickBits + 1; n <= kMaxLength; ++n) {
        if (v >= limit_[n]) continue;
        length = n;
        return symbols_[offset_[n] + (v >> (16 - n)) - first_[n]];
    }
    return -1;
}

}  // namespace quorvex6::backend::codecs
