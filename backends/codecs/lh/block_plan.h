// The Huffman tables of one lh5..lh7 block and the exact number of bits the block takes with
// them, so that the encoder can weigh one block against two before it writes anything.
#ifndef QV_CODECS_LH_BLOCK_PLAN_H
#define QV_CODECS_LH_BLOCK_PLAN_H

#include "codecs/lh/bit_writer.h"
#include "codecs/lh/methods.h"

#include <array>
#include <cstddef>
#include <cstdint>

namespace quorvex6::codecs::lh {

// One symbol of the parse: a code below kLiteralCodes is a literal, else a match length whose
// distance - 1 is `dist`.
struct ParsedSymbol {
    std::uint16_t code;
    std::uint32_t dist;
};

class BlockPlan {
public:
    BlockPlan(const StaticParams& params, const ParsedSymbol* symbols, std::size_t count);

    std::uint64_t bits() const { return bits_; }
    void write(BitWriter& out) const;

private:
    template <class Bits>
    void put_tables(Bits& out) const;
    template <class Bits>
    void put_small_lengths(Bits& out, const std::uint8_t* len, int count, int count_bits,
                           int skip_after) const;

    StaticParams params_;
    const ParsedSymbol* symbols_;
    std::size_t count_;
    std::array<std::uint32_t, kCodeCount> cfreq_{};
    std::array<std::uint32_t, 17> pfreq_{};
    std::array<std::uint32_t, kLengthCodes> tfreq_{};
    std::array<std::uint8_t, kCodeCount> clen_{};
    std::array<std::uint16_t, kCodeCount> ccode_{};
    std::array<std::uint8_t, 17> plen_{};
    std::array<std::uint16_t, 17> pcode_{};
    std::array<std::uint8_t, kLengthCodes> tlen_{};
    std::array<std::uint16_t, kLengthCodes> tcode_{};
    int cused_ = 0;
    int pused_ = 0;
    int tused_ = 0;
    int ccount_ = 0;  // code lengths sent: trailing unused codes are left out
    std::uint64_t bits_ = 0;
};

}  // namespace quorvex6::codecs::lh

#endif
