// Code lengths from symbol counts, limited in length and always a complete code (the
// reference decoder refuses incomplete ones), and the canonical codes they give.
#pragma once
#include <cstdint>
#include <span>

namespace quorvex6::backend::codecs::lzx {

// Lengths of at most `limit` bits for `counts`; unused symbols get 0. A lone used symbol is
// given a partner, so that every code but the empty one is complete.
void BuildLengths(std::span<const std::uint32_t> counts, unsigned limit,
                  std::span<std::uint8_t> lengths);

// Canonical codes for `lengths`, shorter first, then by symbol.
void AssignCodes(std::span<const std::uint8_t> lengths, std::span<std::uint16_t> codes);

}  // namespace quorvex6::backend::codecs::lzx
