// Canonical prefix-code decoder for the LH family: codes are assigned in order of length, then
// of symbol, at most 16 bits long. A direct table covers codes up to kFastBits; longer codes
// take the per-length search. Over-subscribed length sets are refused; incomplete ones are
// accepted and a bit pattern with no code decodes as an error.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "codecs/lh/bit_reader.h"

namespace quorvex6::backend::codecs::lh {

constexpr int kMaxCodeBits = 16;

class HuffmanDecoder {
  public:
    explicit HuffmanDecoder(int fast_bits);

    bool build(const std::uint8_t* lengths, int count);
    // Every symbol decodes as `symbol` with no bits read.
    void set_single(int symbol);

    // The next symbol, or -1 when the bits form no code.
    int decode(BitReader& in) {
        if (single_ >= 0) return single_;
        std::uint32_t e = fast_[in.peek(fast_bits_)];
        if (e & kLeaf) {
            in.skip(static_cast<int>(e >> 16 & 0xff));
            return static_cast<int>(e & 0xffff);
        }
        return decode_long(in);
    }

  private:
    static constexpr std::uint32_t kLeaf = 1u << 24;
    int decode_long(BitReader& in);

    int fast_bits_;
    int single_ = -1;
    std::vector<std::uint32_t> fast_;
    // Left-justified 16-bit limits per length, first code index per length, symbols in code order.
    std::array<std::uint32_t, kMaxCodeBits + 2> limit_{};
    std::array<std::uint32_t, kMaxCodeBits + 1> first_code_{};
    std::array<std::uint32_t, kMaxCodeBits + 1> first_index_{};
    std::vector<std::uint16_t> sorted_;
};

}  // namespace quorvex6::backend::codecs::lh
