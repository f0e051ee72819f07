// RAR 1.5 codes no symbol directly: a code names a place in a list of the 256 byte values, and
// the list reorders itself as places are used, so that frequent symbols drift to the short
// codes of the first places. Each entry carries a small use count; a used entry trades places
// with the first entry of its count, so entries stay sorted by count, and the counts are
// flattened into eight bands when one would outgrow its limit.
#pragma once

#include <array>
#include <cstdint>

namespace quorvex6::backend::codecs::rar15 {

class AdaptiveOrder {
  public:
    // Counts that reach `max_count` (at least 8) flatten the list.
    explicit AdaptiveOrder(unsigned max_count) : max_count_(max_count) {}

    // Value v at place v, or at place 256 - v (mod 256) when `reversed`; every count zero.
    void Reset(bool reversed);
    // Every count set by band: the first 32 places 7, the last 32 places 0.
    void Flatten();
    // The value at `place` (0..255), counted as used once more.
    std::uint8_t Take(unsigned place);

  private:
    // Value in the high bits, use count in the low 8.
    std::array<std::uint32_t, 256> entries_{};
    // For each count, the place of the first entry that has it.
    std::array<std::uint32_t, 256> first_with_count_{};
    unsigned max_count_;
};

}  // namespace quorvex6::backend::codecs::rar15
