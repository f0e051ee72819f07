// Canonical Huffman codes as LZX sends them (shorter codes first, then by symbol), decoded by
// one table lookup for short codes and a walk over the lengths for the rest.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/lzx/lzx_bit_reader.h"
#include "codecs/lzx/lzx_constants.h"

namespace quorvex6::backend::codecs::lzx {

class HuffmanDecoder {
  public:
    // `table_bits` sizes the fast table; `max_symbols` the largest alphabet built.
    HuffmanDecoder(unsigned table_bits, unsigned max_symbols);

    // False for lengths that do not make a complete prefix code. All zero lengths make an
    // empty code, accepted only when `may_be_empty`; decoding from it fails.
    bool Build(std::span<const std::uint8_t> lengths, bool may_be_empty);

    // The next symbol, or -1 when the bits are no code (only an empty code has none).
    int Decode(BitReader& in) const {
        std::uint32_t peek = in.Peek(kMaxCodeLength);
        Entry e = table_[peek >> (kMaxCodeLength - table_bits_)];
        if (e.length != 0) {
            in.Skip(e.length);
            return e.symbol;
        }
        return DecodeLong(in, peek);
    }

  private:
    struct Entry {
        std::uint16_t symbol = 0;
        std::uint8_t length = 0;
    };
    int DecodeLong(BitReader& in, std::uint32_t peek) const;

    unsigned table_bits_;
    std::vector<Entry> table_;
    // Per length: the first canonical code, how many, and where its symbols start in sorted_.
    std::array<std::uint32_t, kMaxCodeLength + 1> first_{}, count_{}, offset_{};
    std::vector<std::uint16_t> sorted_;
};

}  // namespace quorvex6::backend::codecs::lzx
