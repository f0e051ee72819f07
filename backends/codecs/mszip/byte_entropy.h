// How random a block's bytes look, counted one byte at a time.
#pragma once
#include <cstdint>
#include <span>

namespace quorvex6::backend::codecs::mszip {

// Shannon entropy of the byte frequencies, 0 to 8 bits a byte; 0 for no bytes.
double BitsPerByte(std::span<const std::uint8_t> bytes);

}  // namespace quorvex6::backend::codecs::mszip
