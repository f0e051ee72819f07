// The Huffman tables of one lh5..lh7 block and the exact number of bits the block takes with
// them, so that the encoder can weigh one block against two before it writes anything.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

#include "codecs/lh/bit_writer.h"
#include "codecs/lh/methods.h"

namespace quorvex6::backend::codecs::lh {

// One symbol of the parse: a code below kLiteralCodes is a literal, else a match length whose
// distance - 1 is `dist`.
struct ParsedSymbol {
    std::uint16_t code;
    std::uint32_t dist;
};

// How often each code and each offset class occurs in a run of symbols.
struct SymbolCounts {
    std::array<std::uint32_t, kCodeCount> codes{};
    std::array<std::uint32_t, 17> offsets{};

    SymbolCounts(const ParsedSymbol* symbols, std::size_t count);
    // The counts of a run less those of its first part: the counts of the rest.
    SymbolCounts minus(const SymbolCounts& part) const;

  private:
    SymbolCounts() = default;
};

// One symbol of the code-length stream and the extra bits after it.
struct LengthStep {
    std::uint8_t symbol;
    std::uint8_t extra_bits;
    std::uint16_t extra;
};

struct LengthSteps {
    std::array<LengthStep, kCodeCount> at;
    int count = 0;
    void push(LengthStep s) { at[static_cast<std::size_t>(count++)] = s; }
};

// How the code lengths of a block are sent: the stream over the length alphabet and its code.
struct LengthCoding {
    LengthSteps steps;
    std::array<std::uint32_t, kLengthCodes> freq{};
    std::array<std::uint8_t, kLengthCodes> len{};
    int used = 0;
};

// Other ways to write the same block: a one-symbol table given a second, unused code (so that
// its code takes a bit, not none), and zero lengths sent after the last used offset class. Both
// make a block longer; the last block of a stream may need that for its readers to find its end.
struct TableShape {
    bool two_codes_c = false;
    bool two_codes_p = false;
    int spare_p_lengths = 0;
};

class BlockPlan {
  public:
    BlockPlan(const StaticParams& params, const SymbolCounts& counts, const ParsedSymbol* symbols,
              std::size_t count, TableShape shape = {});

    std::uint64_t bits() const { return bits_; }
    // Whether the last code takes no bits (a code of a one-symbol table); needs the symbols.
    bool ends_on_empty_code() const;
    void write(BitWriter& out) const;

  private:
    template <class Bits>
    void put_tables(Bits& out, const LengthCoding& lengths, const std::uint16_t* tcode) const;
    std::uint64_t table_bits(const LengthCoding& lengths) const;
    template <class Bits>
    void put_small_lengths(Bits& out, const std::uint8_t* len, int count, int count_bits,
                           int skip_after, int spare) const;

    StaticParams params_;
    const ParsedSymbol* symbols_;
    std::size_t count_;
    int only_code_ = 0;  // the symbol of a one-symbol table
    int only_offset_ = 0;
    std::array<std::uint8_t, kCodeCount> clen_{};
    std::array<std::uint8_t, 17> plen_{};
    LengthCoding lengths_;
    int cused_ = 0;
    int pused_ = 0;
    int ccount_ = 0;  // code lengths sent: trailing unused codes are left out
    int spare_p_ = 0;
    std::uint64_t bits_ = 0;
};

}  // namespace quorvex6::backend::codecs::lh
