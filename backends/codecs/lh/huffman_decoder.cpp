#include "codecs/lh/huffman_decoder.h"

#include <algorithm>

namespace quorvex6::backend::codecs::lh {

HuffmanDecoder::HuffmanDecoder(int fast_bits)
    : fast_bits_(fast_bits), fast_(std::size_t{1} << fast_bits) {}

void HuffmanDecoder::set_single(int symbol) { single_ = symbol; }

bool HuffmanDecoder::build(const std::uint8_t* lengths, int count) {
    single_ = -1;
    std::array<std::uint32_t, kMaxCodeBits + 1> per_length{};
    for (int i = 0; i < count; ++i) {
        if (lengths[i] > kMaxCodeBits) return false;
        ++per_length[lengths[i]];
    }
    per_length[0] = 0;
    std::uint32_t code = 0;
    std::uint32_t index = 0;
    for (int len = 1; len <= kMaxCodeBits; ++len) {
        first_code_[len] = code;
        first_index_[len] = index;
        code += per_length[len];
        index += per_length[len];
        if (code > (1u << len)) return false;
        limit_[len] = code << (kMaxCodeBits - len);
        code <<= 1;
    }
    sorted_.assign(index, 0);
    std::array<std::uint32_t, kMaxCodeBits + 1> next = first_index_;
    for (int i = 0; i < count; ++i) {
        if (lengths[i] != 0) sorted_[next[lengths[i]]++] = static_cast<std::uint16_t>(i);
    }
    std::fill(fast_.begin(), fast_.end(), 0u);
    for (int len = 1; len <= fast_bits_; ++len) {
        for (std::uint32_t k = 0; k < per_length[len]; ++k) {
            std::uint32_t c = first_code_[len] + k;
            std::uint32_t sym = sorted_[first_index_[len] + k];
            std::uint32_t start = c << (fast_bits_ - len);
            std::uint32_t span = 1u << (fast_bits_ - len);
            for (std::uint32_t j = 0; j < span; ++j) {
                fast_[start + j] = kLeaf | static_cast<std::uint32_t>(len) << 16 | sym;
            }
        }
    }
    return true;
}

int HuffmanDecoder::decode_long(BitReader& in) {
    std::uint32_t bits = in.peek(kMaxCodeBits);
    for (int len = fast_bits_ + 1; len <= kMaxCodeBits; ++len) {
        if (bits < limit_[len]) {
            std::uint32_t c = bits >> (kMaxCodeBits - len);
            std::uint32_t offset = c - first_code_[len];
            in.skip(len);
            return sorted_[first_index_[len] + offset];
        }
    }
    return -1;
}

}  // namespace quorvex6::backend::codecs::lh
