// A canonical Huffman code of RAR 5.0: codes given in order of length, then of symbol, most
// significant bit first, at most 15 bits long.
#pragma once
#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "codecs/rar5/bit_reader.h"

namespace quorvex6::backend::codecs::rar5 {

class HuffmanTable {
  public:
    static constexpr unsigned kMaxLength = 15;

    // False for lengths that over-fill the code space.
    bool Build(std::span<const std::uint8_t> lengths);
    // The next symbol; nullopt for a code no symbol has.
    std::optional<std::uint16_t> Decode(BitReader& bits) const;

  private:
    // limit_[n]: the first 16-bit left-justified code past those of length n.
    std::array<std::uint32_t, kMaxLength + 1> limit_{};
    std::array<std::uint32_t, kMaxLength + 1> first_{};
    std::array<std::uint32_t, kMaxLength + 1> offset_{};
    std::vector<std::uint16_t> symbols_;  // by length, then symbol
};

}  // namespace quorvex6::backend::codecs::rar5
