// A tree's code lengths as LZX sends them: changes from the same tree's previous lengths,
// coded with a pretree, runs of zeros and of equal lengths shortened.
#pragma once
#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "codecs/lzx/lzx_bit_writer.h"
#include "codecs/lzx/lzx_constants.h"

namespace quorvex6::backend::codecs::lzx {

class TreeWriter {
  public:
    TreeWriter(std::span<const std::uint8_t> previous, std::span<const std::uint8_t> lengths);

    std::uint32_t Bits() const { return bits_; }
    void Write(BitWriter& out) const;

  private:
    struct Run {
        std::uint8_t symbol;
        std::uint8_t extra_bits;
        std::uint8_t extra;
        std::uint8_t change;  // the change after symbol 19
    };
    void Add(Run run);

    std::vector<Run> runs_;
    std::array<std::uint32_t, kPretreeSymbols> counts_{};
    std::array<std::uint8_t, kPretreeSymbols> lengths_{};
    std::array<std::uint16_t, kPretreeSymbols> codes_{};
    std::uint32_t bits_ = 0;
};

}  // namespace quorvex6::backend::codecs::lzx
