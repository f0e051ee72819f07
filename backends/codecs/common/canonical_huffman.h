// A canonical prefix code as both RAR generations write it: codes in order of length, then of
// symbol, most significant bit first, at most 15 bits; a code may leave part of the code space
// unused. Short codes decode by one table look-up, longer ones by a search over the lengths.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace quorvex6::backend::codecs {

class CanonicalHuffman {
  public:
    static constexpr unsigned kMaxLength = 15;
    static constexpr std::size_t kMaxSymbols = 320;

    // False for lengths that over-fill the code space, or too many symbols.
    bool Build(std::span<const std::uint8_t> lengths);

    // The next symbol from `bits` (Peek16: the next 16 bits, most significant first, not
    // taken; Skip(n) takes n); -1 for a code no symbol has, with nothing taken.
    template <class Bits>
    int Decode(Bits& bits) const {
        std::uint32_t v = bits.Peek16();
        std::uint16_t quick = quick_[v >> (16 - kQuickBits)];
        if (quick != 0) {
            bits.Skip(quick & 0xF);
            return quick >> 4;
        }
        unsigned length = 0;
        int symbol = DecodeLong(v, length);
        if (symbol >= 0) bits.Skip(length);
        return symbol;
    }

  private:
    static constexpr unsigned kQuickBits = 10;

    int DecodeLong(std::uint32_t v, unsigned& length) const;

    // Codes up to kQuickBits long, by their bits: symbol << 4 | length; 0 for longer ones.
    std::array<std::uint16_t, 1u << kQuickBits> quick_{};
    // limit_[n]: the first 16-bit left-justified code past those of length n.
    std::array<std::uint32_t, kMaxLength + 1> limit_{};
    std::array<std::uint32_t, kMaxLength + 1> first_{};
    std::array<std::uint32_t, kMaxLength + 1> offset_{};
    std::array<std::uint16_t, kMaxSymbols> symbols_{};  // by length, then symbol
};

}  // namespace quorvex6::backend::codecs
