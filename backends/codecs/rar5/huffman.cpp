#include "codecs/rar5/huffman.h"

namespace quorvex6::backend::codecs::rar5 {

bool HuffmanTable::Build(std::span<const std::uint8_t> lengths) {
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
    symbols_.assign(offset, 0);
    std::array<std::uint32_t, kMaxLength + 1> next = offset_;
    for (std::size_t s = 0; s < lengths.size(); ++s) {
        unsigned n = lengths[s] & 0xF;
        if (n != 0) symbols_[next[n]++] = static_cast<std::uint16_t>(s);
    }
    return true;
}

std::optional<std::uint16_t> HuffmanTable::Decode(BitReader& bits) const {
    std::uint32_t v = bits.Peek16();
    for (unsigned n = 1; n <= kMaxLength; ++n) {
        if (v >= limit_[n]) continue;
        std::uint32_t index = offset_[n] + (v >> (16 - n)) - first_[n];
        bits.Skip(n);
        if (index >= symbols_.size()) return std::nullopt;
        return symbols_[index];
    }
    return std::nullopt;
}

}  // namespace quorvex6::backend::codecs::rar5
