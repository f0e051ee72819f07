#include "codecs/lzx/lzx_huffman_decoder.h"

#include <algorithm>

namespace quorvex6::backend::codecs::lzx {

HuffmanDecoder::HuffmanDecoder(unsigned table_bits, unsigned max_symbols)
    : table_bits_(table_bits), table_(std::size_t{1} << table_bits), sorted_(max_symbols) {}

bool HuffmanDecoder::Build(std::span<const std::uint8_t> lengths, bool may_be_empty) {
    count_.fill(0);
    for (std::uint8_t length : lengths) {
        if (length > kMaxCodeLength) return false;
        ++count_[length];
    }
    count_[0] = 0;
    std::uint32_t code = 0;
    std::uint32_t placed = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        code <<= 1;
        first_[len] = code;
        offset_[len] = placed;
        code += count_[len];
        placed += count_[len];
        if (code > (std::uint32_t{1} << len)) return false;  // over-subscribed
    }
    if (placed == 0) {
        std::fill(table_.begin(), table_.end(), Entry{});
        return may_be_empty;
    }
    if (code != (std::uint32_t{1} << kMaxCodeLength)) return false;  // incomplete

    std::array<std::uint32_t, kMaxCodeLength + 1> next = offset_;
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s] != 0) sorted_[next[lengths[s]]++] = static_cast<std::uint16_t>(s);
    // Canonical codes fill the table in order: the short ones first, then the prefixes of the
    // long ones, which are marked for the slow walk.
    Entry* at = table_.data();
    for (unsigned len = 1; len <= table_bits_; ++len) {
        std::uint32_t span = std::uint32_t{1} << (table_bits_ - len);
        for (std::uint32_t i = 0; i < count_[len]; ++i) {
            Entry e{sorted_[offset_[len] + i], static_cast<std::uint8_t>(len)};
            std::fill_n(at, span, e);
            at += span;
        }
    }
    std::fill(at, table_.data() + table_.size(), Entry{});
    return true;
}

int HuffmanDecoder::DecodeLong(BitReader& in, std::uint32_t peek) const {
    for (unsigned len = table_bits_ + 1; len <= kMaxCodeLength; ++len) {
        std::uint32_t code = peek >> (kMaxCodeLength - len);
        if (code - first_[len] < count_[len]) {
            in.Skip(len);
            return sorted_[offset_[len] + code - first_[len]];
        }
    }
    return -1;
}

}  // namespace quorvex6::backend::codecs::lzx
