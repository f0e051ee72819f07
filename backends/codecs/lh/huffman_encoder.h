// Code lengths and canonical codes for the encoders: optimal lengths from symbol counts,
// limited to a maximum length (the LH decoders accept 16 bits at most).
#pragma once

#include <cstdint>

namespace quorvex6::backend::codecs::lh {

// Fills lengths[0..count) (0 for unused symbols). Returns the number of used symbols; when
// that is 1 the single used symbol gets length 0 and the caller writes it as a constant code.
int BuildLengths(const std::uint32_t* freq, int count, int max_bits, std::uint8_t* lengths);

// Canonical codes for the lengths, as the decoders assign them.
void AssignCodes(const std::uint8_t* lengths, int count, std::uint16_t* codes);

}  // namespace quorvex6::backend::codecs::lh
