// A canonical Huffman code as RAR 2.9 writes it: codes in order of length, then of symbol, most
// significant bit first, at most 15 bits; a code may leave part of the code space unused.
#pragma once
#include <array>
#include <cstdint>
#include <span>

#include "codecs/rar3/bit_input.h"

namespace quorvex6::backend::codecs::rar3 {

class HuffmanTable {
  public:
    static constexpr unsigned kMaxLength = 15;
    static constexpr std::size_t kMaxSymbols = 299;

    // False for lengths that over-fill the code space.
    bool Build(std::span<const std::uint8_t> lengths);

    // The next symbol; -1 for a code no symbol has.
    int Decode(BitInput& bits) const {
        std::uint32_t v = bits.Peek16();
        std::uint16_t quick = quick_[v >> (16 - kQuickBits)];
        if (quick != 0) {
            bits.Skip(quick & 0xF);
            return quick >> 4;
        }
        return DecodeLong(v, bits);
    }

  private:
    static constexpr unsigned kQuickBits = 10;

    int DecodeLong(std::uint32_t v, BitInput& bits) const;

    // Codes up to kQuickBits long, by their bits: symbol << 4 | length; 0 for longer ones.
    std::array<std::uint16_t, 1u << kQuickBits> quick_{};
    // limit_[n]: the first 16-bit left-justified code past those of length n.
    std::array<std::uint32_t, kMaxLength + 1> limit_{};
    std::array<std::uint32_t, kMaxLength + 1> first_{};
    std::array<std::uint32_t, kMaxLength + 1> offset_{};
    std::array<std::uint16_t, kMaxSymbols> symbols_{};  // by length, then symbol
};

}  // namespace quorvex6::backend::codecs::rar3
